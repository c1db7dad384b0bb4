#include <gtest/gtest.h>

#include "BankLoading.h"
#include "TempDir.h"

using fixtures::Bytes;
using fixtures::exists;
using fixtures::readAll;
using Names = std::vector<std::string>;

TEST(BankSizing, ShortBanksArePaddedWithInitSlotsOfTheFirstSlotsKind) {
  PatchLibrarian librarian;
  PatchFile sounds = readAll(fixtures::rawBank(fixtures::sounds(100)));
  librarian.checkBankSizeAndAddData(&sounds);
  ASSERT_EQ(sounds.records.size(), 128u);
  EXPECT_EQ(sounds.records[127].name, "Init         128");
  EXPECT_EQ(sounds.records[127].category, "Init");
  const Bytes& dump = sounds.records[127].messages[0].bytes;
  ASSERT_EQ(dump.size(), 392u);
  EXPECT_EQ(std::string(dump.begin() + 370, dump.begin() + 386), "Init         128");
  EXPECT_EQ(Bytes(dump.end() - 6, dump.end()), Bytes({0, 0, 0, 0, 0x7F, 0xF7}));
  PatchFile four = readAll(fixtures::rawBank(fixtures::sounds(4)));
  librarian.checkBankSizeAndAddData(&four);
  EXPECT_EQ(four.records[4].name, "Init          05");

  PatchFile multis = readAll(fixtures::rawBank(fixtures::multis(127)));
  librarian.checkBankSizeAndAddData(&multis);
  ASSERT_EQ(multis.records.size(), 128u);
  EXPECT_EQ(multis.records[127].name, "Init Multi V1.15");
  EXPECT_EQ(multis.records[127].messages[0].bytes.size(), 425u);

  PatchFile mixed =
      readAll(fixtures::rawBank({fixtures::soundDump("s"), fixtures::multiDump("m")}));
  librarian.fillUncompletedBankFiles(&mixed);  // a Multi file by its last dump, filled as sounds
  ASSERT_EQ(mixed.records.size(), 128u);
  EXPECT_EQ(mixed.records[2].name, "Init            ");
  EXPECT_EQ(mixed.records[127].messages[0].bytes.size(), 392u);

  PatchFile empty, full = readAll(fixtures::rawBank(fixtures::sounds(130)));
  for (PatchFile* file : {&empty, &full}) {
    librarian.checkBankSizeAndAddData(file);
    librarian.fillUncompletedBankFiles(file);
  }
  EXPECT_TRUE(empty.records.empty());
  EXPECT_EQ(full.records.size(), 130u);
}

namespace {

std::string listed(const PatchFileList& files) {
  std::string out;
  for (const PatchFile* f : files) out += f->fileName + ",";
  return out;
}

}  // namespace

TEST(BankSplitting, LargeFilesMakeNumberedPiecesOfTheirFormatBesideTakenNames) {
  std::vector<Bytes> mix = fixtures::sounds(129);
  mix.insert(mix.begin() + 50, fixtures::multiDump("Only Multi"));
  const struct {
    std::string source;
    std::vector<Bytes> dumps;
    const char* pieces;  // sound pieces, "|", Multi pieces; the last one is checked on disk
    size_t size;
    const char *first, *last;  // its first and last slots' names
  } cases[] = {
      {"P.syx", fixtures::sounds(300), "P Singles 1.syx,P Singles 2.syx,P Singles 3.syx,|", 50176,
       "Sound 256", "Init"},
      {"X.mid", mix, "X Singles 1.mid,X Singles 2.mid,|X Multis.mid,", 54964, "Only Multi",
       "Init Multi V1.15"},
      {"M.kro", fixtures::multis(300), "|M Multis 1.kro,M Multis 2.kro,M Multis 3.kro,", 54400,
       "Multi 256", "Init Multi V1.15"},
      {"K.syx", fixtures::sounds(200), "K Singles 1 (2).syx,K Singles 2.syx,|", 50176, "Sound 128",
       "Init"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    kroma_test::TempDir dir;
    fixtures::writeFile(dir.file("K Singles 1.syx"), {'k', 'e', 'e', 'p'});
    const Bytes bytes = fixtures::rawBank(c.dumps);
    fixtures::writeFile(dir.file(c.source), bytes);
    PatchLibrarian librarian;
    PatchFile source = readAll(bytes);
    ASSERT_TRUE(librarian.splitBankFile(&source, "Patches", c.source, c.source.substr(2),
                                        dir.file(c.source), 0));
    const std::string pieces = listed(librarian.soundFiles) + "|" + listed(librarian.multiFiles);
    EXPECT_EQ(pieces, c.pieces);
    for (const PatchFile* piece : librarian.soundFiles) EXPECT_EQ(piece->records.size(), 128u);
    // What the librarian lists is what it wrote, and nothing more.
    std::string last = pieces.substr(0, pieces.find_last_not_of(",|") + 1);
    last = last.substr(last.find_last_of(",|") + 1);
    const Bytes written = fixtures::readFile(dir.file(last));
    EXPECT_EQ(written.size(), c.size);
    const PatchFile back = fixtures::load(written);
    ASSERT_EQ(back.records.size(), 128u);
    EXPECT_EQ(fixtures::trimmed(back.records[0].name), c.first);
    EXPECT_EQ(fixtures::trimmed(back.records[127].name), c.last);
    EXPECT_EQ(fixtures::readFile(dir.file("K Singles 1.syx")), Bytes({'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(exists(dir.file(c.source.substr(0, 1) + " Singles 3.mid")));
  }
}

TEST(BankSplitting, AFailedPieceRemovesTheSplitsOwnPiecesBeforeItAndNoOthers) {
  // The second piece has to dodge a taken name, and its longer name no longer
  // fits the file system's name limit: piece 1 is written, piece 2 fails.
  kroma_test::TempDir dir;
  const std::string stem(240, 'a');
  fixtures::writeFile(dir.file(stem + " Singles 2.syx"), {'x'});
  PatchLibrarian librarian;
  PatchFile earlier = readAll(fixtures::rawBank(fixtures::sounds(200)));
  ASSERT_TRUE(librarian.splitBankFile(&earlier, "Patches", "G.syx", "syx", dir.file("G.syx"), 0));
  for (const std::string& path : {dir.file(stem + ".syx"), dir.file("missing/A.syx")}) {
    PatchFile source = readAll(fixtures::rawBank(fixtures::sounds(200)));
    const std::string name = path.substr(path.rfind('/') + 1);
    EXPECT_FALSE(librarian.splitBankFile(&source, "Patches", name, "syx", path, 0));
    EXPECT_EQ(fixtures::fileNames(librarian.soundFiles),
              (Names{"G Singles 1.syx", "G Singles 2.syx"}));
    EXPECT_TRUE(librarian.multiFiles.empty());
  }
  EXPECT_FALSE(exists(dir.file(stem + " Singles 1.syx")));
  EXPECT_EQ(fixtures::readFile(dir.file(stem + " Singles 2.syx")), Bytes({'x'}));
  EXPECT_TRUE(exists(dir.file("G Singles 1.syx")) && exists(dir.file("G Singles 2.syx")));
}
