#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "Pixels.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/wsys/Font.h"

using namespace gfx_test;

namespace {

HFONT makeFont(int height, int quality = ANTIALIASED_QUALITY) {
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, (char)quality, 0, "DejaVu Sans");
}

std::unique_ptr<GFX_CachedFont> cachedFont(int height, int quality = ANTIALIASED_QUALITY) {
  auto font = std::make_unique<GFX_CachedFont>();
  font->SetFromHFont(makeFont(height, quality), GFX_FONT_OWNS | GFX_FONT_NATIVE);
  font->SetTextColor(GFX_Pixel(255, 255, 255, 255));
  return font;
}

RECT measure(GFX_IFont& font, const char* text, int len = -1, RECT r = {0, 0, 0, 0}) {
  font.DrawText(nullptr, text, len, &r, DT_CALCRECT);
  return r;
}

Box drawn(GFX_IFont& font, const char* text, RECT rect, unsigned int flags, int w = 60,
          int h = 40) {
  GFX_MemBitmap b(w, h);
  font.DrawText(&b, text, -1, &rect, flags);
  return inkBox(&b);
}

}  // namespace

TEST(CachedFont, MeasuresLinesWithoutDrawing) {
  auto font = cachedFont(14);
  // A blank glyph (nothing to draw) is a glyph all the same, first or cached.
  const int space = measure(*font, " ").right;
  EXPECT_GT(space, 0);
  EXPECT_EQ(measure(*font, "a a").right, 2 * measure(*font, "a").right + space);
  const int line = font->GetLineHeight();
  EXPECT_TRUE(line >= 14 && line <= 20) << line;
  const RECT ab = measure(*font, "ab");
  EXPECT_EQ(ab.right, measure(*font, "a").right + measure(*font, "b").right);
  const RECT two = measure(*font, "ab\nWWWW");  // the wider line's width, twice the height
  EXPECT_EQ(two.right, measure(*font, "WWWW").right);
  EXPECT_EQ(two.bottom, 2 * line);
  const RECT cut = measure(*font, "abcdef", 2, {10, 5, 0, 0});  // len bytes; origin kept
  EXPECT_EQ(cut.right, 10 + ab.right);
  EXPECT_EQ(cut.bottom, 5 + line);
  const RECT edge = measure(*font, "WW", -1, {INT32_MAX - 5, INT32_MAX - 5, 0, 0});
  EXPECT_EQ(edge.right, INT32_MAX);
  EXPECT_EQ(edge.bottom, INT32_MAX);
  EXPECT_EQ(drawn(*font, "abc", {0, 0, 30, 30}, DT_CALCRECT).right, 0) << "measuring drew";
}

TEST(CachedFont, EachAlignmentFlagPlacesTheBox) {
  auto font = cachedFont(12);
  const RECT rect = {0, 0, 60, 40}, size = measure(*font, "Xy");
  const Box topLeft = drawn(*font, "Xy", rect, DT_LEFT | DT_TOP);
  ASSERT_LT(topLeft.left, 3);
  const struct {
    unsigned int flags;
    int dx, dy;
  } cases[] = {
      {DT_CENTER, (60 - size.right) / 2, 0},
      {DT_RIGHT | DT_VCENTER, 60 - size.right, (40 - size.bottom) / 2},
      {DT_BOTTOM | DT_NOCLIP, 0, 40 - size.bottom},
  };
  for (const auto& c : cases) {
    const Box box = drawn(*font, "Xy", rect, c.flags);
    EXPECT_EQ(std::vector<int>({box.left, box.top, box.right, box.bottom}),
              std::vector<int>({topLeft.left + c.dx, topLeft.top + c.dy, topLeft.right + c.dx,
                                topLeft.bottom + c.dy}))
        << c.flags;
  }
}

TEST(CachedFont, ClipsToTheRectangleUnlessToldNotToAndNeverOverflows) {
  auto font = cachedFont(12);
  const Box clipped = drawn(*font, "WWWW", {5, 5, 15, 12}, 0);
  EXPECT_TRUE(clipped.left >= 5 && clipped.right <= 15 && clipped.bottom <= 12);
  EXPECT_GT(drawn(*font, "WWWW", {5, 5, 15, 12}, DT_NOCLIP).right, 15);
  const RECT whole = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_EQ(drawn(*font, "WW", whole, DT_RIGHT | DT_BOTTOM | DT_NOCLIP, 20, 20).right, 0);
  EXPECT_EQ(drawn(*font, "WW", whole, DT_CENTER | DT_VCENTER, 20, 20).left, 0);  // about 0
}

// Monochrome text has no partial pixels; the colour's alpha counts only with its flag.
TEST(CachedFont, QualityAndForegroundAlphaSetTheInk) {
  const uint32_t white = GFX_Pixel(255, 255, 255, 255), half = GFX_Pixel(128, 255, 255, 255);
  const struct {
    int quality;
    uint32_t colour;
    unsigned int flags;
    bool partial;
    int brightest;
  } cases[] = {
      {NONANTIALIASED_QUALITY, white, 0, false, 255},
      {ANTIALIASED_QUALITY, white, 0, true, 255},
      {NONANTIALIASED_QUALITY, half, 0, false, 255},
      {NONANTIALIASED_QUALITY, half, WSYS_DT_FGALPHA, false, 128},
  };
  for (const auto& c : cases) {
    auto font = cachedFont(14, c.quality);
    font->SetTextColor(c.colour);
    GFX_MemBitmap b(80, 30);
    RECT r = {0, 0, 80, 30};
    font->DrawText(&b, "Kroma Wave", -1, &r, c.flags);
    int partial = 0, brightest = 0;
    for (int i = 0; i < 80 * 30; ++i) {
      const int v = red(b.getBits()[i]);
      partial += v > 0 && v < c.brightest;
      brightest = std::max(brightest, v);
    }
    EXPECT_EQ(partial > 20, c.partial) << c.quality << " " << c.flags;
    EXPECT_EQ(brightest, c.brightest) << c.quality << " " << c.flags;
  }
}

// UTF-8 sequences are one character each, a byte that starts none reads as
// Latin-1, and each character beyond Latin-1 keeps a cache entry of its own.
TEST(CachedFont, NonAsciiTextIsLaidOutByCharacter) {
  const struct {
    const char* text;
    std::vector<const char*> parts;  // laid out alone, side by side
  } cases[] = {
      {"A\xC3\xA9", {"A", "\xE9"}},  // e acute, two bytes
      {"\xE2\x82\xAC\xCE\xA9\xE2\x82\xAC", {"\xE2\x82\xAC", "\xCE\xA9", "\xE2\x82\xAC"}},
      {"\xCE\xA9\xE2\x86\x92W", {"\xCE\xA9", "\xE2\x86\x92", "W"}},  // omega, arrow
      {"\xE9\xE9", {"\xE9", "\xE9"}},
      // the last Latin-1 character and the first beyond it, each cached where it belongs
      {"\xC3\xBF\xC4\x80\xC4\x80\xC3\xBF", {"\xC3\xBF", "\xC4\x80", "\xC4\x80", "\xC3\xBF"}},
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

// A replaced font is released only when owned; given the font it holds, it keeps it.
TEST(CachedFont, ReplacedFontsAreReleasedOnlyWhenOwned) {
  auto font = cachedFont(14);
  const int small = font->GetLineHeight();
  HFONT large = makeFont(30);
  font->SetFromHFont(large, GFX_FONT_OWNS);
  font->SetFromHFont(large, GFX_FONT_OWNS | GFX_FONT_NATIVE);
  EXPECT_GT(font->GetLineHeight(), small);
  HFONT borrowed = makeFont(10);
  font->SetFromHFont(borrowed, 0);
  font.reset();
  EXPECT_TRUE(DeleteObject(borrowed)) << "a font the object does not own stays with its maker";
  GFX_CachedFont none;
  EXPECT_EQ(measure(none, "x").right + none.GetLineHeight(), 0);
}
