#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "EditorDoubles.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/plugin/editor/BitmapStorage.h"
#include "toolkit/plugin/editor/detail/FontStorage.h"
#include "toolkit/wsys/Font.h"

using namespace editor_test;

TEST(IRECTTest, TouchingEdgesIntersectFromOneSideOnly) {
  const IRECT region(10, 10, 20, 20);
  EXPECT_TRUE(region.Intersects(IRECT(20, 10, 30, 20)));  // its right edge on our left edge
  EXPECT_FALSE(region.Intersects(IRECT(0, 10, 10, 20)));  // its left edge on our right edge
  EXPECT_TRUE(region.Intersects(IRECT(10, 20, 20, 30)));
  EXPECT_FALSE(region.Intersects(IRECT()));
  EXPECT_TRUE(IRECT(5, 5, 5, 5).Intersects(IRECT(0, 0, 10, 10)));  // not empty by the rule
  EXPECT_EQ(IRECT(0, 0, 10, 10).Intersect(IRECT(30, 30, 40, 40)), IRECT());
  EXPECT_EQ(IRECT(10, 10, 20, 20).Union(IRECT(30, 5, 40, 15)), IRECT(10, 5, 40, 20));
  EXPECT_EQ(IRECT().Union(IRECT(1, 2, 3, 4)), IRECT(1, 2, 3, 4));
  EXPECT_FALSE(IRECT().Contains(0, 0));
  EXPECT_FALSE(IRECT(0, 0, 10, 10).Contains(10, 5));
}

// Overlaps from each side give the shared part in either order; a union takes in both.
TEST(IRECTTest, IntersectKeepsTheSharedPartAndUnionTheWhole) {
  const IRECT a(10, 10, 20, 20);
  const struct {
    IRECT other, shared, whole;
  } cases[] = {
      {IRECT(15, 5, 25, 15), IRECT(15, 10, 20, 15), IRECT(10, 5, 25, 20)},
      {IRECT(5, 15, 15, 25), IRECT(10, 15, 15, 20), IRECT(5, 10, 20, 25)},
      {IRECT(12, 12, 18, 18), IRECT(12, 12, 18, 18), IRECT(10, 10, 20, 20)},
      {IRECT(0, 0, 30, 30), IRECT(10, 10, 20, 20), IRECT(0, 0, 30, 30)},
      {IRECT(), IRECT(), IRECT(10, 10, 20, 20)},
  };
  for (const auto& c : cases) {
    const std::string other = std::to_string(c.other.L) + "," + std::to_string(c.other.T);
    EXPECT_EQ(a.Intersect(c.other), c.shared) << other;
    EXPECT_EQ(c.other.Intersect(a), c.shared) << other;
    EXPECT_EQ(a.Union(c.other), c.whole) << other;
    EXPECT_EQ(c.other.Union(a), c.whole) << other;
  }
}

TEST(IChannelBlendTest, MethodsMapToEngineModes) {
  const IChannelBlend copy(IChannelBlend::kBlendClobber, 0.5f), add(IChannelBlend::kBlendAdd);
  const IChannelBlend unknown(9, 0.25f);
  EXPECT_EQ(BlendMode(nullptr), GFX_MODE_SRCALPHA);
  EXPECT_EQ(BlendAlpha(nullptr), 1.0f);
  EXPECT_EQ(BlendMode(&copy), GFX_MODE_COPY);
  EXPECT_EQ(BlendAlpha(&copy), 0.5f);
  EXPECT_EQ(BlendMode(&add), GFX_MODE_SRCALPHA | GFX_MODE_ADD);
  EXPECT_EQ(BlendMode(&unknown), GFX_MODE_SRCALPHA);
  const IChannelBlend dodge(IChannelBlend::kBlendColorDodge);
  EXPECT_EQ(BlendMode(&dodge), GFX_MODE_SRCALPHA | GFX_MODE_DODGE);
}

TEST(IColorTest, PacksAlphaInTheLowByteAndUnpacksEachChannel) {
  EXPECT_EQ(IColor(255, 1, 2, 3).Pack(), 0x030201FFu);
  for (const IColor& c : {IColor(255, 1, 2, 3), IColor(0, 255, 0, 0), IColor(7, 0, 200, 0),
                          IColor(128, 0, 0, 254), COLOR_WHITE})
    EXPECT_EQ(IColor::Unpack(c.Pack()), c) << c.A << " " << c.R << " " << c.G << " " << c.B;
}

// The named colours as the engine's pixels: alpha, then red, green and blue upwards.
TEST(IColorTest, NamedColoursAreWhatTheirNamesSay) {
  const struct {
    const char* name;
    const IColor& colour;
    unsigned int pixel;
  } cases[] = {
      {"transparent", COLOR_TRANSPARENT, 0x00000000u},
      {"black", COLOR_BLACK, 0x000000FFu},
      {"gray", COLOR_GRAY, 0x7F7F7FFFu},
      {"white", COLOR_WHITE, 0xFFFFFFFFu},
      {"red", COLOR_RED, 0x0000FFFFu},
      {"green", COLOR_GREEN, 0x00FF00FFu},
      {"blue", COLOR_BLUE, 0xFF0000FFu},
      {"yellow", COLOR_YELLOW, 0x00FFFFFFu},
      {"orange", COLOR_ORANGE, 0x007FFFFFu},
      {"text", DEFAULT_TEXT_COLOR, 0x000000FFu},
      {"entry background", DEFAULT_TEXT_ENTRY_BGCOLOR, 0xFFFFFFFFu},
      {"entry text", DEFAULT_TEXT_ENTRY_FGCOLOR, 0x000000FFu},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.colour.Pack(), c.pixel) << c.name;
    // each channel in its range, so that packing lost nothing
    EXPECT_EQ(IColor::Unpack(c.pixel), c.colour) << c.name;
  }
}

// Font names longer than the style holds are cut, never overrun; no name keeps the default.
TEST(ITextTest, FontNamesAreCutToTheirField) {
  const std::string longName(IText::kFontNameSize + 10, 'f');
  const struct {
    const char* given;
    std::string kept;
  } cases[] = {
      {"DejaVu Sans", "DejaVu Sans"},
      {longName.c_str(), longName.substr(0, IText::kFontNameSize - 1)},
      {nullptr, "Consolas"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(std::string(IText(12, nullptr, c.given).mFont), c.kept)
        << (c.given ? c.given : "null");
  IText cleared;
  cleared.SetFont(nullptr);
  EXPECT_STREQ(cleared.mFont, "");
}

class DrawingTest : public ::testing::Test {
 protected:
  DrawingTest() : plug(1, 4), graphics(&plug, 200, 200) {
    graphics.AttachPanelBackground(&COLOR_WHITE);
    graphics.PrepDraw();
  }
  // The source pixel drawn at (x, y) of the back buffer, as its (x, y).
  std::pair<int, int> SourceAt(int x, int y) {
    const IColor c = graphics.GetPoint(x, y);
    return {c.R, c.G};
  }
  void DrawEverywhere() {
    // The drawing rectangle is the region of the last Draw.
    IRECT all(0, 0, 200, 200);
    graphics.Draw(&all);
  }
  RecordingPlug plug;
  TestGraphics graphics;
};

TEST_F(DrawingTest, BitmapsAreScaledOnceAndKeyedByIdAndScale) {
  IBitmap small = graphics.LoadIBitmap(9001, "100x40", 0.85);
  EXPECT_EQ(small.H, 34);
  // The scaled picture fills its bitmap from the corner on: both ends of the top row are opaque.
  EXPECT_EQ(small.mData->getBits()[0] & 0xff, 255u);
  EXPECT_EQ(small.mData->getBits()[small.W - 1] & 0xff, 255u);
  IBitmap large = graphics.LoadIBitmap(9002, "100x40", 1.15);
  EXPECT_EQ(large.W, 114);  // 100 * 1.15 lies just below 115
  IBitmap again = graphics.LoadIBitmap(9002, "other", 1.15, 3, true);
  EXPECT_EQ(again.mData, large.mData);
  EXPECT_EQ(again.N, 3);
  EXPECT_EQ(graphics.mLoads, 2);
  IBitmap unscaled = graphics.LoadIBitmap(9002, "100x40", 1.0);
  EXPECT_EQ(graphics.mLoads, 3);
  GFX_IBitmap* pixels = unscaled.mData;  // unscaled bitmaps keep their pixels
  EXPECT_EQ(pixels->getBits()[39 * pixels->getRowSpan() + 99], GFX_Pixel(255, 99, 39, 0));
  EXPECT_EQ(graphics.getImageById(9001, 0.85).mData, small.mData);
  EXPECT_EQ(graphics.getImageById(9001, 1.0).mData, nullptr);
  const IBitmap missing = graphics.LoadIBitmap(9003, "missing", 1.0, 2);
  EXPECT_EQ(std::vector<int>({missing.W, missing.H, missing.N}), std::vector<int>({0, 0, 2}));
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(graphics.getImageById(9003, 1.0).mData, nullptr);
  // A background picture covers the editor from the corner, one frame high.
  graphics.AttachBackground(9004, "120x90", 1.0);
  EXPECT_EQ(graphics.GetControl(0)->GetRECT(), IRECT(0, 0, 120, 90));
}

// Bitmap draws report success, also when there is nothing to draw: no pixels, or nothing of the
// destination inside the drawing rectangle.
TEST_F(DrawingTest, BitmapDrawsReportSuccessWithOrWithoutSomethingToDraw) {
  IBitmap bitmap = graphics.LoadIBitmap(9080, "8x8");
  IBitmap none;
  DrawEverywhere();
  IRECT inside(10, 10, 18, 18), outside(300, 300, 308, 308);
  IGraphics& g = graphics;
  const std::pair<const char*, std::function<bool()>> draws[] = {
      {"bitmap", [&] { return g.DrawBitmap(&bitmap, &inside, 0, 0); }},
      {"frame", [&] { return g.DrawBitmap(&bitmap, &inside, 1); }},
      {"frame and offset", [&] { return g.DrawBitmap(&bitmap, &inside, 1, 2, 2); }},
      {"outside", [&] { return g.DrawBitmap(&bitmap, &outside, 0, 0); }},
      {"no pixels", [&] { return g.DrawBitmap(&none, &inside, 0, 0); }},
      {"rotated", [&] { return g.DrawRotatedBitmap(&bitmap, 50, 50, 0.5); }},
      {"rotated, no pixels", [&] { return g.DrawRotatedBitmap(&none, 50, 50, 0.5); }},
      {"rotated mask", [&] { return g.DrawRotatedMask(&bitmap, &bitmap, &bitmap, 60, 60, 30); }},
      {"rotated mask, no base",
       [&] { return g.DrawRotatedMask(&none, &bitmap, &bitmap, 60, 60, 30); }},
      {"rotated mask, outside",
       [&] { return g.DrawRotatedMask(&bitmap, &bitmap, &bitmap, 300, 300, 30); }},
  };
  for (const auto& [what, draw] : draws) EXPECT_TRUE(draw()) << what;
  EXPECT_EQ(SourceAt(12, 13), std::make_pair(4, 5));  // the last draw there, from (2, 2) on
}

// A crop keeps the source's pixels from the rectangle's corner on, a scale stretches them; both
// keep the frame count, and without a source both give a bitmap of the size asked.
TEST_F(DrawingTest, CropsAndScalesKeepTheSourcesPixelsAndFrames) {
  IBitmap source = graphics.LoadIBitmap(9070, "10x20", 1.0, 2);
  IRECT area(2, 3, 6, 8);
  IBitmap cropped = graphics.CropBitmap(&source, &area);
  EXPECT_EQ(std::vector<int>({cropped.W, cropped.H, cropped.N}), std::vector<int>({4, 5, 2}));
  IBitmap scaled = graphics.ScaleBitmap(&source, 20, 40);
  EXPECT_EQ(std::vector<int>({scaled.W, scaled.H, scaled.N}), std::vector<int>({20, 40, 2}));
  // Their rows are whole groups of four pixels.
  EXPECT_EQ(std::make_pair(cropped.mData->getRowSpan(), scaled.mData->getRowSpan()),
            std::make_pair(4, 20));
  DrawEverywhere();
  const IChannelBlend copy(IChannelBlend::kBlendClobber);
  IRECT at(0, 0, 4, 5);
  graphics.DrawBitmap(&cropped, &at, 0, 0, &copy);
  EXPECT_EQ(SourceAt(0, 0), std::make_pair(2, 3));
  EXPECT_EQ(SourceAt(3, 4), std::make_pair(5, 7));
  IRECT wide(100, 100, 120, 140);
  graphics.DrawBitmap(&scaled, &wide, 0, 0, &copy);
  const auto [x, y] = SourceAt(110, 120);  // the middle of the source
  EXPECT_NEAR(x, 5, 1);
  EXPECT_NEAR(y, 10, 1);
  EXPECT_LE(SourceAt(100, 100).second, 1);
  EXPECT_GE(SourceAt(119, 139).second, 18);

  IBitmap none = graphics.CropBitmap(nullptr, &area);
  EXPECT_EQ(std::vector<int>({none.W, none.H, none.N}), std::vector<int>({4, 5, 1}));
  none = graphics.ScaleBitmap(nullptr, 3, 7);
  EXPECT_EQ(std::vector<int>({none.W, none.H, none.N}), std::vector<int>({3, 7, 1}));
}

TEST_F(DrawingTest, CachesAreSharedBetweenTwoGraphicsObjects) {
  TestGraphics second(&plug, 50, 50);
  IBitmap first = graphics.LoadIBitmap(9010, "20x20");
  EXPECT_EQ(second.LoadIBitmap(9010, "20x20").mData, first.mData);
  EXPECT_EQ(second.mLoads, 0);

  IText style(14, &COLOR_BLUE, "DejaVu Sans");
  IText sameKey = style;
  sameKey.mQuality = IText::kQualityNoAntiAliasing;  // quality is not part of the key
  const int fonts = FontStorage::Instance().Count();
  GFX_IFont* font = graphics.CacheFont(&style);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(second.CacheFont(&sameKey), font);
  EXPECT_EQ(FontStorage::Instance().Count(), fonts + 1);
  // Size, orientation, style and face each make a font of their own.
  const std::pair<const char*, std::function<void(IText&)>> changes[] = {
      {"size", [](IText& t) { t.mSize = 15; }},
      {"orientation", [](IText& t) { t.mOrientation = 900; }},
      {"style", [](IText& t) { t.mStyle = IText::kStyleBold; }},
      {"face", [](IText& t) { t.SetFont("DejaVu Serif"); }}};
  for (const auto& [what, change] : changes) {
    IText other = style;
    other.mCached = nullptr;
    change(other);
    GFX_IFont* made = second.CacheFont(&other);
    EXPECT_NE(made, nullptr) << what;
    EXPECT_NE(made, font) << what;
  }
}

namespace {

int LineHeightAt(int height, const char* face) {
  GFX_CachedFont font;
  font.SetFromHFont(CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, face),
                    GFX_FONT_OWNS);
  return font.GetLineHeight();
}

}  // namespace

// A font whose line height is not the height asked for is made once more at size x size (4 below
// size 2) over that line height, rounded; that second font stays.
TEST_F(DrawingTest, FontsAreCorrectedOnceToTheLineHeightAsked) {
  const char* face = "DejaVu Sans Mono";
  for (int size : {1, 23}) {
    IText style(size, &COLOR_BLUE, face);
    style.mOrientation = 7;  // a key of its own in the process-wide cache
    const int asked = std::max(size, 2);
    const int first = LineHeightAt(asked, face);
    ASSERT_NE(first, asked) << "the correction would not be needed";
    const double q = size < 2 ? 4.0 : (double)size * size;
    const int expected = LineHeightAt((int)(q / first + 0.5), face);
    GFX_IFont* font = graphics.CacheFont(&style);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(static_cast<GFX_CachedFont*>(font)->GetLineHeight(), expected) << "size " << size;
  }
}

// Without any system font: no cached font, nothing entered, no drawing; with fonts back the next
// call makes it.
TEST_F(DrawingTest, AFontThatCannotBeMadeIsTriedAgainNextTime) {
  FcConfig* fonts = FcConfigReference(nullptr);
  FcConfig* none = FcConfigCreate();
  ASSERT_TRUE(FcConfigSetCurrent(none));
  FcConfigDestroy(none);
  IText style(17, &COLOR_BLUE, "DejaVu Sans");
  style.mOrientation = 11;
  const int entries = FontStorage::Instance().Count();
  IRECT rect(0, 0, 50, 20);
  EXPECT_EQ(graphics.CacheFont(&style), nullptr);
  EXPECT_FALSE(graphics.DrawIText(&style, "Kroma", &rect));
  EXPECT_EQ(FontStorage::Instance().Count(), entries);
  FcConfigSetCurrent(fonts);
  FcConfigDestroy(fonts);
  EXPECT_TRUE(graphics.DrawIText(&style, "Kroma", &rect));
  EXPECT_NE(style.mCached, nullptr);
  EXPECT_EQ(FontStorage::Instance().Count(), entries + 1);
}

TEST_F(DrawingTest, ReleasedBitmapsLoadAgainAndRetainedOnesAreDestroyedOnce) {
  IBitmap bitmap = graphics.LoadIBitmap(9020, "10x10");
  const int entries = BitmapStorage::Instance().Count();
  graphics.RetainBitmap(&bitmap);
  EXPECT_EQ(BitmapStorage::Instance().Count(), entries + 1);
  EXPECT_EQ(graphics.getImageById(0, 1.0).mData, nullptr) << "kept without an id";
  graphics.ReleaseBitmap(&bitmap);  // one entry still holds it
  EXPECT_EQ(BitmapStorage::Instance().Count(), entries);
  graphics.ReleaseBitmap(&bitmap);
  EXPECT_EQ(BitmapStorage::Instance().Count(), entries - 1);
  EXPECT_EQ(graphics.getImageById(9020, 1.0).mData, nullptr);
  graphics.LoadIBitmap(9020, "10x10");
  EXPECT_EQ(graphics.mLoads, 2);
}

TEST_F(DrawingTest, FramesAreChosenByStateAlongTheirDirection) {
  DrawEverywhere();
  IBitmap vertical = graphics.LoadIBitmap(9030, "10x120", 1.0, 4, false);
  IRECT dest(0, 0, 10, 30);
  const IChannelBlend copy(IChannelBlend::kBlendClobber);
  const int expectedY[] = {0, 0, 0, 30, 60, 90};  // states -1 .. 4
  for (int state = -1; state <= 4; ++state) {
    graphics.DrawBitmap(&vertical, &dest, state, &copy);
    EXPECT_EQ(SourceAt(0, 0), std::make_pair(0, expectedY[state + 1])) << "state " << state;
  }
  IBitmap horizontal = graphics.LoadIBitmap(9031, "100x10", 1.0, 3, true);
  IRECT strip(0, 50, 33, 60);
  graphics.DrawBitmap(&horizontal, &strip, 2, &copy);
  EXPECT_EQ(SourceAt(0, 50), std::make_pair(33, 0));
  graphics.DrawBitmap(&horizontal, &strip, 3, 0, 4, &copy);
  EXPECT_EQ(SourceAt(0, 50), std::make_pair(67, 4));
  // A bitmap of one frame has no frames to choose: any state draws it from where it was asked.
  IBitmap single = graphics.LoadIBitmap(9032, "20x20", 1.0, 1, false);
  IRECT box(100, 100, 110, 110);
  graphics.DrawBitmap(&single, &box, 3, 2, 5, &copy);
  EXPECT_EQ(SourceAt(100, 100), std::make_pair(2, 5));
}

TEST_F(DrawingTest, BitmapBlitsClipToTheDrawingRectangle) {
  IBitmap bitmap = graphics.LoadIBitmap(9040, "60x60");
  DrawEverywhere();  // a white background
  IRECT region(30, 0, 100, 100);
  graphics.Draw(&region);
  IRECT dest(10, 10, 50, 50);
  const IChannelBlend copy(IChannelBlend::kBlendClobber);
  graphics.DrawBitmap(&bitmap, &dest, 0, 0, &copy);
  EXPECT_EQ(graphics.GetPoint(29, 10), COLOR_WHITE);
  EXPECT_EQ(SourceAt(30, 10), std::make_pair(20, 0));
  EXPECT_EQ(graphics.GetPoint(50, 10), COLOR_WHITE);
}

// Unturned, a top layer over a clear mask covers the base pixel for pixel at the place asked
// where it is opaque, and leaves what was drawn before where it is clear (its lower half); a
// quarter turn turns the top layer about the middle.
TEST_F(DrawingTest, ARotatedMaskLaysItsTopOverTheBaseInPlace) {
  GFX_MemBitmap* top = new GFX_MemBitmap(8, 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) top->getBits()[y * 8 + x] = GFX_Pixel(255, 100 + x, 50 + y, 0);
  BitmapStorage::Instance().Add(top, 9060);
  GFX_MemBitmap* spot = new GFX_MemBitmap(8, 8);  // transparent but for one pixel
  spot->getBits()[6 * spot->getRowSpan() + 2] = GFX_Pixel(255, 10, 10, 0);
  BitmapStorage::Instance().Add(spot, 9061);
  IBitmap base = graphics.LoadIBitmap(9062, "8x8");
  IBitmap layer = graphics.getImageById(9060, 1.0), mask = graphics.getImageById(9061, 1.0);
  DrawEverywhere();
  const std::pair<int, int> kBefore(255, 255);
  const struct {
    double angle;
    std::function<std::pair<int, int>(int, int)> source;
  } cases[] = {{0,
                [&](int x, int y) {
                  if (x == 2 && y == 6)
                    return std::make_pair(2 + 10, 6 + 10);  // the mask adds to the base
                  return y < 4 ? std::make_pair(100 + x, 50 + y) : kBefore;
                }},
               {90, [&](int x, int y) {
                  if (x == 1 && y == 2) return std::make_pair(1 + 10, 2 + 10);
                  return x > 3 ? std::make_pair(100 + y, 50 + 7 - x) : kBefore;
                }}};
  for (const auto& c : cases) {
    IRECT wipe(0, 0, 200, 200);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    ASSERT_TRUE(graphics.DrawRotatedMask(&base, &mask, &layer, 60, 70, c.angle));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(SourceAt(60 + x, 70 + y), c.source(x, y))
            << "angle " << c.angle << " at " << x << "," << y;
  }
}

TEST_F(DrawingTest, ClobberIgnoresSourceAlphaWhileNoBlendHonoursIt) {
  DrawEverywhere();
  GFX_MemBitmap* clear = new GFX_MemBitmap(4, 4);  // every pixel transparent black
  BitmapStorage::Instance().Add(clear, 9050);
  IBitmap bitmap = graphics.getImageById(9050, 1.0);
  const IColor white = COLOR_WHITE;
  IRECT all(0, 0, 200, 200);
  graphics.FillIRect(&white, &all);
  IRECT left(0, 0, 4, 4);
  IRECT right(10, 0, 14, 4);
  const IChannelBlend copy(IChannelBlend::kBlendClobber);
  graphics.DrawBitmap(&bitmap, &left, 1, &copy);
  graphics.DrawBitmap(&bitmap, &right, 1, nullptr);
  EXPECT_EQ(graphics.GetPoint(1, 1), IColor(0, 0, 0, 0));
  EXPECT_EQ(graphics.GetPoint(11, 1), COLOR_WHITE);
}

TEST_F(DrawingTest, StrayPixelsAreDroppedAndFractionLinesCountRowsFromTheBottom) {
  const IColor black = COLOR_BLACK, red = COLOR_RED;
  EXPECT_TRUE(graphics.ForcePixel(&red, 199, 199));
  EXPECT_EQ(graphics.GetPoint(199, 199), COLOR_RED);
  EXPECT_TRUE(graphics.ForcePixel(&red, 0, 0));
  EXPECT_EQ(graphics.GetPoint(0, 0), COLOR_RED);
  ASSERT_NE(graphics.GetBits(), nullptr);
  EXPECT_EQ(graphics.GetBits()[199 * graphics.GetBackBuffer()->getRowSpan() + 199], red.Pack());
  for (const auto& p : {std::make_pair(200, 0), std::make_pair(0, 200), std::make_pair(-1, 5),
                        std::make_pair(5, -1), std::make_pair(100000, 100000)})
    EXPECT_TRUE(
        graphics.ForcePixel(&red, p.first, p.second));  // AddressSanitizer checks the writes
  EXPECT_NE(graphics.GetPoint(199, 4), COLOR_RED);
  EXPECT_NE(graphics.GetPoint(0, 1), COLOR_RED) << "just past a row is not the next row";

  IRECT rect(0, 0, 10, 100);
  graphics.DrawHorizontalLine(&black, &rect, 0.25f);
  EXPECT_EQ(graphics.GetPoint(5, 75), COLOR_BLACK);
  EXPECT_NE(graphics.GetPoint(5, 74), COLOR_BLACK);
  graphics.DrawHorizontalLine(&black, &rect, 2.0f);
  EXPECT_EQ(graphics.GetPoint(5, 0), COLOR_BLACK);
  graphics.DrawVerticalLine(&black, &rect, -1.0f);
  EXPECT_EQ(graphics.GetPoint(0, 50), COLOR_BLACK);
  graphics.DrawHorizontalLine(&red, &rect, std::nanf(""));  // held like a fraction below 0
  EXPECT_EQ(graphics.GetPoint(5, 100), COLOR_RED);
}

// Each primitive paints where it is asked to, leaves what lies around it and reports success.
TEST_F(DrawingTest, PrimitivesPaintTheirShapeOnlyAndReportSuccess) {
  using Points = std::vector<std::pair<int, int>>;
  const IColor red = COLOR_RED;
  const IColor* c = &red;
  IGraphics& g = graphics;
  const float quarter = static_cast<float>(std::acos(0.0));  // 90 degrees
  const struct {
    const char* what;
    std::function<bool()> draw;
    Points painted, kept;
  } cases[] = {
      {"point, rounded",
       [&] { return g.DrawPoint(c, 10.4f, 20.6f); },
       {{10, 21}},
       {{10, 20}, {11, 21}}},
      {"line",
       [&] { return g.DrawLine(c, 10, 10, 50, 10); },
       {{10, 10}, {30, 10}},
       {{30, 11}, {60, 10}}},
      {"radial line, up",
       [&] { return g.DrawRadialLine(c, 100, 100, 0, 10, 40); },
       {{100, 75}},
       {{100, 95}, {100, 55}, {125, 100}}},
      {"radial line, right",
       [&] { return g.DrawRadialLine(c, 100, 100, quarter, 10, 40); },
       {{125, 100}},
       {{100, 75}, {95, 100}}},
      {"arc, up to right",
       [&] { return g.DrawArc(c, 100, 100, 30, 0, quarter); },
       {{100, 70}, {130, 100}},
       {{100, 130}, {70, 100}, {100, 100}}},
      {"circle",
       [&] { return g.DrawCircle(c, 100, 100, 30); },
       {{100, 70}, {130, 100}, {100, 130}, {70, 100}},
       {{100, 100}, {115, 100}}},
      {"rectangle outline",
       [&] {
         IRECT r(20, 20, 60, 50);
         return g.DrawRect(c, &r);
       },
       {{40, 20}, {40, 50}, {20, 35}, {60, 35}},
       {{40, 35}, {40, 51}}},
      {"vertical line",
       [&] { return g.DrawVerticalLine(c, 30, 10, 40); },
       {{30, 10}, {30, 25}, {30, 40}},
       {{31, 25}, {30, 45}}},
      {"horizontal line",
       [&] { return g.DrawHorizontalLine(c, 30, 10, 40); },
       {{10, 30}, {25, 30}, {40, 30}},
       {{25, 31}, {45, 30}}},
      {"rounded outline",
       [&] {
         IRECT r(20, 20, 80, 60);
         return g.RoundRect(c, &r, nullptr, 8, false);
       },
       {{50, 20}, {20, 40}},
       {{50, 40}, {20, 20}}},
      // Its centre, its left and right bands and each of its four corners.
      {"rounded fill",
       [&] {
         IRECT r(20, 20, 80, 60);
         return g.FillRoundRect(c, &r, nullptr, 8, false);
       },
       {{50, 40}, {21, 40}, {78, 40}, {22, 27}, {77, 27}, {22, 52}, {77, 52}},
       {{20, 20}, {79, 20}, {20, 59}, {79, 59}, {50, 61}}},
      {"rectangle fill",
       [&] {
         IRECT r(10, 10, 20, 20);
         return g.FillIRect(c, &r);
       },
       {{10, 10}, {19, 19}},
       {{20, 15}, {15, 20}}},
      {"filled circle",
       [&] { return g.FillCircle(c, 100, 100, 10); },
       {{100, 100}, {95, 95}},
       {{100, 115}, {115, 100}}},
      {"triangle",
       [&] { return g.FillTriangle(c, 10, 10, 50, 10, 10, 50); },
       {{15, 15}},
       {{45, 45}}},
      {"polygon",
       [&] {
         int xs[] = {10, 40, 40, 10}, ys[] = {10, 10, 40, 40};
         return g.FillIConvexPolygon(c, xs, ys, 4);
       },
       {{25, 25}},
       {{45, 25}, {25, 45}}},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    IRECT all(0, 0, 200, 200);
    graphics.FillIRect(&COLOR_WHITE, &all);
    EXPECT_TRUE(each.draw());
    for (const auto& [x, y] : each.painted)
      EXPECT_EQ(graphics.GetPoint(x, y), COLOR_RED) << x << "," << y;
    for (const auto& [x, y] : each.kept)
      EXPECT_EQ(graphics.GetPoint(x, y), COLOR_WHITE) << x << "," << y;
  }
}

// Text that fits is placed by its alignment; text too wide starts at the left edge and is cut at
// the right one.
TEST_F(DrawingTest, TextInsideARectangleIsCutAtItsRightEdgeWhenTooWide) {
  IText style(12, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar);
  auto ink = [&](const char* text) {
    IRECT wipe(0, 0, 200, 40);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    EXPECT_TRUE(graphics.DrawITextInside(&style, text, IRECT(50, 10, 110, 30)));
    IRECT found(200, 200, -1, -1);
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < 40; ++y)
        if (graphics.GetPoint(x, y) != COLOR_WHITE)
          found = IRECT(std::min(found.L, x), std::min(found.T, y), std::max(found.R, x),
                        std::max(found.B, y));
    return found;
  };
  const IRECT fits = ink("Ko");
  EXPECT_GE(fits.L, 80);
  EXPECT_LE(fits.R, 110);
  EXPECT_GE(fits.R, 105);
  const IRECT wide = ink("Kroma Kroma Kroma");
  EXPECT_LE(wide.L, 52);
  EXPECT_GE(wide.L, 50);
  EXPECT_LE(wide.R, 110);
  EXPECT_GE(wide.R, 105);
  // What shows is the text's beginning, as the left-aligned text drawn without a limit has it.
  std::vector<IColor> cut, whole;
  for (int x = 50; x < 110; ++x)
    for (int y = 10; y < 30; ++y) cut.push_back(graphics.GetPoint(x, y));
  IRECT wipe(0, 0, 200, 40), unlimited(50, 10, 200, 30);
  graphics.FillIRect(&COLOR_WHITE, &wipe);
  style.mAlign = IText::kAlignNear;
  graphics.DrawIText(&style, "Kroma Kroma Kroma", &unlimited);
  for (int x = 50; x < 110; ++x)
    for (int y = 10; y < 30; ++y) whole.push_back(graphics.GetPoint(x, y));
  EXPECT_TRUE(cut == whole);
}

// The style's quality picks smoothed or hard-edged glyphs; a quality outside the known ones draws
// hard edges.
TEST_F(DrawingTest, EachQualityDrawsSmoothOrHardEdges) {
  const struct {
    int quality;
    bool smooth;
  } cases[] = {{IText::kQualityDefault, true},
               {IText::kQualityNoAntiAliasing, false},
               {IText::kQualityAntiAliasing, true},
               {IText::kQualityClearType, true},
               {4, false},
               {-1, false}};
  int orientation = 21;  // each case a font of its own in the process-wide cache
  for (const auto& c : cases) {
    IText style(16, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
    style.mQuality = c.quality;
    style.mOrientation = orientation++ * 360;
    IRECT wipe(0, 0, 200, 40), row(0, 0, 200, 40);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    ASSERT_TRUE(graphics.DrawIText(&style, "Kroma 8", &row));
    int grey = 0, black = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) {
        const IColor p = graphics.GetPoint(x, y);
        black += p == COLOR_BLACK;
        grey += p != COLOR_BLACK && p != COLOR_WHITE;
      }
    EXPECT_GT(black, 0) << "quality " << c.quality;
    EXPECT_EQ(grey > 0, c.smooth) << "quality " << c.quality;
  }
}

// Text takes its colour's alpha: half-transparent black ink on white is no darker than mid grey,
// opaque ink is black; bold and slanted faces draw other pixels than the plain one.
TEST_F(DrawingTest, TextTakesTheColoursAlphaAndTheStylesFace) {
  const auto draw = [&](const IColor& colour, int textStyle) {
    IText style(20, &colour, "DejaVu Sans", textStyle, IText::kAlignNear);
    style.mQuality = IText::kQualityNoAntiAliasing;
    style.mOrientation = 360 * (20 + textStyle);  // fonts of their own in the process-wide cache
    IRECT wipe(0, 0, 200, 40), row(0, 0, 200, 40);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    graphics.DrawIText(&style, "Kroma", &row);
    std::vector<IColor> pixels;
    int darkest = 255;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) {
        pixels.push_back(graphics.GetPoint(x, y));
        darkest = std::min(darkest, (int)pixels.back().R);
      }
    return std::make_pair(darkest, pixels);
  };
  const IColor halfBlack(128, 0, 0, 0);
  EXPECT_EQ(draw(COLOR_BLACK, IText::kStyleNormal).first, 0);
  EXPECT_GE(draw(halfBlack, IText::kStyleNormal).first, 126);
  const auto plain = draw(COLOR_BLACK, IText::kStyleNormal).second;
  EXPECT_NE(draw(COLOR_BLACK, IText::kStyleItalic).second, plain);
  EXPECT_NE(draw(COLOR_BLACK, IText::kStyleBold).second, plain);
}

// Text turned a quarter runs upwards: its ink is as tall as the unturned text's is wide, and as
// wide as that is tall.
TEST_F(DrawingTest, TextTurnedAQuarterRunsUpwards) {
  const auto inkOf = [&](int orientation) {
    IText style(16, &COLOR_BLACK, "DejaVu Sans Mono", IText::kStyleNormal, IText::kAlignNear);
    style.mOrientation = orientation;
    IRECT wipe(0, 0, 200, 200), row(60, 140, 200, 200);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    graphics.DrawIText(&style, "MMMMMM", &row);
    int left = 200, right = -1, top = 200, bottom = -1;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x)
        if (graphics.GetPoint(x, y) != COLOR_WHITE) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    return std::make_pair(right - left + 1, bottom - top + 1);
  };
  const auto [width, height] = inkOf(0);
  const auto [turnedWidth, turnedHeight] = inkOf(90);
  ASSERT_GT(width, 2 * height);
  EXPECT_NEAR(turnedHeight, width, 2);
  EXPECT_NEAR(turnedWidth, height, 2);
}

// A measure is the text's own size wherever the rectangle starts: twice the characters of a
// fixed-width face are twice as wide, two lines twice as tall, one line the font's line height.
TEST_F(DrawingTest, MeasuresAreTheTextsOwnSize) {
  IText style(14, &COLOR_BLACK, "DejaVu Sans Mono", IText::kStyleNormal, IText::kAlignNear);
  const auto measure = [&](const char* text, int left, int top) {
    std::string copy = text;
    IRECT rect(left, top, left + 150, top + 40);
    EXPECT_TRUE(graphics.MeasureIText(&style, copy.data(), &rect)) << text;
    EXPECT_EQ(std::pair(rect.L, rect.T), std::pair(left, top)) << text;
    return std::pair(rect.W(), rect.H());
  };
  for (auto [left, top] : {std::pair{0, 0}, {7, 3}}) {
    const auto [w, h] = measure("MM", left, top);
    ASSERT_GT(w, 0);
    EXPECT_EQ(h, static_cast<GFX_CachedFont*>(style.mCached)->GetLineHeight());
    EXPECT_EQ(measure("MMMM", left, top), std::pair(2 * w, h));
    EXPECT_EQ(measure("MM\nM", left, top), std::pair(w, 2 * h));
  }
}

TEST_F(DrawingTest, MeasuredTextIsPlacedByAlignment) {
  IText style(12, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  char text[] = "Kroma";
  IRECT near(10, 5, 101, 20);
  ASSERT_TRUE(graphics.MeasureIText(&style, text, &near));
  const int w = near.W(), h = near.H();
  EXPECT_EQ(near.L, 10);
  const int aligns[][2] = {{IText::kAlignCenter, 50 - w / 2}, {IText::kAlignFar, 101 - w}};
  for (const auto& a : aligns) {
    style.mAlign = a[0];
    IRECT rect(0, 0, 101, 20);
    graphics.MeasureIText(&style, text, &rect);
    EXPECT_EQ(rect, IRECT(a[1], 0, a[1] + w, h)) << "alignment " << a[0];
  }
  // Drawn text lands where the measurement put it, and at the top, middle or bottom of a tall row.
  const struct {
    int align, vAlign, left, top;
  } drawn[] = {{IText::kAlignNear, IText::kVAlignTop, 0, 30},
               {IText::kAlignCenter, IText::kVAlignCenter, 50 - w / 2, 55 - h / 2},
               {IText::kAlignFar, IText::kVAlignBottom, 101 - w, 80 - h}};
  for (const auto& d : drawn) {
    style.mAlign = d.align;
    style.mVAlign = d.vAlign;
    IRECT row(0, 30, 101, 80), wipe(0, 30, 101, 80);
    graphics.FillIRect(&COLOR_WHITE, &wipe);
    graphics.DrawIText(&style, text, &row);
    IRECT ink(200, 200, -1, -1);
    for (int x = 0; x < 101; ++x)
      for (int y = 30; y < 80; ++y)
        if (graphics.GetPoint(x, y) != COLOR_WHITE)
          ink =
              IRECT(std::min(ink.L, x), std::min(ink.T, y), std::max(ink.R, x), std::max(ink.B, y));
    EXPECT_GE(ink.L, d.left - 1) << "alignment " << d.align;
    EXPECT_LE(ink.R, d.left + w) << "alignment " << d.align;
    EXPECT_GE(ink.T, d.top - 1) << "vertical alignment " << d.vAlign;
    EXPECT_LE(ink.B, d.top + h) << "vertical alignment " << d.vAlign;
  }
  IRECT untouched(1, 2, 3, 4);
  EXPECT_TRUE(graphics.DrawIText(&style, "", &untouched, true));
  EXPECT_EQ(untouched, IRECT(1, 2, 3, 4));
}
