#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortInFramer.h"
#include "toolkit/plugin/midi/IMidiPortInQueue.h"

namespace {

using midi_test::Bytes;

Bytes validDump(std::mt19937& rng) {
  Bytes dump{0xF0, 0x3E, 0x13, 0x00, 0x10};
  dump.resize(5 + rng() % 400);
  for (size_t i = 5; i < dump.size(); ++i) dump[i] = static_cast<uint8_t>(rng() & 0x7F);
  dump.push_back(0xF7);
  return dump;
}

Bytes shortMessage(std::mt19937& rng) {
  const uint8_t statuses[] = {0x90, 0x80, 0xB3, 0xC1, 0xD2, 0xE0, 0xF2, 0xF3, 0xF6, 0xF1};
  const uint8_t status = statuses[rng() % 10];
  Bytes message{status};
  const size_t length = (status & 0xE0) == 0xC0 || status == 0xF1 || status == 0xF3 ? 2
                        : status == 0xF6                                            ? 1
                                                                                    : 3;
  while (message.size() < length) message.push_back(static_cast<uint8_t>(rng() & 0x7F));
  return message;
}

// A device's stream: dumps, short and real-time messages, damaged in the ways wires damage them.
Bytes deviceStream(std::mt19937& rng, size_t& intactDumps) {
  Bytes stream;
  intactDumps = 0;
  for (int n = 1 + static_cast<int>(rng() % 8); n > 0; --n) {
    Bytes item = rng() % 2 ? validDump(rng) : shortMessage(rng);
    const bool intact = item[0] == 0xF0 && rng() % 2;
    if (!intact) {
      switch (rng() % 6) {
        case 0:
          item[rng() % item.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
          break;
        case 1:
          item[rng() % item.size()] |= 0x80;  // a status byte inside the body
          break;
        case 2:
          item.resize(rng() % item.size());
          break;
        case 3:
          item.insert(item.begin() + static_cast<long>(rng() % (item.size() + 1)),
                      static_cast<uint8_t>(0xF8 + rng() % 8));
          break;
        case 4:
          item.insert(item.end(), 1 + rng() % 4, static_cast<uint8_t>(rng()));
          break;
        default:
          break;
      }
    } else {
      // Real-time bytes may come inside an intact dump without breaking it.
      if (rng() % 3 == 0) item.insert(item.begin() + 1 + static_cast<long>(rng() % 4), 0xF8);
      ++intactDumps;
    }
    stream.insert(stream.end(), item.begin(), item.end());
  }
  if (rng() % 50 == 0) {  // longer than any SysEx the framer keeps
    Bytes huge(IMidiPortInFramer::kMaxSysEx + 10, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    stream.insert(stream.begin(), huge.begin(), huge.end());
  }
  return stream;
}

TEST(FramerFuzz, RandomAndMutatedInputsAreSafe) {
  midi_test::LogCapture log;
  std::mt19937 rng(20261206);
  size_t wholeDumps = 0;
  for (int round = 0; round < 4000; ++round) {
    size_t intact = 0;
    Bytes stream = deviceStream(rng, intact);
    if (round % 10 == 0) {
      stream.resize(rng() % 64);
      for (uint8_t& b : stream) b = static_cast<uint8_t>(rng());
      intact = 0;
    }
    IMidiPortInFramer framer(&log);
    std::vector<Bytes> out;
    const IMidiPortInFramer::Emit emit = [&](const uint8_t* data, size_t size) {
      out.emplace_back(data, data + size);
    };
    const bool whole = round % 3 == 0;
    if (whole) {
      framer.feed(stream.data(), stream.size(), emit);
    } else {
      for (size_t at = 0; at < stream.size();) {
        const size_t piece = std::min(stream.size() - at, static_cast<size_t>(rng() % 40));
        framer.feed(piece ? stream.data() + at : nullptr, piece, emit);
        at += piece;
      }
    }
    size_t dumps = 0;
    for (const Bytes& message : out) {
      ASSERT_FALSE(message.empty());
      if (message.size() <= 3) {
        ASSERT_NE(message[0], 0xF8);
        ASSERT_NE(message[0], 0xFE);
        ASSERT_NE(message[0], 0xF1);
      }
      if (message[0] != 0xF0) continue;
      // A SysEx reaches the plug-in only whole: F7 last, 7-bit data, not too long.
      ++dumps;
      ASSERT_EQ(message.back(), 0xF7) << "round " << round;
      ASSERT_LE(message.size(), IMidiPortInFramer::kMaxSysEx);
      for (size_t i = 1; i + 1 < message.size(); ++i) ASSERT_LT(message[i], 0x80) << round;
    }
    // Fed at once from an F0, every undamaged dump arrives.
    if (whole && !stream.empty() && stream[0] == 0xF0) {
      ASSERT_GE(dumps, intact) << "round " << round;
      wholeDumps += dumps;
    }
  }
  EXPECT_GT(wholeDumps, 500u);
}

TEST(FramerFuzz, TheInputQueueHandsOverExactlyWhatItTook) {
  std::mt19937 rng(5);
  IMidiPortInQueue queue(4096);
  std::deque<Bytes> expected;
  queue.start();
  for (int round = 0; round < 20000; ++round) {
    Bytes message(rng() % 4 == 0 ? rng() % 3000 : rng() % 8);
    for (uint8_t& b : message) b = static_cast<uint8_t>(rng());
    if (rng() % 500 == 0) {
      queue.stop();
      expected.clear();
      ASSERT_FALSE(queue.push(message.data(), message.size()));
      queue.start();
    }
    if (queue.push(message.empty() ? nullptr : message.data(), message.size()))
      expected.push_back(message);
    if (rng() % 8 == 0) {
      std::deque<IMidiPortInQueue::Message> taken;
      queue.popAll(taken, std::chrono::milliseconds(0));
      ASSERT_EQ(taken.size(), expected.size());
      for (size_t i = 0; i < taken.size(); ++i) ASSERT_EQ(taken[i].bytes, expected[i]);
      expected.clear();
    }
  }
  EXPECT_GT(queue.takeRefused(), 0u);
}

}  // namespace
