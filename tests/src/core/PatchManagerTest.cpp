#include "src/core/detail/PatchManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "tests/support/Iterations.h"

namespace {

using Bytes = std::vector<uint8_t>;

ByteChunk chunkOf(const Bytes& bytes) {
  ByteChunk chunk;
  chunk.AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

Bytes savedBytes(const PatchManager& manager) {
  ByteChunk chunk;
  EXPECT_TRUE(manager.saveAllToChunk(&chunk));
  return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

std::string nameOf(const PatchManager& manager, int slot) {
  std::string name = "unchanged";
  manager.getName(&name, slot);
  return name;
}

TEST(PatchManager, SlotsRoundTripWithTheirLengthLimits) {
  PatchManager source(nullptr);
  Bytes body(5000);
  for (size_t i = 0; i < body.size(); ++i) body[i] = uint8_t(i * 7);
  source.init(chunkOf(body));
  source.setName(Patch::kMultiNameSlot, "A Multi Name Of 20 Ch");
  source.setName(Patch::kFirstPatchNameSlot, "Pad");
  source.setName(Patch::kFirstPatchNameSlot + 15, std::string("Lead\0tail", 9));
  source.setName(Patch::kMIDIInPortSlot, std::string(40, 'p'));
  source.setName(Patch::kFirstCategorySlot, "Pad");
  source.setName(Patch::kFirstCategorySlot + 1, "Strings");

  // Saved behind other bytes and followed by more, as in the state chunk.
  ByteChunk chunk;
  chunk.AppendBytes("prefix", 6);
  ASSERT_TRUE(source.saveAllToChunk(&chunk));
  const int end = chunk.Size();
  chunk.AppendBytes("tail", 4);

  PatchManager target(nullptr);
  EXPECT_EQ(target.loadAllFromChunk(&chunk, 6), end);
  EXPECT_EQ(nameOf(target, Patch::kMultiNameSlot), "A Multi Name Of ");
  EXPECT_EQ(nameOf(target, Patch::kFirstPatchNameSlot), std::string("Pad") + std::string(13, '\0'));
  EXPECT_STREQ(nameOf(target, Patch::kFirstPatchNameSlot + 15).c_str(), "Lead");
  EXPECT_EQ(nameOf(target, Patch::kMIDIInPortSlot), std::string(32, 'p'));
  EXPECT_EQ(nameOf(target, Patch::kFirstCategorySlot), "INIT") << "categories always read INIT";

  // What was read saves again byte for byte: snapshot, cut names, categories.
  const Bytes first(chunk.Data() + 6, chunk.Data() + end);
  EXPECT_EQ(savedBytes(target), first);
  EXPECT_EQ(Bytes(first.begin() + 12, first.begin() + 12 + 5000), body);
  // The last 16 slots: "Pad" (7 bytes), "Stri" (8 bytes), then 14 times "INIT".
  const Bytes categories(first.end() - 127, first.end() - 112);
  EXPECT_EQ(categories, (Bytes{3, 0, 0, 0, 'P', 'a', 'd', 4, 0, 0, 0, 'S', 't', 'r', 'i'}));
}

// Each run of slots keeps its own length, at both of its ends: names 16 bytes, ports 32 and
// categories 4, which always read INIT.
TEST(PatchManager, EachSlotKeepsTheLengthOfItsRun) {
  const struct {
    int slot;
    size_t stored;
    const char* read;  // null: the stored bytes
  } rows[] = {{Patch::kMultiNameSlot, 16, nullptr},   {Patch::kMIDIInPortSlot - 1, 16, nullptr},
              {Patch::kMIDIInPortSlot, 32, nullptr},  {Patch::kMIDIOutPortSlot, 32, nullptr},
              {Patch::kFirstCategorySlot, 4, "INIT"}, {Patch::kNameSlots - 1, 4, "INIT"}};
  const std::string longName = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.slot);
    PatchManager source(nullptr);
    source.setName(row.slot, longName);
    const Bytes saved = savedBytes(source);
    // Markers and empty snapshot, 34 times "INIT" with its length, then the long name's part.
    EXPECT_EQ(saved.size(), 12 + 34 * 8 + 4 + row.stored);
    const ByteChunk chunk = chunkOf(saved);
    PatchManager target(nullptr);
    EXPECT_EQ(target.loadAllFromChunk(&chunk, 0), chunk.Size());
    EXPECT_EQ(nameOf(target, row.slot), row.read ? row.read : longName.substr(0, row.stored));
  }
  PatchManager ports(nullptr);
  ports.setName(Patch::kMIDIOutPortSlot, "");
  EXPECT_EQ(nameOf(ports, Patch::kMIDIOutPortSlot), "") << "no port is no name";
}

TEST(PatchManager, NameWritersAndReadersGuardTheirSlots) {
  PatchManager manager(nullptr);
  manager.setName(Patch::kMultiNameSlot, "");
  manager.setName(Patch::kNameSlots, "ignored");
  EXPECT_EQ(nameOf(manager, Patch::kMultiNameSlot), "Set Name");
  EXPECT_EQ(nameOf(manager, Patch::kNameSlots), "");
  EXPECT_EQ(nameOf(manager, -1), "");

  ByteChunk chunk;
  EXPECT_TRUE(PatchManager::putStringToChunk(&chunk, "abc", -5));
  EXPECT_TRUE(PatchManager::putStringToChunk(&chunk, std::string("ab\0cd", 5), 16));
  EXPECT_EQ(Bytes(chunk.Data(), chunk.Data() + chunk.Size()),
            (Bytes{0, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'}));
  EXPECT_FALSE(manager.saveAllToChunk(nullptr));
}

// Records written elsewhere may carry names longer than a slot keeps: every byte of the length
// word counts, and the read ends right behind the long name's last slot.
TEST(PatchManager, LongNamesAreCutAndTheReadGoesOnBehindThem) {
  for (const size_t length : {size_t(300), size_t(70000)}) {
    Bytes record(12, 0);  // markers and an empty snapshot
    for (int slot = 0; slot < Patch::kNameSlots; ++slot) {
      const size_t n = slot == Patch::kMultiNameSlot ? length : 2;
      for (int k = 0; k < 4; ++k) record.push_back(uint8_t(n >> (8 * k)));
      record.insert(record.end(), n, uint8_t('A' + slot % 26));
    }
    const ByteChunk chunk = chunkOf(record);
    PatchManager target(nullptr);
    EXPECT_EQ(target.loadAllFromChunk(&chunk, 0), chunk.Size()) << length;
    EXPECT_EQ(nameOf(target, Patch::kMultiNameSlot), std::string(16, 'A')) << length;
    EXPECT_EQ(nameOf(target, Patch::kFirstPatchNameSlot).substr(0, 2),
              std::string(2, char('A' + Patch::kFirstPatchNameSlot % 26)))
        << length;
  }
}

// A snapshot past 64 KiB keeps every byte of its big-endian length, and a new one replaces it;
// a record of empty names reads to its very end.
TEST(PatchManager, LongSnapshotsAndEmptyNamesReadWhole) {
  PatchManager source(nullptr);
  Bytes body(70000);
  for (size_t i = 0; i < body.size(); ++i) body[i] = uint8_t(i * 13);
  source.init(chunkOf(body));
  const Bytes saved = savedBytes(source);
  EXPECT_EQ(Bytes(saved.begin() + 8, saved.begin() + 12), (Bytes{0x00, 0x01, 0x11, 0x70}));
  const ByteChunk chunk = chunkOf(saved);
  PatchManager target(nullptr);
  EXPECT_EQ(target.loadAllFromChunk(&chunk, 0), chunk.Size());
  EXPECT_EQ(savedBytes(target), saved);

  // A new snapshot replaces the old one.
  target.init(chunkOf(Bytes{1, 2, 3}));
  const Bytes renewed = savedBytes(target);
  EXPECT_EQ(Bytes(renewed.begin() + 8, renewed.begin() + 15), (Bytes{0, 0, 0, 3, 1, 2, 3}));

  const ByteChunk empty = chunkOf(Bytes(12 + 4 * Patch::kNameSlots, 0));
  EXPECT_EQ(target.loadAllFromChunk(&empty, 0), empty.Size());
  EXPECT_EQ(nameOf(target, Patch::kMIDIOutPortSlot), "");
}

// Damage to a saved record: flipped bytes, cuts, insertions, length words of any size.
Bytes mutate(Bytes record, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const uint32_t lengths[] = {0, 1, 16, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u};
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    const size_t at = pick(record.size() + 1);
    switch (pick(5)) {
      case 0:
        if (at < record.size()) record[at] ^= uint8_t(1u << pick(8));
        break;
      case 1:
        record.resize(at);
        break;
      case 2:
        record.insert(record.begin() + static_cast<long>(at), 1 + pick(20), uint8_t(rng()));
        break;
      default:  // a length word, the snapshot's or a name's
        for (int k = 0; k < 4 && at + 3 < record.size(); ++k)
          record[at + k] = uint8_t(lengths[at % 7] >> (8 * k));
    }
  }
  return record;
}

// Mutated records and plain noise, at any position: a read never ends outside the chunk, and
// whatever it kept saves and reads back to the same record.
TEST(PatchManagerHostile, RandomAndMutatedRecordsAreReadSafely) {
  PatchManager source(nullptr);
  source.init(chunkOf(Bytes(40, 0x55)));
  source.setName(Patch::kMultiNameSlot, "Multi Name");
  source.setName(Patch::kFirstPatchNameSlot + 3, "Lead \xE9");
  source.setName(Patch::kMIDIInPortSlot, "in port with a long name past thirty-two bytes");
  const Bytes valid = savedBytes(source);

  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(3000);
  int read = 0;
  for (int round = 0; round < rounds; ++round) {
    Bytes record = mutate(valid, rng);
    if (round % 4 == 0) {
      record.resize(rng() % 80);
      for (auto& b : record) b = uint8_t(rng() % 4 == 0 ? 0xFF : rng() % 8);
    }
    const int lead = static_cast<int>(rng() % 3);
    record.insert(record.begin(), static_cast<size_t>(lead), 0xAA);
    const ByteChunk chunk = chunkOf(record);
    PatchManager target(nullptr);
    const int pos = target.loadAllFromChunk(&chunk, rng() % 8 ? lead : static_cast<int>(rng()));
    ASSERT_TRUE(pos == -1 || (pos >= lead + 12 && pos <= chunk.Size())) << "round " << round;
    const Bytes again = savedBytes(target);
    PatchManager copy(nullptr);
    const ByteChunk againChunk = chunkOf(again);
    ASSERT_EQ(copy.loadAllFromChunk(&againChunk, 0), againChunk.Size()) << "round " << round;
    ASSERT_EQ(savedBytes(copy), again) << "round " << round;
    read += pos >= 0;
  }
  EXPECT_GT(read, rounds / 20);
}

TEST(PatchManagerThreads, NamesWrittenWhileSavingAndLoading) {
  PatchManager manager(nullptr);
  const ByteChunk saved = chunkOf(savedBytes(manager));
  std::atomic<bool> done{false};
  std::thread sender([&] {
    for (int i = 0; !done; ++i) manager.setName(i % Patch::kNameSlots, std::string(i % 20, 'n'));
  });
  for (int i = 0; i < 300; ++i) {
    ByteChunk chunk;
    EXPECT_TRUE(manager.saveAllToChunk(&chunk));
    EXPECT_EQ(manager.loadAllFromChunk(&saved, 0), saved.Size());
  }
  done = true;
  sender.join();
}

}  // namespace
