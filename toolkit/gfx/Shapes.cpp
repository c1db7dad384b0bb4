#include "toolkit/gfx/Shapes.h"

#include <algorithm>
#include <cmath>

#include "toolkit/gfx/detail/Plot.h"

using namespace gfx_internal;

namespace {

constexpr double kTwoPi = 6.283185307179586;

bool finite(float a, float b, float c) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

// Visits every pixel of the box [x0, x1] x [y0, y1] (rounded outwards) inside the bitmap.
template <class Visit>
void forBox(GFX_IBitmap* dest, double x0, double y0, double x1, double y1, Visit visit) {
  const Area area = clipBox(dest, x0, y0, x1, y1);
  for (int y = area.y0; y < area.y1; ++y)
    for (int x = area.x0; x < area.x1; ++x) visit(x, y);
}

float ringCoverage(double distance, double r, bool antialias) {
  const double off = std::fabs(distance - r);
  if (antialias) return (float)std::max(0.0, 1.0 - off);
  return off <= 0.5 ? 1.f : 0.f;
}

// The ring of radius r about (cx, cy), restricted to the pixels that accept (dx, dy).
template <class Accept>
void ring(Plotter& plot, double cx, double cy, double r, bool antialias, double x0, double y0,
          double x1, double y1, Accept accept) {
  forBox(plot.dest(), x0, y0, x1, y1, [&](int x, int y) {
    const double dx = x - cx, dy = y - cy;
    if (!accept(dx, dy)) return;
    const float coverage = ringCoverage(std::hypot(dx, dy), r, antialias);
    if (coverage > 0) plot.pixel(x, y, coverage);
  });
}

void circleRing(Plotter& plot, double cx, double cy, double r, bool antialias, double from,
                double sweep) {
  const bool whole = sweep >= kTwoPi;
  ring(plot, cx, cy, r, antialias, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1,
       [&](double dx, double dy) {
         if (whole) return true;
         // 0 points up and angles grow clockwise (y grows downwards).
         const double angle = std::atan2(dx, -dy);
         double offset = std::fmod(angle - from, kTwoPi);
         if (offset < 0) offset += kTwoPi;
         return offset <= sweep;
       });
}

}  // namespace

void GFX_Circle(GFX_IBitmap* dest, float cx, float cy, float r, unsigned int colour, float alpha,
                int mode, bool antialias) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active() || !finite(cx, cy, r) || r < 0) return;
  circleRing(plot, cx, cy, r, antialias, 0, kTwoPi);
}

void GFX_FillCircle(GFX_IBitmap* dest, float cx, float cy, float r, unsigned int colour,
                    float alpha, int mode, bool antialias) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active() || !finite(cx, cy, r) || r < 0) return;
  forBox(dest, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1, [&](int x, int y) {
    const double distance = std::hypot(x - (double)cx, y - (double)cy);
    const float coverage =
        antialias ? (float)std::clamp(r + 0.5 - distance, 0.0, 1.0) : (distance <= r ? 1.f : 0.f);
    if (coverage > 0) plot.pixel(x, y, coverage);
  });
}

void GFX_Arc(GFX_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
             unsigned int colour, float alpha, int mode, bool antialias) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active() || !finite(cx, cy, r) || !finite(minAngle, maxAngle, 0) || r < 0) return;
  if (maxAngle < minAngle) std::swap(minAngle, maxAngle);
  circleRing(plot, cx, cy, r, antialias, minAngle, (double)maxAngle - minAngle);
}

void GFX_RoundRect(GFX_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                   unsigned int colour, float alpha, int mode, bool antialias) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active() || !finite(x, y, 0) || !finite(w, h, 0) || w < 1 || h < 1) return;
  const long long X = floorCoord(x), Y = floorCoord(y);
  const long long W = floorCoord(w), H = floorCoord(h), R = X + W - 1, B = Y + H - 1;
  if (W <= 2 || H <= 2) {  // no inside: every pixel is outline
    for (long long row = std::max(Y, 0LL); row <= B && row < dest->getHeight(); ++row)
      plot.span((int)row, X, R + 1);
    return;
  }
  // Corners may not meet, so that no pixel is drawn twice.
  const long long c = std::clamp((long long)cornerradius, 0LL, std::min((W - 2) / 2, (H - 2) / 2));
  if (Y >= INT32_MIN && Y <= INT32_MAX) plot.span((int)Y, X + c + 1, R - c);
  if (B >= INT32_MIN && B <= INT32_MAX) plot.span((int)B, X + c + 1, R - c);
  for (long long row = std::max(Y + c + 1, 0LL); row < B - c && row < dest->getHeight(); ++row) {
    plot.span((int)row, X, X + 1);
    plot.span((int)row, R, R + 1);
  }
  const double corners[4][2] = {{(double)X + c, (double)Y + c},
                                {(double)R - c, (double)Y + c},
                                {(double)X + c, (double)B - c},
                                {(double)R - c, (double)B - c}};
  for (int k = 0; k < 4; ++k) {
    const double cx = corners[k][0], cy = corners[k][1];
    const double x0 = k & 1 ? cx : cx - c, y0 = k & 2 ? cy : cy - c;
    ring(plot, cx, cy, (double)c, antialias, x0, y0, x0 + c, y0 + c,
         [](double, double) { return true; });
  }
}

void GFX_FillTriangle(GFX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      unsigned int colour, float alpha, int mode) {
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  GFX_FillConvexPolygon(dest, xs, ys, 3, colour, alpha, mode);
}

void GFX_FillConvexPolygon(GFX_IBitmap* dest, const int* xs, const int* ys, int count,
                           unsigned int colour, float alpha, int mode) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active() || !xs || !ys || count < 3) return;
  const auto [minY, maxY] = std::minmax_element(ys, ys + count);
  TK_TypedBuf<double> crossings(count * (int)sizeof(double));
  if (!crossings.Resize(count, false)) return;
  double* cross = crossings.Get();
  const int top = std::max(*minY, 0), bottom = std::min(*maxY, dest->getHeight());
  for (int y = top; y < bottom; ++y) {
    const double centre = y + 0.5;
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const int j = (i + 1) % count;
      const double ya = ys[i], yb = ys[j];
      if ((ya <= centre) == (yb <= centre)) continue;
      cross[n++] = xs[i] + (centre - ya) * ((double)xs[j] - xs[i]) / (yb - ya);
    }
    std::sort(cross, cross + n);
    for (int k = 0; k + 1 < n; k += 2)
      plot.span(y, (long long)std::ceil(cross[k] - 0.5), (long long)std::ceil(cross[k + 1] - 0.5));
  }
}
