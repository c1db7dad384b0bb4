#pragma once

#include <cstdint>

#include "toolkit/plugin/base/ByteChunk.h"

struct PatchFile;

// The byte layout of bank files: raw SysEx (".syx", ".kro") or a format-1
// Standard MIDI File (".mid") whose second track holds the dumps as SysEx
// events. Lengths in the MIDI framing are computed from the dumps, so a bank
// of full-size dumps comes out exactly as the fixed layout and any other bank
// still describes its own contents.
namespace BankFormat {

constexpr int kTicksBetweenDumps = 500;
// "MThd", its length, format 1, two tracks, 480 ticks per quarter.
constexpr uint8_t kMidiSignature[8] = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06};
// Where the dumps' track starts: after this many bytes the first event follows.
constexpr int kMidiHeaderSize = 49;
constexpr int kMidiEndOfTrackSize = 4;

// Appends a variable-length quantity (7 bits a byte, high bit = more).
void appendVlq(ByteChunk* out, uint32_t value);
// Appends one SysEx event: delta time, F0, length, the data bytes.
void appendSysexEvent(ByteChunk* out, uint32_t delta, const uint8_t* data, int size);

// The file bytes of `bank`: every dump of every slot in order. Slots without a
// dump write nothing.
ByteChunk bankBytes(const PatchFile& bank, bool midi);

}  // namespace BankFormat
