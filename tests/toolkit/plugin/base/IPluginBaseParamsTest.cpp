#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "PluginTestDoubles.h"
#include "toolkit/plugin/base/ByteChunk.h"

namespace {

using plugin_test::TestPlugin;
using Calls = std::vector<std::string>;

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

// Records which change handler ran.
class TwoHandlers : public TestPlugin {
 public:
  TwoHandlers() : TestPlugin(2, 4) {
    for (int i = 0; i < 3; ++i) {
      GetParam(i)->InitInt("p", 0, 0, 127);
      GetParam(i)->CountChangesIn(StateChangeCounter());
    }
    GetParam(3)->InitText();
  }
  void OnParamChange2(int idx) override { mCalls.push_back("change2 " + std::to_string(idx)); }
};

// The host hears of every value set on a parameter it was offered; the handler runs only when
// the value changed, or always for a text. A changed value of a parameter that counts its changes
// is counted, and counted as an edit when it came from the editor (not from the hardware).
TEST(PluginParams, EditorChangesReachTheHandlerAndTheHost) {
  const struct {
    bool second;  // the second handler's way in
    int idx;
    double normalized;
    const char* call;  // nullptr: no handler
    bool informed;
    unsigned counted, edits;
  } steps[] = {
      {false, 0, 1.0, "change 0", true, 1, 1},  {false, 0, 1.0, nullptr, true, 0, 0},
      {true, 1, 0.5, "change2 1", true, 1, 0},  {true, 1, 0.5, nullptr, true, 0, 0},
      {false, 2, 1.0, "change 2", false, 1, 1}, {false, 3, 0.0, "change 3", false, 0, 0},
      {true, 3, 0.0, "change2 3", false, 0, 0}, {false, 4, 1.0, nullptr, false, 0, 0},
  };
  TwoHandlers plug;
  for (const auto& step : steps) {
    plug.mCalls.clear();
    plug.mInformed.clear();
    const unsigned changes = plug.StateChanges(), edits = plug.Edits();
    if (step.second)
      plug.SetParameterFromGUI2(step.idx, step.normalized);
    else
      plug.SetParameterFromGUI(step.idx, step.normalized);
    EXPECT_EQ(plug.mCalls, step.call ? Calls{step.call} : Calls{}) << step.idx;
    EXPECT_EQ(plug.mInformed, step.informed ? std::vector<int>{step.idx} : std::vector<int>{})
        << step.idx;
    EXPECT_EQ(plug.StateChanges() - changes, step.counted) << step.idx;
    EXPECT_EQ(plug.Edits() - edits, step.edits) << step.idx;
  }
  EXPECT_EQ(plug.GetParam(0)->Value() + plug.GetParam(1)->Value(), 127.0 + 64.0);
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
// The tail holds the first n parameters past the host's, all of them when n reaches their count.
TEST(PluginParams, TheTailHoldsTheFirstNOfTheRest) {
  TestPlugin plug(1, 4);
  for (int i = 0; i < 4; ++i) plug.GetParam(i)->InitInt("p", 10 * (i + 1), 0, 100);
  const std::pair<int, std::vector<double>> tails[] = {
      {-1, {}}, {0, {}}, {1, {20}}, {2, {20, 30}}, {3, {20, 30, 40}}, {9, {20, 30, 40}}};
  for (const auto& [n, values] : tails) {
    ByteChunk chunk;
    EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, n)) << n;
    ByteChunk expected;
    for (double value : values) expected.AppendValue(value);
    EXPECT_TRUE(chunk == expected) << n << ": " << chunk.Size() << " bytes";
  }
  EXPECT_FALSE(plug.SerializeNonAutomatedParams(nullptr, 1));
  ByteChunk state;
  EXPECT_TRUE(plug.SerializeParams(&state));
  ByteChunk hostValue;
  hostValue.AppendValue(10.0);
  EXPECT_TRUE(state == hostValue) << "the host's parameters only";
}

// Reading a tail takes the first n parameters past the host's, all of them when n reaches their
// count, and answers where it stopped.
TEST(PluginParams, ReadingATailTakesTheFirstNOfTheRest) {
  ByteChunk chunk;
  for (double value : {20.0, 30.0, 40.0}) chunk.AppendValue(value);
  const struct {
    int n, pos;
    std::vector<double> values;
  } tails[] = {{-1, 0, {50, 50, 50}}, {0, 0, {50, 50, 50}},  {1, 8, {20, 50, 50}},
               {2, 16, {20, 30, 50}}, {3, 24, {20, 30, 40}}, {9, 24, {20, 30, 40}}};
  for (const auto& t : tails) {
    TestPlugin plug(1, 4);
    for (int i = 0; i < 4; ++i) plug.GetParam(i)->InitInt("p", 50, 0, 100);
    EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, t.n), t.pos) << t.n;
    std::vector<double> values;
    for (int i = 1; i < 4; ++i) values.push_back(plug.GetParam(i)->Value());
    EXPECT_EQ(values, t.values) << t.n;
    EXPECT_EQ(plug.GetParam(0)->Value(), 50.0) << "the host's parameter is not in the tail";
  }
}

// The host's parameters read from a state: a stored NaN is 0.0 held to the range.
TEST(PluginParams, AStoredNaNIsZeroHeldToTheRange) {
  TestPlugin plug(2, 3);
  for (int i = 0; i < 3; ++i) plug.GetParam(i)->InitInt("p", 50, 10, 100);
  ByteChunk chunk;
  for (double value : {std::nan(""), 70.0, 80.0}) chunk.AppendValue(value);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 16);
  EXPECT_EQ(std::vector<double>(
                {plug.GetParam(0)->Value(), plug.GetParam(1)->Value(), plug.GetParam(2)->Value()}),
            std::vector<double>({10.0, 70.0, 50.0}));
  EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);
  EXPECT_EQ(plug.UnserializeParams(nullptr, 4), 4);
}

// A tail chunk that stops after 3 of 5 values: three restored, the fourth 0.0 held to its range,
// the fifth untouched, -1; a value beyond the range is held to it.
TEST(PluginParams, AShortTailChunkSetsWhatItHoldsAndTheFailingValueClamped) {
  TestPlugin plug(1, 6);
  for (int i = 1; i < 6; ++i) plug.GetParam(i)->InitInt("p", 50, 10, 127);
  ByteChunk chunk;
  for (double value : {20.0, 1000.0, 30.0}) chunk.AppendValue(value);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 5), -1);
  std::vector<double> values;
  for (int i = 1; i < 6; ++i) values.push_back(plug.GetParam(i)->Value());
  EXPECT_EQ(values, (std::vector<double>{20.0, 127.0, 30.0, 10.0, 50.0}));
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, -1, 5), -1);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 8, 0), 8);
  EXPECT_TRUE(plug.mCalls.empty()) << "restored values are set directly";
}
}  // namespace
