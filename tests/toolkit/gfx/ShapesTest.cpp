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
  for (const auto& [x, y] : lit(b)) most = std::max(most, red(GFX_GetPixel(b, x, y)));
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

TEST(Line, PixelsAndAntialiasedShares) {
  GFX_MemBitmap b(6, 4);
  GFX_Line(&b, 0, 0, 4, 2, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&b), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
  GFX_MemBitmap steep(3, 5);  // drawn upwards
  GFX_Line(&steep, 1, 4, 1, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(lit(&steep), (PixelSet{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
  for (bool aa : {false, true}) {  // a line from a point to itself is that point
    GFX_MemBitmap dot(4, 4);
    GFX_Line(&dot, 2, 1, 2, 1, kWhite, 1.f, GFX_MODE_COPY, aa);
    EXPECT_EQ(lit(&dot), (PixelSet{{2, 1}})) << aa;
  }
  // Halfway the exact line runs between rows 0 and 1 (columns, for the steep one).
  for (bool steepSlope : {false, true}) {
    GFX_MemBitmap slope(5, 5);
    const auto at = [&](int along, int across) {
      return steepSlope ? red(GFX_GetPixel(&slope, across, along))
                        : red(GFX_GetPixel(&slope, along, across));
    };
    if (steepSlope)
      GFX_Line(&slope, 0, 0, 1, 4, kWhite, 1.f, GFX_MODE_COPY, true);
    else
      GFX_Line(&slope, 0, 0, 4, 1, kWhite, 1.f, GFX_MODE_COPY, true);
    EXPECT_EQ(at(2, 0), 128) << steepSlope;
    EXPECT_EQ(at(2, 1), 128) << steepSlope;
    EXPECT_EQ(at(1, 0), 191) << steepSlope;
    EXPECT_EQ(at(1, 1), 64) << steepSlope;
    EXPECT_EQ(at(4, 1), 255) << steepSlope;
  }
}

TEST(Line, FarEndsAndTheLargestCoordinateCostNothing) {
  GFX_MemBitmap b(10, 10);
  GFX_Line(&b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_Line(&b, INT_MIN, 5, INT_MAX, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&b, 9, 5)), 255);
  // The antialiased neighbour lies beyond the largest coordinate.
  GFX_MemBitmap edge(10, 10);
  GFX_Line(&edge, 0, INT_MAX, 9, INT_MAX, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Line(&edge, INT_MAX, 0, INT_MAX, 9, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_TRUE(lit(&edge).empty());
}

TEST(Circle, FilledDiscAndOutlineRing) {
  GFX_MemBitmap disc(11, 11), ring(11, 11), soft(11, 11);
  GFX_FillCircle(&disc, 5, 5, 2, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(lit(&disc).size(), 13u);
  // Without a radius a soft disc still covers half its centre; a hard ring half a pixel off the
  // pixel centres takes both neighbours.
  GFX_MemBitmap point(5, 5), between(11, 11);
  GFX_FillCircle(&point, 2, 2, 0, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(lit(&point), (PixelSet{{2, 2}}));
  EXPECT_EQ(red(GFX_GetPixel(&point, 2, 2)), 128);
  GFX_MemBitmap dot(5, 5);
  GFX_Circle(&dot, 2, 2, 0, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(lit(&dot), (PixelSet{{2, 2}}));
  GFX_Circle(&between, 5, 5, 3.5f, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(red(GFX_GetPixel(&between, 8, 5)) + red(GFX_GetPixel(&between, 9, 5)), 2 * 255);
  EXPECT_EQ(maxRed(&disc), 1);
  GFX_Circle(&ring, 5, 5, 3, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(maxRed(&ring), 1);
  EXPECT_TRUE(quarterSymmetric(&ring, 5));
  EXPECT_EQ(red(GFX_GetPixel(&ring, 8, 5)), 1);
  EXPECT_EQ(red(GFX_GetPixel(&ring, 6, 6)), 0);
  GFX_Circle(&soft, 5, 5, 3.5f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&soft, 8, 5)), 128);
  EXPECT_EQ(red(GFX_GetPixel(&soft, 9, 5)), 128);
  // The soft ring mirrors across both axes through its centre pixel.
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x)
      ASSERT_EQ(
          red(GFX_GetPixel(&soft, x, y)) * 1000 + red(GFX_GetPixel(&soft, x, 10 - y)),
          red(GFX_GetPixel(&soft, 10 - x, y)) * 1000 + red(GFX_GetPixel(&soft, 10 - x, 10 - y)))
          << x << "," << y;
  GFX_MemBitmap softDisc(11, 11);
  GFX_FillCircle(&softDisc, 5, 5, 3.2f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&softDisc, 5, 5)), 255);
  const int edge = red(GFX_GetPixel(&softDisc, 8, 5));  // distance 3: coverage 0.7
  EXPECT_TRUE(edge > 0 && edge < 255) << edge;
}

// From pointing up, a quarter turn clockwise; reversed angles name the same arc.
TEST(Arc, CoversOnlyItsAngles) {
  GFX_MemBitmap b(11, 11), reversed(11, 11);
  GFX_Arc(&b, 5, 5, 3, 0, (float)(M_PI / 2), kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_Arc(&reversed, 5, 5, 3, (float)(M_PI / 2), 0, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(red(GFX_GetPixel(&b, 5, 2)), 255);
  EXPECT_EQ(red(GFX_GetPixel(&b, 8, 5)), 255);
  for (const auto& [x, y] : lit(&b)) EXPECT_TRUE(x >= 5 && y <= 5) << x << "," << y;
  EXPECT_EQ(lit(&reversed), lit(&b));
  GFX_MemBitmap whole(11, 11), circle(11, 11);  // a whole turn from anywhere is the circle
  GFX_Arc(&whole, 5, 5, 3, -1, (float)(2 * M_PI - 1), kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_Circle(&circle, 5, 5, 3, kWhite, 1.f, GFX_MODE_COPY, false);
  EXPECT_EQ(lit(&whole), lit(&circle));
  GFX_MemBitmap tinyArc(11, 11), tinyCircle(11, 11);  // under a pixel's radius too
  GFX_Arc(&tinyArc, 5, 5, 0.6f, -1, (float)(2 * M_PI - 1), kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Circle(&tinyCircle, 5, 5, 0.6f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_FALSE(lit(&tinyCircle).empty());
  GFX_MemBitmap tinyDisc(11, 11);
  GFX_FillCircle(&tinyDisc, 5, 5, 0.6f, kWhite, 1.f, GFX_MODE_COPY, true);
  EXPECT_EQ(red(GFX_GetPixel(&tinyDisc, 5, 5)), 255);
  EXPECT_EQ(lit(&tinyArc), lit(&tinyCircle));
}

TEST(RoundRect, OutlineDrawsEachPixelOnce) {
  GFX_MemBitmap square(6, 5), round(9, 9), huge(9, 9);
  GFX_RoundRect(&square, 1, 1, 4, 3, 0, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(
      lit(&square),
      (PixelSet{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));
  GFX_RoundRect(&round, 0, 0, 9, 9, 3, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(maxRed(&round), 1);
  EXPECT_TRUE(quarterSymmetric(&round, 4));
  EXPECT_EQ(red(GFX_GetPixel(&round, 0, 0)), 0);
  EXPECT_EQ(red(GFX_GetPixel(&round, 4, 0)), 1);
  GFX_RoundRect(&huge, 0, 0, 9, 9, 1000, kOne, 1.f, GFX_MODE_ADD, true);  // radius reduced
  EXPECT_EQ(maxRed(&huge), 1);
  // A radius too large for the shorter side is cut to what that side leaves: the corner is the
  // one of that radius in a rectangle large enough for it.
  GFX_MemBitmap roomy(20, 20);
  GFX_RoundRect(&roomy, 0, 0, 20, 20, 4, kOne, 1.f, GFX_MODE_ADD, false);
  for (auto [w, h] : {std::pair{10, 13}, {13, 10}}) {
    GFX_MemBitmap cut(w, h);
    GFX_RoundRect(&cut, 0, 0, (float)w, (float)h, 1000, kOne, 1.f, GFX_MODE_ADD, false);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(red(GFX_GetPixel(&cut, x, y)), red(GFX_GetPixel(&roomy, x, y)))
            << w << " x " << h << " at " << x << "," << y;
  }
  GFX_MemBitmap thin(4, 5);  // two wide: all outline
  GFX_RoundRect(&thin, 1, 1, 2, 3, 1, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(lit(&thin), (PixelSet{{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 3}, {2, 3}}));
  EXPECT_EQ(maxRed(&thin), 1);
  GFX_MemBitmap one(3, 5);  // a pixel wide: a column
  GFX_RoundRect(&one, 1, 1, 1, 3, 2, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(lit(&one), (PixelSet{{1, 1}, {1, 2}, {1, 3}}));
  GFX_MemBitmap flat(5, 3);  // a pixel tall: a row
  GFX_RoundRect(&flat, 1, 1, 3, 1, 2, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(lit(&flat), (PixelSet{{1, 1}, {2, 1}, {3, 1}}));
  GFX_MemBitmap three(5, 6);  // three wide: one pixel inside each middle row
  GFX_RoundRect(&three, 1, 1, 3, 4, 0, kOne, 1.f, GFX_MODE_ADD, false);
  EXPECT_EQ(
      lit(&three),
      (PixelSet{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {3, 2}, {1, 3}, {3, 3}, {1, 4}, {2, 4}, {3, 4}}));
  EXPECT_EQ(maxRed(&three), 1);
}

TEST(Polygon, SharedEdgesNeitherGapNorOverlap) {
  GFX_MemBitmap square(6, 6), halves(8, 8), none(4, 4);
  const int xs[] = {1, 5, 5, 1}, ys[] = {1, 1, 5, 5};
  GFX_FillConvexPolygon(&square, xs, ys, 4, kOne, 1.f, GFX_MODE_ADD);
  EXPECT_EQ(lit(&square).size(), 16u);
  EXPECT_EQ(red(GFX_GetPixel(&square, 1, 1)), 1);
  GFX_FillTriangle(&halves, 0, 0, 7, 0, 0, 8, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillTriangle(&halves, 7, 0, 7, 8, 0, 8, kOne, 1.f, GFX_MODE_ADD);
  EXPECT_EQ(lit(&halves).size(), 7u * 8u);
  EXPECT_EQ(maxRed(&halves), 1);
  GFX_FillConvexPolygon(&none, xs, ys, 2, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillConvexPolygon(&none, nullptr, ys, 4, kOne, 1.f, GFX_MODE_ADD);
  GFX_FillTriangle(&none, 0, 0, 3, 3, 1, 1, kOne, 1.f, GFX_MODE_ADD);  // no area
  EXPECT_TRUE(lit(&none).empty());
}

TEST(Shapes, ClipAtEveryEdgeAndWildCoordinatesTouchNothing) {
  for (bool aa : {false, true}) {
    EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {
      GFX_Line(b, dx - 7, dy + 3, dx + 15, dy + 8, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_Circle(b, dx + 5.f, dy + 5.f, 7.f, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_FillCircle(b, dx - 1.f, dy + 3.f, 4.f, kWhite, 0.5f, GFX_MODE_ADD, aa);
      GFX_Arc(b, dx + 9.f, dy + 2.f, 5.f, -1.f, 2.f, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_RoundRect(b, dx - 3.f, dy - 4.f, 16.f, 17.f, 4, kWhite, 1.f, GFX_MODE_COPY, aa);
      const int xs[] = {dx - 5, dx + 14, dx + 3}, ys[] = {dy - 2, dy + 4, dy + 16};
      GFX_FillConvexPolygon(b, xs, ys, 3, kOne, 1.f, GFX_MODE_ADD);
    }));
    EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {  // all outline
      GFX_RoundRect(b, dx + 2.f, dy - 3.f, 2.f, 20.f, 1, kWhite, 1.f, GFX_MODE_COPY, aa);
      GFX_RoundRect(b, dx - 3.f, dy + 5.f, 20.f, 2.f, 1, kWhite, 1.f, GFX_MODE_COPY, aa);
    }));
    EXPECT_TRUE(clipsConsistently([&](GFX_IBitmap* b, int dx, int dy) {  // sides from far above
      GFX_RoundRect(b, dx + 1.f, dy - 8.f, 6.f, 14.f, 2, kWhite, 1.f, GFX_MODE_COPY, aa);
    }));
  }
  GFX_MemBitmap empty(0, 0), b(4, 4);
  GFX_FillCircle(&empty, 0, 0, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_RoundRect(&empty, 0, 0, 5, 5, 2, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_FillCircle(&b, NAN, 1, 5, kWhite, 1.f, GFX_MODE_COPY, true);
  GFX_Circle(&b, 1, 1, 1e30f, kWhite, 1.f, GFX_MODE_COPY, false);
  GFX_FillRect(&b, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kWhite, 1.f, GFX_MODE_COPY);
  GFX_Arc(&b, 1e30f, -1e30f, 2, 0, 1, kWhite, 1.f, GFX_MODE_COPY, true);
  for (float x : {4294967296.f, 3e9f})  // beyond what an int holds
    for (bool aa : {false, true})
      GFX_RoundRect(&b, x, 1, 8.f, 3, aa ? 0 : 1, kWhite, 1.f, GFX_MODE_COPY, aa);
  EXPECT_TRUE(lit(&b).empty());
}

// Reading just past each edge gives 0, not a neighbouring row's pixel, with rows packed or
// padded, and after a shrink that left old rows in the storage; writing there changes nothing;
// the corners inside read back what was written.
TEST(Pixel, EachEdgeBoundsReadsAndWrites) {
  const struct {
    int x, y;
    bool inside;
  } cases[] = {{0, 0, true},   {4, 0, true},  {0, 2, true},        {4, 2, true},
               {5, 0, false},  {5, 1, false}, {-1, 1, false},      {0, 3, false},
               {4, -1, false}, {5, 3, false}, {INT_MAX, 0, false}, {0, INT_MIN, false}};
  for (unsigned int align : {1u, 4u}) {
    GFX_MemBitmap b(6, 6, align);
    fill(&b, kWhite);
    ASSERT_TRUE(b.resize(5, 3));
    pattern(&b);
    for (const auto& c : cases)
      EXPECT_EQ(GFX_GetPixel(&b, c.x, c.y), c.inside ? GFX_Pixel(255, c.x, c.y, 7) : 0u)
          << c.x << "," << c.y << " aligned " << align;
    for (const auto& c : cases)
      if (!c.inside) GFX_PutPixel(&b, c.x, c.y, kWhite, 1.f, GFX_MODE_COPY);
    EXPECT_TRUE(pixelsAre(&b, [](int x, int y) { return GFX_Pixel(255, x, y, 7); })) << align;
  }
  EXPECT_EQ(GFX_GetPixel(nullptr, 0, 0), 0u);
}
