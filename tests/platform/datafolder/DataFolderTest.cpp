#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "TempDir.h"
#include "platform/datafolder/DataFolder.h"

namespace {

using kroma_test::ScopedEnv;

// The folder from the environment: our override, else the data home the
// base-directory rules name (relative values ignored), else under HOME.
TEST(DataFolder, FollowsTheOverrideTheXdgDataHomeAndItsDefault) {
  ScopedEnv home("HOME", "/home/tester");
  const std::string under = "Quillon Bay Sound/Tessmar Kroma Editor/";
  const struct {
    const char *dataDir, *xdg, *expected;
  } cases[] = {
      {"/tmp/kroma-data", "/srv/data", "/tmp/kroma-data/"},
      {"/tmp/kroma-data/", nullptr, "/tmp/kroma-data/"},
      {nullptr, "/srv/data", "/srv/data/"},
      {nullptr, nullptr, "/home/tester/.local/share/"},
      {"", "relative/data", "/home/tester/.local/share/"},
  };
  for (const auto& c : cases) {
    ScopedEnv dir("KROMA_DATA_DIR", c.dataDir);
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    const std::string expected = c.expected + (c.dataDir && *c.dataDir ? "" : under);
    EXPECT_EQ(DataFolder::path(), expected)
        << (c.dataDir ? c.dataDir : "-") << " " << (c.xdg ? c.xdg : "-");
  }
}

// Without HOME (as under some service managers) the account's own home folder stands in.
TEST(DataFolder, WithoutHomeTheAccountsHomeFolderIsUsed) {
  const passwd* account = getpwuid(getuid());
  ASSERT_TRUE(account && account->pw_dir && *account->pw_dir);
  const std::string expected =
      std::string(account->pw_dir) + "/.local/share/Quillon Bay Sound/Tessmar Kroma Editor/";
  ScopedEnv dir("KROMA_DATA_DIR", nullptr);
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  for (const char* home : {static_cast<const char*>(nullptr), ""}) {
    ScopedEnv unset("HOME", home);
    EXPECT_EQ(DataFolder::path(), expected) << (home ? "empty" : "unset");
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
