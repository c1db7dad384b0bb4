#include <gtest/gtest.h>

#include "PluginTestDoubles.h"

namespace {

using plugin_test::TestPlugin;

std::vector<uint8_t> bytesOf(const ByteChunk& chunk) {
  return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

void initParams(TestPlugin& plug) {
  for (int i = 0; i < plug.NParams(); ++i) plug.GetParam(i)->InitInt("p", 0, 0, 127);
}

TEST(ChunkHeader, WrittenAndRead) {
  TestPlugin plug(1, 1);
  ByteChunk chunk;
  chunk.AppendValue(123);
  plug.InitChunkWithPluginVer(&chunk);
  EXPECT_EQ(bytesOf(chunk), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));
  int pos = 0;
  EXPECT_EQ(plug.GetPluginVerFromChunk(&chunk, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);

  ByteChunk bare;
  bare.AppendValue(0.5);
  pos = 0;
  EXPECT_EQ(GetPluginVerFromChunk(&bare, &pos), 0);
  EXPECT_EQ(pos, 0) << "a chunk without header is read from where it starts";

  for (int size = 4; size < 8; ++size) {
    ByteChunk cut;
    plug.InitChunkWithPluginVer(&cut);
    cut.SetSize(size);
    pos = 0;
    EXPECT_EQ(GetPluginVerFromChunk(&cut, &pos), 0);
    EXPECT_EQ(pos, -1) << size << " bytes";
  }
  pos = -1;
  EXPECT_EQ(GetPluginVerFromChunk(&chunk, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(Presets, DefaultsRestoreAndNames) {
  TestPlugin plug(2, 2, "2-2", 4);
  initParams(plug);
  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset(nullptr, 1);
  plug.MakeDefaultPreset("-", 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  EXPECT_STREQ(plug.GetPresetName(1), "-");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
  EXPECT_STREQ(plug.GetPresetName(4), "");

  plug.GetParam(0)->Set(9.0);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 1");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(plug.mCalls.back(), "presets");
  EXPECT_TRUE(plug.RestorePreset(3));
  EXPECT_STREQ(plug.GetPresetName(3), "user preset 2");

  EXPECT_TRUE(plug.RestorePreset("Empty"));
  EXPECT_EQ(plug.GetParam(0)->Value(), 7.0);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_FALSE(plug.RestorePreset("nothing"));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(nullptr));
  EXPECT_FALSE(plug.RestorePreset(4));

  plug.GetParam(1)->Set(33.0);
  plug.ModifyCurrentPreset("Mine");
  plug.GetParam(1)->Set(0.0);
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_STREQ(plug.GetPresetName(0), "Mine");
  EXPECT_EQ(plug.GetParam(1)->Value(), 33.0);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.GetPresetName(0), "Mine");

  TestPlugin three(1, 1, "2-2", 4);
  three.MakeDefaultPreset("user preset x", 2);
  EXPECT_TRUE(three.RestorePreset(3));
  EXPECT_STREQ(three.GetPresetName(3), "user preset 3");
  three.PruneUninitializedPresets();
  EXPECT_EQ(three.NPresets(), 3);
  EXPECT_STREQ(three.GetPresetName(2), "user preset 3");
}

TEST(Presets, BankChunkRoundTrip) {
  TestPlugin plug(2, 2, "2-2", 3);
  initParams(plug);
  plug.GetParam(0)->Set(1.0);
  plug.MakeDefaultPreset("one", 1);
  plug.GetParam(0)->Set(2.0);
  plug.MakeDefaultPreset("two", 1);
  plug.GetParam(0)->Set(5.0);
  ByteChunk bank;
  plug.InitChunkWithPluginVer(&bank);
  ASSERT_TRUE(plug.SerializePresets(&bank));
  ASSERT_TRUE(plug.SerializeState(&bank));

  TestPlugin other(2, 2, "2-2", 3);
  initParams(other);
  int pos = 0;
  EXPECT_EQ(other.GetPluginVerFromChunk(&bank, &pos), 0x00010000);
  pos = other.UnserializePresets(&bank, pos);
  ASSERT_GT(pos, 0);
  EXPECT_STREQ(other.GetPresetName(1), "two");
  EXPECT_STREQ(other.GetPresetName(2), "empty");
  EXPECT_EQ(other.GetParam(0)->Value(), 1.0) << "the current preset is restored";
  EXPECT_EQ(other.UnserializeState(&bank, pos), bank.Size());
  EXPECT_EQ(other.GetParam(0)->Value(), 5.0);
  EXPECT_TRUE(other.RestorePreset(1));
  EXPECT_EQ(other.GetParam(0)->Value(), 2.0);
}

TEST(Presets, WithoutPresetsBankEqualsProgram) {
  TestPlugin plug(2, 2);
  initParams(plug);
  plug.GetParam(1)->Set(99.0);
  ByteChunk program, bank;
  plug.InitChunkWithPluginVer(&program);
  plug.SerializeState(&program);
  plug.InitChunkWithPluginVer(&bank);
  plug.ModifyCurrentPreset();
  plug.SerializePresets(&bank);
  plug.SerializeState(&bank);
  EXPECT_EQ(bytesOf(bank), bytesOf(program));
  EXPECT_EQ(plug.UnserializePresets(&bank, 8), 8);
}

TEST(Presets, TruncatedBanksStopAtTheCut) {
  TestPlugin plug(1, 1, "2-2", 2);
  initParams(plug);
  plug.MakeDefaultPreset("abc", 2);
  ByteChunk bank;
  plug.SerializePresets(&bank);
  for (int size = 0; size < bank.Size(); ++size) {
    ByteChunk cut;
    cut.AppendBytes(bank.Data(), size);
    TestPlugin other(1, 1, "2-2", 2);
    initParams(other);
    EXPECT_EQ(other.UnserializePresets(&cut, 0), -1) << size << " of " << bank.Size();
  }
}

}  // namespace
