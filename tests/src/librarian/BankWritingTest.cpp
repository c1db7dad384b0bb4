#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "BankLoading.h"
#include "TempDir.h"
#include "src/librarian/BankFormat.h"
#include "src/librarian/LibrarianFiles.h"

using fixtures::Bytes;
using fixtures::bytesOf;
using fixtures::load;

namespace {

// The dumps as the librarian stores them: its header, the file's body.
std::vector<Bytes> stored(const std::vector<Bytes>& dumps) {
  std::vector<Bytes> out = dumps;
  for (size_t i = 0; i < out.size(); ++i) {
    out[i][3] = 0;
    out[i][5] = 0;
    out[i][6] = (uint8_t)(i % 128);
  }
  return out;
}

}  // namespace

TEST(BankWriting, FullBanksMatchTheDocumentedLayoutsByteForByteAndReadBackThroughFiles) {
  kroma_test::TempDir dir;
  for (bool multi : {false, true}) {
    const std::vector<Bytes> dumps = multi ? fixtures::multis(128) : fixtures::sounds(128, 7);
    const PatchFile bank = load(fixtures::rawBank(dumps));
    for (bool midi : {false, true}) {
      SCOPED_TRACE(std::string(multi ? "Multis" : "sounds") + (midi ? " midi" : " raw"));
      const ByteChunk written = BankFormat::bankBytes(bank, midi);
      EXPECT_EQ(bytesOf(written),
                midi ? fixtures::midiBank(stored(dumps), multi) : fixtures::rawBank(stored(dumps)));
      ASSERT_TRUE(LibrarianFiles::writeFile(dir.file("bank"), written, true));
      const PatchFile back = load(fixtures::readFile(dir.file("bank")));
      ASSERT_EQ(back.records.size(), 128u);
      for (size_t i = 0; i < 128; ++i) {
        EXPECT_EQ(back.records[i].messages[0].bytes, bank.records[i].messages[0].bytes);
        EXPECT_EQ(back.records[i].name, bank.records[i].name);
        EXPECT_EQ(back.records[i].category, bank.records[i].category);
      }
    }
  }
}

TEST(BankWriting, MidiFilesOfDumpsOfAnyLengthReadBack) {
  // Lengths 447 to 449 give event lengths whose second byte is 0x3E to 0x40: the reader must not
  // take that for the start of a dump.
  PatchFile bank = load(fixtures::rawBank(fixtures::sounds(128)));
  for (int i = 0; i < 128; ++i) {
    std::vector<uint8_t>& dump = bank.records[i].messages[0].bytes;
    dump.insert(dump.end() - 1, 55 + i % 3, 0x01);
  }
  const PatchFile back = load(bytesOf(BankFormat::bankBytes(bank, true)));
  ASSERT_EQ(back.records.size(), 128u);
  for (int i = 0; i < 128; ++i)
    EXPECT_EQ(back.records[i].messages[0].bytes, bank.records[i].messages[0].bytes) << i;
}

TEST(BankWriting, WriteFileReplacesOnlyWhenAsked) {
  kroma_test::TempDir dir;
  ByteChunk a, b;
  a.AppendBytes("old", 3);
  b.AppendBytes("newer", 5);
  ASSERT_TRUE(LibrarianFiles::writeFile(dir.file("x.syx"), a, false));
  EXPECT_FALSE(LibrarianFiles::writeFile(dir.file("x.syx"), b, false));
  EXPECT_EQ(fixtures::readFile(dir.file("x.syx")), Bytes({'o', 'l', 'd'}));
  EXPECT_TRUE(LibrarianFiles::writeFile(dir.file("x.syx"), b, true));
  EXPECT_EQ(fixtures::readFile(dir.file("x.syx")).size(), 5u);
}

// A file the user may not write is not replaced, though the folder, theirs, would let a rename do
// it: one of another owner's, or one of their own marked read-only. Root makes the files and an
// unprivileged user in a child process saves over them.
TEST(BankWriting, AFileTheUserMayNotWriteIsNotReplaced) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to make files of two owners";
  constexpr uid_t kUser = 65534;
  kroma_test::TempDir dir;
  ASSERT_EQ(::chown(dir.path().c_str(), kUser, kUser), 0);
  const struct {
    uid_t owner;
    mode_t mode;
    bool replaced;
  } rows[] = {{kUser, 0644, true}, {0, 0644, false}, {kUser, 0444, false}};
  for (size_t row = 0; row < std::size(rows); ++row) {
    const std::string path = dir.file(std::to_string(row));
    fixtures::writeFile(path, {'o', 'l', 'd'});
    ASSERT_EQ(::chown(path.c_str(), rows[row].owner, rows[row].owner), 0);
    ASSERT_EQ(::chmod(path.c_str(), rows[row].mode), 0);
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kUser) != 0 || ::setuid(kUser) != 0) ::_exit(64);
    if (::access(dir.path().c_str(), W_OK | X_OK) != 0) ::_exit(65);
    int replaced = 0;
    ByteChunk bytes;
    bytes.AppendBytes("new", 3);
    for (size_t row = 0; row < std::size(rows); ++row)
      if (LibrarianFiles::writeFile(dir.file(std::to_string(row)), bytes, true))
        replaced |= 1 << row;
    ::_exit(replaced);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) >= 64) GTEST_SKIP() << "user " << kUser << " cannot reach " << dir.path();
  for (size_t row = 0; row < std::size(rows); ++row) {
    EXPECT_EQ((WEXITSTATUS(status) >> row & 1) != 0, rows[row].replaced) << row;
    EXPECT_EQ(fixtures::readFile(dir.file(std::to_string(row))),
              rows[row].replaced ? Bytes({'n', 'e', 'w'}) : Bytes({'o', 'l', 'd'}))
        << row;
  }
}

// An errno left over from an earlier interrupted call is no failure: every byte is written and
// read exactly once. The size limit ends a write that would go on forever.
TEST(BankWriting, AStaleInterruptedErrnoNeitherRepeatsNorDropsBytes) {
  kroma_test::TempDir dir;
  const Bytes bytes = fixtures::rawBank(fixtures::sounds(3));
  struct rlimit before;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  struct rlimit limit = before;
  limit.rlim_cur = 1 << 20;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  errno = EINTR;
  const bool written =
      LibrarianFiles::writeFile(dir.file("x.syx"), fixtures::chunkOf(bytes), false);
  ::setrlimit(RLIMIT_FSIZE, &before);
  ::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(written);
  EXPECT_EQ(fixtures::readFile(dir.file("x.syx")), bytes);

  ByteChunk read;
  errno = EINTR;
  ASSERT_TRUE(LibrarianFiles::readFile(dir.file("x.syx"), read));
  EXPECT_EQ(bytesOf(read), bytes);
}

// A move onto another file system copies, then removes the source; a source that cannot be
// removed (here one of the kernel's own files) takes its copy back and the move fails.
TEST(BankWriting, AMoveWhoseSourceStaysLeavesNoCopyAndFails) {
  kroma_test::TempDir dir;
  const std::string source = "/proc/self/status";
  ASSERT_TRUE(fixtures::exists(source));
  EXPECT_EQ(LibrarianFiles::moveAside(source, dir.path() + "/"), "");
  EXPECT_FALSE(fixtures::exists(dir.file("status")));
  EXPECT_TRUE(fixtures::exists(source));

  fixtures::writeFile(dir.file("a.syx"), {1, 2, 3});
  ::mkdir(dir.file("aside").c_str(), 0755);
  EXPECT_EQ(LibrarianFiles::moveAside(dir.file("a.syx"), dir.file("aside/")),
            dir.file("aside/a.syx"));
  EXPECT_EQ(fixtures::readFile(dir.file("aside/a.syx")), Bytes({1, 2, 3}));
  EXPECT_FALSE(fixtures::exists(dir.file("a.syx")));
}
