#include "src/librarian/BankFormat.h"

#include <vector>

#include "src/librarian/LibrarianRecords.h"

namespace BankFormat {
namespace {

// Track 1 holds the tempo map only: 4/4 and 120 beats per minute.
constexpr uint8_t kHeader[kMidiHeaderSize] = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01,
    0xE0, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04,
    0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF,
    0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x00};
constexpr int kTrackLengthOffset = kMidiHeaderSize - 4;
constexpr uint8_t kEndOfTrack[kMidiEndOfTrackSize] = {0x00, 0xFF, 0x2F, 0x00};

}  // namespace

void appendVlq(ByteChunk* out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (n > 1) {
    const uint8_t b = groups[--n] | 0x80;
    out->AppendBytes(&b, 1);
  }
  out->AppendBytes(&groups[0], 1);
}

void appendSysexEvent(ByteChunk* out, uint32_t delta, const uint8_t* data, int size) {
  const uint8_t status = 0xF0;
  appendVlq(out, delta);
  out->AppendBytes(&status, 1);
  appendVlq(out, (uint32_t)size);
  out->AppendBytes(data, size);
}

ByteChunk bankBytes(const PatchFile& bank, bool midi) {
  ByteChunk out;
  if (midi) out.AppendBytes(kHeader, kMidiHeaderSize);
  for (int slot = 0; slot < (int)bank.records.size(); ++slot) {
    const std::vector<PatchSysexMessage>& messages = bank.records[slot].messages;
    for (int index = 0; index < (int)messages.size(); ++index)
      messages[index].save(&out, midi, slot, index);
  }
  if (midi) {
    out.AppendBytes(kEndOfTrack, kMidiEndOfTrackSize);
    const uint32_t length = (uint32_t)(out.Size() - kMidiHeaderSize);
    uint8_t* p = out.Data() + kTrackLengthOffset;
    for (int i = 0; i < 4; ++i) p[i] = (uint8_t)(length >> (24 - 8 * i));
  }
  return out;
}

}  // namespace BankFormat
