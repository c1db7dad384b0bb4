#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <utility>

#include "Pixels.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Shapes.h"

using namespace gfx_test;

namespace {

const uint32_t kWhite = GFX_Pixel(255, 255, 255, 255);
const uint32_t kOne = GFX_Pixel(255, 1, 1, 1);  // drawn with add: red counts the visits

typedef std::set<std::pair<int, int>> PixelSet;

PixelSet lit(GFX_IBitmap* b) {
  PixelSet set;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (red(GFX_GetPixel(b, x, y))) set.insert({x, y});
  return set;
}

int maxRed(GFX_IBitmap* b) {
  int most = 0;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) most = std::max(most, red(GFX_GetPixel(b, x, y)));
  return most;
}

// True when the lit pixels look the same after a quarter turn about (c, c).
bool quarterSymmetric(GFX_IBitmap* b, int c) {
  const PixelSet set = lit(b);
  for (const auto& [x, y] : set)
    if (!set.count({c - (y - c), c + (x - c)})) return false;
  return true;
}

}  // namespace

TEST(Line, IntegerLinePixels) {
  GFX_MemBitmap b(6, 4);
  GFX_Line(&b, 0, 0, 4, 2, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&b), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
  GFX_MemBitmap v(3, 5);
  GFX_Line(&v, 1, 4, 1, 1, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&v), (PixelSet{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
  GFX_MemBitmap dot(3, 3);
  GFX_Line(&dot, 1, 1, 1, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(lit(&dot), (PixelSet{{1, 1}}));
}

TEST(Line, AntialiasingSharesTheColourBetweenNeighbours) {
  GFX_MemBitmap flat(5, 3);
  GFX_Line(&flat, 0, 1, 4, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(lit(&flat), (PixelSet{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
  EXPECT_EQ(maxRed(&flat), 255);
  GFX_MemBitmap slope(5, 3);
  GFX_Line(&slope, 0, 0, 4, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  // Halfway the exact line runs between rows 0 and 1.
  EXPECT_EQ(red(GFX_GetPixel(&slope, 2, 0)), 128);
  EXPECT_EQ(red(GFX_GetPixel(&slope, 2, 1)), 128);
  EXPECT_EQ(red(GFX_GetPixel(&slope, 0, 0)), 255);
  EXPECT_EQ(red(GFX_GetPixel(&slope, 4, 1)), 255);
}

TEST(Line, ClipsAtEveryEdgeAndFarEndsCostNothing) {
  for (bool aa : {false, true}) {
    EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
      GFX_Line(b, dx - 7, dy + 3, dx + 15, dy + 8, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_Line(b, dx + 4, dy - 9, dx + 6, dy + 20, kWhite, 0.5f, GFX_MODE_ADD, aa);
    }));
  }
  GFX_MemBitmap b(10, 10);
  GFX_Line(&b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_Line(&b, INT_MIN, 5, INT_MAX, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&b, 0, 5)), 255);
  EXPECT_EQ(red(GFX_GetPixel(&b, 9, 5)), 255);
  // Lines along the largest coordinate: the antialiased neighbour lies beyond it.
  GFX_MemBitmap edge(10, 10);
  GFX_Line(&edge, 0, INT_MAX, 9, INT_MAX, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Line(&edge, INT_MAX, 0, INT_MAX, 9, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Line(&edge, 0, INT_MAX - 3, 9, INT_MAX, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_TRUE(lit(&edge).empty());
}

TEST(Circle, FilledDiscAndOutlineRing) {
  GFX_MemBitmap disc(11, 11);
  GFX_FillCircle(&disc, 5, 5, 2, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(lit(&disc).size(), 13u);
  EXPECT_EQ(maxRed(&disc), 1);

  GFX_MemBitmap ring(11, 11);
  GFX_Circle(&ring, 5, 5, 3, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(maxRed(&ring), 1);
  EXPECT_TRUE(quarterSymmetric(&ring, 5));
  for (auto [x, y] : {std::pair{8, 5}, {5, 2}, {2, 5}, {5, 8}})
    EXPECT_EQ(red(GFX_GetPixel(&ring, x, y)), 1);
  EXPECT_EQ(red(GFX_GetPixel(&ring, 5, 5)), 0);
  EXPECT_EQ(red(GFX_GetPixel(&ring, 6, 6)), 0);
}

TEST(Circle, AntialiasedEdgesArePartial) {
  GFX_MemBitmap disc(11, 11);
  GFX_FillCircle(&disc, 5, 5, 3.2f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&disc, 5, 5)), 255);
  EXPECT_EQ(red(GFX_GetPixel(&disc, 0, 5)), 0);
  const int edge = red(GFX_GetPixel(&disc, 8, 5));  // distance 3: coverage 0.7
  EXPECT_GT(edge, 0);
  EXPECT_LT(edge, 255);
  GFX_MemBitmap ring(11, 11);
  GFX_Circle(&ring, 5, 5, 3.5f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&ring, 8, 5)), 128);
  EXPECT_EQ(red(GFX_GetPixel(&ring, 9, 5)), 128);
  EXPECT_TRUE(quarterSymmetric(&ring, 5));
}

TEST(Arc, CoversOnlyItsAngles) {
  GFX_MemBitmap b(11, 11);
  // From pointing up, a quarter turn clockwise: the upper right quarter.
  GFX_Arc(&b, 5, 5, 3, 0, (float)(M_PI / 2), kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(red(GFX_GetPixel(&b, 5, 2)), 255);
  EXPECT_EQ(red(GFX_GetPixel(&b, 8, 5)), 255);
  for (const auto& [x, y] : lit(&b)) {
    EXPECT_GE(x, 5);
    EXPECT_LE(y, 5);
  }
  // Reversed angles name the same arc; a whole turn is the circle.
  GFX_MemBitmap reversed(11, 11), whole(11, 11), circle(11, 11);
  GFX_Arc(&reversed, 5, 5, 3, (float)(M_PI / 2), 0, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&reversed), lit(&b));
  GFX_Arc(&whole, 5, 5, 3, -1, (float)(2 * M_PI - 1), kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_Circle(&circle, 5, 5, 3, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&whole), lit(&circle));
}

TEST(RoundRect, OutlineDrawsEachPixelOnce) {
  GFX_MemBitmap square(6, 5);
  GFX_RoundRect(&square, 1, 1, 4, 3, 0, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(
      lit(&square),
      (PixelSet{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));
  EXPECT_EQ(maxRed(&square), 1);

  GFX_MemBitmap round(9, 9);
  GFX_RoundRect(&round, 0, 0, 9, 9, 3, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(maxRed(&round), 1);
  EXPECT_TRUE(quarterSymmetric(&round, 4));
  EXPECT_EQ(red(GFX_GetPixel(&round, 0, 0)), 0);
  EXPECT_EQ(red(GFX_GetPixel(&round, 4, 0)), 1);
  EXPECT_EQ(red(GFX_GetPixel(&round, 0, 4)), 1);
  EXPECT_EQ(red(GFX_GetPixel(&round, 4, 4)), 0);
  // A radius too large for the box is reduced.
  GFX_MemBitmap huge(9, 9);
  GFX_RoundRect(&huge, 0, 0, 9, 9, 1000, kOne, 1.f, GFX_MODE_ADD, true);
  EXPECT_EQ(maxRed(&huge), 1);
}

TEST(Polygon, SharedEdgesNeitherGapNorOverlap) {
  GFX_MemBitmap square(6, 6);
  const int xs[] = {1, 5, 5, 1}, ys[] = {1, 1, 5, 5};
  GFX_FillConvexPolygon(&square, xs, ys, 4, kOne, 1.f, GFX_MODE_ADD);
  EXPECT_EQ(lit(&square).size(), 16u);
  EXPECT_EQ(red(GFX_GetPixel(&square, 1, 1)), 1);
  EXPECT_EQ(red(GFX_GetPixel(&square, 5, 5)), 0);

  GFX_MemBitmap halves(8, 8);
  GFX_FillTriangle(&halves, 0, 0, 7, 0, 0, 8, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillTriangle(&halves, 7, 0, 7, 8, 0, 8, kOne, 1.f, GFX_MODE_ADD);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(red(GFX_GetPixel(&halves, x, y)), 1) << x << "," << y;

  GFX_MemBitmap none(4, 4);
  GFX_FillConvexPolygon(&none, xs, ys, 2, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillConvexPolygon(&none, nullptr, ys, 4, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillTriangle(&none, 0, 0, 3, 3, 1, 1, kOne, 1.f, GFX_MODE_ADD);  // no area
  EXPECT_TRUE(lit(&none).empty());
}

TEST(Shapes, ClipAtEveryEdge) {
  for (bool aa : {false, true}) {
    EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
      GFX_Circle(b, dx + 5.f, dy + 5.f, 7.f, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_FillCircle(b, dx - 1.f, dy + 3.f, 4.f, kWhite, 0.5f, GFX_MODE_ADD, aa);
      GFX_Arc(b, dx + 9.f, dy + 2.f, 5.f, -1.f, 2.f, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_RoundRect(b, dx - 3.f, dy - 4.f, 16.f, 17.f, 4, kWhite, 1.f, GFX_MODE_COPY, aa);
    }));
  }
  EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
    const int xs[] = {dx - 5, dx + 14, dx + 3}, ys[] = {dy - 2, dy + 4, dy + 16};
    GFX_FillConvexPolygon(b, xs, ys, 3, kWhite, 1.f, GFX_MODE_COPY);
    GFX_FillRect(b, dx - 2, dy + 8, 20, 30, kOne, 1.f, GFX_MODE_ADD);
    GFX_PutPixel(b, dx - 1, dy, kWhite, 1.f, GFX_MODE_COPY);
  }));
  // Empty bitmaps, NaN and far coordinates (beyond what an int holds) touch nothing.
  GFX_MemBitmap empty(0, 0), b(4, 4);
  GFX_FillCircle(&empty, 0, 0, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_RoundRect(&empty, 0, 0, 5, 5, 2, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Line(&empty, 0, 0, 5, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_FillCircle(&b, NAN, 1, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Circle(&b, 1, 1, 1e30f, kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_FillRect(&b, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kWhite, 1.f, GFX_MODE_COPY);
  GFX_RoundRect(&b, -1e30f, 1e30f, 1e30f, 1e30f, 3, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Arc(&b, 1e30f, -1e30f, 2, 0, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  for (float x : {4294967296.f, 1e15f, 3e9f})
    for (float w : {8.f, 2.f})
      for (bool aa : {false, true})
        GFX_RoundRect(&b, x, 1, w, 3, aa ? 0 : 1, kWhite, 1.f, GFX_MODE_COPY, aa);
  EXPECT_TRUE(lit(&b).empty());
}
