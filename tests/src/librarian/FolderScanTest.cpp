#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include "OtherUser.h"
#include "ScanFixture.h"
#include "src/librarian/LibrarianFiles.h"

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

// A bank's size of sound dumps, each changed by `spoil`, which leaves none whole.
Bytes spoiledDumps(const std::function<void(Bytes&)>& spoil) {
  std::vector<Bytes> dumps = fixtures::sounds(80);
  for (Bytes& dump : dumps) spoil(dump);
  Bytes bytes = fixtures::rawBank(dumps);
  bytes.resize(std::max<size_t>(bytes.size(), 30001), 0);
  return bytes;
}

}  // namespace

// Rough entries of "Patches" are rows of one table: the scan goes on past every one, lists only
// the banks it reads, and offers nothing else in a menu.
class FolderScan : public ScanFixture {
 protected:
  struct Rough {
    const char* entry;
    bool listed;         // by a user who may not read locked.syx
    const char* logged;  // what the scan logs before the entry's path, or ""
  };
  static constexpr Rough kRough[] = {
      {"dangling.syx", false, "skipped "},
      {"danglingFolder", false, "skipped "},
      {"loop", false, ""},
      {"Folder.syx/inside.kro", true, ""},
      {"junk.syx", false, "no whole dump in file "},
      {"start.syx", false, "no whole dump in file "},
      {"short.syx", false, "no whole dump in file "},
      {"unopened.syx", false, "no whole dump in file "},
      {"Caf\xc3\xa9.syx", true, ""},
      {"huge.syx", false, ""},
      {"link.syx", true, ""},
      {"locked.syx", false, ""},
  };

  void makeRoughEntries() {
    const auto link = [this](const std::string& to, const char* entry) {
      ASSERT_EQ(::symlink(to.c_str(), inPatches(entry).c_str()), 0) << entry;
    };
    link(inPatches("nowhere.syx"), "dangling.syx");
    link(inPatches("nowhere"), "danglingFolder");
    link(patches(), "loop");
    folder("Folder.syx");
    bank("Folder.syx/inside.kro", soundBank());
    bank("junk.syx", Bytes(40000, 0x55));
    // Only the start of a dump, padded to a bank's size; dumps a byte short of their F7; dumps
    // without their F0.
    Bytes start = fixtures::sounds(1)[0];
    start.resize(200);
    start.resize(30001, 0);
    bank("start.syx", start);
    bank("short.syx", spoiledDumps([](Bytes& dump) { dump.erase(dump.end() - 2); }));
    bank("unopened.syx", spoiledDumps([](Bytes& dump) { dump[0] = 0; }));
    bank("Caf\xc3\xa9.syx", soundBank());
    // Past the size cap (20 MB of random bytes on the musician's disk), but sparse on this one.
    bank("huge.syx", {0});
    ASSERT_EQ(::truncate(inPatches("huge.syx").c_str(), 20 << 20), 0);
    // A link is judged where it stands, as every entry is.
    fixtures::writeFile(elsewhere(), soundBank());
    link(elsewhere(), "link.syx");
    bank("locked.syx", soundBank());
    ::chmod(inPatches("locked.syx").c_str(), 0);
  }
  std::string elsewhere() const { return dir.file("Elsewhere.syx"); }
  // The names the scan is to list, in its order (folders first), by a reader of locked.syx or not.
  static Names listed(bool reader) {
    Names names;
    for (const Rough& row : kRough)
      if (row.listed || (reader && std::string(row.entry) == "locked.syx"))
        names.push_back(LibrarianFiles::fileNameOf(row.entry));
    return names;
  }
  // The banks the sound tree offers, and those the scan listed.
  std::string offeredAndListed() const {
    std::string text;
    for (const auto& top : librarian.soundFolders) {
      for (const PatchFile* file : top->files) text += file->fileName + ",";
      for (const SubFolderFiles& sub : top->subFolders)
        for (const PatchFile* file : sub.files) text += file->fileName + ",";
    }
    return text + "|" + joined(names(librarian.soundFiles));
  }
  static std::string joined(const Names& names) {
    std::string text;
    for (const std::string& name : names) text += name + ",";
    return text;
  }
};

TEST_F(FolderScan, FilesOutsideABanksSizeAreSkippedAndOlderSynthesizerFilesNamedInTheLogOnly) {
  bank("small.syx", bankOfSize(30000));
  bank("large.syx", bankOfSize(30001));
  // 16 MiB is the most a bank file holds (sparse here, a bank then zeros).
  for (const auto& [name, size] :
       {std::pair{"most.syx", 16ll << 20}, {"over.syx", (16ll << 20) + 1}}) {
    bank(name, soundBank());
    ASSERT_EQ(::truncate(inPatches(name).c_str(), size), 0) << name;
  }
  bank("old.vlx", soundBank());
  bank("old2.NBX", soundBank());
  // Whatever they hold, only files of the bank extensions are read, in either case.
  for (const char* other : {"bank.txt", "bank", "bank.syx.bak", "bank.syxx"})
    bank(other, soundBank());
  bank("Upper.KRO", soundBank());
  bank("song.Mid", soundBank());
  scan();
  EXPECT_EQ(names(librarian.soundFiles), Names({"Upper.KRO", "large.syx", "most.syx", "song.Mid"}));
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
  makeRoughEntries();
  scan();
  // Root may read every file.
  const std::string expected = joined(listed(::geteuid() == 0));
  EXPECT_EQ(offeredAndListed(), expected + "|" + expected);
  for (const Rough& row : kRough)
    EXPECT_TRUE(!*row.logged ||
                logged(std::string("PATCH LIBRARIAN: ") + row.logged + inPatches(row.entry)))
        << row.entry;
  // A link is the bank of the file it names.
  for (const PatchFile* file : librarian.soundFiles)
    EXPECT_TRUE(file->fileName != "link.syx" ||
                file->path == LibrarianFiles::canonicalPath(elsewhere()));
}

// A file the user may not read is not offered: the scan runs as an unprivileged user (uid 65534
// when the test runs as root) in a child process, and reports what it offered and listed. Each
// step of the rule holds alone: the scan passes over the file without reading it, and the reading,
// asked for the file all the same, fails and says so.
TEST_F(FolderScan, AFileTheUserMayNotReadIsNotListed) {
  makeRoughEntries();
  ::chmod(dir.path().c_str(), 0755);
  const std::string locked = inPatches("locked.syx");
  const std::string report = kroma_test::asAnotherUser([&] {
    if (::access(patches().c_str(), R_OK | X_OK) != 0)
      return std::string("skip: the test's folder is closed to an unprivileged user");
    scan();
    std::string said = offeredAndListed();
    said += logged("loading file " + locked) ? " read" : " passed over";
    const PatchFile* read =
        librarian.parseFolderFiles(Poco::File(locked), Poco::Path(locked), 0, 0, "syx");
    said += read ? " listed" : logged("could not read file " + locked) ? " unread" : " refused";
    return said;
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, joined(listed(false)) + "|" + joined(listed(false)) + " passed over unread");
}
