#include <gtest/gtest.h>

#include <cmath>

#include "Pixels.h"
#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/Draw.h"

using namespace gfx_test;

namespace {

const uint32_t kDest = GFX_Pixel(255, 100, 200, 50);
const uint32_t kSource = GFX_Pixel(255, 100, 100, 100);
const uint32_t kBlack = GFX_Pixel(0, 0, 0, 0), kWhite = GFX_Pixel(255, 255, 255, 255);

}  // namespace

// One destination pixel combined with one source pixel; the expected values
// are worked out by hand from each mode's formula.
TEST(Modes, EachModeCombinesAsItsFormulaSays) {
  const uint32_t halfBlack = GFX_Pixel(128, 0, 0, 0), clear = GFX_Pixel(0, 100, 200, 50);
  const struct {
    const char* name;
    uint32_t dest, source;
    float weight;
    int mode;
    uint32_t expected;
  } cases[] = {
      // clang-format off
      {"copy", kDest, kSource, 1.f, GFX_MODE_COPY, kSource},
      {"add", kDest, kSource, 1.f, GFX_MODE_ADD, GFX_Pixel(255, 200, 255, 150)},
      {"dodge", kDest, kSource, 1.f, GFX_MODE_DODGE, GFX_Pixel(255, 164, 255, 82)},
      {"dodge by white", kDest, GFX_Pixel(255, 255, 0, 255), 1.f, GFX_MODE_DODGE, GFX_Pixel(255, 255, 200, 255)},
      {"multiply", kDest, kSource, 1.f, GFX_MODE_MULTIPLY, GFX_Pixel(255, 39, 78, 20)},
      {"overlay", kDest, kSource, 1.f, GFX_MODE_OVERLAY, GFX_Pixel(255, 78, 188, 39)},
      {"unknown copies", kDest, kSource, 1.f, 9, kSource},
      {"hue turned a third", GFX_Pixel(255, 0, 0, 255), GFX_Pixel(255, 85, 128, 128), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 255, 0, 0)},
      {"hsv neutral", kDest, GFX_Pixel(255, 0, 128, 128), 1.f, GFX_MODE_HSVADJUST, kDest},
      {"no saturation", kDest, GFX_Pixel(255, 0, 0, 128), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 200, 200, 200)},
      {"half value", GFX_Pixel(255, 200, 100, 50), GFX_Pixel(255, 0, 128, 64), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 100, 50, 25)},
      {"add at half weight", kDest, kSource, 0.5f, GFX_MODE_ADD, GFX_Pixel(255, 150, 228, 100)},
      {"weight 0", kDest, kSource, 0.f, GFX_MODE_COPY, kDest},
      {"weight NaN", kDest, kSource, NAN, GFX_MODE_COPY, kDest},
      {"weight 0 white on black", kBlack, kWhite, 0.f, GFX_MODE_COPY, kBlack},
      {"weight NaN white on black", kBlack, kWhite, NAN, GFX_MODE_COPY, kBlack},
      {"negative weight", kBlack, kWhite, -0.5f, GFX_MODE_ADD, kBlack},
      {"weight above 1", kDest, kSource, 7.f, GFX_MODE_COPY, kSource},
      {"copy takes alpha", kDest, GFX_Pixel(10, 1, 2, 3), 1.f, GFX_MODE_COPY, GFX_Pixel(10, 1, 2, 3)},
      {"source alpha weights", kDest, halfBlack, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA, GFX_Pixel(255, 50, 99, 25)},
      {"alpha laid over", clear, halfBlack, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA, GFX_Pixel(128, 50, 99, 25)},
      {"transparent leaves", kDest, GFX_Pixel(0, 1, 2, 3), 1.f, GFX_MODE_ADD | GFX_MODE_SRCALPHA, kDest},
      {"opaque replaces", clear, kSource, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA, kSource},
      {"add builds alpha", GFX_Pixel(0, 10, 10, 10), GFX_Pixel(255, 20, 20, 20), 1.f, GFX_MODE_ADD | GFX_MODE_SRCALPHA, GFX_Pixel(255, 30, 30, 30)},
      // clang-format on
  };
  for (const auto& c : cases) {
    GFX_MemBitmap d(1, 1), s(1, 1);
    d.getBits()[0] = c.dest;
    s.getBits()[0] = c.source;
    GFX_Blit(&d, &s, 0, 0, 0, 0, 1, 1, c.weight, c.mode);
    EXPECT_EQ(d.getBits()[0], c.expected) << c.name;
  }
}

TEST(Modes, FillsPixelsAndClearsUseTheSameArithmetic) {
  GFX_MemBitmap b(3, 1);
  fill(&b, kDest);
  GFX_FillRect(&b, 0, 0, 2, 1, kSource, 1.f, GFX_MODE_MULTIPLY);
  GFX_PutPixel(&b, 2, 0, kSource, 0.5f, GFX_MODE_ADD);
  EXPECT_EQ(GFX_GetPixel(&b, 1, 0), GFX_Pixel(255, 39, 78, 20));
  EXPECT_EQ(GFX_GetPixel(&b, 2, 0), GFX_Pixel(255, 150, 228, 100));
  GFX_MemBitmap c(4, 4);
  fill(&c, kDest);
  GFX_ClearRect(&c, 1, 1, 2, 5, 0xFFFFFF00u, 0x7);
  EXPECT_TRUE(pixelsAre(&c, [](int x, int y) {
    return x >= 1 && x < 3 && y >= 1 ? (kDest & 0xFFFFFF00u) | 7 : kDest;
  }));
}
