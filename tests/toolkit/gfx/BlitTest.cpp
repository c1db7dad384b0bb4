#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "Pixels.h"
#include "toolkit/gfx/Blit.h"

using namespace gfx_test;

namespace {

constexpr uint32_t kEmpty = 0x01020304u;

// What a copy blit must leave at dest (x, y), straight from the definition.
uint32_t expectedCopy(GFX_IBitmap* src, int x, int y, int dstx, int dsty, int srcx, int srcy, int w,
                      int h) {
  const long long ox = (long long)x - dstx, oy = (long long)y - dsty;
  if (ox < 0 || oy < 0 || ox >= w || oy >= h) return kEmpty;
  const long long sx = srcx + ox, sy = srcy + oy;
  if (sx < 0 || sy < 0 || sx >= src->getWidth() || sy >= src->getHeight()) return kEmpty;
  return GFX_GetPixel(src, (int)sx, (int)sy);
}

}  // namespace

TEST(Blit, ClipsAtEveryEdgeOfBothBitmaps) {
  GFX_MemBitmap src(4, 3);
  pattern(&src);
  const int offsets[] = {INT_MIN, -5, -2, -1, 0, 1, 3, 5, 6, INT_MAX};
  const int sizes[] = {INT_MIN, -3, 0, 1, 3, 10, INT_MAX};
  for (int dstx : offsets)
    for (int dsty : {-2, 0, 4})
      for (int srcx : {-3, -1, 0, 2, 4})
        for (int srcy : {-1, 0, 2})
          for (int w : sizes)
            for (int h : {2, 10, INT_MAX}) {
              GFX_MemBitmap dest(6, 5, 4);
              fill(&dest, kEmpty);
              GFX_Blit(&dest, &src, dstx, dsty, srcx, srcy, w, h, 1.f, GFX_MODE_COPY);
              for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 6; ++x)
                  ASSERT_EQ(GFX_GetPixel(&dest, x, y),
                            expectedCopy(&src, x, y, dstx, dsty, srcx, srcy, w, h))
                      << dstx << " " << dsty << " " << srcx << " " << srcy << " " << w << " " << h
                      << " at " << x << "," << y;
            }
}

TEST(Blit, OverlappingBlocksOfOneBitmap) {
  GFX_MemBitmap b(5, 1);
  pattern(&b);
  GFX_Blit(&b, &b, 1, 0, 0, 0, 4, 1, 1.f, GFX_MODE_COPY);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(red(GFX_GetPixel(&b, x, 0)), x - 1);
  EXPECT_EQ(red(GFX_GetPixel(&b, 0, 0)), 0);
}

TEST(Blit, ZeroSizeAndMissingBitmapsAreLegal) {
  GFX_MemBitmap empty(0, 0), one(1, 1);
  EXPECT_EQ(empty.getWidth(), 0);
  EXPECT_EQ(empty.getRowSpan(), 0);
  GFX_Blit(&empty, &one, 0, 0, 0, 0, 1, 1, 1.f, GFX_MODE_COPY);
  GFX_Blit(&one, &empty, 0, 0, 0, 0, 1, 1, 1.f, GFX_MODE_COPY);
  GFX_ScaledBlit(&empty, &one, 0, 0, 5, 5, 0, 0, 1, 1, 1.f, GFX_MODE_BILINEAR);
  GFX_ScaledBlit(&one, &empty, 0, 0, 1, 1, 0, 0, 1, 1, 1.f, GFX_MODE_BILINEAR);
  GFX_RotatedBlit(&one, &empty, 0, 0, 1, 1, 0, 0, 1, 1, 1.f, false, 1.f, 0, 0, 0);
  GFX_RotatedBlit(&empty, &one, 0, 0, 1, 1, 0, 0, 1, 1, 1.f, false, 1.f, 0, 0, 0);
  GFX_Blit(nullptr, &one, 0, 0, 0, 0, 1, 1, 1.f, GFX_MODE_COPY);
  GFX_ScaledBlit(&one, &one, 0, 0, 1, 1, 1e30f, -1e30f, 1e30f, NAN, 1.f, GFX_MODE_BILINEAR);
  GFX_RotatedBlit(&one, &one, 0, 0, 1, 1, 0, 0, 1, 1, 1e30f, false, 1.f, 0, 1e30f, NAN);
  GFX_Copy(&one, &empty);
  EXPECT_EQ(one.getWidth(), 0);
  GFX_Copy(nullptr, &one);
  EXPECT_FALSE(one.resize(-1, 2));
}

TEST(Bitmap, SidesWhoseProductIsTooLargeAreRefused) {
  const int sizes[][2] = {
      {INT_MAX, INT_MAX}, {INT_MAX, 1 << 30}, {1 << 30, INT_MAX}, {65536, 65536}};
  for (unsigned int align : {1u, 4u}) {
    GFX_MemBitmap b(3, 2, align);
    for (const auto& size : sizes) {
      EXPECT_FALSE(b.resize(size[0], size[1])) << size[0] << " x " << size[1];
      EXPECT_EQ(b.getWidth(), 3);
      EXPECT_EQ(b.getHeight(), 2);
    }
    // No rows, but a row span that no int holds.
    EXPECT_FALSE(b.resize(INT_MAX, 0));
    EXPECT_EQ(b.getWidth(), 3);
    EXPECT_TRUE(b.resize(1000, 0));
    EXPECT_GE(b.getRowSpan(), 1000);
    GFX_MemBitmap refused(INT_MAX, INT_MAX, align);
    EXPECT_EQ(refused.getWidth(), 0);
    EXPECT_EQ(refused.getHeight(), 0);
    GFX_FillRect(&refused, 0, 0, 100, 100, 0xffffffffu, 1.f, GFX_MODE_COPY);
  }
  GFX_SysBitmap sys(INT_MAX, INT_MAX);
  EXPECT_EQ(sys.getWidth(), 0);
}

TEST(Blit, CopyTakesSizeAndPixelsAndRowsFollowTheAlignment) {
  GFX_MemBitmap src(5, 3), dest(0, 0, 4);
  pattern(&src);
  GFX_Copy(&dest, &src);
  ASSERT_EQ(dest.getWidth(), 5);
  ASSERT_EQ(dest.getHeight(), 3);
  EXPECT_EQ(dest.getRowSpan(), 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, x, y));
  GFX_SysBitmap sys(6, 2);
  EXPECT_EQ(sys.getRowSpan(), 8);
  GFX_SysBitmap square(8, 2);
  EXPECT_EQ(square.getRowSpan(), 8);
}

TEST(ScaledBlit, SameSizeBilinearIsACopy) {
  GFX_MemBitmap src(7, 5), dest(7, 5);
  pattern(&src);
  GFX_ScaledBlit(&dest, &src, 0, 0, 7, 5, 0, 0, 7, 5, 1.f, GFX_MODE_BILINEAR);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, x, y));
}

TEST(ScaledBlit, NearestDoublesEveryPixel) {
  GFX_MemBitmap src(3, 2), dest(6, 4);
  pattern(&src);
  GFX_ScaledBlit(&dest, &src, 0, 0, 6, 4, 0, 0, 3, 2, 1.f, GFX_MODE_COPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, x / 2, y / 2));
}

TEST(ScaledBlit, HundredPixelsAtScale115BecomeHundredFourteenWithExactEdges) {
  GFX_MemBitmap src(100, 1), dest((int)(100 * 1.15), 1);
  ASSERT_EQ(dest.getWidth(), 114);
  pattern(&src);
  GFX_ScaledBlit(&dest, &src, 0, 0, 114, 1, 0, 0, 100, 1, 1.f, GFX_MODE_BILINEAR);
  EXPECT_EQ(red(GFX_GetPixel(&dest, 0, 0)), 0);
  EXPECT_EQ(red(GFX_GetPixel(&dest, 113, 0)), 99);
  for (int x = 1; x < 114; ++x)
    EXPECT_GE(red(GFX_GetPixel(&dest, x, 0)), red(GFX_GetPixel(&dest, x - 1, 0)));
}

TEST(ScaledBlit, BilinearHalvingOfACheckerIsGrey) {
  GFX_MemBitmap src(8, 8), dest(4, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      src.getBits()[y * 8 + x] =
          (x + y) % 2 ? GFX_Pixel(255, 255, 255, 255) : GFX_Pixel(255, 0, 0, 0);
  GFX_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 8, 8, 1.f, GFX_MODE_BILINEAR);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_Pixel(255, 127, 127, 127));
}

TEST(ScaledBlit, SamplesOnlyTheSourceRectangle) {
  GFX_MemBitmap src(4, 4), dest(6, 6);
  fill(&src, GFX_Pixel(255, 255, 0, 0));
  GFX_FillRect(&src, 1, 1, 2, 2, GFX_Pixel(255, 0, 0, 255), 1.f, GFX_MODE_COPY);
  GFX_ScaledBlit(&dest, &src, 0, 0, 6, 6, 1, 1, 2, 2, 1.f, GFX_MODE_BILINEAR);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_Pixel(255, 0, 0, 255));
}

TEST(RotatedBlit, QuarterTurnMovesEachPixelExactly) {
  constexpr int W = 5;
  GFX_MemBitmap src(W, W), dest(W, W);
  pattern(&src);
  GFX_RotatedBlit(&dest, &src, 0, 0, W, W, 0, 0, W, W, (float)(M_PI / 2), false, 1.f, GFX_MODE_COPY,
                  0, 0);
  // Turned clockwise: the left column becomes the top row.
  for (int y = 0; y < W; ++y)
    for (int x = 0; x < W; ++x)
      EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, y, W - 1 - x)) << x << "," << y;
}

TEST(RotatedBlit, NoTurnWithBilinearIsACopy) {
  GFX_MemBitmap src(6, 4), dest(6, 4);
  pattern(&src);
  GFX_RotatedBlit(&dest, &src, 0, 0, 6, 4, 0, 0, 6, 4, 0.f, true, 1.f, GFX_MODE_BILINEAR, 0, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, x, y));
}

TEST(RotatedBlit, HalfTurnAboutAMovedCentre) {
  GFX_MemBitmap src(4, 4), dest(8, 4);
  pattern(&src);
  fill(&dest, kEmpty);
  GFX_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, (float)M_PI, false, 1.f, GFX_MODE_COPY, 2,
                  0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(GFX_GetPixel(&dest, x, y), kEmpty);
    for (int x = 4; x < 8; ++x)
      EXPECT_EQ(GFX_GetPixel(&dest, x, y), GFX_GetPixel(&src, 7 - x, 3 - y));
  }
}

TEST(RotatedBlit, ClipToSourceRectangleNeverSamplesOutside) {
  GFX_MemBitmap src(8, 8), dest(8, 8);
  fill(&src, GFX_Pixel(255, 255, 0, 0));
  GFX_FillRect(&src, 2, 2, 4, 4, GFX_Pixel(255, 0, 0, 255), 1.f, GFX_MODE_COPY);
  for (int mode : {GFX_MODE_COPY, GFX_MODE_BILINEAR}) {
    fill(&dest, 0);
    GFX_RotatedBlit(&dest, &src, 2, 2, 4, 4, 2, 2, 4, 4, 0.7f, true, 1.f, mode, 0, 0);
    int drawn = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(red(GFX_GetPixel(&dest, x, y)), 0);
        drawn += blue(GFX_GetPixel(&dest, x, y)) == 255;
      }
    EXPECT_GT(drawn, 10);
  }
}

TEST(Blits, OverhangingDestinationsClipLikeTheVisiblePart) {
  GFX_MemBitmap src(9, 7);
  pattern(&src);
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    GFX_Blit(b, &src, dx - 3, dy + 4, 0, 0, 9, 7, 0.75f, GFX_MODE_ADD);
  }));
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    GFX_ScaledBlit(b, &src, dx - 4, dy - 3, 17, 19, 0.5f, 0, 8, 7, 1.f, GFX_MODE_BILINEAR);
  }));
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    GFX_RotatedBlit(b, &src, dx - 2, dy - 2, 14, 14, 0, 0, 9, 7, 0.5f, true, 1.f,
                    GFX_MODE_BILINEAR | GFX_MODE_SRCALPHA, 1, -1);
  }));
}
