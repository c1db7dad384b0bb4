#pragma once

#include "toolkit/gfx/detail/Area.h"
#include "toolkit/gfx/detail/Combine.h"

namespace gfx_internal {

// Draws one colour through a drawing mode, clipped to the bitmap. Internal to the engine.
class Plotter {
 public:
  Plotter(GFX_IBitmap* dest, unsigned int colour, float alpha, int mode)
      : mDest(dest),
        mColour(colour),
        mWeight(dest ? weightOf(alpha) : 0),
        mCombine(rowCombiner(mode)) {}

  bool active() const { return mWeight > 0; }

  // coverage 0..1 scales the weight. 64-bit coordinates, so that neighbours of the extreme
  // ints can be asked for.
  void pixel(long long x, long long y, float coverage = 1.f) {
    if (x < 0 || y < 0 || x >= mDest->getWidth() || y >= mDest->getHeight()) return;
    const int w = coverage >= 1.f ? mWeight : (int)(mWeight * coverage + 0.5f);
    if (w > 0) mCombine(rowOf(mDest, (int)y) + x, &mColour, 1, 0, w);
  }

  // Pixels [x0, x1) of row y. Cut in 64 bits: ends beyond the int range must not wrap.
  void span(int y, long long x0, long long x1) {
    if (y < 0 || y >= mDest->getHeight()) return;
    const long long a = std::max(x0, 0LL), b = std::min(x1, (long long)mDest->getWidth());
    if (a < b) mCombine(rowOf(mDest, y) + a, &mColour, (int)(b - a), 0, mWeight);
  }

  GFX_IBitmap* dest() const { return mDest; }

 private:
  GFX_IBitmap* mDest;
  uint32_t mColour;
  int mWeight;
  RowCombiner mCombine;
};

}  // namespace gfx_internal
