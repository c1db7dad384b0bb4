#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "toolkit/plugin/midi/IMidiQueue.h"

namespace {

void add(IMidiQueue& queue, int offset, int tag) {
  IMidiMsg msg(offset, 0x90, (uint8_t)tag, 1);
  queue.Add(&msg);
}

// (offset, tag) of every waiting message, front first; the queue is drained.
std::vector<std::pair<int, int>> drain(IMidiQueue& queue) {
  std::vector<std::pair<int, int>> out;
  for (; !queue.Empty(); queue.Remove())
    out.emplace_back(queue.Peek()->mOffset, queue.Peek()->mData1);
  return out;
}

TEST(MidiQueue, OrdersByOffsetAndKeepsArrivalOrderOfEqualOffsets) {
  IMidiQueue queue(1024);
  EXPECT_EQ(queue.Peek(), nullptr);
  for (auto [offset, tag] : {std::pair{5, 1}, {3, 2}, {5, 3}, {0, 4}, {3, 5}})
    add(queue, offset, tag);
  const std::vector<std::pair<int, int>> expected = {{0, 4}, {3, 2}, {3, 5}, {5, 1}, {5, 3}};
  EXPECT_EQ(drain(queue), expected);
  queue.Remove();  // harmless on an empty queue
  EXPECT_EQ(queue.Count(), 0);
}

TEST(MidiQueue, GrowsInStepsOrCompactsWhenFull) {
  IMidiQueue queue(1000);
  EXPECT_EQ(queue.GrowStep(), 1024) << "sizes round up to 512";
  for (int i = 0; i < 1025; ++i) add(queue, i, i & 0x7F);
  EXPECT_EQ(queue.Capacity(), 2048);
  EXPECT_EQ(queue.Count(), 1025);

  IMidiQueue compacting(512);
  for (int i = 0; i < 512; ++i) add(compacting, i, 0);
  compacting.Remove();
  compacting.Remove();
  add(compacting, 100, 77);  // out of order, into a full buffer with room in front
  EXPECT_EQ(compacting.Capacity(), 512) << "room in front is reused before growing";
  const auto rest = drain(compacting);
  ASSERT_EQ(rest.size(), 511u);
  for (size_t i = 1; i < rest.size(); ++i) ASSERT_GE(rest[i].first, rest[i - 1].first);
  EXPECT_EQ(std::count(rest.begin(), rest.end(), std::pair{100, 77}), 1);
}

TEST(MidiQueue, FlushCarriesTheRestIntoTheNextBlock) {
  IMidiQueue queue(1024);
  add(queue, 700, 1);
  add(queue, 10, 2);
  while (!queue.Empty() && queue.Peek()->mOffset < 512) queue.Remove();
  queue.Flush(512);
  add(queue, 0, 4);
  EXPECT_EQ(drain(queue), (std::vector<std::pair<int, int>>{{0, 4}, {188, 1}}));
}

TEST(MidiQueue, ResizeKeepsLiveMessagesAndAUsableStep) {
  IMidiQueue queue(1024);
  for (int i = 0; i < 700; ++i) add(queue, i, i & 0x7F);
  for (int i = 0; i < 50; ++i) queue.Remove();
  queue.Resize(256);
  EXPECT_EQ(queue.GrowStep(), 512);
  EXPECT_EQ(queue.Capacity(), 1024) << "650 live messages need 1024";
  ASSERT_EQ(queue.Count(), 650);
  EXPECT_EQ(queue.Peek()->mOffset, 50);
  queue.Clear();
  queue.Resize(0);
  EXPECT_EQ(queue.Capacity(), 512);
  for (int i = 0; i < 600; ++i) add(queue, 600 - i, 0);
  EXPECT_EQ(queue.Count(), 600) << "a queue resized to 0 must still take messages";
  EXPECT_EQ(queue.Peek()->mOffset, 1);
  queue.Resize(4096);
  EXPECT_EQ(queue.Capacity(), 4096);
  EXPECT_EQ(queue.Count(), 600);
}

}  // namespace
