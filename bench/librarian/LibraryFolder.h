#pragma once

// A data folder whose "Patches" holds a heavy user's library: `banks` raw banks of 128 distinct
// sounds (every category, names numbered by bank and slot), a hundred to a folder, plus
// `multiBanks` banks of 128 Multis directly in "Patches". Made in /tmp, removed with the object.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "src/librarian/InitDumps.h"
#include "src/librarian/LibrarianRecords.h"

namespace bench_library {

class LibraryFolder {
 public:
  explicit LibraryFolder(int banks, int multiBanks = 0) {
    char pattern[] = "/tmp/kroma-library-XXXXXX";
    mRoot = ::mkdtemp(pattern);
    mPatches = mRoot + "/Patches";
    ::mkdir(mPatches.c_str(), 0755);
    for (int b = 0; b < banks; ++b) {
      const std::string folder = mPatches + "/Folder " + std::to_string(b / 100);
      ::mkdir(folder.c_str(), 0755);
      writeBank(folder + "/Bank " + std::to_string(b) + ".syx", b, false);
    }
    for (int b = 0; b < multiBanks; ++b)
      writeBank(mPatches + "/Multis " + std::to_string(b) + ".syx", b, true);
  }
  ~LibraryFolder() { std::filesystem::remove_all(mRoot); }
  LibraryFolder(const LibraryFolder&) = delete;
  LibraryFolder& operator=(const LibraryFolder&) = delete;

  const std::string& root() const { return mRoot; }
  const std::string& patches() const { return mPatches; }

 private:
  static void writeBank(const std::string& path, int bank, bool multi) {
    using namespace DumpLayout;
    const int size = multi ? kMultiSize : kSoundSize;
    const int nameAt = multi ? kMultiNameOffset : kSoundNameOffset;
    std::string bytes;
    for (int slot = 0; slot < kBankSlots; ++slot) {
      std::string dump(
          multi ? (const char*)InitDumps::initMultiData : (const char*)InitDumps::initPatchCorvane,
          (size_t)size);
      char name[64];
      std::snprintf(name, sizeof name, "%c%04d Slot %03d        ", multi ? 'M' : 'B', bank % 10000,
                    slot);
      dump.replace(nameAt, kNameLength, name, kNameLength);
      dump[6] = (char)slot;
      dump[30] = (char)((bank + slot) & 0x7F);  // bodies differ too
      if (!multi) dump[kSoundCategoryOffset] = (char)((bank + slot) % kCategoryCount);
      bytes += dump;
    }
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), out);
      std::fclose(out);
    }
  }

  std::string mRoot, mPatches;
};

}  // namespace bench_library
