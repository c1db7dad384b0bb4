#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "src/core/PatchManager.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const ByteChunk& chunk) {
  return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

ByteChunk chunkOf(const Bytes& bytes) {
  ByteChunk chunk;
  chunk.AppendBytes(bytes.data(), (int)bytes.size());
  return chunk;
}

Bytes savedBytes(const PatchManager& manager) {
  ByteChunk chunk;
  EXPECT_TRUE(manager.saveAllToChunk(&chunk));
  return bytesOf(chunk);
}

std::string nameOf(const PatchManager& manager, int slot) {
  std::string name = "unchanged";
  manager.getName(&name, slot);
  return name;
}

void appendLE(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A record header with the given snapshot length field and snapshot bytes.
Bytes header(uint32_t snapshotLength, const Bytes& snapshot = {}) {
  Bytes out = {0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 3; i >= 0; --i) out.push_back(uint8_t(snapshotLength >> (8 * i)));
  out.insert(out.end(), snapshot.begin(), snapshot.end());
  return out;
}

// The state every failed read leaves: an empty snapshot and empty names,
// NUL-padded in the fixed-length slots.
void expectEmptied(const PatchManager& manager) {
  Bytes expected = header(0);
  expected.resize(expected.size() + 4 * Patch::kNameSlots, 0);
  EXPECT_EQ(savedBytes(manager), expected);
  EXPECT_EQ(nameOf(manager, Patch::kMultiNameSlot), std::string(16, '\0'));
  EXPECT_EQ(nameOf(manager, Patch::kMIDIInPortSlot), "");
}

TEST(PatchManager, FreshRecordIsAHeaderAndThirtyFiveInitNames) {
  PatchManager manager(nullptr);
  const Bytes saved = savedBytes(manager);
  ASSERT_EQ(saved.size(), 292u);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 12), header(0));
  for (int slot = 0; slot < Patch::kNameSlots; ++slot) {
    const Bytes name(saved.begin() + 12 + 8 * slot, saved.begin() + 20 + 8 * slot);
    EXPECT_EQ(name, (Bytes{4, 0, 0, 0, 'I', 'N', 'I', 'T'})) << "slot " << slot;
    EXPECT_EQ(nameOf(manager, slot), "INIT");
  }
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
  source.setName(Patch::kMIDIOutPortSlot, "OFF");
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
  EXPECT_STREQ(nameOf(target, Patch::kFirstPatchNameSlot).c_str(), "Pad");
  EXPECT_STREQ(nameOf(target, Patch::kFirstPatchNameSlot + 15).c_str(), "Lead");
  EXPECT_EQ(nameOf(target, Patch::kFirstPatchNameSlot + 1), "INIT" + std::string(12, '\0'));
  EXPECT_EQ(nameOf(target, Patch::kMIDIInPortSlot), std::string(32, 'p'));
  EXPECT_EQ(nameOf(target, Patch::kMIDIOutPortSlot), "OFF");
  EXPECT_EQ(nameOf(target, Patch::kFirstCategorySlot), "INIT") << "categories always read INIT";

  // What was read saves again byte for byte: snapshot, cut names, categories.
  const Bytes first(chunk.Data() + 6, chunk.Data() + end);
  EXPECT_EQ(savedBytes(target), first);
  EXPECT_EQ(Bytes(first.begin() + 12, first.begin() + 12 + 5000), body);
  // The last 16 slots: "Pad" (7 bytes), "Stri" (8 bytes), then 14 times "INIT".
  const Bytes categories(first.end() - 127, first.end() - 112);
  EXPECT_EQ(categories, (Bytes{3, 0, 0, 0, 'P', 'a', 'd', 4, 0, 0, 0, 'S', 't', 'r', 'i'}));
}

TEST(PatchManager, NameWritersAndReadersGuardTheirSlots) {
  PatchManager manager(nullptr);
  manager.setName(Patch::kMultiNameSlot, "");
  manager.setName(Patch::kFirstCategorySlot + 3, "");
  manager.setName(Patch::kMIDIOutPortSlot, "");
  manager.setName(-1, "ignored");
  manager.setName(Patch::kNameSlots, "ignored");
  EXPECT_EQ(nameOf(manager, Patch::kMultiNameSlot), "Set Name");
  EXPECT_EQ(nameOf(manager, Patch::kMIDIOutPortSlot), "");
  EXPECT_EQ(nameOf(manager, -1), "");
  EXPECT_EQ(nameOf(manager, Patch::kNameSlots), "");
  manager.getName(nullptr, 0);

  ByteChunk chunk;
  EXPECT_FALSE(PatchManager::putStringToChunk(nullptr, "x", 4));
  EXPECT_TRUE(PatchManager::putStringToChunk(&chunk, "abc", -5));
  EXPECT_TRUE(PatchManager::putStringToChunk(&chunk, std::string("ab\0cd", 5), 16));
  EXPECT_EQ(bytesOf(chunk), (Bytes{0, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'}));
  EXPECT_FALSE(manager.saveAllToChunk(nullptr));
}

TEST(PatchManagerHostile, ShortOrMissingInputEmptiesEverything) {
  PatchManager manager(nullptr);
  const ByteChunk eleven = chunkOf(Bytes(11, 0));
  EXPECT_EQ(manager.loadAllFromChunk(&eleven, 0), -1);
  expectEmptied(manager);

  const ByteChunk full = chunkOf(savedBytes(PatchManager(nullptr)));
  PatchManager other(nullptr);
  EXPECT_EQ(other.loadAllFromChunk(&full, -1), -1);
  expectEmptied(other);
  EXPECT_EQ(other.loadAllFromChunk(&full, full.Size() + 100), -1);
  EXPECT_EQ(other.loadAllFromChunk(nullptr, 0), -1);
  expectEmptied(other);
}

TEST(PatchManagerHostile, BadLengthsFailWithoutReadingOutside) {
  struct Case {
    const char* what;
    Bytes record;
  };
  std::vector<Case> cases;
  cases.push_back({"snapshot longer than the chunk", header(100, Bytes(50, 1))});
  cases.push_back({"snapshot length with the top bit", header(0x80000000u, Bytes(8, 1))});
  for (uint32_t length : {0xFFFFFFF8u, 0x80000000u, 0x7FFFFFFFu, 5u}) {
    Bytes record = header(0);
    appendLE(record, length);
    record.insert(record.end(), {'a', 'b', 'c', 'd'});
    cases.push_back({"first name length", record});
  }
  Bytes lastTooLong = bytesOf(chunkOf(savedBytes(PatchManager(nullptr))));
  lastTooLong.resize(lastTooLong.size() - 8);
  appendLE(lastTooLong, 5);
  lastTooLong.insert(lastTooLong.end(), {'a', 'b'});
  cases.push_back({"last name past the end", lastTooLong});

  for (const Case& c : cases) {
    PatchManager manager(nullptr);
    const ByteChunk chunk = chunkOf(c.record);
    EXPECT_EQ(manager.loadAllFromChunk(&chunk, 0), -1) << c.what;
  }

  // A negative length never moves the position back to re-read earlier bytes.
  Bytes backwards = header(0);
  appendLE(backwards, 0xFFFFFFFCu);
  backwards.resize(400, 4);
  PatchManager manager(nullptr);
  const ByteChunk chunk = chunkOf(backwards);
  EXPECT_EQ(manager.loadAllFromChunk(&chunk, 0), -1);
  EXPECT_EQ(nameOf(manager, Patch::kFirstPatchNameSlot), std::string(16, '\0'));
}

TEST(PatchManagerHostile, EveryCutOfAValidRecordFailsAndKeepsWhatCameBefore) {
  PatchManager source(nullptr);
  source.init(chunkOf(Bytes(64, 9)));
  source.setName(Patch::kMultiNameSlot, "Multi");
  const Bytes whole = savedBytes(source);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    PatchManager target(nullptr);
    const ByteChunk chunk = chunkOf(Bytes(whole.begin(), whole.begin() + cut));
    ASSERT_EQ(target.loadAllFromChunk(&chunk, 0), -1) << "cut at " << cut;
    if (cut >= 12 + 64 + 9) {
      EXPECT_STREQ(nameOf(target, 0).c_str(), "Multi") << cut;
    }
  }
}

TEST(PatchManagerHostile, RandomBytesNeverReadOutside) {
  std::mt19937 random(1234);
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes(random() % 80);
    for (auto& b : bytes) b = uint8_t(random() % 4 == 0 ? 0xFF : random() % 8);
    const ByteChunk chunk = chunkOf(bytes);
    PatchManager manager(nullptr);
    const int pos = manager.loadAllFromChunk(&chunk, (int)(random() % 16) - 4);
    ASSERT_TRUE(pos == -1 || (pos >= 12 && pos <= chunk.Size()));
  }
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
