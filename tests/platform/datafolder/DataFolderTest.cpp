#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/datafolder/DataFolder.h"

namespace {

using kroma_test::ScopedEnv;

const std::string kUnderDataHome = "Quillon Bay Sound/Tessmar Kroma Editor/";

TEST(DataFolder, OverrideIsTheFolderItselfWithOneClosingSlash) {
  {
    ScopedEnv dir("KROMA_DATA_DIR", "/tmp/kroma-data");
    EXPECT_EQ(DataFolder::path(), "/tmp/kroma-data/");
  }
  ScopedEnv dir("KROMA_DATA_DIR", "/tmp/kroma-data/");
  EXPECT_EQ(DataFolder::path(), "/tmp/kroma-data/");
}

TEST(DataFolder, FollowsTheXdgDataHomeAndItsDefault) {
  ScopedEnv dir("KROMA_DATA_DIR", nullptr);
  ScopedEnv home("HOME", "/home/tester");
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(DataFolder::path(), "/srv/data/" + kUnderDataHome);
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(DataFolder::path(), "/home/tester/.local/share/" + kUnderDataHome);
  }
  {
    ScopedEnv empty("KROMA_DATA_DIR", "");
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(DataFolder::path(), "/home/tester/.local/share/" + kUnderDataHome);
  }
}

TEST(DataFolder, NamesEveryFileInsideTheFolder) {
  kroma_test::TempDir temp;
  ScopedEnv dir("KROMA_DATA_DIR", temp.path().c_str());
  const std::string folder = temp.path() + "/";
  EXPECT_EQ(DataFolder::patchesFolder(), folder + "Patches");
  EXPECT_EQ(DataFolder::logFile(), folder + "Kroma Editor LOG.txt");
  EXPECT_EQ(DataFolder::uiSettingsFile(), folder + "Kroma Editor UI.txt");
  EXPECT_EQ(DataFolder::samplesFile(), folder + "Kroma Editor Samples.txt");
  EXPECT_EQ(DataFolder::userManual(), folder + "Tessmar Kroma User Manual.pdf");
}

}  // namespace
