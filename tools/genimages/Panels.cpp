// Backgrounds, sub-panels, dialogs and the progress overlay.
#include "tools/genimages/detail/Panels.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

using namespace look;

namespace {

// ---- The geometry the authored layout aligns to ------------------------------------------
// Pages print their sections, fields and labels from the layout; the header and the overlay,
// which the layout does not describe, keep theirs here, in unscaled pixels.
// A well is a dark field for text; a menu well also shows what it picks and the menu's mark.
enum Kind { kRecess, kLcd, kWell, kMenuWell };
struct Box {
  Kind kind;
  int x, y, w, h;
  const char* label = "";
};

// The header (1500 x 96 at 0, 0): the MIDI activity text at 16, 66 under the name; the tab strip
// at 180, 16; the central display's two
// lines at 876, 12 and 876, 34 (344 x 20 each); the sound's name and category at 1248, 12 and
// 1248, 36. Below them the bank and program of the part (a readout at 1040, 61), the plug-in
// core's bank and program menus at 1142, 60 and 1184, 60 (38 and 45 x 24), the program steps,
// the part's lock and Randomize.
constexpr Box kHeader[] = {{kLcd, 12, 63, 158, 20},
                           {kRecess, 176, 12, 680, 48},
                           {kLcd, 868, 8, 360, 50},
                           {kLcd, 1240, 8, 248, 50},
                           {kRecess, 996, 58, 492, 33},
                           {kWell, 1040, 61, 96, 23},
                           {kMenuWell, 1142, 61, 38, 23, "BANK"},
                           {kMenuWell, 1184, 61, 45, 23, "PROG"}};
// The bank and program menus' labels, alike; the bank menu's narrow place fits no larger.
constexpr int kHeaderMenuLabel = 8;
// The progress overlay (the whole editor): the two cancel buttons go at 835, 457 and 740, 83.
constexpr Box kOverlay[] = {{kRecess, 520, 240, 460, 270}, {kRecess, 440, 76, 620, 44}};
// ---------------------------------------------------------------------------------------

constexpr Rgb kDialogBand = hex(0x30343A);

template <size_t N>
void boxes(Canvas& c, const Palette& p, const Box (&list)[N]) {
  for (const Box& b : list) {
    if (b.kind == kRecess) recess(c, b.x, b.y, b.w, b.h);
    if (b.kind == kLcd) lcd(c, p, b.x, b.y, b.w, b.h);
    if (b.kind == kWell) c.roundRect(b.x, b.y, b.w, b.h, 3, kLcdDark);
    if (b.kind == kMenuWell) menuWell(c, b.x, b.y, b.w, b.h, b.label, kHeaderMenuLabel);
  }
}

void chassis(Canvas& c, const Palette& p, const Frame& f) {
  c.gradient(f.x, f.y, f.w, f.h, p.chassisTop, p.chassisBottom);
}

void brand(Canvas& c, Rgb ink, int x, int y) {
  c.text("KROMA", x, y, 140, 30, 24, true, ink, Align::Left);
  c.text("E D I T O R", x + 2, y + 28, 140, 14, 10, true, ink, Align::Left);
}

void caption(Canvas& c, const Palette& p, const Frame& f, int size) {
  c.text(f.label, f.x + 10, f.y + 4, f.w - 20, size + 8, size, true, p.glyph, Align::Left);
  const int tw = c.textWidth(f.label, size, true);
  c.rect(f.x + 18 + tw, f.y + 8 + size / 2, f.w - 28 - tw, 1, kInkFaint);
}

// Text lines of the dialogs, top to bottom from the given y.
void lines(Canvas& c, const char* const* text, int count, int x, int y, int w, Rgb ink) {
  for (int i = 0; i < count; ++i)
    c.text(text[i], x, y + i * 24, w, 20, 13, false, ink, Align::Left);
}

void dialogFrame(Canvas& c, const Frame& f, const char* title) {
  c.rect(f.x, f.y, f.w, f.h, hex(0x0E0F11));
  c.rect(f.x + 1, f.y + 1, f.w - 2, f.h - 2, kPlate);
  c.gradient(f.x + 1, f.y + 1, f.w - 2, 34, hex(0x3A3E45), kDialogBand);
  c.rect(f.x + 1, f.y + 35, f.w - 2, 1, hex(0x121316));
  c.text(title, f.x + 16, f.y + 1, f.w - 32, 34, 14, true, kInk, Align::Left);
  c.rect(f.x + 1, f.y + 1, 4, 34, kAccent);
}

}  // namespace

void paintFrame(Canvas& c, const Palette&, const Frame& f) {
  constexpr int kHeaderHeight = 96;
  c.gradient(f.x, f.y, f.w, kHeaderHeight, hex(0x24272B), hex(0x1A1C1F));
  brand(c, kInkDim, 16, 12);
  c.rect(f.x, kHeaderHeight, f.w, f.h - kHeaderHeight, hex(0x131416));
  c.gradient(f.x, kHeaderHeight, 80, f.h - kHeaderHeight, kRail, hex(0x141518));
  c.rect(79, kHeaderHeight, 1, f.h - kHeaderHeight, hex(0x0C0D0E));
}

void paintHeader(Canvas& c, const Palette& p, const Frame& f) {
  chassis(c, p, f);
  c.rect(f.x, f.y + f.h - 1, f.w, 1, p.rule);
  brand(c, p.title, 18, 12);
  boxes(c, p, kHeader);
}

void paintPage(Canvas& c, const Palette& p, const Frame& f) {
  chassis(c, p, f);
}

void paintSubPanel(Canvas& c, const Palette& p, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  caption(c, p, f, f.w > 300 ? 14 : 11);
}

void paintFilterCurve(Canvas& c, const Palette& p, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  for (int i = 1; i < 4; ++i) c.rect(f.x + i * f.w / 4, f.y + 4, 1, f.h - 8, hex(0x30343A));
  const float top = f.y + 6.f, bottom = f.y + f.h - 6.f;
  auto gainAt = [&](float t) {
    using C = std::complex<float>;
    if (f.variant >= kCombMinus) {
      const float phase = t * 6.f * 2.f * 3.14159265f;
      const C echo = 0.8f * std::exp(C(0.f, -phase));
      return std::abs(f.variant == kCombPlus ? C(1.f) + echo : C(1.f) - echo) / 1.8f;
    }
    const float r = std::pow(2.f, (t - 0.5f) * 8.f);  // four octaves each side of the cutoff
    const C s(0.f, r);
    const C den = s * s + s / 2.2f + C(1.f);
    const C num[] = {C(1.f), s / 2.2f, s * s, s * s + C(1.f)};
    return std::abs(num[f.variant] / den) / 2.4f;
  };
  auto yAt = [&](float t) {
    const float db = 20.f * std::log10(std::max(gainAt(t), 1e-3f));
    return top + std::clamp(-db / 30.f, 0.f, 1.f) * (bottom - top);
  };
  float px = f.x + 4.f, py = yAt(0.f);
  for (int i = 1; i <= f.w - 8; ++i) {
    const float x = f.x + 4.f + i, y = yAt((float)i / (f.w - 8));
    c.line(x, y, x, bottom, 1.f, p.curve, 0.12f);
    c.line(px, py, x, y, 2.f, p.curve);
    px = x, py = y;
  }
}

void paintEnvelope(Canvas& c, const Palette& p, const Frame& f) {
  // Points as fractions of the box: attack, decays, sustains, release.
  struct Shape {
    int count;
    float xs[7], ys[7];
    int loopFrom, loopTo;
  };
  static const Shape kShapes[] = {
      {5, {0, .15f, .35f, .75f, 1}, {1, 0, .4f, .4f, 1}, -1, -1},
      {7, {0, .12f, .25f, .38f, .52f, .78f, 1}, {1, 0, .3f, .2f, .55f, .55f, 1}, -1, -1},
      {4, {0, .2f, .55f, 1}, {1, 0, .45f, 1}, -1, -1},
      {7, {0, .12f, .25f, .38f, .52f, .78f, 1}, {1, 0, .3f, .2f, .55f, .55f, 1}, 2, 4},
      {7, {0, .12f, .25f, .38f, .52f, .78f, 1}, {1, 0, .3f, .2f, .55f, .55f, 1}, 0, 4}};
  const Shape& s = kShapes[f.variant];
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  const float left = f.x + 8.f, width = f.w - 16.f, top = f.y + 8.f, height = f.h - 26.f;
  auto at = [&](int i) { return std::make_pair(left + s.xs[i] * width, top + s.ys[i] * height); };
  for (int i = 1; i < s.count; ++i)
    c.line(at(i - 1).first, at(i - 1).second, at(i).first, at(i).second, 2.f, p.curve);
  for (int i = 0; i < s.count; ++i) c.circle(at(i).first, at(i).second, 2.6f, kInk);
  if (s.loopFrom >= 0) {
    const float x0 = at(s.loopFrom).first, x1 = at(s.loopTo).first, y = f.y + f.h - 9.f;
    c.line(x0, y, x1, y, 1.5f, kInkDim);
    c.triangle(x0, y, x0 + 6, y - 4, x0 + 6, y + 4, kInkDim);
    c.text("LOOP", (int)x1 + 4, (int)y - 7, 40, 14, 10, true, kInkDim, Align::Left);
  }
}

void paintOverlay(Canvas& c, const Palette& p, const Frame& f) {
  c.gradient(f.x, f.y, f.w, f.h, mix(p.chassisTop, hex(0), 0.55f),
             mix(p.chassisBottom, hex(0), 0.6f));
  for (int y = 0; y < f.h; y += 4) c.rect(f.x, y, f.w, 1, mix(p.chassisBottom, hex(0), 0.7f));
  boxes(c, p, kOverlay);
  const Box& card = kOverlay[0];
  c.text("TRANSFERRING DATA", card.x + 96, card.y + 40, 340, 30, 20, true, p.glyph, Align::Left);
  static const char* const kText[] = {"The editor is exchanging data with", "the synthesizer.",
                                      "Controls are locked until it is done."};
  lines(c, kText, 3, card.x + 96, card.y + 84, 340, kInkDim);
  for (int i = 0; i < 12; ++i) {
    const float a = i * 3.14159265f / 6, cx = card.x + 56.f, cy = card.y + 66.f;
    c.line(cx + 12 * std::sin(a), cy - 12 * std::cos(a), cx + 20 * std::sin(a),
           cy - 20 * std::cos(a), 3.5f, mix(kInkFaint, p.glyph, i / 11.f));
  }
  const Box& bar = kOverlay[1];
  c.text("DATA TRANSFER", bar.x + 18, bar.y, 260, bar.h, 13, true, kInkDim, Align::Left);
}

// The bank view's two lists of 8 columns by 16 slots; the strip between them holds the lower
// list's own controls, which the layout prints.
void paintBrowser(Canvas& c, const Palette&, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  for (int list = 0; list < 2; ++list) {
    const int top = f.y + (list ? 274 : 1);
    for (int col = 0; col < 8; ++col)
      for (int row = 0; row < 16; ++row)
        c.rect(f.x + col * 133, top + row * 14, 105, 14, row % 2 ? hex(0x2A2E34) : hex(0x30343B));
  }
}

void paintDialog(Canvas& c, const Palette&, const Frame& f) {
  switch (f.variant) {
    case kDialogAbout: {
      dialogFrame(c, f, "ABOUT");
      c.text("KROMA EDITOR", f.x, f.y + 60, f.w, 40, 30, true, kAccent);
      c.text("Editor and librarian for the Corvane synthesizer", f.x, f.y + 104, f.w, 20, 13, false,
             kInk);
      c.text("Quillon Bay Sound", f.x, f.y + 128, f.w, 20, 12, false, kInkDim);
      c.text("BUILD", f.x + 120, f.y + 190, 70, 28, 12, true, kInkDim, Align::Right);
      lcd(c, palette(kCommonStyle), f.x + 200, f.y + 190, 280, 28);
      return;
    }
    case kDialogFirstRun: {
      dialogFrame(c, f, "WELCOME");
      static const char* const kText[] = {
          "Thank you for choosing Kroma Editor.",
          "",
          "1.  Connect the synthesizer by MIDI in both directions.",
          "2.  Choose its input and output ports in the MIDI set-up.",
          "3.  The editor then reads the synthesizer's sounds.",
          "",
          "Size and colours are set under MIDI & EDITOR on this page."};
      lines(c, kText, 7, f.x + 28, f.y + 56, f.w - 56, kInk);
      return;
    }
    case kDialogRename:
      dialogFrame(c, f, "RENAME");
      c.text("NAME", f.x + 20, f.y + 56, 60, 30, 12, true, kInkDim, Align::Left);
      c.roundRect(f.x + 80, f.y + 56, f.w - 100, 30, 4, kLcdDark);
      c.text("Click the name to type a new one; Enter renames the slot.", f.x + 20, f.y + 100,
             f.w - 40, 20, 12, false, kInkDim, Align::Left);
      return;
    case kDialogConflict: {
      dialogFrame(c, f, "BANK CONFLICT");
      static const char* const kText[] = {"Another part that is on already plays",
                                          "this bank and program. Choose another",
                                          "program, or switch that part off first."};
      lines(c, kText, 3, f.x + 24, f.y + 56, f.w - 48, kInk);
      return;
    }
    default: {
      dialogFrame(c, f, "MIDI FILTERS");
      static const char* const kRows[] = {"Notes",           "Controllers",      "Program change",
                                          "Poly pressure",   "Channel pressure", "Pitch bend",
                                          "System exclusive"};
      c.text("FROM HOST", f.x + 350, f.y + 44, 120, 24, 11, true, kInkDim);
      c.text("FROM SYNTH", f.x + 470, f.y + 44, 120, 24, 11, true, kInkDim);
      for (int i = 0; i < 7; ++i) {
        if (i % 2 == 0) c.rect(f.x + 16, f.y + 72 + i * 30, f.w - 32, 30, kPlateLight);
        c.text(kRows[i], f.x + 30, f.y + 72 + i * 30, 300, 30, 13, false, kInk, Align::Left);
      }
      static const char* const kOptions[] = {"Send straight to the synthesizer",
                                             "Hand MIDI on to the host", "Follow incoming MIDI"};
      c.rect(f.x + 16, f.y + 290, f.w - 32, 1, kInkFaint);
      for (int i = 0; i < 3; ++i)
        c.text(kOptions[i], f.x + 30, f.y + 300 + i * 34, 400, 34, 13, false, kInk, Align::Left);
    }
  }
}

void paintField(Canvas& c, const Palette&, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  c.text(f.label, f.x + 12, f.y, 90, f.h, 12, true, kInkDim, Align::Left);
  c.roundRect(f.x + 104, f.y + 12, f.w - 116, f.h - 24, 4, kLcdDark);
}

void paintBlank(Canvas& c, const Palette&, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  if (f.label && *f.label) c.text(f.label, f.x, f.y, f.w, f.h, 12, true, kInkFaint);
}
