#pragma once

#include <string>

#include "tools/session/Processes.h"

// Banks as the librarian keeps them on disk: 128 sound dumps one after the other.
namespace session {

// A bank of 128 sounds, each the synthesizer's initial sound named `prefix` and its number.
bool writeBank(const std::string& file, const std::string& prefix);
// Sound `program` of a bank file; empty when the file holds no such sound.
Bytes dumpInFile(const std::string& file, int program);
// The data bytes of two sound dumps, their headers (device, bank, program) and checksums left
// out: what a store or a request must carry over unchanged.
bool sameData(const Bytes& a, const Bytes& b);

}  // namespace session
