#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "HostRun.h"
#include "TempDir.h"

// The product bundle as a host loads it: the record and identity it shows, and a project state
// that survives a save and a load.
namespace {

using ::testing::HasSubstr;

TEST(ProductModule, TheHostSeesTheInstrumentAndItsStateSurvivesASaveAndALoad) {
  kroma_test::TempDir dir;
  kroma_test::ScopedEnv data("KROMA_DATA_DIR", dir.path().c_str());
  const std::string chunk = dir.file("program.chunk");
  const HostRun host = runHost(
      dir.path(),
      "open\ninfo\nchunk-get program " + chunk + "\nchunk-set program " + chunk + "\nclose\n",
      KROMA_PLUGIN);
  EXPECT_EQ(host.exitCode, 0) << host.output;
  EXPECT_THAT(host.line("record[1] magic"),
              HasSubstr("numPrograms=1 numParams=0 numInputs=2 numOutputs=2 flags=0x1131 "
                        "initialDelay=128 uniqueID=esgc version=10203"));
  EXPECT_TRUE(host.has("effGetEffectName text=\"Kroma Editor\""));
  EXPECT_TRUE(host.has("effGetVendorString text=\"Quillon Bay Sound\""));
  EXPECT_TRUE(host.has("dispatch effGetVendorVersion -> 66051"));
  EXPECT_TRUE(host.has("head 74 66 66 70 00 00 01 00"));
  EXPECT_THAT(host.line("dispatch effSetChunk program"), HasSubstr("-> 1"));
  EXPECT_TRUE(host.has("dispatch effClose -> closed"));
}

// The demo session without an X display leaves the window step out, as it says, and keeps its
// files in a folder of its own.
TEST(ProductModule, TheDemoRunsWithoutADisplayAndKeepsItsFilesInAFolderOfItsOwn) {
  kroma_test::TempDir dir;
  kroma_test::ScopedEnv data("KROMA_DATA_DIR", dir.path().c_str());
  kroma_test::ScopedEnv tmp("TMPDIR", dir.path().c_str());
  kroma_test::ScopedEnv display("DISPLAY", nullptr);
  const HostRun host = runDemo(dir.path());
  EXPECT_EQ(host.exitCode, 0) << host.output;
  EXPECT_THAT(host.lines("left out: no X display"), ::testing::SizeIs(4));
  const std::string folder = folderMade(host);
  EXPECT_EQ(folder.rfind(dir.file("kroma-demo-"), 0), 0u) << folder;
  for (const char* name : {"program.chunk", "bank.chunk"})
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/" + name)) << name;
  EXPECT_FALSE(std::filesystem::exists(folder + "/editor.png"));
}

}  // namespace
