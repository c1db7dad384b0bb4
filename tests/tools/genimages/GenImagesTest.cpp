#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "src/editor/ImageTable.h"
#include "tests/support/TempDir.h"
#include "tools/genimages/Art.h"
#include "tools/genimages/Look.h"
#include "tools/genimages/detail/LayoutLabels.h"

namespace {

// The red channel of a pixel.
int redAt(Canvas& c, int x, int y) {
  return (int)(c.bitmap().getBits()[y * c.bitmap().getRowSpan() + x] >> 8 & 255);
}

// A strip of frames one under the other.
std::unique_ptr<Canvas> drawn(const char* stem, int style, int frames) {
  const Art* art = artFor(stem);
  auto c = std::make_unique<Canvas>(art->w, art->h * frames, look::kPlate);
  for (int i = 0; i < frames; ++i)
    art->paint(*c, look::palette(style),
               Frame{0, i * art->h, art->w, art->h, i, frames, art->variant, art->label});
  return c;
}

// Whether any pixel of the box differs from the plate.
bool touched(Canvas& c, int x, int y, int w, int h) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (redAt(c, i, j) != redAt(c, 0, 0)) return true;
  return false;
}

}  // namespace

TEST(CatalogTest, EveryFileOfTheImageTableHasArt) {
  for (ImageRows rows : {commonImageRows(), styleImageRows(0), styleImageRows(1)})
    for (const ImageRow& row : rows) {
      const std::string stem = std::filesystem::path(row.file).stem();
      EXPECT_NE(artFor(stem.c_str()), nullptr) << stem;
    }
  EXPECT_EQ(artFor("no-such-picture"), nullptr);
}

TEST(KnobArtTest, ThePointerSweepsFromLowerLeftToLowerRight) {
  constexpr int kFrames = 5;
  auto knob = drawn("knob-kroma-normal-5", 0, kFrames);
  const float sweep = 150.f * 3.14159265f / 180.f;
  for (int frame = 0; frame < kFrames; ++frame) {
    SCOPED_TRACE(frame);
    const float angle = -sweep + 2 * sweep * frame / (kFrames - 1);
    // A point on the pointer, 10 pixels out from the centre of a 56 x 56 frame.
    const int x = (int)(28 + 10 * std::sin(angle)), y = (int)(28 - 10 * std::cos(angle));
    EXPECT_GT(redAt(*knob, x, frame * 56 + y), 200);
    const int mirror = (int)(28 - 10 * std::sin(angle));
    if (frame != kFrames / 2) {
      EXPECT_LT(redAt(*knob, mirror, frame * 56 + y), 120);
    }
  }
}

TEST(LayoutLabelsTest, ListsArePerPictureAndBadFilesReadNothing) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("layout.xml");
  std::ofstream(path) << R"(<uiconfig><layer name="root"/>
    <pictureLabels imageId="A"><label text="CUTOFF" bounds="1,2,30,11"/><groove bounds="5,6,4,50"/>
      <label text="bad" bounds="1,2"/><section title="FILTER" bounds="0,0,90,60"/>
      <field bounds="3,4,50,15"/><well text="BANK" bounds="7,8,40,19"/><knob bounds="1,1,1,1"/>
    </pictureLabels>
    <pictureLabels imageId="B"><label text="X &amp; Y" bounds="0,0,10,11"/></pictureLabels>
  </uiconfig>)";
  PictureLabels labels;
  ASSERT_TRUE(readPictureLabels(path.c_str(), labels));
  ASSERT_EQ(labels.size(), 2u);
  const std::vector<PrintedLabel>& a = labels["A"];
  ASSERT_EQ(a.size(), 5u);
  const std::pair<PrintedLabel::Kind, const char*> kinds[] = {{PrintedLabel::kLabel, "CUTOFF"},
                                                              {PrintedLabel::kGroove, ""},
                                                              {PrintedLabel::kSection, "FILTER"},
                                                              {PrintedLabel::kField, ""},
                                                              {PrintedLabel::kWell, "BANK"}};
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].kind, kinds[i].first) << i;
    EXPECT_EQ(a[i].text, kinds[i].second) << i;
  }
  EXPECT_TRUE(a[0].w == 30 && a[1].h == 50);
  EXPECT_EQ(labels["B"][0].text, "X & Y");

  PictureLabels none;
  EXPECT_FALSE(readPictureLabels(dir.file("missing.xml").c_str(), none));
  std::ofstream(dir.file("other.xml")) << "<layout/>";
  EXPECT_FALSE(readPictureLabels(dir.file("other.xml").c_str(), none));
  EXPECT_TRUE(none.empty());
}

// Texts and grooves land in their boxes only. The light style's menus print black and the dark
// style's light grey: the field under a menu is light on the first and dark on the second.
// Sections go under everything, whatever the order of the list.
TEST(LayoutLabelsTest, PrintedInTheirBoxesInTheStylesColours) {
  for (int style : {0, 1}) {
    Canvas c(200, 80, look::kPlate);
    printLabels(c, look::palette(style),
                {{PrintedLabel::kGroove, "", 180, 10, 4, 40},
                 {PrintedLabel::kLabel, "CUTOFF", 10, 40, 60, 11},
                 {PrintedLabel::kField, "", 100, 40, 60, 15}});
    EXPECT_TRUE(touched(c, 180, 10, 4, 40));
    EXPECT_FALSE(touched(c, 0, 0, 170, 40));
    const int field = redAt(c, 130, 47);
    EXPECT_TRUE(style == 0 ? field > 180 : field < 60) << "style " << style;
    printLabels(c, look::palette(style),
                {{PrintedLabel::kLabel, "CUTOFF", 10, 40, 60, 11},
                 {PrintedLabel::kSection, "FILTER", 0, 0, 200, 80}});
    int brightest = 0;
    for (int x = 10; x < 70; ++x)
      for (int y = 40; y < 51; ++y) brightest = std::max(brightest, redAt(c, x, y));
    EXPECT_GT(brightest, redAt(c, 5, 70) + 50) << "style " << style;
  }
}
