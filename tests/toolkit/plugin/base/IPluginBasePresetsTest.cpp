#include <gtest/gtest.h>

#include <string>

#include "PluginTestDoubles.h"

namespace {

using plugin_test::TestPlugin;

void initParams(TestPlugin& plug) {
  for (int i = 0; i < plug.NParams(); ++i) plug.GetParam(i)->InitInt("p", 0, 0, 127);
}

TEST(Presets, DefaultsRestoreAndNames) {
  TestPlugin plug(2, 2, "2-2", 4);
  initParams(plug);
  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset(nullptr, 1);
  plug.MakeDefaultPreset("-", 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  EXPECT_STREQ(plug.GetPresetName(4), "");
  plug.GetParam(0)->Set(9.0);
  // Restoring an empty slot makes it a numbered user preset.
  EXPECT_TRUE(plug.RestorePreset(2) && plug.RestorePreset(3));
  EXPECT_STREQ(plug.GetPresetName(3), "user preset 2");
  EXPECT_EQ(plug.mCalls.back(), "presets");
  EXPECT_TRUE(plug.RestorePreset("Empty"));
  EXPECT_EQ(plug.GetParam(0)->Value() + plug.GetCurrentPresetIdx(), 7.0);
  for (const char* name : {"nothing", "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(plug.RestorePreset(name));
  EXPECT_FALSE(plug.RestorePreset(4));
  plug.GetParam(1)->Set(33.0);
  plug.ModifyCurrentPreset("Mine");
  plug.GetParam(1)->Set(0.0);
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_STREQ(plug.GetPresetName(0), "Mine");
  EXPECT_EQ(plug.GetParam(1)->Value(), 33.0);

  TestPlugin three(1, 1, "2-2", 4);
  three.MakeDefaultPreset("user preset x", 2);
  EXPECT_TRUE(three.RestorePreset(3));
  EXPECT_STREQ(three.GetPresetName(3), "user preset 3");
  three.PruneUninitializedPresets();
  EXPECT_EQ(three.NPresets(), 3);
  EXPECT_STREQ(three.GetPresetName(2), "user preset 3");
}

// Pruning drops every empty slot, the first and the last too, and keeps the others in order.
TEST(Presets, PruningDropsEveryEmptySlot) {
  const struct {
    const char* slots;  // 'x' a stored preset, '-' an empty slot
    int current;        // a stored one: restoring the bank restores it
    const char* kept;
  } banks[] = {
      {"-x-x", 1, "p1,p3,"}, {"xx--", 0, "p0,p1,"}, {"x--x", 3, "p0,p3,"}, {"---x", 3, "p3,"}};
  for (const auto& bank : banks) {
    SCOPED_TRACE(bank.slots);
    TestPlugin plug(1, 1, "2-2", 4);
    initParams(plug);
    plug.MakeDefaultPreset("x", 4);
    ASSERT_TRUE(plug.RestorePreset(bank.current));
    ByteChunk state, holes;
    plug.SerializeState(&state);
    for (int i = 0; i < 4; ++i) {
      const bool stored = bank.slots[i] == 'x';
      holes.AppendText(("p" + std::to_string(i)).c_str());
      holes.AppendFlag(stored);
      if (stored) holes.AppendChunk(state);
    }
    EXPECT_EQ(plug.UnserializePresets(&holes, 0), holes.Size());
    plug.PruneUninitializedPresets();
    std::string kept;
    for (int i = 0; i < plug.NPresets(); ++i) kept += std::string(plug.GetPresetName(i)) + ",";
    EXPECT_EQ(kept, bank.kept);
  }
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
    EXPECT_EQ(plug.UnserializePresets(&cut, 0), -1) << size << " of " << bank.Size();
  }
}
}  // namespace
