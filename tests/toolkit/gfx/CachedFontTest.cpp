#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Pixels.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/wsys/Font.h"

using namespace gfx_test;

namespace {

const uint32_t kWhite = GFX_Pixel(255, 255, 255, 255);

HFONT makeFont(int height, int quality = ANTIALIASED_QUALITY, const char* name = "DejaVu Sans") {
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, (char)quality, 0, name);
}

std::unique_ptr<GFX_CachedFont> cachedFont(int height, int quality = ANTIALIASED_QUALITY) {
  auto font = std::make_unique<GFX_CachedFont>();
  font->SetFromHFont(makeFont(height, quality), GFX_FONT_OWNS | GFX_FONT_NATIVE);
  font->SetTextColor(kWhite);
  return font;
}

RECT measure(GFX_IFont& font, const char* text) {
  RECT r = {0, 0, 0, 0};
  font.DrawText(nullptr, text, -1, &r, DT_CALCRECT);
  return r;
}

Box drawn(GFX_IFont& font, const char* text, RECT rect, unsigned int flags, int w = 60,
          int h = 40) {
  GFX_MemBitmap b(w, h);
  font.DrawText(&b, text, -1, &rect, flags);
  return inkBox(&b);
}

}  // namespace

TEST(CachedFont, MeasuresWithoutDrawing) {
  auto font = cachedFont(14);
  const int lineHeight = font->GetLineHeight();
  EXPECT_GE(lineHeight, 14);
  EXPECT_LE(lineHeight, 20);
  const RECT ab = measure(*font, "ab"), a = measure(*font, "a"), b = measure(*font, "b");
  EXPECT_EQ(ab.right, a.right + b.right);
  EXPECT_EQ(ab.bottom, lineHeight);
  EXPECT_LT(measure(*font, "iiii").right, measure(*font, "WWWW").right);
  EXPECT_EQ(measure(*font, "").right, 0);
  // Two lines: the wider one's width, twice the height.
  const RECT two = measure(*font, "ab\nWWWW");
  EXPECT_EQ(two.right, measure(*font, "WWWW").right);
  EXPECT_EQ(two.bottom, 2 * lineHeight);
  // Only the first len bytes count; a rectangle's origin is kept.
  RECT r = {10, 5, 0, 0};
  font->DrawText(nullptr, "abcdef", 2, &r, DT_CALCRECT);
  EXPECT_EQ(r.right, 10 + ab.right);
  EXPECT_EQ(r.bottom, 5 + lineHeight);
  GFX_MemBitmap untouched(30, 30);
  RECT box = {0, 0, 30, 30};
  font->DrawText(&untouched, "abc", -1, &box, DT_CALCRECT);
  EXPECT_EQ(inkBox(&untouched).right, 0);
}

TEST(CachedFont, EachAlignmentFlagPlacesTheBox) {
  auto font = cachedFont(12);
  const RECT rect = {0, 0, 60, 40};
  const RECT size = measure(*font, "Xy");
  const Box topLeft = drawn(*font, "Xy", rect, DT_LEFT | DT_TOP);
  ASSERT_LT(topLeft.left, topLeft.right);
  EXPECT_LT(topLeft.left, 3);
  EXPECT_LE(topLeft.bottom, size.bottom);
  struct Case {
    unsigned int flags;
    int dx, dy;
  } cases[] = {
      {DT_CENTER, (60 - size.right) / 2, 0},
      {DT_RIGHT, 60 - size.right, 0},
      {DT_VCENTER, 0, (40 - size.bottom) / 2},
      {DT_BOTTOM, 0, 40 - size.bottom},
      {DT_CENTER | DT_VCENTER, (60 - size.right) / 2, (40 - size.bottom) / 2},
      {DT_RIGHT | DT_BOTTOM | DT_NOCLIP, 60 - size.right, 40 - size.bottom},
  };
  for (const Case& c : cases) {
    const Box box = drawn(*font, "Xy", rect, c.flags);
    EXPECT_EQ(box.left, topLeft.left + c.dx) << c.flags;
    EXPECT_EQ(box.right, topLeft.right + c.dx) << c.flags;
    EXPECT_EQ(box.top, topLeft.top + c.dy) << c.flags;
    EXPECT_EQ(box.bottom, topLeft.bottom + c.dy) << c.flags;
  }
}

TEST(CachedFont, ClipsToTheRectangleUnlessToldNotTo) {
  auto font = cachedFont(16);
  const RECT small = {5, 5, 15, 12};
  const Box clipped = drawn(*font, "WWWW", small, 0);
  EXPECT_GE(clipped.left, 5);
  EXPECT_LE(clipped.right, 15);
  EXPECT_LE(clipped.bottom, 12);
  const Box free = drawn(*font, "WWWW", small, DT_NOCLIP);
  EXPECT_GT(free.right, 15);
  // Text hanging over every edge of the bitmap touches nothing outside it.
  for (RECT r : {RECT{-30, -10, 100, 100}, RECT{50, 30, 200, 200}, RECT{-1000, 0, -900, 20}}) {
    GFX_MemBitmap b(20, 20);
    font->DrawText(&b, "WWWW WWWW", -1, &r, DT_NOCLIP);
  }
  GFX_MemBitmap empty(0, 0);
  RECT r = {0, 0, 10, 10};
  font->DrawText(&empty, "W", -1, &r, 0);
}

TEST(CachedFont, MonochromeTextHasNoPartialPixels) {
  auto countPartial = [](GFX_IFont& font) {
    GFX_MemBitmap b(80, 30);
    RECT r = {0, 0, 80, 30};
    font.DrawText(&b, "Kroma Wave", -1, &r, 0);
    int partial = 0, full = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 80; ++x) {
        const int v = red(GFX_GetPixel(&b, x, y));
        partial += v > 0 && v < 255;
        full += v == 255;
      }
    return std::pair{partial, full};
  };
  auto mono = cachedFont(14, NONANTIALIASED_QUALITY);
  auto smooth = cachedFont(14, ANTIALIASED_QUALITY);
  const auto [monoPartial, monoFull] = countPartial(*mono);
  const auto [smoothPartial, smoothFull] = countPartial(*smooth);
  EXPECT_EQ(monoPartial, 0);
  EXPECT_GT(monoFull, 20);
  EXPECT_GT(smoothPartial, 20);
  EXPECT_GT(smoothFull, 0);
}

TEST(CachedFont, ForegroundAlphaOnlyWithItsFlag) {
  auto font = cachedFont(14, NONANTIALIASED_QUALITY);
  font->SetTextColor(GFX_Pixel(128, 255, 255, 255));
  auto brightest = [&](unsigned int flags) {
    GFX_MemBitmap b(40, 20);
    RECT r = {0, 0, 40, 20};
    font->DrawText(&b, "WW", -1, &r, flags);
    int most = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) most = std::max(most, red(GFX_GetPixel(&b, x, y)));
    return most;
  };
  EXPECT_EQ(brightest(0), 255);
  EXPECT_EQ(brightest(WSYS_DT_FGALPHA), 128);
}

// UTF-8 sequences are one character each, a byte that starts none reads as
// Latin-1, and each character beyond Latin-1 keeps a cache entry of its own.
TEST(CachedFont, NonAsciiTextIsLaidOutByCharacter) {
  const struct {
    const char* text;
    std::vector<const char*> parts;  // laid out alone, side by side
  } cases[] = {
      {"A\xC3\xA9", {"A", "\xE9"}},  // e acute, two bytes
      {"\xE2\x82\xAC\xCE\xA9\xE2\x82\xAC",
       {"\xE2\x82\xAC", "\xCE\xA9", "\xE2\x82\xAC"}},                // euro, omega, euro
      {"\xCE\xA9\xE2\x86\x92W", {"\xCE\xA9", "\xE2\x86\x92", "W"}},  // omega, arrow
      {"\xE9\xE9", {"\xE9", "\xE9"}},
  };
  for (const auto& c : cases) {
    auto font = cachedFont(13);
    int sum = 0;
    for (const char* part : c.parts) sum += measure(*font, part).right;
    EXPECT_EQ(measure(*font, c.text).right, sum) << c.text;
    // Drawn twice, from fresh glyphs and from cached ones: the same pixels.
    GFX_MemBitmap first(80, 20), second(80, 20);
    RECT r = {0, 0, 80, 20};
    font->DrawText(&first, c.text, -1, &r, 0);
    font->DrawText(&second, c.text, -1, &r, 0);
    EXPECT_GT(inkBox(&first).right, 0) << c.text;
    EXPECT_TRUE(pixelsAre(&second, [&](int x, int y) { return GFX_GetPixel(&first, x, y); }));
  }
  auto font = cachedFont(13);
  EXPECT_NE(measure(*font, "\xCE\xA9").right, measure(*font, "\xE2\x82\xAC").right);
}

TEST(CachedFont, ReplacedFontsAreReleasedOnlyWhenOwned) {
  auto font = cachedFont(13);
  const int small = font->GetLineHeight();
  font->SetFromHFont(makeFont(30), GFX_FONT_OWNS);
  EXPECT_GT(font->GetLineHeight(), small);
  HFONT borrowed = makeFont(10);
  font->SetFromHFont(borrowed, 0);
  font.reset();
  EXPECT_TRUE(DeleteObject(borrowed)) << "a font the object does not own stays with its maker";
  GFX_CachedFont none;
  RECT any = {0, 0, 10, 10};
  EXPECT_EQ(none.DrawText(nullptr, "x", -1, &any, DT_CALCRECT), 0);
  EXPECT_EQ(none.GetLineHeight(), 0);
}

TEST(CachedFont, GivenTheFontItHoldsAgainKeepsIt) {
  auto font = cachedFont(14);
  const RECT before = measure(*font, "Kroma");
  HFONT same = makeFont(20);
  font->SetFromHFont(same, GFX_FONT_OWNS);
  const int lineHeight = font->GetLineHeight();
  font->SetFromHFont(same, GFX_FONT_OWNS | GFX_FONT_NATIVE);
  EXPECT_EQ(font->GetLineHeight(), lineHeight);
  EXPECT_GT(measure(*font, "Kroma").right, before.right);
  GFX_MemBitmap b(60, 30);
  RECT r = {0, 0, 60, 30};
  font->DrawText(&b, "Kroma", -1, &r, 0);
  EXPECT_GT(inkBox(&b).right, 0);
  font.reset();  // releases the font once
}

TEST(CachedFont, ExtremeRectanglesDoNotOverflow) {
  auto font = cachedFont(12);
  const RECT whole = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  const RECT far = {INT32_MAX - 5, 0, INT32_MAX, 10};
  auto inkOf = [&](RECT r, unsigned int flags) {
    GFX_MemBitmap b(20, 20);
    font->DrawText(&b, "WW", -1, &r, flags);
    return inkBox(&b);
  };
  EXPECT_EQ(inkOf(whole, 0).right, 0);
  EXPECT_EQ(inkOf(whole, DT_RIGHT | DT_BOTTOM | DT_NOCLIP).right, 0);
  EXPECT_EQ(inkOf(far, DT_CENTER | DT_VCENTER).right, 0);
  // The middle of the whole range is about the origin: the text hangs over the corner.
  const Box centred = inkOf(whole, DT_CENTER | DT_VCENTER);
  EXPECT_EQ(centred.left, 0);
  EXPECT_EQ(centred.top, 0);
  EXPECT_GT(centred.right, 0);
  RECT edge = {INT32_MAX - 5, INT32_MAX - 5, 0, 0};
  font->DrawText(nullptr, "WW", -1, &edge, DT_CALCRECT);
  EXPECT_EQ(edge.right, INT32_MAX);
  EXPECT_EQ(edge.bottom, INT32_MAX);
}
