#pragma once

#include <sys/stat.h>

#include "src/librarian/PatchLibrarian.h"
#include "tests/src/librarian/BankLoading.h"

// Banks of dumps with names of the test's own, in memory and as files.
namespace banks {

using fixtures::trimmed;

// `count` dumps named prefix + number.
inline std::vector<fixtures::Bytes> dumps(const std::string& prefix, int count, bool multi) {
  std::vector<fixtures::Bytes> out;
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    out.push_back(multi ? fixtures::multiDump(name) : fixtures::soundDump(name));
  }
  return out;
}

// `count` sound records named prefix + number.
inline std::vector<LibrarianPatch> records(const std::string& prefix, int count = 128) {
  std::vector<LibrarianPatch> out;
  for (fixtures::Bytes& dump : dumps(prefix, count, false)) out.push_back(fixtures::slotOf(dump));
  return out;
}

// A bank listed directly in "Patches", owned by the librarian.
inline PatchFile* add(PatchLibrarian& librarian, const std::string& name,
                      std::vector<LibrarianPatch> slots, bool multi = false) {
  PatchFile* file = new PatchFile{multi ? 1 : 0, 0, std::move(slots), name, "Patches", {"Patches"}};
  (multi ? librarian.multiFiles : librarian.soundFiles).push_back(file);
  return file;
}

// A raw bank file of 128 records named prefix + number; its folders are made as needed.
inline void write(const std::string& path, const std::string& prefix, bool multi = false) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    ::mkdir(path.substr(0, slash).c_str(), 0755);
  fixtures::writeFile(path, fixtures::rawBank(dumps(prefix, 128, multi)));
}

}  // namespace banks
