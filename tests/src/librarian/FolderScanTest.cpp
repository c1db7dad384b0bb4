#include <dirent.h>
#include <sys/resource.h>

#include <csignal>

#include "ScanFixture.h"

using fixtures::Bytes;
using fixtures::exists;

namespace {

const Bytes& soundBank() {
  static const Bytes bytes = fixtures::rawBank(fixtures::sounds(128));
  return bytes;
}

// `size` bytes: as many whole sound dumps as fit, then zeros.
Bytes bankOfSize(size_t size) {
  Bytes bytes = fixtures::rawBank(fixtures::sounds((int)(size / 392)));
  bytes.resize(size, 0);
  return bytes;
}

}  // namespace

using FolderScan = ScanFixture;

TEST_F(FolderScan, SmallFilesAreSkippedAndOlderSynthesizerFilesNamedInTheLogOnly) {
  bank("small.syx", bankOfSize(30000));
  bank("large.syx", bankOfSize(30001));
  bank("old.vlx", soundBank());
  bank("old2.NBX", soundBank());
  // Whatever they hold, only files of the bank extensions are read, in either case.
  for (const char* other : {"bank.txt", "bank", "bank.syx.bak", "bank.syxx"})
    bank(other, soundBank());
  bank("Upper.KRO", soundBank());
  bank("song.Mid", soundBank());
  scan();
  EXPECT_EQ(names(librarian.soundFiles), Names({"Upper.KRO", "large.syx", "song.Mid"}));
  EXPECT_EQ(librarian.soundFiles[1]->records.size(), 128u);
  EXPECT_EQ(librarian.soundFiles[1]->records[76].name, "Init          77");
  for (const char* old : {"old.vlx", "old2.NBX"})
    EXPECT_TRUE(logged("PATCH LIBRARIAN: loading file " + inPatches(old)));
}

TEST_F(FolderScan, LargeFilesAreSplitAndMovedAsideWithoutReplacing) {
  ::mkdir(dir.file("Converted Banks").c_str(), 0755);
  fixtures::writeFile(dir.file("Converted Banks/Big.syx"), {'o', 'l', 'd'});
  bank("Big.syx", fixtures::rawBank(fixtures::sounds(200)));
  bank("Exact.syx", soundBank());
  scan();
  EXPECT_EQ(names(librarian.soundFiles),
            Names({"Big Singles 1.syx", "Big Singles 2.syx", "Exact.syx"}));
  EXPECT_FALSE(exists(inPatches("Big.syx")));
  EXPECT_EQ(fixtures::readFile(dir.file("Converted Banks/Big.syx")), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(fixtures::readFile(dir.file("Converted Banks/Big (2).syx")).size(), 200u * 392);
  EXPECT_TRUE(exists(inPatches("Exact.syx")));
  EXPECT_TRUE(logged("PATCH LIBRARIAN: moved file " + dir.path() +
                     "/Converted Banks/ due to mismatching data in package!"));
  // The pieces stand in the folder tree at once, where the next scan places them too.
  ASSERT_EQ(librarian.soundFolders.size(), 1u);
  EXPECT_EQ(librarian.soundFolders[0]->files,
            std::vector<PatchFile*>(librarian.soundFiles.begin(), librarian.soundFiles.end()));
  EXPECT_EQ(librarian.soundFiles[0]->folderPath, Names({"Patches"}));

  librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  EXPECT_EQ(names(librarian.soundFiles),
            Names({"Big Singles 1.syx", "Big Singles 2.syx", "Exact.syx"}));
  EXPECT_EQ(librarian.soundFolders[0]->files.size(), 3u);
}

TEST_F(FolderScan, ASplitFileMovesAsideAcrossFileSystemsAndIsSplitOnce) {
  // "Patches" on another file system than the data folder, as when it links
  // to another disk: the split file must still leave, or every reload would
  // split it again into further pieces.
  struct stat here, there;
  if (::access("/dev/shm", W_OK) != 0 || ::stat("/dev/shm", &there) != 0 ||
      ::stat(dir.path().c_str(), &here) != 0 || here.st_dev == there.st_dev)
    GTEST_SKIP() << "no second file system";
  kroma_test::ScopedEnv shm("KROMA_TEST_TMP", "/dev/shm");
  kroma_test::TempDir other;
  ASSERT_EQ(::rmdir(patches().c_str()), 0);
  ASSERT_EQ(::symlink(other.path().c_str(), patches().c_str()), 0);
  bank("Big.syx", fixtures::rawBank(fixtures::sounds(200)));

  scan();
  EXPECT_FALSE(exists(inPatches("Big.syx")));
  EXPECT_EQ(fixtures::readFile(dir.file("Converted Banks/Big.syx")).size(), 200u * 392);
  librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  EXPECT_EQ(names(librarian.soundFiles), Names({"Big Singles 1.syx", "Big Singles 2.syx"}));
}

// Pieces left beside a file that stays would be joined by another set at every reload.
TEST_F(FolderScan, AFileThatCannotBeMovedAsideIsNotSplit) {
  const std::string aside = dir.file("Converted Banks");
  const struct {
    const char* what;
    bool folder;  // else a file
    const char* log;
  } cases[] = {
      {"a file in the folder's place", false, "PATCH LIBRARIAN: cannot make folder "},
      {"a folder that takes no files", true, "PATCH LIBRARIAN: could not move file "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(aside.c_str());
    if (c.folder) {
      ASSERT_EQ(::symlink("/proc", aside.c_str()), 0);
    } else {
      fixtures::writeFile(aside, {'x'});
    }
    bank("Big.syx", fixtures::rawBank(fixtures::sounds(200)));
    scan();
    librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
    EXPECT_TRUE(librarian.soundFiles.empty());
    EXPECT_TRUE(exists(inPatches("Big.syx")));
    EXPECT_FALSE(exists(inPatches("Big Singles 1.syx")));
    EXPECT_TRUE(logged(c.log));
  }
}

// A disk that fills up while the pieces are written: the file stays whole where it is, and no
// piece, not even a partial one, is left beside it.
TEST_F(FolderScan, ABankWhosePiecesCannotBeWrittenStaysAsItIs) {
  const Bytes big = fixtures::rawBank(fixtures::sounds(200));
  bank("Big.syx", big);
  struct rlimit before;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  struct rlimit small = before;
  small.rlim_cur = 392 * 100;  // less than one piece
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  scan();
  ::setrlimit(RLIMIT_FSIZE, &before);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(librarian.soundFiles.empty());
  EXPECT_EQ(fixtures::readFile(inPatches("Big.syx")), big);
  std::vector<std::string> left;
  for (const std::string& entry : {patches(), dir.file("Converted Banks")})
    if (DIR* folder = ::opendir(entry.c_str())) {
      while (const dirent* e = ::readdir(folder))
        if (e->d_name[0] != '.') left.push_back(e->d_name);
      ::closedir(folder);
    }
  EXPECT_EQ(left, Names({"Big.syx"}));
  EXPECT_TRUE(logged("PATCH LIBRARIAN: could not split file " + inPatches("Big.syx") + "\n"));
}

// Folders are followed 33 levels below "Patches", no deeper (a link loop ends there too).
TEST_F(FolderScan, FoldersAreFollowedToALimitedDepth) {
  std::string path;
  for (int level = 1; level <= 34; ++level) {
    path += "d/";
    folder(path);
    if (level >= 32) bank(path + "Level " + std::to_string(level) + ".syx", soundBank());
  }
  scan();
  EXPECT_EQ(names(librarian.soundFiles), Names({"Level 32.syx", "Level 33.syx"}));
}

TEST_F(FolderScan, MissingPatchesFolderIsLogged) {
  ::rmdir(patches().c_str());
  scan();
  EXPECT_TRUE(librarian.folderList.empty());
  EXPECT_TRUE(librarian.categoryFolders.empty());
  EXPECT_TRUE(logged("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."));
}

TEST_F(FolderScan, BadEntriesAreSkippedAndTheScanGoesOn) {
  ASSERT_EQ(::symlink(inPatches("nowhere.syx").c_str(), inPatches("dangling.syx").c_str()), 0);
  ASSERT_EQ(::symlink(inPatches("nowhere").c_str(), inPatches("danglingFolder").c_str()), 0);
  ASSERT_EQ(::symlink(patches().c_str(), inPatches("loop").c_str()), 0);
  folder("Folder.syx");
  bank("Folder.syx/inside.kro", soundBank());
  bank("junk.syx", Bytes(40000, 0x55));
  bank("Caf\xc3\xa9.syx", soundBank());
  // Far past the size cap, but sparse on disk.
  bank("huge.syx", {0});
  ASSERT_EQ(::truncate(inPatches("huge.syx").c_str(), 17 << 20), 0);
  scan();
  EXPECT_EQ(names(librarian.soundFiles), Names({"inside.kro", "Caf\xc3\xa9.syx"}));
  // Files without a readable dump are shown as empty banks but listed nowhere.
  size_t placed = 0;
  for (const auto& top : librarian.soundFolders) placed += top->files.size();
  EXPECT_EQ(placed, 3u);  // Café, huge, junk
  for (const char* dangling : {"dangling.syx", "danglingFolder"})
    EXPECT_TRUE(logged("PATCH LIBRARIAN: skipped " + inPatches(dangling) + ": ")) << dangling;
  EXPECT_TRUE(logged("PATCH LIBRARIAN: could not read file " + inPatches("huge.syx")));
}
