#include <algorithm>
#include <cstring>

#include "src/librarian/BankFormat.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

// Reads the byte at `position` and moves past it; false at the end of data.
bool nextByte(const ByteChunk* data, int& position, uint8_t& byte) {
  if (position < 0 || position >= data->Size()) return false;
  byte = data->Data()[position++];
  return true;
}

// The stored dump's own header: F0 3E 13 00 type 00 program.
constexpr int kHeaderSize = 7;

// The first byte of 0x80 or above from `from`, or `size`; eight bytes a step while none is.
int statusByteFrom(const uint8_t* bytes, int from, int size) {
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  int i = from;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    if (word & kHighBits) break;
  }
  while (i < size && bytes[i] < 0x80) ++i;
  return i;
}

}  // namespace

bool PatchLibrarian::findByte(ByteChunk* data, int& position, int byte) {
  uint8_t b = 0;
  while (nextByte(data, position, b))
    if (b == byte) return true;
  position = -1;
  return false;
}

int PatchLibrarian::readSysexMessage(ByteChunk* data, int& position, PatchFile* file, int mode,
                                     int program) {
  return readDump(data, position, file, mode, program, false);
}

int PatchLibrarian::readMIDIMessage(ByteChunk* data, int& position, PatchFile* file, int mode,
                                    int program) {
  return readDump(data, position, file, mode, program, true);
}

int PatchLibrarian::readDump(ByteChunk* data, int& position, PatchFile* file, int mode, int program,
                             bool midi, bool* whole) {
  using namespace DumpLayout;
  if (whole) *whole = false;
  if (!findByte(data, position, kManufacturer)) return -1;
  // A header that does not hold resumes the search right after its 0x3E: a MIDI file's event
  // length can end in 0x3E just before the dump's own, which must not be passed over.
  const int resume = position;

  uint8_t model = 0, device = 0, kind = 0, bank = 0, prog = 0;
  if (!nextByte(data, position, model)) return position = -1;
  bool olderModel = false;
  if (model == kModelNimbra) {
    file->sourceModel = 1;
    olderModel = true;
  } else if (model == kModelVela) {
    file->sourceModel = 2;
    olderModel = true;
  } else if (model != kModelCorvane) {
    return position = resume;
  }
  if (!nextByte(data, position, device)) return position = -1;
  if (device > 0x7E) return position = resume;
  if (!nextByte(data, position, kind)) return position = -1;
  if (kind != kTypeSound && kind != kTypeMulti) return position = resume;
  if (!nextByte(data, position, bank)) return position = -1;
  if (bank >= 0x80) return position = resume;
  if (!nextByte(data, position, prog)) return position = -1;
  if (prog >= 0x80) return position = resume;
  // Older synthesizers' dumps are recognised but not loaded.
  if (olderModel) return position;

  // The body ends at F7; any other status byte means the dump was cut off and something else
  // begins there, so it is left for the next search.
  const uint8_t* bytes = data->Data();
  const int size = data->Size();
  const int body = position;
  position = statusByteFrom(bytes, body, size);
  const int bodySize = position - body;
  const bool multi = kind == kTypeMulti;
  const bool closed = position < size && bytes[position] == 0xF7;
  // A MIDI file's event status stands before its length, not right before the header.
  const bool opened = midi || (resume >= 2 && bytes[resume - 2] == 0xF0);
  if (position >= size) {
    position = -1;
  } else if (closed && !midi) {
    ++position;
  }
  const int dumpSize = kHeaderSize + bodySize + 1;
  // Too short to hold a name: dropped before anything is made of it.
  if (multi ? dumpSize < kMultiSize : (dumpSize < kSoundMinSize && mode == kConvertNone))
    return position;

  LibrarianPatch slot;
  slot.messages.emplace_back();
  std::vector<uint8_t>& dump = slot.messages[0].bytes;
  const uint8_t header[kHeaderSize] = {
      0xF0, kManufacturer, kModelCorvane, 0x00, kind, 0x00, (uint8_t)(program & 0x7F)};
  dump.reserve((size_t)dumpSize);
  dump.insert(dump.end(), header, header + kHeaderSize);
  dump.insert(dump.end(), bytes + body, bytes + body + bodySize);
  dump.push_back(0xF7);

  if (multi) {
    slot.parseName(kMultiNameOffset);
    file->type = 1;
  } else {
    // A converted dump comes out whole, so the length test follows the conversion.
    if (mode == kConvertVela) alterPatchFromVelaFormat(&slot.messages[0]);
    if (mode == kConvertVela || mode == kConvertNimbra) {
      alterPatchFromNimbraFormat(&slot.messages[0]);
      alterCategoryFormatToInt(&slot.messages[0]);
    }
    if ((int)dump.size() < kSoundMinSize) return position;
    slot.parseName(kSoundNameOffset);
    slot.parseCategory(kSoundCategoryOffset);
    file->type = 0;
  }
  if (whole) *whole = opened && closed && dumpSize == (multi ? kMultiSize : kSoundSize);
  file->records.push_back(std::move(slot));
  return position;
}

int PatchLibrarian::loadFromChunk(ByteChunk* chunk, int size, PatchFile* file) {
  if (size < 15 || size > chunk->Size()) return 0;
  const bool midi =
      std::equal(BankFormat::kMidiSignature, BankFormat::kMidiSignature + 8, chunk->Data());
  int position = midi ? 14 : 0;
  ByteChunk* data = chunk;
  ByteChunk head;
  if (size < chunk->Size()) {
    head.AppendBytes(chunk->Data(), size);
    data = &head;
  }
  file->records.reserve(DumpLayout::kBankSlots);
  int wholeDumps = 0;
  for (;;) {
    // Dumps are numbered by the slot they land in, so stray bytes between them (a refused
    // header, an older model's dump) change no number and a bank reads back as it was written.
    const int program = (int)file->records.size() % DumpLayout::kBankSlots;
    bool whole = false;
    const int result = readDump(data, position, file, kConvertNone, program, midi, &whole);
    wholeDumps += whole ? 1 : 0;
    if (result <= 0) break;
  }
  if (file->records.empty()) file->records.shrink_to_fit();  // a file of no dumps holds no room
  checkBankSizeAndAddData(file);
  return wholeDumps;
}
