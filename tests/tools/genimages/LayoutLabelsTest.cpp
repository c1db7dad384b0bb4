#include <gtest/gtest.h>

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
      <label text="bad" bounds="1,2"/></pictureLabels>
    <pictureLabels imageId="B"><label text="X &amp; Y" bounds="0,0,10,11"/></pictureLabels>
  </uiconfig>)";
  PictureLabels labels;
  ASSERT_TRUE(readPictureLabels(path.c_str(), labels));
  ASSERT_EQ(labels.size(), 2u);
  ASSERT_EQ(labels["A"].size(), 2u);
  EXPECT_EQ(labels["A"][0].text, "CUTOFF");
  EXPECT_EQ(labels["A"][0].w, 30);
  EXPECT_EQ(labels["A"][1].text, "");
  EXPECT_EQ(labels["A"][1].h, 50);
  EXPECT_EQ(labels["B"][0].text, "X & Y");

  PictureLabels none;
  EXPECT_FALSE(readPictureLabels(dir.file("missing.xml").c_str(), none));
  std::ofstream(dir.file("other.xml")) << "<layout/>";
  EXPECT_FALSE(readPictureLabels(dir.file("other.xml").c_str(), none));
  EXPECT_TRUE(none.empty());
}

TEST(LayoutLabelsTest, TextsAndGroovesLandInTheirBoxesOnly) {
  Canvas c(200, 60, look::kPlate);
  printLabels(c, {{"RESONANCE", 10, 5, 40, 11}, {"", 100, 10, 4, 40}});
  EXPECT_TRUE(touched(c, 10, 5, 40, 11));
  EXPECT_TRUE(touched(c, 100, 10, 4, 40));
  EXPECT_FALSE(touched(c, 0, 20, 90, 40));
  EXPECT_FALSE(touched(c, 110, 0, 90, 60));
}

}  // namespace
