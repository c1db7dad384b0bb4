// The data folder's settings and sample-name files as the plug-in reads them at start.
#include "src/core/detail/StartupSettings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

// What each line of the UI settings file selects; a text no row names selects nothing.
TEST(StartupSettings, EachSettingsLineSelectsItsScaleSchemeAndMenuValues) {
  const struct {
    const char* line;
    double scale;
    int sizeValue;
    int scheme, styleValue;
  } rows[] = {{"small", 0.85, 0, 0, -1}, {"normal", 1.0, 1, 0, -1}, {"large", 1.15, 2, 0, -1},
              {"white", 1.0, -1, 0, 0},  {"black", 1.0, -1, 1, 1},  {"Black", 1.0, -1, 0, -1},
              {"", 1.0, -1, 0, -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    UISettings size{"", row.line, ""};
    EXPECT_EQ(size.guiScale(), row.scale);
    EXPECT_EQ(size.sizeValue(), row.sizeValue);
    UISettings style{row.line, "", ""};
    EXPECT_EQ(style.colorScheme(), row.scheme);
    EXPECT_EQ(style.styleValue(), row.styleValue);
  }
}

// The settings file gives its first three lines, trailing blanks cut; a short file leaves the
// rest empty and a missing one all three.
TEST(StartupSettings, TheSettingsFileGivesItsFirstThreeLinesTrimmed) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("UI.txt");
  std::ofstream(path) << " black \t\r\nlarge\nno\nfourth\n";
  const UISettings whole = UISettings::read(path);
  EXPECT_EQ(std::vector<std::string>({whole.colorSchemeLine, whole.sizeLine, whole.firstRunLine}),
            std::vector<std::string>({" black", "large", "no"}));
  EXPECT_TRUE(whole.firstRunNoticeDue());
  std::ofstream(path) << "white\n";
  const UISettings shortFile = UISettings::read(path);
  EXPECT_EQ(shortFile.colorSchemeLine, "white");
  EXPECT_EQ(shortFile.sizeLine, "");
  EXPECT_FALSE(shortFile.firstRunNoticeDue());
  const UISettings missing = UISettings::read(dir.file("none.txt"));
  EXPECT_EQ(missing.colorSchemeLine + missing.sizeLine + missing.firstRunLine, "");

  std::vector<std::string> lines{"old"};
  EXPECT_FALSE(readTrimmedLines(dir.file("none.txt"), 3, &lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(readTrimmedLines(path, 0, &lines));
  EXPECT_TRUE(lines.empty());
}

// Sample n is named by line n of the samples file, 128 at most; past the file's end the names
// are empty. A missing file reads as not read.
TEST(StartupSettings, SampleNamesComeFromTheirLines) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("Samples.txt");
  std::string text;
  for (int i = 0; i < 130; ++i) text += "Sample " + std::to_string(i) + "  \r\n";
  for (int count : {130, 3}) {
    SCOPED_TRACE(count);
    std::ofstream(path) << (count == 130 ? text : "One\nTwo\nThree\n");
    const SampleNames samples = SampleNames::read(path);
    EXPECT_TRUE(samples.fileRead);
    ASSERT_EQ(samples.names.size(), SampleNames::kCount);
    EXPECT_EQ(samples.names[0], count == 130 ? "Sample 0" : "One");
    EXPECT_EQ(samples.names[2], count == 130 ? "Sample 2" : "Three");
    EXPECT_EQ(samples.names[127], count == 130 ? "Sample 127" : "");
  }
  const SampleNames missing = SampleNames::read(dir.file("none.txt"));
  EXPECT_FALSE(missing.fileRead);
  EXPECT_EQ(missing.names.size(), SampleNames::kCount);
}

}  // namespace
