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

PatchesFolder::PatchesFolder(int banks) : mBanks(banks) {
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
}

PatchesFolder::~PatchesFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(mRoot, ignored);
}

std::string PatchesFolder::bankPath(int index) {
  return "Folder " + std::to_string(index / kBanksPerFolder) + "/Bank " + std::to_string(index) +
         ".syx";
}

std::string PatchesFolder::bankBytes(int index) {
  using namespace DumpLayout;
  std::string bytes;
  bytes.reserve((size_t)kSoundSize * kBankSlots);
  for (int slot = 0; slot < kBankSlots; ++slot) {
    std::string dump(InitDumps::initPatchCorvane, InitDumps::initPatchCorvane + kSoundSize);
    std::string name = "B" + std::to_string(index) + " Sound " + std::to_string(slot);
    name.resize(kNameLength, ' ');
    dump.replace(kSoundNameOffset, kNameLength, name);
    dump[kSoundCategoryOffset] = (char)(slot % kCategoryCount);
    bytes += dump;
  }
  return bytes;
}
