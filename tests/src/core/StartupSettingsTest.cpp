#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "src/core/StartupSettings.h"
#include "tests/support/TempDir.h"

namespace {

std::string writeFile(const kroma_test::TempDir& dir, const std::string& text) {
  const std::string path = dir.file("file.txt");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(UISettings, TheThreeLinesChooseScaleSchemeAndTheControlsTheyMove) {
  const struct {
    const char* text;
    double scale;
    int scheme, style, size;
    bool notice;
  } cases[] = {
      {"black \t\r\nlarge\r\nno\r\n", 1.15, 1, 1, 2, true},
      {"white\nsmall\nyes", 0.85, 0, 0, 0, false},
      {"normal\nnormal\nno", 1.0, 0, -1, 1, true},
      {"Black\nLARGE\n no", 1.0, 0, -1, -1, false},  // exact texts only; leading blanks stay
      {"black", 1.0, 1, 1, -1, false},
  };
  kroma_test::TempDir dir;
  for (const auto& c : cases) {
    const UISettings settings = UISettings::read(writeFile(dir, c.text));
    EXPECT_EQ(settings.guiScale(), c.scale) << c.text;
    EXPECT_EQ(settings.colorScheme(), c.scheme) << c.text;
    EXPECT_EQ(settings.styleValue(), c.style) << c.text;
    EXPECT_EQ(settings.sizeValue(), c.size) << c.text;
    EXPECT_EQ(settings.firstRunNoticeDue(), c.notice) << c.text;
  }
  const UISettings missing = UISettings::read(dir.file("none.txt"));
  EXPECT_EQ(missing.guiScale(), 1.0);
  EXPECT_FALSE(missing.firstRunNoticeDue());
}

TEST(SampleNames, AtMost128NamesAndEmptyPastTheLastLine) {
  kroma_test::TempDir dir;
  std::string many;
  for (int i = 0; i < 200; ++i) many += "Sample " + std::to_string(i) + " \r\n";
  SampleNames samples = SampleNames::read(writeFile(dir, many));
  EXPECT_TRUE(samples.fileRead);
  ASSERT_EQ(samples.names.size(), 128u);
  EXPECT_EQ(samples.names[127], "Sample 127");
  samples = SampleNames::read(writeFile(dir, "Saw\nSquare\nNoise"));
  EXPECT_EQ(samples.names[2], "Noise");
  EXPECT_EQ(samples.names[3], "");
  EXPECT_FALSE(SampleNames::read(dir.file("none.txt")).fileRead);
}

}  // namespace
