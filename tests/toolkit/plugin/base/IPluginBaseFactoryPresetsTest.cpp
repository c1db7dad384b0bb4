#include <gtest/gtest.h>

#include <regex>

#include "ByteMutations.h"
#include "PluginTestDoubles.h"
#include "tests/support/TempDir.h"

namespace {

using plugin_test::TestPlugin;

std::string readText(const std::string& path) {
  const plugin_test::Bytes bytes = plugin_test::readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

struct ThreeParams : TestPlugin {
  ThreeParams() : TestPlugin(3, 3, "2-2", 3) {
    for (int i = 0; i < 3; ++i) GetParam(i)->InitInt("p", 10 + i, 0, 100);
  }
  std::vector<double> values() const {
    return {GetParam(0)->Value(), GetParam(1)->Value(), GetParam(2)->Value()};
  }
};

TEST(FactoryPresets, FromValuesLeaveTheLiveParametersAlone) {
  ThreeParams plug;
  plug.GetParam(0)->Set(50.0);
  ASSERT_TRUE(plug.MakePreset("Values", 1.0, 2.0, 300.0));
  ASSERT_TRUE(plug.MakePresetFromNamedParams("Named", 1, 2, 7.0));
  EXPECT_EQ(plug.values(), (std::vector<double>{50.0, 11.0, 12.0}));

  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_STREQ(plug.GetPresetName(0), "Values");
  EXPECT_EQ(plug.values(), (std::vector<double>{1.0, 2.0, 100.0})) << "limited to range";
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.values(), (std::vector<double>{10.0, 11.0, 7.0})) << "unnamed take defaults";

  ASSERT_TRUE(plug.MakePresetFromNamedParams("Bad index", 1, 99, 1.0));
  EXPECT_FALSE(plug.MakePreset("No room", 1.0, 2.0, 3.0));
}

TEST(FactoryPresets, BlobDumpRoundTrip) {
  kroma_test::TempDir dir;
  ThreeParams plug;
  plug.GetParam(1)->Set(99.0);
  plug.MakeDefaultPreset("Dumped", 1);
  ASSERT_TRUE(plug.DumpPresetBlob(dir.file("presets.txt").c_str()));
  std::smatch match;
  const std::string dump = readText(dir.file("presets.txt"));
  ASSERT_TRUE(std::regex_search(
      dump, match, std::regex("MakePresetFromBlob\\(\"Dumped\", \"([^\"]*)\", (\\d+)\\)")))
      << dump;

  ThreeParams other;
  ASSERT_TRUE(other.MakePresetFromBlob("Loaded", match[1].str().c_str(), std::stoi(match[2])));
  ASSERT_TRUE(other.RestorePreset(0));
  EXPECT_EQ(other.values(), (std::vector<double>{10.0, 99.0, 12.0}));

  EXPECT_FALSE(other.MakePresetFromBlob("Bad", "not*base64", 4));
  EXPECT_FALSE(other.MakePresetFromBlob("Short", "AAAA", 9)) << "more bytes than the text holds";
  ByteChunk chunk;
  chunk.AppendValue(3.0);
  ASSERT_TRUE(other.MakePresetFromChunk("Chunk", &chunk));
  EXPECT_STREQ(other.GetPresetName(1), "Chunk");
}

// The blob text for states of 8, 16 and 24 bytes (two, one and no padding characters), and each
// read back by another instance.
TEST(FactoryPresets, BlobTextsOfEachPadding) {
  const struct {
    std::vector<double> values;
    const char* text;
  } cases[] = {{{10.0}, "AAAAAAAAJEA="},
               {{10.0, 0.5}, "AAAAAAAAJEAAAAAAAADgPw=="},
               {{10.0, 0.5, -2.0}, "AAAAAAAAJEAAAAAAAADgPwAAAAAAAADA"}};
  for (const auto& c : cases) {
    kroma_test::TempDir dir;
    const int n = (int)c.values.size();
    TestPlugin plug(n, n, "2-2", 1);
    for (int i = 0; i < n; ++i) {
      plug.GetParam(i)->InitDouble("p", 0.0, -10.0, 10.0, 0.5);
      plug.GetParam(i)->Set(c.values[i]);
    }
    ASSERT_TRUE(plug.DumpPresetBlob(dir.file("blob.txt").c_str()));
    EXPECT_EQ(readText(dir.file("blob.txt")), "  MakePresetFromBlob(\"empty\", \"" +
                                                  std::string(c.text) + "\", " +
                                                  std::to_string(8 * n) + ");\n");
    TestPlugin other(n, n, "2-2", 1);
    for (int i = 0; i < n; ++i) other.GetParam(i)->InitDouble("p", 1.0, -10.0, 10.0, 0.5);
    ASSERT_TRUE(other.MakePresetFromBlob("Loaded", c.text, 8 * n)) << c.text;
    ASSERT_TRUE(other.RestorePreset(0));
    for (int i = 0; i < n; ++i) EXPECT_EQ(other.GetParam(i)->Value(), c.values[i]) << c.text;
  }
}

TEST(FactoryPresets, SourceDump) {
  kroma_test::TempDir dir;
  ThreeParams plug;
  const char* names[] = {"kA", "kB", "kC"};
  ASSERT_TRUE(plug.DumpPresetSrcCode(dir.file("src.txt").c_str(), names));
  ASSERT_TRUE(plug.DumpPresetSrcCode(dir.file("src.txt").c_str(), nullptr));
  const std::string text = readText(dir.file("src.txt"));
  EXPECT_NE(text.find("MakePresetFromNamedParams(\"empty\", 3,\n    kA, 10.000000"), text.npos);
  EXPECT_NE(text.find("MakePreset(\"empty\", 10.000000, 11.000000, 12.000000);"), text.npos);
  EXPECT_FALSE(plug.DumpPresetBlob((dir.path() + "/missing/x.txt").c_str()));
}

}  // namespace
