#include <gtest/gtest.h>
#include <sys/stat.h>

#include "BankLoading.h"
#include "TempDir.h"

using fixtures::Bytes;

namespace {

PatchFile readUnpadded(const Bytes& bytes) {
  return fixtures::readAll(bytes);
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

const std::string kInit12 = "Init            ";

}  // namespace

TEST(BankSizing, ShortSoundBanksGetNumberedInitSlots) {
  PatchLibrarian librarian;
  PatchFile file = readUnpadded(fixtures::rawBank(fixtures::sounds(100)));
  librarian.checkBankSizeAndAddData(&file);
  ASSERT_EQ(file.records.size(), 128u);
  EXPECT_EQ(file.records[100].name, "Init         101");
  EXPECT_EQ(file.records[127].name, "Init         128");
  EXPECT_EQ(file.records[127].category, "Init");
  const Bytes& dump = file.records[127].messages[0].bytes;
  ASSERT_EQ(dump.size(), 392u);
  EXPECT_EQ(std::string(dump.begin() + 370, dump.begin() + 386), "Init         128");
  EXPECT_EQ(Bytes(dump.end() - 6, dump.end()), Bytes({0, 0, 0, 0, 0x7F, 0xF7}));

  PatchFile four = readUnpadded(fixtures::rawBank(fixtures::sounds(4)));
  librarian.checkBankSizeAndAddData(&four);
  EXPECT_EQ(four.records[4].name, "Init          05");
}

TEST(BankSizing, ShortMultiBanksGetInitMultis) {
  PatchLibrarian librarian;
  PatchFile file = readUnpadded(fixtures::rawBank(fixtures::multis(127)));
  librarian.checkBankSizeAndAddData(&file);
  ASSERT_EQ(file.records.size(), 128u);
  EXPECT_EQ(file.records[127].name, "Init Multi V1.15");
  EXPECT_EQ(file.records[127].category, "");
  EXPECT_EQ(file.records[127].messages[0].bytes.size(), 425u);
}

TEST(BankSizing, FullAndEmptyBanksStayAsTheyAre) {
  PatchLibrarian librarian;
  PatchFile empty;
  librarian.checkBankSizeAndAddData(&empty);
  librarian.fillUncompletedBankFiles(&empty);
  EXPECT_TRUE(empty.records.empty());
  PatchFile full = readUnpadded(fixtures::rawBank(fixtures::sounds(130)));
  librarian.checkBankSizeAndAddData(&full);
  librarian.fillUncompletedBankFiles(&full);
  EXPECT_EQ(full.records.size(), 130u);
}

TEST(BankSizing, PiecesAreFilledByTheKindOfTheirFirstSlot) {
  PatchLibrarian librarian;
  PatchFile file =
      readUnpadded(fixtures::rawBank({fixtures::soundDump("s"), fixtures::multiDump("m")}));
  file.type = 1;  // the kind comes from the first dump, not the type
  librarian.fillUncompletedBankFiles(&file);
  ASSERT_EQ(file.records.size(), 128u);
  EXPECT_EQ(file.records[2].name, kInit12);
  EXPECT_EQ(file.records[127].messages[0].bytes.size(), 392u);
}

class BankSplitting : public ::testing::Test {
 protected:
  // Writes `bytes` as `name` and splits it as the scan does.
  bool split(const std::string& name, const Bytes& bytes) {
    fixtures::writeFile(dir.file(name), bytes);
    source = readUnpadded(bytes);
    const std::string ext = name.substr(name.rfind('.') + 1);
    return librarian.splitBankFile(&source, "Patches", name, ext, dir.file(name), 0);
  }
  static std::vector<std::string> names(const std::vector<PatchFile*>& files) {
    std::vector<std::string> out;
    for (const PatchFile* f : files) out.push_back(f->fileName);
    return out;
  }

  kroma_test::TempDir dir;
  PatchLibrarian librarian;
  PatchFile source;
};

TEST_F(BankSplitting, ThreeHundredSoundsMakeThreeNumberedPieces) {
  ASSERT_TRUE(split("Pads.syx", fixtures::rawBank(fixtures::sounds(300))));
  EXPECT_EQ(
      names(librarian.soundFiles),
      std::vector<std::string>({"Pads Singles 1.syx", "Pads Singles 2.syx", "Pads Singles 3.syx"}));
  EXPECT_TRUE(librarian.multiFiles.empty());
  const PatchFile* last = librarian.soundFiles[2];
  ASSERT_EQ(last->records.size(), 128u);
  EXPECT_EQ(last->records[0].name, "Sound 256       ");
  EXPECT_EQ(last->records[43].name, "Sound 299       ");
  EXPECT_EQ(last->records[44].name, kInit12);
  EXPECT_EQ(last->folderName, "Patches");
  for (int piece = 1; piece <= 3; ++piece) {
    const Bytes bytes =
        fixtures::readFile(dir.file("Pads Singles " + std::to_string(piece) + ".syx"));
    EXPECT_EQ(bytes.size(), 50176u);
  }
  // The written pieces hold what the librarian lists.
  const PatchFile back = readUnpadded(fixtures::readFile(dir.file("Pads Singles 2.syx")));
  ASSERT_EQ(back.records.size(), 128u);
  EXPECT_EQ(back.records[0].name, "Sound 128       ");
}

TEST_F(BankSplitting, MidiSourcesMakeMidiPiecesAndNoEmptyThird) {
  ASSERT_TRUE(split("Big.mid", fixtures::rawBank(fixtures::sounds(256))));
  EXPECT_EQ(names(librarian.soundFiles),
            std::vector<std::string>({"Big Singles 1.mid", "Big Singles 2.mid"}));
  EXPECT_EQ(fixtures::readFile(dir.file("Big Singles 1.mid")).size(), 50740u);
  EXPECT_FALSE(exists(dir.file("Big Singles 3.mid")));
}

TEST_F(BankSplitting, MixedFileMakesSoundAndMultiPieces) {
  std::vector<Bytes> dumps = fixtures::sounds(129);
  dumps.insert(dumps.begin() + 50, fixtures::multiDump("Only Multi"));
  ASSERT_TRUE(split("Mix.mid", fixtures::rawBank(dumps)));
  EXPECT_EQ(names(librarian.soundFiles),
            std::vector<std::string>({"Mix Singles 1.mid", "Mix Singles 2.mid"}));
  EXPECT_EQ(names(librarian.multiFiles), std::vector<std::string>({"Mix Multis.mid"}));
  EXPECT_EQ(librarian.soundFiles[1]->records[1].name, kInit12);
  EXPECT_EQ(librarian.multiFiles[0]->records[0].name, "Only Multi      ");
  EXPECT_EQ(librarian.multiFiles[0]->records[1].name, "Init Multi V1.15");
  EXPECT_EQ(fixtures::readFile(dir.file("Mix Multis.mid")).size(), 54964u);
}

TEST_F(BankSplitting, ManyMultisGetNumberedPieces) {
  ASSERT_TRUE(split("Perf.kro", fixtures::rawBank(fixtures::multis(300))));
  EXPECT_EQ(
      names(librarian.multiFiles),
      std::vector<std::string>({"Perf Multis 1.kro", "Perf Multis 2.kro", "Perf Multis 3.kro"}));
  EXPECT_EQ(fixtures::readFile(dir.file("Perf Multis 3.kro")).size(), 54400u);
}

TEST_F(BankSplitting, ExistingFilesAreNeverReplaced) {
  fixtures::writeFile(dir.file("Keys Singles 1.syx"), {'k', 'e', 'e', 'p'});
  ASSERT_TRUE(split("Keys.syx", fixtures::rawBank(fixtures::sounds(200))));
  EXPECT_EQ(fixtures::readFile(dir.file("Keys Singles 1.syx")), Bytes({'k', 'e', 'e', 'p'}));
  EXPECT_EQ(names(librarian.soundFiles),
            std::vector<std::string>({"Keys Singles 1 (2).syx", "Keys Singles 2.syx"}));
  EXPECT_EQ(fixtures::readFile(dir.file("Keys Singles 1 (2).syx")).size(), 50176u);
}

TEST_F(BankSplitting, AFailedPieceRemovesThePiecesBeforeIt) {
  // The second piece has to dodge a taken name, and its longer name no longer
  // fits the file system's name limit: piece 1 is written, piece 2 fails.
  const std::string stem(224, 'a');
  fixtures::writeFile(dir.file(stem + " Singles 2.syx"), {'x'});
  EXPECT_FALSE(split(stem + ".syx", fixtures::rawBank(fixtures::sounds(200))));
  EXPECT_FALSE(exists(dir.file(stem + " Singles 1.syx")));
  EXPECT_EQ(fixtures::readFile(dir.file(stem + " Singles 2.syx")), Bytes({'x'}));
  EXPECT_TRUE(librarian.soundFiles.empty());
  EXPECT_TRUE(librarian.multiFiles.empty());
}

TEST_F(BankSplitting, ASourceInAMissingFolderFails) {
  source = readUnpadded(fixtures::rawBank(fixtures::sounds(200)));
  EXPECT_FALSE(
      librarian.splitBankFile(&source, "Patches", "A.syx", "syx", dir.file("missing/A.syx"), 0));
  EXPECT_TRUE(librarian.soundFiles.empty());
}
