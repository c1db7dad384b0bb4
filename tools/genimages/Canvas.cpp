#include "tools/genimages/Canvas.h"

#include <algorithm>
#include <cmath>

#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/wsys/Font.h"

namespace {

constexpr float kPi = 3.14159265358979f;

unsigned int pixelOf(Rgb c) {
  return GFX_Pixel(255, c.r, c.g, c.b);
}

float roundRectDistance(float px, float py, float x, float y, float w, float h, float r) {
  const float hw = w * 0.5f, hh = h * 0.5f;
  const float qx = std::fabs(px - (x + hw)) - hw + r, qy = std::fabs(py - (y + hh)) - hh + r;
  const float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - r;
}

float segmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float len = dx * dx + dy * dy;
  const float t = len > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len, 0.f, 1.f) : 0.f;
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

// Clockwise from straight up.
float angleOf(float dx, float dy) {
  return std::atan2(dx, -dy);
}

}  // namespace

Rgb mix(Rgb a, Rgb b, float t) {
  auto m = [t](int p, int q) { return (int)std::lround(p + (q - p) * t); };
  return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

Canvas::Canvas(int w, int h, Rgb background) : mBitmap(w, h, 4), mWidth(w), mHeight(h) {
  rect(0, 0, w, h, background);
}

Canvas::~Canvas() = default;

void Canvas::rect(int x, int y, int w, int h, Rgb c) {
  GFX_FillRect(&mBitmap, x, y, w, h, pixelOf(c), 1.f, GFX_MODE_COPY);
}

void Canvas::gradient(int x, int y, int w, int h, Rgb top, Rgb bottom) {
  for (int i = 0; i < h; ++i)
    rect(x, y + i, w, 1, mix(top, bottom, h > 1 ? (float)i / (h - 1) : 0));
}

void Canvas::blend(int x, int y, Rgb c, float a) {
  unsigned int& p = mBitmap.getBits()[y * mBitmap.getRowSpan() + x];
  const Rgb d{(int)(p >> 8 & 255), (int)(p >> 16 & 255), (int)(p >> 24 & 255)};
  p = pixelOf(mix(d, c, a));
}

template <class Distance, class Colour>
void Canvas::shape(float x0, float y0, float x1, float y1, Distance distance, Colour colour,
                   float alpha) {
  const int ix0 = std::max(0, (int)std::floor(x0) - 1), iy0 = std::max(0, (int)std::floor(y0) - 1);
  const int ix1 = std::min(mWidth, (int)std::ceil(x1) + 1);
  const int iy1 = std::min(mHeight, (int)std::ceil(y1) + 1);
  for (int y = iy0; y < iy1; ++y)
    for (int x = ix0; x < ix1; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float coverage = std::clamp(0.5f - distance(px, py), 0.f, 1.f) * alpha;
      if (coverage > 0.f) blend(x, y, colour(py), coverage);
    }
}

void Canvas::roundRect(float x, float y, float w, float h, float r, Rgb c, float alpha) {
  shape(
      x, y, x + w, y + h,
      [=](float px, float py) { return roundRectDistance(px, py, x, y, w, h, r); },
      [c](float) { return c; }, alpha);
}

void Canvas::roundRectGradient(float x, float y, float w, float h, float r, Rgb top, Rgb bottom) {
  shape(
      x, y, x + w, y + h,
      [=](float px, float py) { return roundRectDistance(px, py, x, y, w, h, r); },
      [=](float py) { return mix(top, bottom, std::clamp((py - y) / h, 0.f, 1.f)); }, 1.f);
}

void Canvas::roundRectStroke(float x, float y, float w, float h, float r, float width, Rgb c,
                             float alpha) {
  shape(
      x, y, x + w, y + h,
      [=](float px, float py) {
        return std::fabs(roundRectDistance(px, py, x, y, w, h, r) + width * 0.5f) - width * 0.5f;
      },
      [c](float) { return c; }, alpha);
}

void Canvas::circle(float cx, float cy, float r, Rgb c, float alpha) {
  roundRect(cx - r, cy - r, 2 * r, 2 * r, r, c, alpha);
}

void Canvas::circleGradient(float cx, float cy, float r, Rgb top, Rgb bottom) {
  roundRectGradient(cx - r, cy - r, 2 * r, 2 * r, r, top, bottom);
}

void Canvas::ring(float cx, float cy, float r, float width, Rgb c, float alpha) {
  shape(
      cx - r - width, cy - r - width, cx + r + width, cy + r + width,
      [=](float px, float py) {
        return std::fabs(std::hypot(px - cx, py - cy) - r) - width * 0.5f;
      },
      [c](float) { return c; }, alpha);
}

void Canvas::arc(float cx, float cy, float r, float width, float from, float to, Rgb c) {
  const float mid = (from + to) * 0.5f, half = (to - from) * 0.5f;
  const float ex0 = cx + r * std::sin(from), ey0 = cy - r * std::cos(from);
  const float ex1 = cx + r * std::sin(to), ey1 = cy - r * std::cos(to);
  shape(
      cx - r - width, cy - r - width, cx + r + width, cy + r + width,
      [=](float px, float py) {
        // Inside the swept angle the distance is radial; beyond it, to the nearer round cap.
        float delta = angleOf(px - cx, py - cy) - mid;
        delta = std::remainder(delta, 2 * kPi);
        if (std::fabs(delta) <= half)
          return std::fabs(std::hypot(px - cx, py - cy) - r) - width * 0.5f;
        return std::min(std::hypot(px - ex0, py - ey0), std::hypot(px - ex1, py - ey1)) -
               width * 0.5f;
      },
      [c](float) { return c; }, 1.f);
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
  shape(
      std::min(x0, x1) - width, std::min(y0, y1) - width, std::max(x0, x1) + width,
      std::max(y0, y1) + width,
      [=](float px, float py) { return segmentDistance(px, py, x0, y0, x1, y1) - width * 0.5f; },
      [c](float) { return c; }, alpha);
}

void Canvas::triangle(float x0, float y0, float x1, float y1, float x2, float y2, Rgb c) {
  const float xs[3] = {x0, x1, x2}, ys[3] = {y0, y1, y2};
  const float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
  shape(
      std::min({x0, x1, x2}), std::min({y0, y1, y2}), std::max({x0, x1, x2}),
      std::max({y0, y1, y2}),
      [=](float px, float py) {
        float edge = 1e9f;
        bool inside = true;
        for (int i = 0; i < 3; ++i) {
          const int j = (i + 1) % 3;
          const float side = (xs[j] - xs[i]) * (py - ys[i]) - (ys[j] - ys[i]) * (px - xs[i]);
          if (side * area < 0) inside = false;
          edge = std::min(edge, segmentDistance(px, py, xs[i], ys[i], xs[j], ys[j]));
        }
        return inside ? -edge : edge;
      },
      [c](float) { return c; }, 1.f);
}

GFX_CachedFont* Canvas::font(int size, bool bold) {
  std::unique_ptr<GFX_CachedFont>& slot = mFonts[{size, bold}];
  if (!slot) {
    slot = std::make_unique<GFX_CachedFont>();
    slot->SetFromHFont(CreateFont(size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0,
                                  ANTIALIASED_QUALITY, 0, "DejaVu Sans"),
                       GFX_FONT_OWNS | GFX_FONT_NATIVE);
  }
  return slot.get();
}

void Canvas::text(const char* s, int x, int y, int w, int h, int size, bool bold, Rgb c,
                  Align align) {
  GFX_CachedFont* f = font(size, bold);
  f->SetTextColor(pixelOf(c));
  RECT box{x, y, x + w, y + h};
  const unsigned int flags = DT_NOCLIP | DT_VCENTER |
                             (align == Align::Centre  ? DT_CENTER
                              : align == Align::Right ? DT_RIGHT
                                                      : DT_LEFT);
  f->DrawText(&mBitmap, s, -1, &box, flags);
}

int Canvas::textWidth(const char* s, int size, bool bold) {
  RECT box{0, 0, 0, 0};
  font(size, bold)->DrawText(&mBitmap, s, -1, &box, DT_CALCRECT | DT_NOCLIP);
  return box.right - box.left;
}

void Canvas::paste(Canvas& from, int x, int y) {
  GFX_Blit(&mBitmap, &from.bitmap(), x, y, 0, 0, from.width(), from.height(), 1.f, GFX_MODE_COPY);
}
