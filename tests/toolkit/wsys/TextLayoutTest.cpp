#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/wsys/TextLayout.h"

// Layout against a glyph source of known boxes: every glyph is 2 x 3 pixels of one coverage,
// standing on the baseline, 3 pixels apart; lines are 4 pixels high.
namespace {

using ::testing::ElementsAreArray;

class BoxGlyphs : public WSYS_GlyphSource {
 public:
  bool glyph(uint32_t codepoint, WSYS_Glyph* out) override {
    asked.push_back(codepoint);
    if (codepoint == kMissing) return false;
    out->left = 0;
    out->top = 3;
    out->width = 2;
    out->height = 3;
    out->advanceX = advanceX;
    out->advanceY = advanceY;
    out->coverage = mCoverage.data();
    return true;
  }
  int ascent() override { return 3; }
  int lineHeight() override { return 4; }
  void setCoverage(unsigned char value) { mCoverage.assign(6, value); }

  static constexpr uint32_t kMissing = 0x7E;  // '~' has no glyph
  std::vector<uint32_t> asked;
  int advanceX = 3 * 64;  // in 64ths of a pixel
  int advanceY = 0;

 private:
  std::vector<unsigned char> mCoverage = std::vector<unsigned char>(6, 255);
};

constexpr uint32_t kWhite = 0xFFFFFFFFu;

struct Canvas {
  explicit Canvas(uint32_t colour = kWhite, uint32_t background = 0) : pixels(20 * 10, background) {
    target.bits = pixels.data();
    target.width = 20;
    target.height = 10;
    target.rowSpan = 20;
    target.colour = colour;
  }
  // The rows of the canvas as text: '#' where the pixel is no longer the background.
  std::vector<std::string> rows(uint32_t background = 0) const {
    std::vector<std::string> out;
    for (int y = 0; y < 10; ++y) {
      std::string row;
      for (int x = 0; x < 20; ++x) row += pixels[(size_t)y * 20 + x] == background ? '.' : '#';
      out.push_back(row);
    }
    return out;
  }
  std::vector<uint32_t> pixels;
  WSYS_TextTarget target;
};

}  // namespace

// Each UTF-8 sequence is one character; a byte that starts none, or a sequence cut short by
// the end or broken by a byte that does not continue it, reads byte by byte as Latin-1.
TEST(TextLayout, DecodesUtf8AndReadsTheRestAsLatin1) {
  const struct {
    std::string text;
    int len;
    std::vector<uint32_t> characters;
  } cases[] = {
      {"A", -1, {0x41}},
      {"\xC2\x80", -1, {0x80}},
      {"\xC3\xA9", -1, {0xE9}},
      {"\xDF\xBF", -1, {0x7FF}},
      {"\xE2\x82\xAC", -1, {0x20AC}},
      {"\xEF\xBC\xA1", -1, {0xFF21}},
      {"\xE0\xA4\x85", -1, {0x905}},
      {"\xC3\xA9Z\xE2\x82\xACZ", -1, {0xE9, 0x5A, 0x20AC, 0x5A}},
      {"\xF0\x9F\x98\x80", -1, {0x1F600}},
      {"\xF4\x8F\xBF\xBF", -1, {0x10FFFF}},
      {"\xC1\x81", -1, {0xC1, 0x81}},  // overlong lead
      {"\xF5\x80\x80\x80", -1, {0xF5, 0x80, 0x80, 0x80}},
      {"\xC3"
       "A",
       -1,
       {0xC3, 0x41}},
      {"\xE2\x82"
       "A",
       -1,
       {0xE2, 0x82, 0x41}},
      {"\xE2\x82\xAC", 2, {0xE2, 0x82}},  // cut by the length
      {"\xC3\xA9", 1, {0xC3}},
      {"\xF0\x9F\x98\x80", 3, {0xF0, 0x9F, 0x98}},
      {"ab", 0, {}},  // a length of nothing reads no character
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    RECT rect = {0, 0, 0, 0};
    WSYS_LayoutText(font, c.text.c_str(), c.len, &rect, DT_CALCRECT, nullptr);
    EXPECT_THAT(font.asked, ElementsAreArray(c.characters)) << c.text << " " << c.len;
    EXPECT_EQ(rect.right, 3 * (int)c.characters.size()) << c.text << " " << c.len;
  }
}

// Lines end at '\n' (a last empty one counts), the widest sets the width, a character without
// a glyph takes no room, and no more than 64 lines are laid out.
TEST(TextLayout, MeasuresLinesAndStopsAt64) {
  const struct {
    std::string text;
    int width, height;
  } cases[] = {
      {"", 0, 4},
      {"ab", 6, 4},
      {"ab\n", 6, 8},
      {"a\nabc\nab", 9, 12},
      {"a~b", 6, 4},
      {std::string(63, '\n'), 0, 64 * 4},
      {std::string(64, '\n'), 0, 64 * 4},
      {std::string(80, '\n') + "abcdef", 0, 64 * 4},
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    RECT rect = {5, 7, 0, 0};
    EXPECT_EQ(WSYS_LayoutText(font, c.text.c_str(), -1, &rect, DT_CALCRECT, nullptr), c.height)
        << c.text.size();
    EXPECT_EQ(rect.right, 5 + c.width) << c.text.size();
    EXPECT_EQ(rect.bottom, 7 + c.height) << c.text.size();
  }
  BoxGlyphs font;
  EXPECT_EQ(WSYS_LayoutText(font, nullptr, -1, nullptr, DT_CALCRECT, nullptr), 0);
}

// A width in parts of a pixel rounds to the nearest pixel, a half up.
TEST(TextLayout, WidthsRoundToTheNearestPixel) {
  const struct {
    int advanceX;  // in 64ths
    int width;
  } cases[] = {{3 * 64 + 31, 3}, {3 * 64 + 32, 4}, {3 * 64 + 33, 4}, {3 * 64 - 33, 2}};
  for (const auto& c : cases) {
    BoxGlyphs font;
    font.advanceX = c.advanceX;
    RECT rect = {0, 0, 0, 0};
    WSYS_LayoutText(font, "a", -1, &rect, DT_CALCRECT, nullptr);
    EXPECT_EQ(rect.right, c.width) << c.advanceX;
  }
}

// A turned font's pen also moves down: a line is as wide as the pen's path is long.
TEST(TextLayout, ATurnedLineIsAsWideAsThePensPath) {
  const struct {
    int advanceY;
    const char* text;
    int width;
  } cases[] = {
      {4 * 64, "ab", 10},     // 6 across, 8 down
      {-4 * 64, "a", 5},      // 3 across, 4 up
      {4 * 64, "a\nab", 10},  // the longer path sets the width
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    font.advanceY = c.advanceY;
    RECT rect = {2, 0, 0, 0};
    WSYS_LayoutText(font, c.text, -1, &rect, DT_CALCRECT, nullptr);
    EXPECT_EQ(rect.right, 2 + c.width) << c.text << " " << c.advanceY;
  }
}

// Each flag places the lines in the rectangle; without DT_NOCLIP the rectangle clips.
TEST(TextLayout, FlagsPlaceAndClipTheLines) {
  const std::string row0 = "....................";
  const struct {
    const char* name;
    RECT rect;
    unsigned int flags;
    const char* text;
    std::vector<std::string> rows;
  } cases[] = {
      {"left top",
       {1, 1, 19, 9},
       DT_LEFT | DT_TOP,
       "ab",
       {row0, ".##.##..............", ".##.##..............", ".##.##..............", row0, row0,
        row0, row0, row0, row0}},
      {"right bottom",
       {1, 1, 19, 9},
       DT_RIGHT | DT_BOTTOM,
       "ab",
       {row0, row0, row0, row0, row0, ".............##.##..", ".............##.##..",
        ".............##.##..", row0, row0}},
      {"centre",
       {0, 0, 20, 10},
       DT_CENTER | DT_VCENTER,
       "a\nbc",
       {row0, "........##..........", "........##..........", "........##..........", row0,
        ".......##.##........", ".......##.##........", ".......##.##........", row0, row0}},
      {"clipped",
       {2, 2, 5, 3},
       0,
       "ab",
       {row0, row0, "..##................", row0, row0, row0, row0, row0, row0, row0}},
      {"unclipped",
       {2, 2, 5, 3},
       DT_NOCLIP,
       "ab",
       {row0, row0, "..##.##.............", "..##.##.............", "..##.##.............", row0,
        row0, row0, row0, row0}},
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    Canvas canvas;
    RECT rect = c.rect;
    WSYS_LayoutText(font, c.text, -1, &rect, c.flags, &canvas.target);
    EXPECT_THAT(canvas.rows(), ElementsAreArray(c.rows)) << c.name;
  }
}

// Lines far down a tall bitmap and starting left of it land where asked, what is off the bitmap
// cut away.
TEST(TextLayout, LinesLandWhereAskedAnywhere) {
  constexpr int kW = 80, kH = 80;
  std::vector<uint32_t> pixels(kW * kH);
  WSYS_TextTarget target;
  target.bits = pixels.data();
  target.width = kW;
  target.height = kH;
  target.rowSpan = kW;
  target.colour = kWhite;
  BoxGlyphs font;
  RECT farDown = {-2, 70, 20, 80}, farRight = {70, 0, 80, 10};
  WSYS_LayoutText(font, "ab", -1, &farDown, DT_NOCLIP, &target);
  WSYS_LayoutText(font, "a", -1, &farRight, DT_NOCLIP, &target);
  std::vector<std::string> lit;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (pixels[y * kW + x]) lit.push_back(std::to_string(x) + "," + std::to_string(y));
  EXPECT_THAT(lit, ::testing::ElementsAre("70,0", "71,0", "70,1", "71,1", "70,2", "71,2", "1,70",
                                          "2,70", "1,71", "2,71", "1,72", "2,72"));
}

// A pen standing half a pixel off places the next glyph on the pixel after, across or down.
TEST(TextLayout, HalfPixelPensRoundOnwards) {
  const std::string row0 = "....................";
  const struct {
    int advanceX, advanceY;  // in 64ths
    std::vector<std::string> rows;
  } cases[] = {
      {3 * 64 + 32,
       0,
       {"##..##..............", "##..##..............", "##..##..............", row0}},
      {3 * 64 + 31,
       0,
       {"##.##...............", "##.##...............", "##.##...............", row0}},
      {3 * 64,
       32,
       {"##..................", "##.##...............", "##.##...............",
        "...##..............."}},
      {3 * 64, 31, {"##.##...............", "##.##...............", "##.##...............", row0}},
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    font.advanceX = c.advanceX;
    font.advanceY = c.advanceY;
    Canvas canvas;
    RECT rect = {0, 0, 20, 10};
    WSYS_LayoutText(font, "ab", -1, &rect, DT_NOCLIP, &canvas.target);
    const std::vector<std::string> rows = canvas.rows();
    EXPECT_THAT(std::vector<std::string>(rows.begin(), rows.begin() + 4), ElementsAreArray(c.rows))
        << c.advanceX << " " << c.advanceY;
  }
}

// A pixel takes the colour by the coverage, and by the colour's alpha only with its flag; its
// own alpha rises as if the text lay over it.
TEST(TextLayout, CoverageAndAlphaBlendIntoThePixel) {
  const struct {
    unsigned char coverage;
    uint32_t colour, background;
    unsigned int flags;
    uint32_t result;
  } cases[] = {
      {255, 0x4080C0FFu, 0x00000000u, 0, 0x4080C0FFu},
      {0, 0x4080C0FFu, 0x11223344u, 0, 0x11223344u},
      {128, kWhite, 0x00000000u, 0, 0x80808080u},
      {255, 0xFFFFFF80u, 0x00000000u, WSYS_DT_FGALPHA, 0x80808080u},
      {255, 0xFFFFFF80u, 0x00000000u, 0, kWhite},
      {128, 0x000000FFu, 0xFFFFFFFFu, 0, 0x7F7F7FFFu},
      {1, kWhite, 0x00000000u, 0, 0x01010101u},
      // The smallest weights still round up: alpha 127 + (128 * 1 + 128) / 256, and a coverage
      // of 128 at a colour alpha of 1 is 1.
      {1, kWhite, 0x0000007Fu, 0, 0x01010180u},
      {1, 0x808080FFu, 0x00000000u, 0, 0x01010101u},  // (128 + 128) / 256 in each channel
      {127, 0xFFFFFF01u, 0x00000000u, WSYS_DT_FGALPHA, 0x00000000u},  // 127 x 1 / 255 is 0
      {128, 0xFFFFFF01u, 0x00000000u, WSYS_DT_FGALPHA, 0x01010101u},
      // Every channel its own mix: about half of each byte of the colour, half of the pixel's.
      {128, 0x4080C0FFu, 0x11223344u, 0, 0x29517AA2u},
  };
  for (const auto& c : cases) {
    BoxGlyphs font;
    font.setCoverage(c.coverage);
    Canvas canvas(c.colour, c.background);
    RECT rect = {0, 0, 20, 10};
    WSYS_LayoutText(font, "a", -1, &rect, c.flags, &canvas.target);
    EXPECT_EQ(canvas.pixels[0], c.result) << (int)c.coverage << " " << std::hex << c.colour;
    EXPECT_EQ(canvas.pixels[2], c.background) << "beside the glyph";
  }
}
