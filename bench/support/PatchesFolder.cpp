#include "bench/support/PatchesFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "src/librarian/InitDumps.h"

namespace {

constexpr int kBanksPerFolder = 100;

}  // namespace

PatchesFolder::PatchesFolder(int banks, int multiBanks) {
  char pattern[] = "/tmp/kroma-bench-data-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary data folder");
  mRoot = pattern;
  ::mkdir(patches().c_str(), 0755);
  for (int bank = 0; bank < banks; ++bank) {
    if (bank % kBanksPerFolder == 0)
      ::mkdir(
          (patches() + "/" + std::filesystem::path(bankPath(bank)).parent_path().string()).c_str(),
          0755);
    std::ofstream(patches() + "/" + bankPath(bank), std::ios::binary) << bankBytes(bank);
  }
  for (int bank = 0; bank < multiBanks; ++bank)
    std::ofstream(patches() + "/Multis " + std::to_string(bank) + ".syx", std::ios::binary)
        << bankBytes(bank, true);
}

PatchesFolder::~PatchesFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(mRoot, ignored);
}

std::string PatchesFolder::bankPath(int index) {
  return "Folder " + std::to_string(index / kBanksPerFolder) + "/Bank " + std::to_string(index) +
         ".syx";
}

std::string PatchesFolder::bankBytes(int index, bool multi) {
  using namespace DumpLayout;
  const int size = multi ? kMultiSize : kSoundSize;
  const char* init = (const char*)(multi ? InitDumps::initMultiData : InitDumps::initPatchCorvane);
  std::string bytes;
  bytes.reserve((size_t)size * kBankSlots);
  for (int slot = 0; slot < kBankSlots; ++slot) {
    std::string dump(init, init + size);
    std::string name =
        (multi ? "M" : "B") + std::to_string(index) + " Slot " + std::to_string(slot);
    name.resize(kNameLength, ' ');
    dump.replace(multi ? kMultiNameOffset : kSoundNameOffset, kNameLength, name);
    dump[6] = (char)slot;
    dump[30] = (char)((index + slot) & 0x7F);  // bodies differ too
    if (!multi) dump[kSoundCategoryOffset] = (char)((index + slot) % kCategoryCount);
    bytes += dump;
  }
  return bytes;
}
