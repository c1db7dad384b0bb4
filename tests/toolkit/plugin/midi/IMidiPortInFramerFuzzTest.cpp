#include <gtest/gtest.h>

#include <random>

#include "Iterations.h"
#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortInFramer.h"

namespace {

using midi_test::Bytes;

// A device's stream: whole dumps (some with a clock byte inside), and dumps
// and short messages damaged as wires damage them. Counts the whole dumps.
Bytes deviceStream(std::mt19937& rng, size_t& intactDumps) {
  Bytes stream;
  intactDumps = 0;
  for (int n = 1 + static_cast<int>(rng() % 8); n > 0; --n) {
    Bytes item = midi_test::sysEx(3 + rng() % 400);
    if (rng() % 2) item = {static_cast<uint8_t>(0x80 + rng() % 0x70), 0x10, 0x20};
    if (item[0] == 0xF0 && rng() % 2) {
      if (rng() % 3 == 0) item.insert(item.begin() + 1 + static_cast<long>(rng() % 2), 0xF8);
      ++intactDumps;
    } else if (rng() % 3 == 0) {
      item[rng() % item.size()] |= 0x80;  // a status byte inside the body
    } else if (rng() % 2) {
      item.resize(rng() % item.size());
    } else {
      item.insert(item.end(), 1 + rng() % 4, static_cast<uint8_t>(rng()));
    }
    stream.insert(stream.end(), item.begin(), item.end());
  }
  return stream;
}

TEST(FramerFuzz, OnlyWholeSysExWithSevenBitDataReachesThePlugIn) {
  midi_test::LogCapture log;
  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(400);
  for (int round = 0; round < rounds; ++round) {
    size_t intact = 0;
    const Bytes stream = deviceStream(rng, intact);
    IMidiPortInFramer framer(&log);
    std::vector<Bytes> out;
    const IMidiPortInFramer::Emit emit = [&](const uint8_t* data, size_t size) {
      out.emplace_back(data, data + size);
    };
    const bool whole = round % 3 == 0;
    for (size_t at = 0; at < stream.size();) {
      const size_t piece = whole ? stream.size() : std::min(stream.size() - at, size_t(rng() % 40));
      framer.feed(piece ? stream.data() + at : nullptr, piece, emit);
      at += piece;
    }
    size_t dumps = 0;
    for (const Bytes& message : out) {
      ASSERT_FALSE(message.empty());
      if (message.size() <= 3) {  // a lone clock or sensing byte never reaches the plug-in
        ASSERT_NE(message[0], 0xF8) << "round " << round;
        ASSERT_NE(message[0], 0xFE) << "round " << round;
      }
      if (message[0] != 0xF0) continue;
      ++dumps;
      ASSERT_EQ(message.back(), 0xF7) << "round " << round;
      for (size_t i = 1; i + 1 < message.size(); ++i) ASSERT_LT(message[i], 0x80) << round;
    }
    if (whole && !stream.empty() && stream[0] == 0xF0) {
      ASSERT_GE(dumps, intact) << "round " << round;
    }
  }
}

}  // namespace
