#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "TempDir.h"
#include "src/librarian/BankFormat.h"
#include "src/librarian/InitDumps.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

PatchFile initBank() {
  PatchFile bank;
  for (int i = 0; i < DumpLayout::kBankSlots; ++i) {
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(
        InitDumps::initPatchCorvane, InitDumps::initPatchCorvane + DumpLayout::kSoundSize)});
    bank.records.push_back(slot);
  }
  return bank;
}

}  // namespace

// A reload on the editor thread while another thread searches and reads the
// upper bank: every reader that holds the librarian's lock sees whole banks.
TEST(LibrarianLock, ReloadAndSearchTakeTurns) {
  kroma_test::TempDir dir;
  kroma_test::ScopedEnv env("KROMA_DATA_DIR", dir.path().c_str());
  const std::string patches = dir.file("Patches");
  ::mkdir(patches.c_str(), 0755);
  const ByteChunk bytes = BankFormat::bankBytes(initBank(), false);
  for (const char* name : {"/a.syx", "/b.syx", "/c.kro"})
    ASSERT_TRUE(LibrarianFiles::writeFile(patches + name, bytes, true));

  PatchLibrarian librarian;
  librarian.loadPatchesFromFilesystem(patches);
  std::thread reloader([&] {
    for (int i = 0; i < 20; ++i) librarian.initBankFilesOnDiscard(patches);
  });
  std::thread programs([&] {
    for (int i = 0; i < 2000; ++i) librarian.selectedProgram = i % 128;
  });
  int searched = 0;
  for (int i = 0; i < 100; ++i) {
    std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
    librarian.createNewSearchPatchFiles("Init");
    ASSERT_EQ(librarian.searchResultFiles.size(), librarian.soundFiles.size() + 1);
    for (const PatchFile* bank : librarian.soundFiles)
      ASSERT_EQ(bank->records.size(), (size_t)DumpLayout::kBankSlots);
    searched += (int)librarian.searchResultFiles.size();
  }
  reloader.join();
  programs.join();
  EXPECT_EQ(librarian.soundFiles.size(), 3u);
  EXPECT_GT(searched, 0);
}
