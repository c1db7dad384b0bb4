#pragma once

#include <algorithm>
#include <cmath>

#include "toolkit/gfx/Bitmap.h"

namespace gfx_internal {

// A half-open pixel rectangle [x0, x1) x [y0, y1).
struct Area {
  int x0, y0, x1, y1;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// (x, y, w, h) cut to the bitmap; computed in 64 bits so that no sum overflows.
inline Area clipToBitmap(GFX_IBitmap* bitmap, long long x, long long y, long long w, long long h) {
  if (!bitmap || w <= 0 || h <= 0) return {0, 0, 0, 0};
  const long long W = bitmap->getWidth(), H = bitmap->getHeight();
  return {(int)std::clamp(x, 0LL, W), (int)std::clamp(y, 0LL, H), (int)std::clamp(x + w, 0LL, W),
          (int)std::clamp(y + h, 0LL, H)};
}

// floor(v) as a coordinate, held far outside any bitmap so that no cast overflows; NaN is 0.
inline long long floorCoord(double v) {
  if (std::isnan(v)) return 0;
  return (long long)std::floor(std::clamp(v, -1e15, 1e15));
}

// The box [x0, x1] x [y0, y1], rounded outwards, cut to the bitmap.
inline Area clipBox(GFX_IBitmap* bitmap, double x0, double y0, double x1, double y1) {
  const long long left = floorCoord(x0), top = floorCoord(y0);
  return clipToBitmap(bitmap, left, top, 1 - floorCoord(-x1) - left, 1 - floorCoord(-y1) - top);
}

inline unsigned int* rowOf(GFX_IBitmap* bitmap, int y) {
  return bitmap->getBits() + (long long)y * bitmap->getRowSpan();
}

}  // namespace gfx_internal
