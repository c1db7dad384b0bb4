#include "tools/genimages/Look.h"

namespace look {

const Palette& palette(int style) {
  static const Palette kLight{hex(0xD3D7DC), hex(0xBFC4CA), hex(0x24272B), hex(0x868C94),
                              hex(0x16212A), hex(0x0A1015), hex(0xE4E7EB), hex(0xE4E7EB),
                              hex(0xD5D9DE), hex(0x8A9099)};
  static const Palette kDark{hex(0x17181B), hex(0x0C0D0E), kAccent, hex(0x6B3C12), hex(0xFFB25C),
                             hex(0xF08A22), kAccent,       kAccent, hex(0x141518), hex(0x3A3E45)};
  static const Palette kCommon{hex(0x1C1E22), hex(0x141518), hex(0xC9CED6), hex(0x3C4047),
                               kLcdDark,      kLcdDark,      kInk,          kAccent,
                               hex(0x141518), hex(0x3A3E45)};
  return style == 0 ? kLight : style == 1 ? kDark : kCommon;
}

void section(Canvas& c, const Palette& p, const char* title, int x, int y, int w, int h) {
  const int tw = c.textWidth(title, 13, true);
  c.text(title, x + 2, y, tw + 4, kTitleHeight - 4, 13, true, p.title, Align::Left);
  c.rect(x + tw + 14, y + (kTitleHeight - 4) / 2, w - tw - 16, 1, p.rule);
  plate(c, p, x, y + kTitleHeight, w, h - kTitleHeight);
}

void plate(Canvas& c, const Palette& p, int x, int y, int w, int h) {
  c.roundRect(x, y, w, h, 6, p.rule);
  c.roundRectGradient(x + 1, y + 1, w - 2, h - 2, 5, kPlateLight, kPlate);
  c.roundRect(x + 1, y + 3, w - 2, h - 4, 5, kPlate);
}

void field(Canvas& c, const Palette& p, int x, int y, int w, int h) {
  c.roundRect(x, y, w, h, 3, p.fieldEdge);
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 2, p.field);
}

void menuWell(Canvas& c, int x, int y, int w, int h, const char* label, int size) {
  c.roundRect(x, y, w, h, 3, kLcdDark);
  if (size == 0) {
    size = 9;
    while (size > 7 && c.textWidth(label, size, true) > w - 13) --size;
  }
  c.text(label, x + 3, y, w - 12, h, size, true, kInkDim, Align::Left);
  const float tx = x + w - 6.f, ty = y + h * 0.5f;
  c.triangle(tx - 3, ty - 1.5f, tx + 3, ty - 1.5f, tx, ty + 2, kInkDim);
}

void lcd(Canvas& c, const Palette& p, int x, int y, int w, int h) {
  c.roundRect(x - 2, y - 2, w + 4, h + 4, 6, hex(0x08090A));
  c.roundRectGradient(x, y, w, h, 4, p.lcdTop, p.lcdBottom);
}

void recess(Canvas& c, int x, int y, int w, int h) {
  c.roundRect(x - 1, y - 1, w + 2, h + 2, 7, hex(0x101114));
  c.roundRect(x, y, w, h, 6, kPlate);
}

void key(Canvas& c, int x, int y, int w, int h, const char* label, bool lit, Rgb litColour) {
  c.roundRect(x, y, w, h, 4, hex(0x15171A));
  c.roundRectGradient(x + 1, y + 1, w - 2, h - 2, 3, lit ? hex(0x464B53) : kKeyTop,
                      lit ? hex(0x363A40) : kKeyBottom);
  if (lit) c.roundRect(x + 5, y + h - 5, w - 10, 2, 1, litColour);
  if (label && *label)
    c.text(label, x, y, w, h - (lit ? 2 : 0), h >= 26 ? 12 : 11, true, lit ? kInk : kInkDim);
}

void led(Canvas& c, float cx, float cy, float r, bool lit, Rgb colour) {
  if (lit) c.circle(cx, cy, r + 2.5f, colour, 0.25f);
  c.circle(cx, cy, r, hex(0x121315));
  c.circle(cx, cy, r - 1, lit ? colour : mix(colour, kPlate, 0.75f));
  if (lit) c.circle(cx - r * 0.3f, cy - r * 0.3f, r * 0.35f, mix(colour, hex(0xFFFFFF), 0.6f));
}

}  // namespace look
