#include "src/core/detail/PatchManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// How each run of name slots is stored and how its names come back: cut or
// NUL-padded to a fixed length, or (-1) kept as read.
struct SlotRule {
  int first, last, storedLimit, readLength;
};

constexpr SlotRule kSlotRules[] = {
    {Patch::kMultiNameSlot, Patch::kMIDIInPortSlot - 1, 16, 16},
    {Patch::kMIDIInPortSlot, Patch::kMIDIOutPortSlot, 32, -1},
    {Patch::kFirstCategorySlot, Patch::kNameSlots - 1, 4, 4},
};

const SlotRule& ruleOf(int slot) {
  for (const SlotRule& rule : kSlotRules)
    if (slot >= rule.first && slot <= rule.last) return rule;
  return kSlotRules[0];
}

bool isSlot(int slot) {
  return slot >= 0 && slot < Patch::kNameSlots;
}

bool isPortSlot(int slot) {
  return slot == Patch::kMIDIInPortSlot || slot == Patch::kMIDIOutPortSlot;
}

const uint8_t kMarker[4] = {0, 0, 0, 1};
constexpr int kHeaderSize = 12;

void appendBigEndian32(ByteChunk& chunk, uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                            uint8_t(value)};
  chunk.AppendBytes(bytes, 4);
}

void appendLittleEndian32(ByteChunk& chunk, uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
  chunk.AppendBytes(bytes, 4);
}

uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

int32_t littleEndian32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                 uint32_t(p[3]) << 24);
}

int64_t remaining(const ByteChunk& chunk, int64_t pos) {
  return pos < 0 ? -1 : chunk.Size() - pos;
}

// One name as the chunk strings are read, except that a negative length or
// one past the end fails (-1) instead of moving the position outside.
int64_t readName(const ByteChunk& chunk, int64_t pos, std::string* name) {
  name->clear();
  if (remaining(chunk, pos) < 4) return -1;
  const int32_t n = littleEndian32(chunk.Data() + pos);
  pos += 4;
  if (n < 0 || n > remaining(chunk, pos)) return -1;
  const char* bytes = reinterpret_cast<const char*>(chunk.Data() + pos);
  const void* nul = std::memchr(bytes, '\0', (size_t)n);
  name->assign(bytes, nul ? (size_t)(static_cast<const char*>(nul) - bytes) : (size_t)n);
  return pos + n;
}

// The two markers (never tested) and the big-endian snapshot length, then
// the snapshot itself; the snapshot is emptied when either does not fit.
int64_t readSnapshot(const ByteChunk& chunk, int64_t pos, ByteChunk* snapshot) {
  snapshot->Clear();
  if (remaining(chunk, pos) < kHeaderSize) return -1;
  const uint32_t n = bigEndian32(chunk.Data() + pos + 8);
  pos += kHeaderSize;
  if ((int64_t)n > remaining(chunk, pos)) return -1;
  snapshot->AppendBytes(chunk.Data() + pos, (int)n);
  return pos + n;
}

}  // namespace

Patch::Patch() : mNames(kNameSlots, "INIT") {}

void PatchManager::init(const ByteChunk& stateBody) {
  mSnapshot.Clear();
  mSnapshot.AppendChunk(stateBody);
}

bool PatchManager::saveAllToChunk(ByteChunk* chunk) const {
  if (!chunk) return false;
  ByteChunk record;
  record.AppendBytes(kMarker, 4);
  record.AppendBytes(kMarker, 4);
  appendBigEndian32(record, (uint32_t)mSnapshot.Size());
  if (record.AppendChunk(mSnapshot) != kHeaderSize + mSnapshot.Size()) return false;
  {
    std::lock_guard<std::mutex> lock(mNamesLock);
    for (int slot = 0; slot < kNameSlots; ++slot)
      if (!putStringToChunk(&record, mNames[slot], ruleOf(slot).storedLimit)) return false;
  }
  const int before = chunk->Size();
  return chunk->AppendChunk(record) == before + record.Size();
}

int PatchManager::loadAllFromChunk(const ByteChunk* chunk, int pos) {
  const ByteChunk none;
  const ByteChunk& source = chunk ? *chunk : none;
  int64_t at = readSnapshot(source, chunk ? pos : -1, &mSnapshot);

  std::lock_guard<std::mutex> lock(mNamesLock);
  for (int slot = 0; slot < kNameSlots; ++slot) {
    std::string name;
    at = readName(source, at, &name);
    if (ruleOf(slot).readLength >= 0) name.resize((size_t)ruleOf(slot).readLength, '\0');
    mNames[slot] = name;
  }
  return (int)at;
}

void PatchManager::getName(std::string* out, int slot) const {
  if (!out) return;
  if (!isSlot(slot)) {
    out->clear();
  } else if (slot >= kFirstCategorySlot) {
    *out = "INIT";
  } else {
    std::lock_guard<std::mutex> lock(mNamesLock);
    *out = mNames[slot];
  }
}

void PatchManager::setName(int slot, const std::string& text) {
  if (!isSlot(slot)) return;
  std::lock_guard<std::mutex> lock(mNamesLock);
  mNames[slot] = text.empty() && !isPortSlot(slot) ? "Set Name" : text;
}

bool PatchManager::putStringToChunk(ByteChunk* chunk, const std::string& s, int maxLen) {
  if (!chunk) return false;
  size_t n = s.find('\0');
  if (n == std::string::npos) n = s.size();
  if (n > (size_t)std::max(maxLen, 0)) n = (size_t)std::max(maxLen, 0);
  const int before = chunk->Size();
  appendLittleEndian32(*chunk, (uint32_t)n);
  chunk->AppendBytes(s.data(), (int)n);
  return chunk->Size() == before + 4 + (int)n;
}
