// Backgrounds, sub-panels, dialogs and the progress overlay.
#include "tools/genimages/Panels.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

using namespace look;

namespace {

// ---- The geometry the authored layout aligns to ------------------------------------------
// Unscaled pixels relative to each picture's top-left corner. A section prints its title in
// the top kTitleHeight pixels of its box; the rest is its plate, where controls go. Strips mark
// sixteen part columns, 86 pixels apart from `x`, numbered at the top of their box.
enum Kind { kSection, kRecess, kLcd, kStrips };
struct Box {
  Kind kind;
  const char* title;
  int x, y, w, h;
};
struct PageLayout {
  const Box* boxes;
  int count;
};

constexpr Box kOscillators[] = {{kSection, "OSCILLATOR 1", 10, 8, 460, 290},
                                {kSection, "OSCILLATOR 2", 480, 8, 460, 290},
                                {kSection, "OSCILLATOR 3", 950, 8, 460, 290},
                                {kSection, "PITCH & GLIDE", 10, 308, 460, 244},
                                {kSection, "RING MOD & NOISE", 480, 308, 460, 244},
                                {kSection, "SAMPLE MEMORY", 950, 308, 460, 244}};
constexpr Box kFilters[] = {{kSection, "FILTER 1", 10, 8, 520, 290},
                            {kSection, "ROUTING & AMP", 540, 8, 340, 290},
                            {kSection, "FILTER 2", 890, 8, 520, 290},
                            {kSection, "FILTER ENVELOPE", 10, 308, 342, 244},
                            {kSection, "AMP ENVELOPE", 362, 308, 342, 244},
                            {kSection, "ENVELOPE 3", 714, 308, 342, 244},
                            {kSection, "ENVELOPE 4", 1066, 308, 344, 244}};
constexpr Box kModulation[] = {{kSection, "LFO 1", 10, 8, 560, 176},
                               {kSection, "LFO 2", 10, 192, 560, 176},
                               {kSection, "LFO 3", 10, 376, 560, 176},
                               {kSection, "MODULATION MATRIX", 580, 8, 830, 372},
                               {kSection, "MODIFIERS", 580, 388, 830, 164}};
constexpr Box kEffects[] = {{kSection, "EFFECT 1", 10, 8, 560, 290},
                            {kSection, "EFFECT 2", 580, 8, 580, 290},
                            {kSection, "EFFECT MIX", 1170, 8, 240, 290},
                            {kSection, "ARPEGGIATOR", 10, 308, 400, 244},
                            {kSection, "PATTERN", 420, 308, 990, 244}};
constexpr Box kMultiSettings[] = {{kSection, "MULTI", 10, 8, 440, 184},
                                  {kSection, "GLOBAL", 460, 8, 560, 184},
                                  {kSection, "MIDI & CLOCK", 1030, 8, 380, 184}};
constexpr Box kMultiMixer[] = {{kSection, "MIXER", 10, 0, 1400, 477},
                               {kStrips, "", 18, 24, 1376, 20}};
constexpr Box kQuickMixer[] = {{kSection, "QUICK MIXER", 10, 2, 1400, 117},
                               {kStrips, "", 18, 26, 1376, 16}};
constexpr Box kLibrarian[] = {{kSection, "BANKS", 10, 8, 1060, 544},
                              {kSection, "FILES", 1080, 8, 330, 260},
                              {kSection, "SEARCH & CATEGORY", 1080, 276, 330, 276}};
constexpr PageLayout kPages[kPageCount] = {{kOscillators, 6}, {kFilters, 7},       {kModulation, 5},
                                           {kEffects, 5},     {kMultiSettings, 3}, {kMultiMixer, 2},
                                           {kQuickMixer, 2},  {kLibrarian, 3}};

// The header (1500 x 72 at 0, 0): the tab strip goes at 180, 16; the central display's two
// lines at 876, 14 and 876, 38 (344 x 20 each).
constexpr Box kHeader[] = {{kRecess, "", 176, 12, 680, 48},
                           {kLcd, "", 868, 10, 360, 52},
                           {kRecess, "", 1240, 10, 248, 52}};
// The progress overlay (the whole editor): the two cancel buttons go at 835, 457 and 740, 83.
constexpr Box kOverlay[] = {{kRecess, "", 520, 240, 460, 270}, {kRecess, "", 440, 76, 620, 44}};
// ---------------------------------------------------------------------------------------

constexpr Rgb kDialogBand = hex(0x30343A);
const Palette& neutral() {
  static const Palette kNeutral{hex(0x1C1E22), hex(0x141518), hex(0xC9CED6), hex(0x3C4047),
                                kLcdDark,      kLcdDark,      kInk,          kAccent};
  return kNeutral;
}

void strips(Canvas& c, const Box& b) {
  for (int i = 0; i < 16; ++i) {
    char label[4];
    std::snprintf(label, sizeof label, "%d", i + 1);
    const int x = b.x + i * 86;
    if (i) c.rect(x, b.y + 4, 1, b.h - 8, hex(0x383C43));
    c.text(label, x, b.y, 86, b.h, 13, true, kInkDim);
  }
}

void boxes(Canvas& c, const Palette& p, const Box* list, int count) {
  for (int i = 0; i < count; ++i) {
    const Box& b = list[i];
    if (b.kind == kSection) section(c, p, b.title, b.x, b.y, b.w, b.h);
    if (b.kind == kRecess) recess(c, b.x, b.y, b.w, b.h);
    if (b.kind == kLcd) lcd(c, p, b.x, b.y, b.w, b.h);
    if (b.kind == kStrips) strips(c, b);
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
  c.gradient(f.x, f.y, f.w, 72, hex(0x24272B), hex(0x1A1C1F));
  brand(c, kInkDim, 16, 12);
  c.rect(f.x, 72, f.w, f.h - 72, hex(0x131416));
  c.gradient(f.x, 72, 80, f.h - 72, kRail, hex(0x141518));
  c.rect(79, 72, 1, f.h - 72, hex(0x0C0D0E));
  c.text("PART", 0, 76, 80, 16, 11, true, kInkFaint);
}

void paintHeader(Canvas& c, const Palette& p, const Frame& f) {
  chassis(c, p, f);
  c.rect(f.x, f.y + f.h - 1, f.w, 1, p.rule);
  brand(c, p.title, 18, 12);
  boxes(c, p, kHeader, 3);
}

void paintPage(Canvas& c, const Palette& p, const Frame& f) {
  const Palette& look = f.variant == kPageLibrarian ? neutral() : p;
  chassis(c, look, f);
  boxes(c, look, kPages[f.variant].boxes, kPages[f.variant].count);
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
  boxes(c, p, kOverlay, 2);
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
  c.text("LIBRARY TRANSFER", bar.x + 18, bar.y, 260, bar.h, 13, true, kInkDim, Align::Left);
}

void paintBrowser(Canvas& c, const Palette&, const Frame& f) {
  c.rect(f.x, f.y, f.w, f.h, kPlate);
  for (int list = 0; list < 2; ++list) {
    const int top = f.y + (list ? 274 : 1);
    for (int col = 0; col < 8; ++col)
      for (int row = 0; row < 16; ++row)
        c.rect(f.x + col * 133, top + row * 14, 105, 14, row % 2 ? hex(0x2A2E34) : hex(0x30343B));
  }
  c.rect(f.x, f.y + 249, f.w, 1, kInkFaint);
  c.text("EDIT BANK", f.x + 4, f.y + 229, 300, 18, 11, true, kInkDim, Align::Left);
  c.text("SOURCE", f.x + 4, f.y + 253, 300, 18, 11, true, kInkDim, Align::Left);
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
      lcd(c, neutral(), f.x + 200, f.y + 190, 280, 28);
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
          "Sizes and colours are chosen in the settings."};
      lines(c, kText, 7, f.x + 28, f.y + 56, f.w - 56, kInk);
      return;
    }
    case kDialogRename:
      dialogFrame(c, f, "RENAME");
      c.text("NAME", f.x + 20, f.y + 56, 60, 30, 12, true, kInkDim, Align::Left);
      c.roundRect(f.x + 80, f.y + 56, f.w - 100, 30, 4, kLcdDark);
      return;
    case kDialogConflict: {
      dialogFrame(c, f, "BANK CONFLICT");
      static const char* const kText[] = {"The synthesizer's bank differs from the library's.",
                                          "Overwrite it, recall it into the library,",
                                          "or discard the changes."};
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
