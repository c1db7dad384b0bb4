#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "src/core/PatchManager.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes saved(const PatchManager& manager) {
  ByteChunk chunk;
  EXPECT_TRUE(manager.saveAllToChunk(&chunk));
  return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

ByteChunk chunkOf(const Bytes& bytes) {
  ByteChunk chunk;
  chunk.AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

// Damage to a saved record: flipped bytes, cuts, extensions, length words of any size.
Bytes mutate(Bytes record, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const uint32_t lengths[] = {0, 1, 16, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u};
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    switch (pick(5)) {
      case 0:
        if (!record.empty()) record[pick(record.size())] ^= uint8_t(1u << pick(8));
        break;
      case 1:
        record.resize(pick(record.size() + 1));
        break;
      case 2:
        record.insert(record.begin() + static_cast<long>(pick(record.size() + 1)), 1 + pick(20),
                      uint8_t(rng()));
        break;
      default: {  // a length word, the snapshot's or a name's
        if (record.size() < 4) break;
        const size_t at = pick(record.size() - 3);
        const uint32_t v = lengths[pick(7)];
        for (int k = 0; k < 4; ++k) record[at + static_cast<size_t>(k)] = uint8_t(v >> (8 * k));
        break;
      }
    }
  }
  return record;
}

TEST(PatchManagerFuzz, RandomAndMutatedInputsAreSafe) {
  PatchManager source(nullptr);
  source.init(chunkOf(Bytes(40, 0x55)));
  source.setName(Patch::kMultiNameSlot, "Multi Name");
  source.setName(Patch::kFirstPatchNameSlot + 3, "Lead \xE9");
  source.setName(Patch::kMIDIInPortSlot, "in port with a long name past thirty-two bytes");
  const Bytes valid = saved(source);

  std::mt19937 rng(20261206);
  int read = 0;
  for (int round = 0; round < 20000; ++round) {
    const Bytes record = mutate(valid, rng);
    const int lead = static_cast<int>(rng() % 3);
    Bytes bytes(static_cast<size_t>(lead), 0xAA);
    bytes.insert(bytes.end(), record.begin(), record.end());
    const ByteChunk chunk = chunkOf(bytes);
    PatchManager target(nullptr);
    const int pos = target.loadAllFromChunk(&chunk, rng() % 8 ? lead : static_cast<int>(rng()));
    ASSERT_TRUE(pos == -1 || (pos >= lead + 12 && pos <= chunk.Size())) << "round " << round;
    // Whatever was read is saved and read back to the same record.
    const Bytes again = saved(target);
    PatchManager copy(nullptr);
    const ByteChunk againChunk = chunkOf(again);
    ASSERT_EQ(copy.loadAllFromChunk(&againChunk, 0), againChunk.Size()) << "round " << round;
    ASSERT_EQ(saved(copy), again) << "round " << round;
    read += pos >= 0;
  }
  EXPECT_GT(read, 1000);
}

}  // namespace
