#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "src/librarian/BankFormat.h"
#include "src/librarian/InitDumps.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

constexpr int kBankFiles = 200;

// A Patches folder of 200 full sound banks in ten sub-folders, made once.
class PatchesFolder {
 public:
  PatchesFolder() {
    char pattern[] = "/tmp/kroma-bench-XXXXXX";
    mRoot = ::mkdtemp(pattern);
    ::setenv("KROMA_DATA_DIR", mRoot.c_str(), 1);
    mPatches = mRoot + "/Patches";
    ::mkdir(mPatches.c_str(), 0755);
    for (int f = 0; f < kBankFiles; ++f) {
      const std::string folder = mPatches + "/Folder " + std::to_string(f % 10);
      ::mkdir(folder.c_str(), 0755);
      LibrarianFiles::writeFile(folder + "/Bank " + std::to_string(f) + ".syx",
                                BankFormat::bankBytes(bank(f), false), true);
    }
  }
  ~PatchesFolder() { std::filesystem::remove_all(mRoot); }
  const std::string& patches() const { return mPatches; }

 private:
  static PatchFile bank(int f) {
    PatchFile file;
    for (int i = 0; i < 128; ++i) {
      LibrarianPatch slot;
      slot.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(
          InitDumps::initPatchCorvane, InitDumps::initPatchCorvane + DumpLayout::kSoundSize)});
      std::vector<uint8_t>& dump = slot.messages[0].bytes;
      const std::string name = "Sound " + std::to_string(f * 128 + i);
      std::copy(name.begin(), name.end(), dump.begin() + DumpLayout::kSoundNameOffset);
      dump[DumpLayout::kSoundCategoryOffset] = (uint8_t)(i % kCategoryCount);
      file.records.push_back(slot);
    }
    return file;
  }

  std::string mRoot, mPatches;
};

const PatchesFolder& patchesFolder() {
  static PatchesFolder folder;
  return folder;
}

void BM_ScanPatchesFolder(benchmark::State& state) {
  const std::string& patches = patchesFolder().patches();
  for (auto _ : state) {
    PatchLibrarian librarian;
    librarian.loadPatchesFromFilesystem(patches);
    if (librarian.soundFiles.size() != kBankFiles) state.SkipWithError("banks missing");
  }
}

void BM_NameSearch(benchmark::State& state) {
  PatchLibrarian librarian;
  librarian.loadPatchesFromFilesystem(patchesFolder().patches());
  for (auto _ : state) {
    librarian.createNewSearchPatchFiles("Sound 1234");  // 11 matches among 25,600
    if (librarian.searchResultFiles.empty()) state.SkipWithError("nothing found");
  }
}

}  // namespace

BENCHMARK(BM_ScanPatchesFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMicrosecond);
