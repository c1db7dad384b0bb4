#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bank files built byte by byte from the documented layouts, independent of
// the librarian's own writer.
namespace fixtures {

using Bytes = std::vector<uint8_t>;

// A 392-byte sound dump: F0 3E 13 device 10 bank program, a body derived from
// `seed`, the name at 370, the category byte at 386, checksum, F7.
Bytes soundDump(const std::string& name, uint8_t category = 0, uint8_t seed = 0, uint8_t device = 0,
                uint8_t bank = 0, uint8_t program = 0, uint8_t model = 0x13);
// A 425-byte multi dump with its name at 7.
Bytes multiDump(const std::string& name, uint8_t seed = 0, uint8_t device = 0, uint8_t bank = 0,
                uint8_t program = 0);

// Dumps end to end.
Bytes rawBank(const std::vector<Bytes>& dumps);
// A format-1 MIDI file of two tracks in the documented layout for full banks
// of 128 sounds (`multi` false) or 128 Multis.
Bytes midiBank(const std::vector<Bytes>& dumps, bool multi);

// `count` sound dumps named "Sound nnn".
std::vector<Bytes> sounds(int count, int firstNumber = 0);
std::vector<Bytes> multis(int count, int firstNumber = 0);

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace fixtures
