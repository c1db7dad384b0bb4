#include <gtest/gtest.h>

#include <algorithm>
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
      {"hsv neutral, last sixth", GFX_Pixel(255, 255, 0, 128), GFX_Pixel(255, 0, 128, 128), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 255, 0, 128)},
      {"grey has no hue to turn", GFX_Pixel(255, 90, 90, 90), GFX_Pixel(255, 85, 128, 128), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 90, 90, 90)},
      {"no saturation", kDest, GFX_Pixel(255, 0, 0, 128), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 200, 200, 200)},
      {"half value", GFX_Pixel(255, 200, 100, 50), GFX_Pixel(255, 0, 128, 64), 1.f, GFX_MODE_HSVADJUST, GFX_Pixel(255, 100, 50, 25)},
      {"add at half weight", kDest, kSource, 0.5f, GFX_MODE_ADD, GFX_Pixel(255, 150, 228, 100)},
      {"weight 0", kDest, kSource, 0.f, GFX_MODE_COPY, kDest},
      {"weight NaN", kDest, kSource, NAN, GFX_MODE_COPY, kDest},
      {"weight 0 white on black", kBlack, kWhite, 0.f, GFX_MODE_COPY, kBlack},
      {"weight NaN white on black", kBlack, kWhite, NAN, GFX_MODE_COPY, kBlack},
      {"negative weight", kBlack, kWhite, -0.5f, GFX_MODE_ADD, kBlack},
      {"weight above 1", kDest, kSource, 7.f, GFX_MODE_COPY, kSource},
      {"add, weight just above 1", kDest, kSource, 1.5f, GFX_MODE_ADD, GFX_Pixel(255, 200, 255, 150)},
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
  GFX_MemBitmap middle(4, 4);  // rows below a clear inside the bitmap stay
  fill(&middle, kDest);
  GFX_ClearRect(&middle, 0, 1, 4, 2, 0xFFFFFF00u, 0x7);
  EXPECT_TRUE(pixelsAre(
      &middle, [](int, int y) { return y == 1 || y == 2 ? (kDest & 0xFFFFFF00u) | 7 : kDest; }));
}

namespace {

int channelOf(uint32_t p, int shift) {
  return (int)(p >> shift) & 0xff;
}

// One colour channel of each mode as the mode table defines it.
int modeChannel(int mode, int s, int d) {
  switch (mode) {
    case GFX_MODE_ADD:
      return std::min(255, s + d);
    case GFX_MODE_DODGE:
      return s == 255 ? 255 : std::min(255, d * 255 / (255 - s));
    case GFX_MODE_MULTIPLY:
      return (s * d + 127) / 255;
    case GFX_MODE_OVERLAY:
      return d < 128 ? (2 * s * d + 127) / 255 : 255 - (2 * (255 - s) * (255 - d) + 127) / 255;
    default:
      return s;
  }
}

// The pixel that source s drawn over d leaves, by the definitions of weight, mixing and alpha.
uint32_t definedPixel(uint32_t s, uint32_t d, float alpha, int mode) {
  int w = (int)std::lround(std::clamp(alpha, 0.f, 1.f) * 256);
  const bool srcAlpha = (mode & GFX_MODE_SRCALPHA) != 0;
  const int sa = channelOf(s, 0), da = channelOf(d, 0);
  if (srcAlpha) w = w * (sa + sa / 128) / 256;
  if (w == 0) return d;
  const auto mix = [&](int c, int dc) { return (c * w + dc * (256 - w) + 128) / 256; };
  int out[4];
  out[0] = srcAlpha ? da + ((255 - da) * w + 128) / 256 : mix(sa, da);
  for (int k = 1; k < 4; ++k)
    out[k] = mix(modeChannel(mode & GFX_MODE_MASK, channelOf(s, 8 * k), channelOf(d, 8 * k)),
                 channelOf(d, 8 * k));
  return GFX_Pixel(out[0], out[1], out[2], out[3]);
}

}  // namespace

// Every source value against every destination value of each channel, in every mode but the
// HSV one, at several weights, with and without the source's alpha, blitted and filled: each
// pixel is what the definitions give.
TEST(Modes, EveryPairOfValuesCombinesByTheDefinitions) {
  GFX_MemBitmap src(256, 256), dest(256, 256);
  const auto source = [](int x, int y) {
    return GFX_Pixel((x * 7 + y * 3) & 255, y, 255 - y, (y + 128) & 255);
  };
  const auto destination = [](int x, int y) {
    return GFX_Pixel((x + y * 5) & 255, x, (x + 77) & 255, 255 - x);
  };
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) src.getBits()[y * 256 + x] = source(x, y);
  for (int mode :
       {GFX_MODE_COPY, GFX_MODE_ADD, GFX_MODE_DODGE, GFX_MODE_MULTIPLY, GFX_MODE_OVERLAY})
    for (int srcAlpha : {0, (int)GFX_MODE_SRCALPHA})
      for (float alpha : {1.f, 0.5f, 0.3f, 1.f / 256}) {
        for (int y = 0; y < 256; ++y)
          for (int x = 0; x < 256; ++x) dest.getBits()[y * 256 + x] = destination(x, y);
        GFX_Blit(&dest, &src, 0, 0, 0, 0, 256, 256, alpha, mode | srcAlpha);
        EXPECT_TRUE(pixelsAre(&dest,
                              [&](int x, int y) {
                                return definedPixel(source(x, y), destination(x, y), alpha,
                                                    mode | srcAlpha);
                              }))
            << "mode " << mode << " source alpha " << srcAlpha << " weight " << alpha;
        // A fill lays one colour over a row of every destination value but the last.
        for (uint32_t colour : {source(200, 37), source(3, 250), source(81, 128)}) {
          GFX_MemBitmap row(256, 1);
          for (int x = 0; x < 256; ++x) row.getBits()[x] = destination(x, 0);
          GFX_FillRect(&row, 0, 0, 255, 1, colour, alpha, mode | srcAlpha);
          EXPECT_TRUE(pixelsAre(&row,
                                [&](int x, int) {
                                  return x == 255 ? destination(x, 0)
                                                  : definedPixel(colour, destination(x, 0), alpha,
                                                                 mode | srcAlpha);
                                }))
              << "fill, mode " << mode << " source alpha " << srcAlpha << " weight " << alpha;
        }
      }
}
