#include <gtest/gtest.h>

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
  // (1, 6) goes right behind the front message, (6, 8) right before the last one.
  for (auto [offset, tag] :
       {std::pair{5, 1}, {3, 2}, {5, 3}, {0, 4}, {3, 5}, {1, 6}, {9, 7}, {6, 8}})
    add(queue, offset, tag);
  const std::vector<std::pair<int, int>> expected = {{0, 4}, {1, 6}, {3, 2}, {3, 5},
                                                     {5, 1}, {5, 3}, {6, 8}, {9, 7}};
  EXPECT_EQ(drain(queue), expected);
  queue.Remove();  // harmless on an empty queue
  EXPECT_EQ(queue.Count(), 0);
}

// A full buffer reuses room in front before growing; flushing carries the rest
// into the next block.
TEST(MidiQueue, GrowsCompactsAndFlushes) {
  IMidiQueue grown(1000);
  EXPECT_EQ(grown.GrowStep(), 1024) << "sizes round up to 512";
  for (int i = 0; i < 1025; ++i) add(grown, i, 0);
  EXPECT_EQ(grown.Capacity(), 2048);

  IMidiQueue queue(512);
  for (int i = 0; i < 512; ++i) add(queue, i, 0);
  queue.Remove();
  queue.Remove();
  add(queue, 100, 77);  // out of order, into a full buffer with room in front
  EXPECT_EQ(queue.Capacity(), 512) << "room in front is reused before growing";
  while (queue.Peek()->mOffset < 100) queue.Remove();
  queue.Remove();  // the earlier message at 100
  queue.Flush(64);
  add(queue, 0, 4);
  const auto rest = drain(queue);
  ASSERT_EQ(rest.size(), 413u);
  EXPECT_EQ(rest[0], std::pair(0, 4));
  EXPECT_EQ(rest[1], std::pair(36, 77));
  EXPECT_EQ(rest[2], std::pair(37, 0));

  IMidiQueue full(512);  // flushed with every slot taken, the last one too
  for (int i = 0; i < 512; ++i) add(full, 64 + i, 0);
  full.Flush(64);
  const auto flushed = drain(full);
  ASSERT_EQ(flushed.size(), 512u);
  EXPECT_EQ(flushed.front().first, 0);
  EXPECT_EQ(flushed.back().first, 511);
}

// The buffer is there before the first message, so the first Add on the audio thread does not
// allocate; a single free slot in front is reused before the buffer grows.
TEST(MidiQueue, AllocatesUpFrontAndReusesASingleFreeSlot) {
  for (const auto& [size, capacity] : {std::pair{1, 512}, {512, 512}, {513, 1024}, {1024, 1024}}) {
    IMidiQueue queue(size);
    EXPECT_EQ(queue.Capacity(), capacity) << size;
    for (int i = 0; i < capacity; ++i) add(queue, i, 1);
    queue.Remove();
    add(queue, capacity, 2);
    EXPECT_EQ(queue.Capacity(), capacity) << size;
    add(queue, 0, 3);  // the buffer is full again: now it grows
    EXPECT_EQ(queue.Capacity(), 2 * capacity) << size;
    const auto all = drain(queue);
    ASSERT_EQ(all.size(), (size_t)capacity + 1) << size;
    EXPECT_EQ(all.front(), std::pair(0, 3)) << size;
    EXPECT_EQ(all[1], std::pair(1, 1)) << size;
    EXPECT_EQ(all.back(), std::pair(capacity, 2)) << size;
  }
}

TEST(MidiQueue, ResizeKeepsLiveMessagesAndAUsableStep) {
  IMidiQueue queue(1024);
  for (int i = 0; i < 700; ++i) add(queue, i, 0);
  for (int i = 0; i < 50; ++i) queue.Remove();
  queue.Resize(256);
  EXPECT_EQ(queue.Capacity(), 1024) << "650 live messages need 1024";
  EXPECT_EQ(queue.Peek()->mOffset, 50);
  // Shrunk below where the live messages stood: they move to the front first.
  for (int i = 0; i < 550; ++i) queue.Remove();
  queue.Resize(0);
  EXPECT_EQ(queue.Capacity(), 512);
  const auto live = drain(queue);
  ASSERT_EQ(live.size(), 100u);
  EXPECT_EQ(live.front(), std::pair(600, 0));
  EXPECT_EQ(live.back(), std::pair(699, 0));
  queue.Clear();
  queue.Resize(0);
  EXPECT_EQ(queue.Capacity(), 512);
  for (int i = 0; i < 600; ++i) add(queue, 600 - i, 0);
  EXPECT_EQ(queue.Count(), 600) << "a queue resized to 0 must still take messages";
  EXPECT_EQ(queue.Peek()->mOffset, 1);
}

}  // namespace
