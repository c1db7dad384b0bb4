#include <gtest/gtest.h>

#include <cmath>

#include "Pixels.h"
#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/Draw.h"

using namespace gfx_test;

namespace {

const uint32_t kDest = GFX_Pixel(255, 100, 200, 50);
const uint32_t kSource = GFX_Pixel(255, 100, 100, 100);

// One pixel of kDest-like colour combined with one source pixel.
uint32_t combine(uint32_t dest, uint32_t source, float alpha, int mode) {
  GFX_MemBitmap d(1, 1), s(1, 1);
  d.getBits()[0] = dest;
  s.getBits()[0] = source;
  GFX_Blit(&d, &s, 0, 0, 0, 0, 1, 1, alpha, mode);
  return d.getBits()[0];
}

}  // namespace

TEST(Modes, PixelLayoutIsAlphaRedGreenBlueFromTheLowByte) {
  EXPECT_EQ(GFX_Pixel(255, 1, 2, 3), 0x030201FFu);
  const uint32_t p = 0x030201FFu;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&p);
  EXPECT_EQ(bytes[0], 255);  // in memory: A, R, G, B
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[3], 3);
}

TEST(Modes, EachModeAtFullWeight) {
  EXPECT_EQ(combine(kDest, kSource, 1.f, GFX_MODE_COPY), kSource);
  EXPECT_EQ(combine(kDest, kSource, 1.f, GFX_MODE_ADD), GFX_Pixel(255, 200, 255, 150));
  EXPECT_EQ(combine(kDest, kSource, 1.f, GFX_MODE_DODGE), GFX_Pixel(255, 164, 255, 82));
  EXPECT_EQ(combine(kDest, kSource, 1.f, GFX_MODE_MULTIPLY), GFX_Pixel(255, 39, 78, 20));
  EXPECT_EQ(combine(kDest, kSource, 1.f, GFX_MODE_OVERLAY), GFX_Pixel(255, 78, 188, 39));
  // Dodge by white saturates; an unknown mode copies.
  EXPECT_EQ(combine(kDest, GFX_Pixel(255, 255, 0, 255), 1.f, GFX_MODE_DODGE),
            GFX_Pixel(255, 255, 200, 255));
  EXPECT_EQ(combine(kDest, kSource, 1.f, 9), kSource);
}

TEST(Modes, HsvAdjustTurnsHueAndScalesSaturationAndValue) {
  const uint32_t red = GFX_Pixel(255, 255, 0, 0);
  EXPECT_EQ(combine(red, GFX_Pixel(255, 85, 128, 128), 1.f, GFX_MODE_HSVADJUST),
            GFX_Pixel(255, 0, 255, 0));
  EXPECT_EQ(combine(kDest, GFX_Pixel(255, 0, 128, 128), 1.f, GFX_MODE_HSVADJUST), kDest);
  EXPECT_EQ(combine(kDest, GFX_Pixel(255, 0, 0, 128), 1.f, GFX_MODE_HSVADJUST),
            GFX_Pixel(255, 200, 200, 200));
  EXPECT_EQ(
      combine(GFX_Pixel(255, 200, 100, 50), GFX_Pixel(255, 0, 128, 64), 1.f, GFX_MODE_HSVADJUST),
      GFX_Pixel(255, 100, 50, 25));
}

TEST(Modes, WeightMixesResultWithDestination) {
  // Add at half weight: (c * 128 + d * 128 + 128) / 256.
  EXPECT_EQ(combine(kDest, kSource, 0.5f, GFX_MODE_ADD), GFX_Pixel(255, 150, 228, 100));
  EXPECT_EQ(combine(kDest, kSource, 0.f, GFX_MODE_COPY), kDest);
  EXPECT_EQ(combine(kDest, kSource, -1.f, GFX_MODE_COPY), kDest);
  EXPECT_EQ(combine(kDest, kSource, NAN, GFX_MODE_COPY), kDest);
  EXPECT_EQ(combine(kDest, kSource, 7.f, GFX_MODE_COPY), kSource);
  // Without source alpha a plain copy takes the source's alpha.
  EXPECT_EQ(combine(kDest, GFX_Pixel(10, 1, 2, 3), 1.f, GFX_MODE_COPY), GFX_Pixel(10, 1, 2, 3));
}

TEST(Modes, SourceAlphaWeightsAndLaysAlphaOver) {
  const uint32_t halfBlack = GFX_Pixel(128, 0, 0, 0);
  EXPECT_EQ(combine(kDest, halfBlack, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA),
            GFX_Pixel(255, 50, 99, 25));
  const uint32_t clearDest = GFX_Pixel(0, 100, 200, 50);
  EXPECT_EQ(alphaOf(combine(clearDest, halfBlack, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA)), 128);
  // A transparent source leaves the pixel; an opaque one replaces it.
  EXPECT_EQ(combine(kDest, GFX_Pixel(0, 1, 2, 3), 1.f, GFX_MODE_ADD | GFX_MODE_SRCALPHA), kDest);
  EXPECT_EQ(combine(clearDest, kSource, 1.f, GFX_MODE_COPY | GFX_MODE_SRCALPHA), kSource);
  // Add with source alpha into a cleared alpha channel builds the alpha up.
  EXPECT_EQ(combine(GFX_Pixel(0, 10, 10, 10), GFX_Pixel(255, 20, 20, 20), 1.f,
                    GFX_MODE_ADD | GFX_MODE_SRCALPHA),
            GFX_Pixel(255, 30, 30, 30));
}

TEST(Modes, FillsAndPixelsUseTheSameArithmetic) {
  GFX_MemBitmap b(3, 1);
  fill(&b, kDest);
  GFX_FillRect(&b, 0, 0, 2, 1, kSource, 1.f, GFX_MODE_MULTIPLY);
  GFX_PutPixel(&b, 2, 0, kSource, 0.5f, GFX_MODE_ADD);
  EXPECT_EQ(GFX_GetPixel(&b, 0, 0), GFX_Pixel(255, 39, 78, 20));
  EXPECT_EQ(GFX_GetPixel(&b, 1, 0), GFX_Pixel(255, 39, 78, 20));
  EXPECT_EQ(GFX_GetPixel(&b, 2, 0), GFX_Pixel(255, 150, 228, 100));
}

TEST(Modes, ClearRectMasksAndSetsBits) {
  GFX_MemBitmap b(4, 4);
  fill(&b, kDest);
  GFX_ClearRect(&b, 1, 1, 2, 5, 0xFFFFFF00u, 0x7);
  EXPECT_EQ(GFX_GetPixel(&b, 1, 1), (kDest & 0xFFFFFF00u) | 7);
  EXPECT_EQ(GFX_GetPixel(&b, 2, 3), (kDest & 0xFFFFFF00u) | 7);
  EXPECT_EQ(GFX_GetPixel(&b, 0, 0), kDest);
  EXPECT_EQ(GFX_GetPixel(&b, 3, 3), kDest);
  EXPECT_EQ(GFX_GetPixel(&b, 1, 0), kDest);
}
