#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "Pixels.h"
#include "toolkit/gfx/Blit.h"
#include "toolkit/wsys/MemContext.h"

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
              ASSERT_TRUE(pixelsAre(&dest,
                                    [&](int x, int y) {
                                      return expectedCopy(&src, x, y, dstx, dsty, srcx, srcy, w, h);
                                    }))
                  << dstx << " " << dsty << " " << srcx << " " << srcy << " " << w << " " << h;
            }
}

TEST(Blit, OverlappingBlocksOfOneBitmap) {
  GFX_MemBitmap b(5, 1);
  pattern(&b);
  GFX_Blit(&b, &b, 1, 0, 0, 0, 4, 1, 1.f, GFX_MODE_COPY);
  EXPECT_TRUE(pixelsAre(&b, [](int x, int) { return GFX_Pixel(255, x ? x - 1 : 0, 0, 7); }));
}

TEST(Blit, EmptyOrRefusedBitmapsAndWildArgumentsTouchNothing) {
  GFX_MemBitmap empty(0, 0), one(1, 1);
  GFX_Blit(&empty, &one, 0, 0, 0, 0, 1, 1, 1.f, GFX_MODE_COPY);
  GFX_ScaledBlit(&one, &empty, 0, 0, 1, 1, 0, 0, 1, 1, 1.f, GFX_MODE_BILINEAR);
  GFX_RotatedBlit(&empty, &one, 0, 0, 1, 1, 0, 0, 1, 1, 1.f, false, 1.f, 0, 0, 0);
  GFX_ScaledBlit(&one, &one, 0, 0, 1, 1, 1e30f, -1e30f, 1e30f, NAN, 1.f, GFX_MODE_BILINEAR);
  GFX_RotatedBlit(&one, &one, 0, 0, 1, 1, 0, 0, 1, 1, 1e30f, false, 1.f, 0, 1e30f, NAN);
  GFX_MemBitmap b(3, 2, 4);
  for (auto [w, h] : {std::pair{INT_MAX, INT_MAX}, {65536, 65536}, {-1, 2}, {INT_MAX, 0}}) {
    EXPECT_FALSE(b.resize(w, h)) << w << " x " << h;
    EXPECT_EQ(b.getWidth() * 10 + b.getHeight(), 32);
  }
  EXPECT_TRUE(b.resize(1000, 0));
  // A row's bytes must fit an int even with no rows; the alignment counts towards the row.
  EXPECT_FALSE(b.resize(0x1ffffffd, 0));
  GFX_MemBitmap wide(0, 0);
  EXPECT_TRUE(wide.resize(0x1fffffff, 0));
  EXPECT_FALSE(wide.resize(0x20000000, 0));
  EXPECT_EQ(wide.getWidth(), 0x1fffffff);
  GFX_MemBitmap refused(INT_MAX, INT_MAX, 4);
  EXPECT_EQ(refused.getWidth(), 0);
  GFX_FillRect(&refused, 0, 0, 100, 100, 0xffffffffu, 1.f, GFX_MODE_COPY);
  EXPECT_EQ(GFX_SysBitmap(INT_MAX, INT_MAX).getWidth(), 0);
  GFX_Copy(&one, &empty);
  EXPECT_EQ(one.getWidth(), 0);
}

// A source or destination rectangle without area draws nothing, turned or not, in any mode.
TEST(Blits, RectanglesWithoutAreaDrawNothing) {
  GFX_MemBitmap src(4, 4);
  pattern(&src);
  const struct {
    int dstw, dsth;
    float srcw, srch;
  } kSizes[] = {{0, 4, 4, 4}, {4, 0, 4, 4}, {-4, 4, 4, 4}, {4, -4, 4, 4},
                {4, 4, 0, 4}, {4, 4, 4, 0}, {4, 4, -4, 4}, {4, 4, 4, -4}};
  for (const auto& c : kSizes)
    for (int mode : {GFX_MODE_COPY, GFX_MODE_BILINEAR})
      for (float angle : {0.f, 0.5f, 3.f}) {
        GFX_MemBitmap dest(8, 8);
        fill(&dest, kEmpty);
        GFX_RotatedBlit(&dest, &src, 2, 2, c.dstw, c.dsth, 0, 0, c.srcw, c.srch, angle, false, 1.f,
                        mode, 0, 0);
        if (angle == 0.f)
          GFX_ScaledBlit(&dest, &src, 2, 2, c.dstw, c.dsth, 0, 0, c.srcw, c.srch, 1.f, mode);
        EXPECT_TRUE(pixelsAre(&dest, [](int, int) { return kEmpty; }))
            << c.dstw << " " << c.dsth << " " << c.srcw << " " << c.srch << " mode " << mode
            << " angle " << angle;
      }
}

TEST(Blit, CopyTakesSizeAndPixelsAndRowsFollowTheAlignment) {
  GFX_MemBitmap src(5, 3), dest(0, 0, 4);
  pattern(&src);
  GFX_Copy(&dest, &src);
  ASSERT_EQ(dest.getHeight(), 3);
  EXPECT_EQ(dest.getRowSpan(), 8);
  EXPECT_TRUE(pixelsAre(&dest, [&](int x, int y) { return GFX_GetPixel(&src, x, y); }));
  EXPECT_EQ(GFX_SysBitmap(6, 2).getRowSpan(), 8);
  EXPECT_EQ(GFX_MemBitmap(1, 1, 4096).getRowSpan(), 4096);
  EXPECT_EQ(GFX_MemBitmap(1, 1, 4097).getRowSpan(), 1) << "alignments past a page are ignored";
}

// The system bitmap answers each resize as it went, and its drawing context always describes
// the pixels it holds: the new ones after a resize, the old ones after a refused one.
TEST(SysBitmap, ResizeReportsItselfAndTheContextFollowsThePixels) {
  GFX_SysBitmap b(2, 2);
  const auto context = [&] { return *reinterpret_cast<WSYS_BitmapContext**>(b.getDC()); };
  const struct {
    int w, h;
    bool ok;
    int width, height;
  } steps[] = {{5, 3, true, 5, 3},   {INT_MAX, INT_MAX, false, 5, 3},
               {-1, 4, false, 5, 3}, {9, 1, true, 9, 1},
               {0, 0, true, 0, 0},   {3, 7, true, 3, 7}};
  for (const auto& s : steps) {
    EXPECT_EQ(b.resize(s.w, s.h), s.ok) << s.w << " x " << s.h;
    ASSERT_NE(b.getDC(), nullptr) << s.w << " x " << s.h;
    EXPECT_EQ(std::pair(b.getWidth(), b.getHeight()), std::pair(s.width, s.height));
    EXPECT_EQ(context()->data, reinterpret_cast<unsigned char*>(b.getBits()));
    EXPECT_EQ(std::pair(context()->width, context()->height), std::pair(s.width, s.height));
    EXPECT_EQ(context()->bytesPerRow, b.getRowSpan() * 4);
  }
}

// Same size copies; nearest doubles; 100 pixels at 115 % keep their end pixels;
// bilinear halves a checker to grey and samples only the source rectangle.
TEST(ScaledBlit, CopiesScalesAndAverages) {
  GFX_MemBitmap src(7, 5), same(7, 5), twice(14, 10), line(100, 1), wider(114, 1);
  pattern(&src);
  pattern(&line);
  GFX_ScaledBlit(&same, &src, 0, 0, 7, 5, 0, 0, 7, 5, 1.f, GFX_MODE_BILINEAR);
  EXPECT_TRUE(pixelsAre(&same, [&](int x, int y) { return GFX_GetPixel(&src, x, y); }));
  GFX_ScaledBlit(&twice, &src, 0, 0, 14, 10, 0, 0, 7, 5, 1.f, GFX_MODE_COPY);
  EXPECT_TRUE(pixelsAre(&twice, [&](int x, int y) { return GFX_GetPixel(&src, x / 2, y / 2); }));
  GFX_ScaledBlit(&wider, &line, 0, 0, 114, 1, 0, 0, 100, 1, 1.f, GFX_MODE_BILINEAR);
  EXPECT_EQ(std::pair(red(GFX_GetPixel(&wider, 0, 0)), red(GFX_GetPixel(&wider, 113, 0))),
            std::pair(0, 99));
  GFX_MemBitmap checker(8, 8), grey(4, 4);
  for (int i = 0; i < 64; ++i) checker.getBits()[i] = (i / 8 + i) % 2 ? 0xFFFFFFFFu : 0xFFu;
  GFX_ScaledBlit(&grey, &checker, 0, 0, 4, 4, 0, 0, 8, 8, 1.f, GFX_MODE_BILINEAR);
  EXPECT_TRUE(pixelsAre(&grey, [](int, int) { return GFX_Pixel(255, 127, 127, 127); }));
  GFX_MemBitmap framed(4, 4), dest(6, 6);
  fill(&framed, GFX_Pixel(255, 255, 0, 0));
  GFX_FillRect(&framed, 1, 1, 2, 2, GFX_Pixel(255, 0, 0, 255), 1.f, GFX_MODE_COPY);
  GFX_ScaledBlit(&dest, &framed, 0, 0, 6, 6, 1, 1, 2, 2, 1.f, GFX_MODE_BILINEAR);
  EXPECT_TRUE(pixelsAre(&dest, [](int, int) { return GFX_Pixel(255, 0, 0, 255); }));
  // A source of a single pixel stretches over the whole destination.
  GFX_MemBitmap dot(1, 1), stretched(4, 3);
  fill(&dot, GFX_Pixel(255, 40, 50, 60));
  for (int mode : {(int)GFX_MODE_COPY, (int)GFX_MODE_BILINEAR}) {
    for (bool turned : {false, true}) {
      fill(&stretched, 0);
      if (turned)
        GFX_RotatedBlit(&stretched, &dot, 0, 0, 4, 3, 0, 0, 1, 1, 0.f, false, 1.f, mode, 0, 0);
      else
        GFX_ScaledBlit(&stretched, &dot, 0, 0, 4, 3, 0, 0, 1, 1, 1.f, mode);
      EXPECT_TRUE(pixelsAre(&stretched, [](int, int) { return GFX_Pixel(255, 40, 50, 60); }))
          << "mode " << mode << " turned " << turned;
    }
  }
  // A scale of one in a mode other than copy, and a copy just under full weight, mix with what
  // was there.
  GFX_MemBitmap plain(3, 2), mixed(3, 2);
  fill(&plain, GFX_Pixel(255, 100, 100, 100));
  for (int mode : {(int)GFX_MODE_COPY, (int)GFX_MODE_BILINEAR}) {
    fill(&mixed, GFX_Pixel(255, 20, 20, 20));
    GFX_ScaledBlit(&mixed, &plain, 0, 0, 3, 2, 0, 0, 3, 2, 1.f, mode | GFX_MODE_ADD);
    EXPECT_TRUE(pixelsAre(&mixed, [](int, int) { return GFX_Pixel(255, 120, 120, 120); }));
    GFX_MemBitmap white(3, 2);
    fill(&white, GFX_Pixel(255, 255, 255, 255));
    fill(&mixed, GFX_Pixel(255, 0, 0, 0));
    GFX_ScaledBlit(&mixed, &white, 0, 0, 3, 2, 0, 0, 3, 2, 255.f / 256, mode);
    EXPECT_TRUE(pixelsAre(&mixed, [](int, int) { return GFX_Pixel(255, 254, 254, 254); }))
        << "(255 x 255 + 128) / 256 is 254";
  }
  // Into the middle of a bitmap, in every way of drawing: nothing outside the rectangle changes.
  for (int mode : {(int)GFX_MODE_COPY, (int)GFX_MODE_BILINEAR, GFX_MODE_ADD | GFX_MODE_BILINEAR}) {
    GFX_MemBitmap middle(9, 9);
    fill(&middle, kEmpty);
    GFX_ScaledBlit(&middle, &src, 2, 3, 5, 4, 0, 0, 7, 5, 1.f, mode);
    EXPECT_TRUE(pixelsAre(&middle,
                          [&](int x, int y) {
                            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 7;
                            return inside ? GFX_GetPixel(&middle, x, y) : kEmpty;
                          }))
        << "mode " << mode;
    EXPECT_NE(GFX_GetPixel(&middle, 6, 6), kEmpty) << "mode " << mode;
  }
}

// Turned clockwise; a half turn about a centre moved two pixels right.
TEST(RotatedBlit, TurnsMoveEachPixelExactly) {
  constexpr int W = 5;
  GFX_MemBitmap src(W, W), quarter(W, W), none(W, W), src4(4, 4), half(8, 4);
  pattern(&src);
  pattern(&src4);
  GFX_RotatedBlit(&quarter, &src, 0, 0, W, W, 0, 0, W, W, (float)(M_PI / 2), false, 1.f,
                  GFX_MODE_COPY, 0, 0);
  EXPECT_TRUE(pixelsAre(&quarter, [&](int x, int y) { return GFX_GetPixel(&src, y, W - 1 - x); }));
  GFX_RotatedBlit(&none, &src, 0, 0, W, W, 0, 0, W, W, 0.f, true, 1.f, GFX_MODE_BILINEAR, 0, 0);
  EXPECT_TRUE(pixelsAre(&none, [&](int x, int y) { return GFX_GetPixel(&src, x, y); }));
  fill(&half, kEmpty);
  GFX_RotatedBlit(&half, &src4, 0, 0, 4, 4, 0, 0, 4, 4, (float)M_PI, false, 1.f, GFX_MODE_COPY, 2,
                  0);
  EXPECT_TRUE(pixelsAre(
      &half, [&](int x, int y) { return x < 4 ? kEmpty : GFX_GetPixel(&src4, 7 - x, 3 - y); }));
}

// At angles that are not quarter turns, over a destination larger than the turned rectangle:
// every destination pixel whose centre, turned back, lands in the source shows the nearest source
// pixel, and every other pixel is left alone.
TEST(RotatedBlit, EveryPixelOfAnyTurnComesFromWhereItTurnsBackTo) {
  GFX_MemBitmap src(6, 3);
  pattern(&src);
  const struct {
    int dstx, dsty, dstw, dsth;
    float angle, rotx, roty;
  } cases[] = {{7, 8, 6, 3, 0.7f, 0, 0},
               {6, 7, 8, 4, (float)M_PI / 4, 0, 0},
               {5, 9, 6, 6, -1.1f, 0.5f, -1},
               {6, 6, 9, 3, 2.3f, 1, 1},
               {8, 5, 4, 8, 4.0f, -1.5f, 0.5f}};
  for (const auto& c : cases) {
    GFX_MemBitmap dest(20, 20);
    fill(&dest, kEmpty);
    GFX_RotatedBlit(&dest, &src, c.dstx, c.dsty, c.dstw, c.dsth, 0, 0, 6, 3, c.angle, false, 1.f,
                    GFX_MODE_COPY, c.rotx, c.roty);
    const double cs = std::cos((double)c.angle), sn = std::sin((double)c.angle);
    const double cx = c.dstx + c.dstw * 0.5 + c.rotx, cy = c.dsty + c.dsth * 0.5 + c.roty;
    EXPECT_TRUE(pixelsAre(&dest,
                          [&](int x, int y) {
                            const double px = x + 0.5 - cx, py = y + 0.5 - cy;
                            const double u = (cx + cs * px + sn * py - c.dstx) * 6 / c.dstw;
                            const double v = (cy - sn * px + cs * py - c.dsty) * 3 / c.dsth;
                            if (!(u >= 0 && u < 6 && v >= 0 && v < 3)) return kEmpty;
                            return GFX_GetPixel(&src, (int)u, (int)v);
                          }))
        << "angle " << c.angle;
  }
}

TEST(RotatedBlit, ClipToSourceRectangleNeverSamplesOutside) {
  GFX_MemBitmap src(8, 8), dest(8, 8);
  fill(&src, GFX_Pixel(255, 255, 0, 0));
  GFX_FillRect(&src, 2, 2, 4, 4, GFX_Pixel(255, 0, 0, 255), 1.f, GFX_MODE_COPY);
  for (int mode : {GFX_MODE_COPY, GFX_MODE_BILINEAR}) {
    fill(&dest, 0);
    GFX_RotatedBlit(&dest, &src, 2, 2, 4, 4, 2, 2, 4, 4, 0.7f, true, 1.f, mode, 0, 0);
    EXPECT_EQ(inkBox(&dest).right, 0) << "red from outside, mode " << mode;
    EXPECT_EQ(GFX_GetPixel(&dest, 4, 4), GFX_Pixel(255, 0, 0, 255)) << "the middle is drawn";
  }
}

TEST(Blits, OverhangingDestinationsClipLikeTheVisiblePart) {
  GFX_MemBitmap src(9, 7);
  pattern(&src);
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    GFX_ScaledBlit(b, &src, dx - 4, dy - 3, 17, 19, 0.5f, 0, 8, 7, 1.f, GFX_MODE_BILINEAR);
  }));
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    GFX_RotatedBlit(b, &src, dx - 2, dy - 2, 14, 14, 0, 0, 9, 7, 0.5f, true, 1.f,
                    GFX_MODE_BILINEAR | GFX_MODE_SRCALPHA, 1, -1);
  }));
}

namespace {

// The bilinear filter as the engine defined it before it worked on rows: per destination pixel,
// each tap from the sampling point and the channels mixed in 32-bit words.
uint32_t wordLerp(uint32_t a, uint32_t b, int f) {
  const uint32_t g = 256 - f;
  const uint32_t rb = (((a & 0x00ff00ffu) * g + (b & 0x00ff00ffu) * f) >> 8) & 0x00ff00ffu;
  const uint32_t ag = (((a >> 8) & 0x00ff00ffu) * g + ((b >> 8) & 0x00ff00ffu) * f) & 0xff00ff00u;
  return rb | ag;
}

void wordTaps(double u, int lo, int hi, int* i0, int* i1, int* f) {
  u = std::clamp(u, lo - 2.0, hi + 2.0) - 0.5;
  int first = (int)std::floor(u);
  *f = (int)std::lround((u - first) * 256);
  if (*f == 256) ++first, *f = 0;
  *i0 = std::clamp(first, lo, hi - 1);
  *i1 = std::clamp(first + 1, lo, hi - 1);
}

uint32_t wordFiltered(GFX_IBitmap* src, double u, double v, int loX, int hiX, int loY, int hiY) {
  int x0, x1, fx, y0, y1, fy;
  wordTaps(u, loX, hiX, &x0, &x1, &fx);
  wordTaps(v, loY, hiY, &y0, &y1, &fy);
  return wordLerp(wordLerp(GFX_GetPixel(src, x0, y0), GFX_GetPixel(src, x1, y0), fx),
                  wordLerp(GFX_GetPixel(src, x0, y1), GFX_GetPixel(src, x1, y1), fx), fy);
}

}  // namespace

// The editor's pictures at every GUI scale, whole and from a part of the source, odd widths
// included: the row filter gives exactly the words the per-pixel filter gave, whether it writes
// straight into the destination (a whole copy) or through the mode's row (mode 7 draws as copy).
TEST(ScaledBlit, RowFilterMatchesThePerPixelFilterExactly) {
  uint32_t seed = 12345;
  GFX_MemBitmap src(61, 37, 4);
  for (int i = 0; i < src.getRowSpan() * src.getHeight(); ++i)
    src.getBits()[i] = seed = seed * 1664525u + 1013904223u;
  struct Case {
    double scale;
    float srcx, srcy, srcw, srch;
  };
  const Case cases[] = {{0.85, 0, 0, 61, 37}, {1.15, 0, 0, 61, 37},    {1.0, 0, 0, 61, 37},
                        {1.15, 3, 2, 40, 30}, {0.85, 5.5f, 1, 50, 33}, {2.0, 0, 0, 61, 37},
                        {0.5, 0, 0, 61, 37},  {1.37, 10, 4, 13, 11}};
  for (const Case& c : cases)
    for (int mode : {(int)GFX_MODE_COPY, 7}) {
      const int w = (int)(c.srcw * c.scale), h = (int)(c.srch * c.scale);
      GFX_MemBitmap dest(w, h, 4);
      GFX_ScaledBlit(&dest, &src, 0, 0, w, h, c.srcx, c.srcy, c.srcw, c.srch, 1.f,
                     mode | GFX_MODE_BILINEAR);
      int loX, hiX, loY, hiY;
      loX = (int)std::floor(c.srcx), hiX = (int)std::min(61.0, std::ceil((double)c.srcx + c.srcw));
      loY = (int)std::floor(c.srcy), hiY = (int)std::min(37.0, std::ceil((double)c.srcy + c.srch));
      EXPECT_TRUE(pixelsAre(&dest,
                            [&](int x, int y) {
                              return wordFiltered(&src, c.srcx + (x + 0.5) * c.srcw / w,
                                                  c.srcy + (y + 0.5) * c.srch / h, loX, hiX, loY,
                                                  hiY);
                            }))
          << "scale " << c.scale << " from " << c.srcx << "," << c.srcy << " mode " << mode;
    }
}

// The smallest weight above none still draws, in every kind of blit and fill: white laid over
// black at 1/256 leaves 1 in each colour channel.
TEST(Blits, TheSmallestWeightStillDraws) {
  const float alpha = 1.f / 256;
  GFX_MemBitmap white(4, 4);
  fill(&white, GFX_Pixel(255, 255, 255, 255));
  const std::function<void(GFX_IBitmap*)> draws[] = {
      [&](GFX_IBitmap* d) { GFX_Blit(d, &white, 0, 0, 0, 0, 4, 4, alpha, GFX_MODE_COPY); },
      [&](GFX_IBitmap* d) {
        GFX_ScaledBlit(d, &white, 0, 0, 4, 4, 0, 0, 2, 2, alpha, GFX_MODE_BILINEAR);
      },
      [&](GFX_IBitmap* d) {
        GFX_RotatedBlit(d, &white, 0, 0, 4, 4, 0, 0, 4, 4, 0.f, false, alpha, GFX_MODE_COPY, 0, 0);
      },
      [&](GFX_IBitmap* d) { GFX_FillRect(d, 0, 0, 4, 4, 0xffffffffu, alpha, GFX_MODE_COPY); },
  };
  for (size_t i = 0; i < std::size(draws); ++i) {
    GFX_MemBitmap dest(4, 4);
    draws[i](&dest);
    EXPECT_TRUE(pixelsAre(&dest, [](int, int) { return GFX_Pixel(1, 1, 1, 1); })) << "draw " << i;
  }
}
