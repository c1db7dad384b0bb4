#pragma once

#include <array>
#include <string>

#include "src/protocol/DumpTemplates.h"
#include "src/protocol/ParameterAccess.h"

// The multi dump: name, master volume, tempo and sixteen part records of 24 bytes.
namespace multi_dump {

constexpr int kNameOffset = 7;
constexpr int kRecordBase = 39;
constexpr int kRecordSize = 24;

// The sound each part plays. The plug-in keeps these numbers beside the parameters; the dump
// carries them rather than the parameters' values.
struct PartSounds {
  std::array<int, sysex::kParts> banks{};
  std::array<int, sysex::kParts> programs{};
};

// Flag byte A of a part: a bit set for each switch whose value is not 1 (bit 0 receive MIDI,
// 1 receive USB, 2 receive local, 6 the part's status).
unsigned char packFlagByteA(const ParameterAccess& params, int part);
// Flag byte B of a part: bits 0..5 pitch bend, mod wheel, pressure, sustain, edits, program
// change, each set when its switch is not 1.
unsigned char packFlagByteB(const ParameterAccess& params, int part);
// The reverse, as the synthesizer's bytes are read: every switch 1, then cleared by its bit.
// Byte A with any of bits 3..5 set leaves the three receive switches at 1; byte B of 64 or
// more clears only edits and program change.
void unpackFlagByteA(int value, int part, ParameterAccess& params);
void unpackFlagByteB(int value, int part, ParameterAccess& params);

// The edit-buffer multi dump from the send template: device id from kGlobalSysExID, name from
// kMultiName's text, the common bytes and every part record. Checksum place as the template.
sysex::MultiDumpBytes buildMultiDump(const ParameterAccess& params, const PartSounds& sounds);

struct ParsedMulti {
  std::string name;  // all 16 bytes as they stand
  PartSounds sounds;
};

// Takes a multi dump (425 bytes or more, type 11) into the parameters and kMultiName's text;
// false, with nothing changed, for any other message.
bool parseMultiDump(const unsigned char* data, int size, ParameterAccess& params, ParsedMulti& out);

}  // namespace multi_dump
