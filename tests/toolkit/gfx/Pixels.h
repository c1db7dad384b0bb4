#pragma once

#include <cstdint>
#include <functional>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"

// Helpers of the engine's tests.
namespace gfx_test {

inline int red(uint32_t p) {
  return (p >> 8) & 0xff;
}

inline void fill(GFX_IBitmap* b, uint32_t colour) {
  GFX_FillRect(b, 0, 0, b->getWidth(), b->getHeight(), colour, 1.f, GFX_MODE_COPY);
}

// Every pixel distinct: red = x, green = y, blue = 7, opaque.
inline void pattern(GFX_IBitmap* b) {
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      b->getBits()[y * b->getRowSpan() + x] = GFX_Pixel(255, x, y, 7);
}

struct Box {
  int left, top, right, bottom;  // exclusive right and bottom; left > right when nothing is lit
};

// The box of the pixels whose red channel is not 0.
inline Box inkBox(GFX_IBitmap* b) {
  Box box = {b->getWidth(), b->getHeight(), 0, 0};
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (red(GFX_GetPixel(b, x, y))) {
        box.left = x < box.left ? x : box.left;
        box.top = y < box.top ? y : box.top;
        box.right = x + 1 > box.right ? x + 1 : box.right;
        box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
      }
  return box;
}

// Whether every pixel of b is expected(x, y); names the first that is not.
inline ::testing::AssertionResult pixelsAre(GFX_IBitmap* b,
                                            const std::function<uint32_t(int, int)>& expected) {
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (GFX_GetPixel(b, x, y) != expected(x, y))
        return ::testing::AssertionFailure() << "differs at " << x << "," << y;
  return ::testing::AssertionSuccess();
}

// Draws with draw(bitmap, dx, dy) into a large bitmap, shifted so that nothing is clipped,
// and into a small one that the drawing overhangs at every edge, and tells whether the small
// one equals the matching window of the large one.
inline ::testing::AssertionResult clipsConsistently(
    const std::function<void(GFX_IBitmap*, int, int)>& draw) {
  constexpr int kSmall = 10, kShift = 30;
  GFX_MemBitmap big(kSmall + 2 * kShift, kSmall + 2 * kShift), small(kSmall, kSmall, 4);
  fill(&big, GFX_Pixel(255, 9, 9, 9));
  fill(&small, GFX_Pixel(255, 9, 9, 9));
  draw(&big, kShift, kShift);
  draw(&small, 0, 0);
  for (int y = 0; y < kSmall; ++y)
    for (int x = 0; x < kSmall; ++x)
      if (GFX_GetPixel(&small, x, y) != GFX_GetPixel(&big, x + kShift, y + kShift))
        return ::testing::AssertionFailure() << "differs at " << x << "," << y;
  return ::testing::AssertionSuccess();
}

}  // namespace gfx_test
