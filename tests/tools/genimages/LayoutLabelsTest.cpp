#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/support/TempDir.h"
#include "tools/genimages/LayoutLabels.h"
#include "tools/genimages/Look.h"

namespace {

// The red channel of a pixel.
int redAt(Canvas& c, int x, int y) {
  return (int)(c.bitmap().getBits()[y * c.bitmap().getRowSpan() + x] >> 8 & 255);
}

// Whether any pixel of the box differs from the plate.
bool touched(Canvas& c, int x, int y, int w, int h) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (redAt(c, i, j) != redAt(c, 0, 0)) return true;
  return false;
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
  EXPECT_EQ(a[0].w, 30);
  EXPECT_EQ(a[1].h, 50);
  EXPECT_EQ(labels["B"][0].text, "X & Y");

  PictureLabels none;
  EXPECT_FALSE(readPictureLabels(dir.file("missing.xml").c_str(), none));
  std::ofstream(dir.file("other.xml")) << "<layout/>";
  EXPECT_FALSE(readPictureLabels(dir.file("other.xml").c_str(), none));
  EXPECT_TRUE(none.empty());
}

TEST(LayoutLabelsTest, TextsAndGroovesLandInTheirBoxesOnly) {
  Canvas c(200, 60, look::kPlate);
  printLabels(c, look::palette(0),
              {{PrintedLabel::kLabel, "RESONANCE", 10, 5, 40, 11},
               {PrintedLabel::kGroove, "", 100, 10, 4, 40}});
  EXPECT_TRUE(touched(c, 10, 5, 40, 11));
  EXPECT_TRUE(touched(c, 100, 10, 4, 40));
  EXPECT_FALSE(touched(c, 0, 20, 90, 40));
  EXPECT_FALSE(touched(c, 110, 0, 90, 60));
}

// The light style's menus print black and the dark style's light grey: the field under a menu
// is light on the first and dark on the second. Sections go under everything, whatever the
// order of the list.
TEST(LayoutLabelsTest, FieldsFollowTheStyleAndSectionsLieUnderneath) {
  for (int style : {0, 1}) {
    Canvas c(200, 80, look::kPlate);
    printLabels(c, look::palette(style),
                {{PrintedLabel::kLabel, "CUTOFF", 10, 40, 60, 11},
                 {PrintedLabel::kField, "", 100, 40, 60, 15},
                 {PrintedLabel::kSection, "FILTER", 0, 0, 200, 80}});
    const int field = redAt(c, 130, 47);
    if (style == 0)
      EXPECT_GT(field, 180);
    else
      EXPECT_LT(field, 60);
    int brightest = 0;
    for (int x = 10; x < 70; ++x)
      for (int y = 40; y < 51; ++y) brightest = std::max(brightest, redAt(c, x, y));
    EXPECT_GT(brightest, redAt(c, 5, 70) + 50) << "style " << style;
  }
}

}  // namespace
