#pragma once

#include <array>

#include "src/protocol/SysExFormat.h"

// The constant starting points of the three dumps: every fixed byte in place, the parameter
// bytes as the writers overwrite them.
namespace sysex {

using SoundDumpBytes = std::array<unsigned char, kSoundDumpSize>;
using MultiDumpBytes = std::array<unsigned char, kMultiDumpSize>;
using GlobalDumpBytes = std::array<unsigned char, kGlobalDumpSize>;

// Edit-buffer sound dump: bank 7F, program 0, checksum place 7F, every parameter byte 0.
const SoundDumpBytes& soundDumpTemplate();

// The multi dump every multi send starts from: edit buffer, default part records, checksum
// place 1C.
const MultiDumpBytes& multiSendTemplate();

// The Global dump as the synthesizer ships it; checksum place 7F.
const GlobalDumpBytes& globalDumpTemplate();

}  // namespace sysex
