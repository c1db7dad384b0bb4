#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "PluginTestDoubles.h"

namespace {

using plugin_test::TestPlugin;
using Calls = std::vector<std::string>;

TEST(PluginParams, UserAndHardwarePathsReachTheirHandlersUnderTheLock) {
  TestPlugin plug(2, 4);
  for (int i = 0; i < 4; ++i) plug.GetParam(i)->InitInt("p", 0, 0, 127);
  plug.GetParam(3)->InitText();
  plug.SetParameterFromGUI(1, 64.0 / 127.0);
  EXPECT_EQ(plug.GetParam(1)->Value(), 64.0);
  EXPECT_EQ(plug.mLockDepthInHandler, 1);
  plug.SetParameterFromGUI(1, 64.0 / 127.0);
  EXPECT_EQ(plug.mInformed, std::vector<int>(2, 1)) << "the host hears of an unchanged value";
  plug.SetParameterFromGUI2(0, 1.0);
  plug.SetParameterFromGUI2(0, 1.0);
  // Parameters 2 and 3 are not offered to the host: it is never told of them.
  plug.mInformed.clear();
  plug.SetParameterFromGUI(2, 0.5);
  plug.SetParameterFromGUI(3, 0.0);
  plug.SetParameterFromGUI(3, 0.0);
  plug.SetParameterFromGUI(-1, 0.5);
  plug.SetParameterFromGUI2(4, 0.5);
  EXPECT_EQ(plug.mCalls, (Calls{"change 1", "echo 0", "change 2", "change 3", "change 3"}))
      << "only changed values run a handler; a text parameter counts as changed on every set";
  EXPECT_TRUE(plug.mInformed.empty());
  EXPECT_EQ(plug.GetMutex().GetDepth(), 0);
}

TEST(PluginParams, ChangesWaitForTheLockHolder) {
  TestPlugin plug(0, 1);
  plug.GetParam(0)->InitInt("p", 0, 0, 127);
  std::atomic<bool> done{false};
  plug.GetMutex().Enter();
  std::thread editor([&] {
    plug.SetParameterFromGUI(0, 1.0);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done) << "the change must wait while another thread holds the lock";
  plug.GetMutex().Leave();
  editor.join();
  EXPECT_EQ(plug.GetParam(0)->Value(), 127.0);
}

TEST(PluginParams, ResetAndDirtyVisitHostVisibleParameters) {
  TestPlugin hidden(0, 3);
  hidden.OnParamReset();
  EXPECT_EQ(hidden.mCalls, Calls{"Reset"});
  TestPlugin visible(2, 3);
  visible.OnParamReset();
  EXPECT_EQ(visible.mCalls, (Calls{"change 0", "change 1", "Reset"}));
  visible.DirtyParameters();
  EXPECT_EQ(visible.mInformed, (std::vector<int>{0, 1}));
}

// Stored values are limited to the range; a stored NaN never reaches a parameter.
TEST(PluginParams, StoredValuesAreLimitedAndShortChunksStop) {
  TestPlugin plug(1, 6);
  for (int i = 0; i < 6; ++i) plug.GetParam(i)->InitInt("p", 20, 10, 100);
  ByteChunk chunk;
  for (double v : {1000.0, std::nan(""), -(double)INFINITY}) chunk.AppendValue(v);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 5), -1);
  std::vector<double> values;
  for (int i = 0; i < 6; ++i) values.push_back(plug.GetParam(i)->Value());
  EXPECT_EQ(values, (std::vector<double>{20.0, 100.0, 10.0, 10.0, 10.0, 20.0}));
  ByteChunk tail;
  EXPECT_TRUE(plug.SerializeNonAutomatedParams(&tail, 99));
  EXPECT_EQ(tail.Size(), 5 * 8) << "never past the last parameter";
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&tail, 0, 99), tail.Size());
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&tail, -1, 3), -1);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 8);
  EXPECT_EQ(plug.GetParam(0)->Value(), 100.0);
}

TEST(PluginParams, CompareStateWithinTolerance) {
  TestPlugin none(0, 2);
  EXPECT_TRUE(none.CompareState(nullptr, 0));
  TestPlugin plug(2, 2);
  plug.GetParam(0)->Set(0.5);
  plug.GetParam(1)->Set(0.25);
  const double same[] = {9.0, 0.5, 0.25 + 1e-7}, other[] = {0.5, 0.2501};
  EXPECT_TRUE(plug.CompareState(reinterpret_cast<const unsigned char*>(same), 1));
  EXPECT_FALSE(plug.CompareState(reinterpret_cast<const unsigned char*>(other), 0));
  EXPECT_FALSE(plug.CompareState(nullptr, 0));
}

}  // namespace
