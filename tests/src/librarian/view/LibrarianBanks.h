#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "src/librarian/InitDumps.h"
#include "src/librarian/PatchLibrarian.h"

// Banks of init dumps with names of the test's own, in memory and as files.
namespace banks {

// A sound or Multi record named `name` (blanks fill the dump's 16 bytes).
inline LibrarianPatch record(const std::string& name, bool multi = false) {
  std::vector<uint8_t> dump(
      multi ? std::begin(InitDumps::initMultiData) : std::begin(InitDumps::initPatchCorvane),
      multi ? std::end(InitDumps::initMultiData) : std::end(InitDumps::initPatchCorvane));
  const int at = multi ? DumpLayout::kMultiNameOffset : DumpLayout::kSoundNameOffset;
  std::string padded = name;
  padded.resize(DumpLayout::kNameLength, ' ');
  std::copy(padded.begin(), padded.end(), dump.begin() + at);
  LibrarianPatch slot;
  slot.messages.push_back(PatchSysexMessage{dump});
  slot.parseName(at);
  return slot;
}

// `count` records named prefix + number.
inline std::vector<LibrarianPatch> records(const std::string& prefix, int count = 128,
                                           bool multi = false) {
  std::vector<LibrarianPatch> out;
  for (int i = 0; i < count; ++i) out.push_back(record(prefix + std::to_string(i), multi));
  return out;
}

// A bank listed directly in "Patches", owned by the librarian.
inline PatchFile* add(PatchLibrarian& librarian, const std::string& name,
                      std::vector<LibrarianPatch> slots, bool multi = false) {
  auto file = std::make_unique<PatchFile>(
      PatchFile{multi ? 1 : 0, 0, std::move(slots), name, "Patches", {"Patches"}});
  return (multi ? librarian.multiFiles : librarian.soundFiles).push_back(std::move(file));
}

// A raw bank file of `count` records named prefix + number; its folders are made as needed.
inline void write(const std::string& path, const std::string& prefix, bool multi = false,
                  int count = 128) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    ::mkdir(path.substr(0, slash).c_str(), 0755);
  std::ofstream out(path, std::ios::binary);
  for (const LibrarianPatch& slot : records(prefix, count, multi))
    out.write(reinterpret_cast<const char*>(slot.messages[0].bytes.data()),
              static_cast<std::streamsize>(slot.messages[0].bytes.size()));
}

// A name as stored, without the blanks that fill it.
inline std::string trimmed(std::string name) {
  return name.erase(name.find_last_not_of(' ') + 1);
}

}  // namespace banks
