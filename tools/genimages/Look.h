#pragma once

#include "tools/genimages/Canvas.h"

// Colours and shared pieces of the look. Controls are drawn by plain copy, so the pictures are
// opaque: every control tile carries the plate colour, and every surface a control may sit on
// (section plates, bars, dialogs) is that colour too, in both styles.
namespace look {

constexpr Rgb kPlate = hex(0x25282D);
constexpr Rgb kPlateLight = hex(0x2F3339);
constexpr Rgb kRail = hex(0x1A1C20);
constexpr Rgb kInk = hex(0xECEEF1);       // text and pointers on plates
constexpr Rgb kInkDim = hex(0x9EA5AE);    // labels at rest
constexpr Rgb kInkFaint = hex(0x5D636B);  // tracks, ticks, dividers
constexpr Rgb kAccent = hex(0xFF8A1F);
constexpr Rgb kAccentDim = hex(0x6B3C12);
constexpr Rgb kKeyTop = hex(0x3A3F46);
constexpr Rgb kKeyBottom = hex(0x2D3137);
constexpr Rgb kLcdDark = hex(0x0D1418);

// What differs between the light (0) and the dark (1) style, and the shared pictures' look.
struct Palette {
  Rgb chassisTop, chassisBottom;  // around the sections
  Rgb title;                      // printed section titles
  Rgb rule;                       // lines beside titles and around plates
  Rgb lcdTop, lcdBottom;  // display windows: white text on the light style's, black on the dark's
  Rgb glyph;              // style icons on plates
  Rgb curve;              // filter and envelope drawings
  // Under the text menus: the light style's menus print black, the dark style's light grey.
  Rgb field, fieldEdge;
};
// The palette of pictures both styles share (the librarian page, dialogs, control tiles).
constexpr int kCommonStyle = 2;
const Palette& palette(int style);

// A section: its title printed on the chassis and a plate below it, both inside the box.
constexpr int kTitleHeight = 24;
void section(Canvas& c, const Palette& p, const char* title, int x, int y, int w, int h);
// A plate without a title, filling the box.
void plate(Canvas& c, const Palette& p, int x, int y, int w, int h);
// The field a text menu prints on.
void field(Canvas& c, const Palette& p, int x, int y, int w, int h);
// The dark field of a menu that draws nothing itself: what it picks, and the menu's mark. The
// label is printed at `size`, or at the largest size up to 9 that fits when `size` is 0.
void menuWell(Canvas& c, int x, int y, int w, int h, const char* label, int size = 0);
// A display window.
void lcd(Canvas& c, const Palette& p, int x, int y, int w, int h);
// A recess of plate colour for controls on a bar.
void recess(Canvas& c, int x, int y, int w, int h);
// A raised key face with its label, lit or not.
void key(Canvas& c, int x, int y, int w, int h, const char* label, bool lit,
         Rgb litColour = kAccent);
// A round light.
void led(Canvas& c, float cx, float cy, float r, bool lit, Rgb colour = kAccent);

}  // namespace look
