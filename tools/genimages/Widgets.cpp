// Control tiles shared by both styles: knobs, keys, lights, switches, faders and selectors.
#include <cmath>
#include <cstdio>

#include "tools/genimages/detail/Widgets.h"

using namespace look;

namespace {

constexpr float kSweep = 150.f * 3.14159265f / 180.f;  // each side of straight up

float valueOf(int frame, int frames) {
  return frames > 1 ? (float)frame / (frames - 1) : 0.f;
}

}  // namespace

void paintKnob(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  const float s = w / 56.f;
  const float cx = x + w * 0.5f, cy = y + w * 0.5f;
  const float arcR = 22.5f * s, cap = 15.5f * s, stroke = std::max(2.f, 3.2f * s);
  const float angle = -kSweep + 2 * kSweep * valueOf(frame, frames);
  // Stepped knobs mark their positions.
  if (frames <= 25)
    for (int i = 0; i < frames; ++i) {
      const float a = -kSweep + 2 * kSweep * valueOf(i, frames);
      c.circle(cx + 26.5f * s * std::sin(a), cy - 26.5f * s * std::cos(a), 1.1f * s,
               i == frame ? kAccent : kInkFaint);
    }
  c.arc(cx, cy, arcR, stroke, -kSweep, kSweep, hex(0x3A3E45));
  if (angle > -kSweep + 0.01f) c.arc(cx, cy, arcR, stroke, -kSweep, angle, kAccent);
  c.circle(cx, cy + 1.5f * s, cap + 1.5f * s, hex(0x121316));
  c.circleGradient(cx, cy, cap, hex(0x565B63), hex(0x2B2E33));
  c.circleGradient(cx, cy, cap - 2.2f * s, hex(0x40444B), hex(0x33363C));
  c.line(cx + 5.f * s * std::sin(angle), cy - 5.f * s * std::cos(angle),
         cx + (cap - 3.f * s) * std::sin(angle), cy - (cap - 3.f * s) * std::cos(angle),
         std::max(2.f, 2.6f * s), kInk);
}

void paintBigKnob(Canvas& c, const Palette& p, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  paintKnob(c, p, f);
  const float cx = x + w * 0.5f, cy = y + w * 0.5f;
  c.ring(cx, cy, w * 0.5f - 1.5f, 1.f, kAccentDim);
}

void paintKey(Canvas& c, const Palette&, const Frame& f) {
  key(c, f.x + 1, f.y + 1, f.w - 2, f.h - 2, f.label, f.frame == 1);
}

void paintDotKey(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  key(c, x + 1, y + 1, w - 2, h - 2, "", false);
  c.circle(x + w * 0.5f, y + h * 0.5f, 2.f, frame ? kAccent : kInkDim);
}

// A part's on switch, filled while the part plays: its number, or ON for the one without.
void paintMute(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  char text[8];
  std::snprintf(text, sizeof text, variant > 0 ? "%d" : "ON", variant);
  if (frame == 0) {
    key(c, x + 1, y + 1, w - 2, h - 2, text, false);
    return;
  }
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 4, hex(0x15171A));
  c.roundRectGradient(x + 2, y + 2, w - 4, h - 4, 3, mix(kAccent, hex(0xFFFFFF), 0.15f), kAccent);
  c.text(text, x, y, w, h, 12, true, hex(0x1A1C20));
}

void paintMidiLed(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  led(c, x + w * 0.5f, y + h * 0.5f, std::min(w, h) * 0.5f - 3.f, frame == 1);
}

void paintMidiLedInverse(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  led(c, x + w * 0.5f, y + h * 0.5f, std::min(w, h) * 0.5f - 3.f, frame == 0, hex(0x4CD06A));
}

void paintArpPower(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  key(c, x + 1, y + 1, w - 2, h - 2, "", frame == 1);
  const float cx = x + w * 0.5f, cy = y + h * 0.5f - 1, r = h * 0.22f;
  const Rgb ink = frame ? kAccent : kInkDim;
  c.arc(cx, cy, r, 2.f, 0.6f, 2 * 3.14159265f - 0.6f, ink);
  c.line(cx, cy - r - 1.5f, cx, cy - 1, 2.f, ink);
}

void paintDataType(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  // Frame 1 picks sounds, frame 2 multis: a switch, not a radio strip.
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 5, hex(0x15171A));
  const int half = (w - 4) / 2;
  key(c, x + 2, y + 2, half, h - 4, "SOUNDS", frame == 0);
  key(c, x + 2 + half, y + 2, half, h - 4, "MULTIS", frame == 1);
}

void paintArrow(Canvas& c, int x, int y, int w, int h, int frame, bool up) {
  key(c, x + 1, y + 1, w - 2, h - 2, "", frame == 1);
  const float cx = x + w * 0.5f, cy = y + h * 0.5f, s = std::min(w, h) * 0.2f;
  const float d = up ? -1.f : 1.f;
  c.triangle(cx - s, cy - d * s * 0.5f, cx + s, cy - d * s * 0.5f, cx, cy + d * s * 0.7f,
             frame ? kAccent : kInk);
}

void paintPatchUp(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  paintArrow(c, x, y, w, h, frame, true);
}

void paintPatchDown(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  paintArrow(c, x, y, w, h, frame, false);
}

void paintSearch(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  key(c, x + 1, y + 1, w - 2, h - 2, "", frame == 1);
  const float cx = x + w * 0.45f, cy = y + h * 0.45f, r = h * 0.2f;
  const Rgb ink = frame ? kAccent : kInk;
  c.ring(cx, cy, r, 2.f, ink);
  c.line(cx + r * 0.7f, cy + r * 0.7f, cx + r * 1.7f, cy + r * 1.7f, 2.5f, ink);
}

void paintOffOn(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  const float r = h * 0.5f - 2;
  c.roundRect(x + 2, y + 2, w - 4, h - 4, r, frame ? kAccent : hex(0x17191C));
  const float knobX = frame ? x + w - 2 - r : x + 2 + r;
  c.circleGradient(knobX, y + h * 0.5f, r - 2, hex(0xF4F5F7), hex(0xB9BEC5));
}

void paintCheckbox(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 3, frame ? kAccent : hex(0x6A7078));
  c.roundRect(x + 2.5f, y + 2.5f, w - 5, h - 5, 2, frame ? kAccent : hex(0x17191C));
  if (frame) {
    c.line(x + w * 0.25f, y + h * 0.52f, x + w * 0.43f, y + h * 0.7f, 2.2f, hex(0x17191C));
    c.line(x + w * 0.43f, y + h * 0.7f, x + w * 0.76f, y + h * 0.3f, 2.2f, hex(0x17191C));
  }
}

void paintSmallLedKey(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  key(c, x + 1, y + 1, w - 2, h - 2, "", false);
  led(c, x + w * 0.5f, y + h * 0.5f, std::min(w, h) * 0.22f, frame == 1);
}

void paintLock(Canvas& c, int x, int y, int w, int h, int frame, Rgb lit, Rgb ink) {
  const float cx = x + w * 0.5f, cy = y + h * 0.5f;
  if (frame) c.roundRect(x + 1, y + 1, w - 2, h - 2, 4, lit);
  const Rgb line = frame ? ink : kInkDim;
  c.roundRect(cx - 5, cy - 1, 10, 8, 1.5f, line);
  // Open shackle at rest, closed when locked.
  const float lift = frame ? 0.f : 3.f;
  c.arc(cx, cy - 2 - lift, 3.5f, 1.8f, -1.5708f, 1.5708f, line);
  c.line(cx + 3.5f, cy - 2 - lift, cx + 3.5f, cy, 1.8f, line);
  if (frame) c.line(cx - 3.5f, cy - 2, cx - 3.5f, cy, 1.8f, line);
}

void paintLockWhite(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  paintLock(c, x, y, w, h, frame, hex(0x4A4F57), kInk);
}

void paintLockBlack(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  paintLock(c, x, y, w, h, frame, kAccent, hex(0x101114));
}

void paintGears(Canvas& c, const Palette& p, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  key(c, x + 1, y + 1, w - 2, h - 2, "", frame == 1, p.glyph);
  const float cx = x + w * 0.5f, cy = y + h * 0.5f - (frame ? 1 : 0), r = std::min(w, h) * 0.24f;
  const Rgb ink = frame ? p.glyph : kInk;
  for (int i = 0; i < 8; ++i) {
    const float a = i * 3.14159265f / 4;
    c.line(cx + r * std::sin(a), cy - r * std::cos(a), cx + (r + 3) * std::sin(a),
           cy - (r + 3) * std::cos(a), 3.f, ink);
  }
  c.circle(cx, cy, r + 0.5f, ink);
  c.circle(cx, cy, r * 0.45f, frame ? hex(0x363A40) : kKeyTop);
}

void paintFaderVertical(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 3, hex(0x0F1012));
  c.roundRectGradient(x + 2, y + 1, w - 4, h - 3, 2, hex(0x6A7078), hex(0x3E4249));
  c.rect(x + 4, y + h / 2 - 1, w - 8, 2, kAccent);
}

void paintFaderHorizontal(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  c.roundRect(x + 1, y + 1, w - 2, h - 2, 3, hex(0x0F1012));
  c.roundRectGradient(x + 1, y + 2, w - 3, h - 4, 2, hex(0x6A7078), hex(0x3E4249));
  c.rect(x + w / 2 - 1, y + 4, 2, h - 8, kAccent);
}

void paintTabStrip(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  static const char* kTabs[] = {"MULTI", "LIBRARY", "OSC", "FILTER / ENV", "LFO / MOD", "FX / ARP"};
  const int n = 6, bw = w / n;
  for (int i = 0; i < n; ++i) {
    const int bx = x + i * bw;
    if (frame) {
      c.roundRectGradient(bx + 3, y + 3, bw - 6, h - 6, 5, hex(0x474C54), hex(0x383C43));
      c.roundRect(bx + 14, y + h - 7, bw - 28, 3, 1.5f, kAccent);
    } else if (i) {
      c.rect(bx, y + 10, 1, h - 20, hex(0x3A3E45));
    }
    c.text(kTabs[i], bx, y, bw, h - 2, 13, true, frame ? kInk : kInkDim);
  }
}

void paintPartStrip(Canvas& c, const Palette&, const Frame& f) {
  [[maybe_unused]] const auto [x, y, w, h, frame, frames, variant, label] = f;
  const int n = 16, bh = h / n;
  for (int i = 0; i < n; ++i) {
    const int by = y + i * bh;
    char label[4];
    std::snprintf(label, sizeof label, "%d", i + 1);
    if (frame) {
      c.roundRectGradient(x + 6, by + 3, w - 10, bh - 6, 5, hex(0x454A52), hex(0x363A40));
      c.roundRect(x + 2, by + 8, 3, bh - 16, 1.5f, kAccent);
    } else {
      c.roundRect(x + 6, by + 3, w - 10, bh - 6, 5, kPlate);
    }
    c.text(label, x + 6, by, w - 10, bh, 15, true, frame ? kInk : kInkDim);
  }
}
