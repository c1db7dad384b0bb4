#include <gtest/gtest.h>

#include "BankLoading.h"

using fixtures::Bytes;
using fixtures::chunkOf;
using fixtures::load;
using fixtures::readAll;

namespace {

Bytes storedHeader(uint8_t type, uint8_t program) {
  return {0xF0, 0x3E, 0x13, 0x00, type, 0x00, program};
}

}  // namespace

TEST(BankReading, FullSoundBankGetsTheLibrariansHeadersAndSlotNumbers) {
  const std::vector<Bytes> dumps = fixtures::sounds(128, 300);
  const PatchFile file = load(fixtures::rawBank(dumps));
  ASSERT_EQ(file.records.size(), 128u);
  EXPECT_EQ(file.type, 0);
  for (int i = 0; i < 128; ++i) {
    const Bytes& stored = file.records[i].messages.at(0).bytes;
    ASSERT_EQ(stored.size(), 392u);
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 7), storedHeader(0x10, (uint8_t)i));
    EXPECT_EQ(Bytes(stored.begin() + 7, stored.end()), Bytes(dumps[i].begin() + 7, dumps[i].end()));
    EXPECT_EQ(file.records[i].name, std::string((const char*)&dumps[i][370], 16));
    EXPECT_EQ(file.records[i].category, kCategoryNames[(300 + i) % 13]);
  }
}

TEST(BankReading, SlotNumbersWrapAfter127) {
  const PatchFile file = load(fixtures::rawBank(fixtures::sounds(130)));
  ASSERT_EQ(file.records.size(), 130u);
  EXPECT_EQ(file.records[127].messages[0].bytes[6], 127);
  EXPECT_EQ(file.records[128].messages[0].bytes[6], 0);
  EXPECT_EQ(file.records[129].messages[0].bytes[6], 1);
}

TEST(BankReading, HeaderChecksSkipForeignDumps) {
  // Device 0x7F, a foreign model, an unknown type and a bank byte of 0x80 are
  // each skipped; device 0x7E is taken.
  Bytes bad1 = fixtures::soundDump("dev7F", 0, 1, 0x7F);
  Bytes bad2 = fixtures::soundDump("model", 0, 2, 0, 0, 0, 0x22);
  Bytes bad3 = fixtures::soundDump("type", 0, 3);
  bad3[4] = 0x12;
  Bytes bad4 = fixtures::soundDump("bank", 0, 4);
  bad4[5] = 0x80;
  Bytes good = fixtures::soundDump("dev7E", 0, 5, 0x7E);
  const PatchFile file = readAll(fixtures::rawBank({bad1, bad2, bad3, bad4, good}));
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].name, "dev7E           ");
}

TEST(BankReading, MultiAndSoundTypesAndTheFileTypeOfTheLastDump) {
  const PatchFile file =
      readAll(fixtures::rawBank({fixtures::soundDump("S"), fixtures::multiDump("M")}));
  ASSERT_EQ(file.records.size(), 2u);
  EXPECT_EQ(file.records[0].messages[0].bytes[4], 0x10);
  EXPECT_EQ(file.records[1].messages[0].bytes[4], 0x11);
  EXPECT_EQ(file.records[1].name, "M               ");
  EXPECT_EQ(file.records[1].category, "");
  EXPECT_EQ(file.type, 1);
}

TEST(BankReading, ShortDumpsAreDropped) {
  Bytes dump = fixtures::soundDump("x");
  Bytes cut389(dump.begin(), dump.begin() + 388);
  cut389.push_back(0xF7);
  Bytes cut390(dump.begin(), dump.begin() + 389);
  cut390.push_back(0xF7);
  EXPECT_TRUE(readAll(cut389).records.empty());
  const PatchFile file = readAll(cut390);
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].messages[0].bytes.size(), 390u);

  Bytes multi = fixtures::multiDump("m");
  Bytes shortMulti(multi.begin(), multi.begin() + 424);
  shortMulti.back() = 0xF7;
  EXPECT_TRUE(readAll(shortMulti).records.empty());
  EXPECT_TRUE(readAll(Bytes(multi.begin(), multi.begin() + 20)).records.empty());
}

TEST(BankReading, DumpCutByTheEndOfDataIsClosed) {
  Bytes dump = fixtures::soundDump("cut");
  const Bytes noF7(dump.begin(), dump.end() - 1);
  PatchLibrarian librarian;
  ByteChunk chunk = chunkOf(noF7);
  PatchFile file;
  int position = 0;
  EXPECT_EQ(librarian.readSysexMessage(&chunk, position, &file, 0, 0), -1);
  EXPECT_EQ(position, -1);
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].messages[0].bytes.size(), 392u);
  EXPECT_EQ(file.records[0].messages[0].bytes.back(), 0xF7);
}

TEST(BankReading, AStatusByteEndsAnUnterminatedDumpAndTheNextOneIsKept) {
  Bytes first = fixtures::soundDump("first");
  first.resize(200);  // cut, no F7
  const PatchFile file = readAll(fixtures::rawBank({first, fixtures::soundDump("second")}));
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].name, "second          ");
  EXPECT_EQ(file.records[0].messages[0].bytes.size(), 392u);
}

TEST(BankReading, OlderModelsAreRecognisedButNotLoaded) {
  Bytes nimbra = fixtures::soundDump("n", 0, 1, 0, 0, 0, 0x10);
  const PatchFile file =
      readAll(fixtures::rawBank({fixtures::soundDump("a"), nimbra, fixtures::soundDump("b")}));
  EXPECT_EQ(file.records.size(), 2u);
  EXPECT_EQ(file.sourceModel, 1);
  Bytes vela = fixtures::soundDump("v", 0, 1, 0, 0, 0, 0x0F);
  const PatchFile velaFile = readAll(vela);
  EXPECT_TRUE(velaFile.records.empty());
  EXPECT_EQ(velaFile.sourceModel, 2);
}

TEST(BankReading, CategoryAndNameAsStored) {
  Bytes dump = fixtures::soundDump("FX sound", 5);
  dump[371] = 0x01;
  const PatchFile file = readAll(dump);
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].category, "FX  ");
  EXPECT_EQ(file.records[0].name, "F\x01 sound        ");
  EXPECT_EQ(drawnName(file.records[0].name), "F  sound        ");
  Bytes unknown = fixtures::soundDump("x", 13);
  EXPECT_EQ(readAll(unknown).records.at(0).category, "");
}

TEST(BankReading, JunkAndEmptyInput) {
  PatchLibrarian librarian;
  ByteChunk zeros = chunkOf(Bytes(100, 0));
  PatchFile file;
  int position = 0;
  EXPECT_EQ(librarian.readSysexMessage(&zeros, position, &file, 0, 0), -1);
  EXPECT_TRUE(file.records.empty());
  position = -1;
  EXPECT_EQ(librarian.readSysexMessage(&zeros, position, &file, 0, 0), -1);
  position = -7;
  EXPECT_EQ(librarian.readMIDIMessage(&zeros, position, &file, 0, 0), -1);
  position = 1000;
  EXPECT_EQ(librarian.readMIDIMessage(&zeros, position, &file, 0, 0), -1);
  EXPECT_TRUE(load(Bytes(14, 0x3E)).records.empty());
  EXPECT_TRUE(load(Bytes()).records.empty());
  // A header cut inside: nothing added, -1.
  ByteChunk cut = chunkOf({0xF0, 0x3E, 0x13, 0x00, 0x10});
  position = 0;
  EXPECT_EQ(librarian.readSysexMessage(&cut, position, &file, 0, 0), -1);
  EXPECT_TRUE(file.records.empty());
}

TEST(BankReading, FindByte) {
  ByteChunk chunk = chunkOf({1, 2, 3, 2});
  int position = 0;
  EXPECT_TRUE(PatchLibrarian::findByte(&chunk, position, 2));
  EXPECT_EQ(position, 2);
  EXPECT_TRUE(PatchLibrarian::findByte(&chunk, position, 2));
  EXPECT_EQ(position, 4);
  EXPECT_FALSE(PatchLibrarian::findByte(&chunk, position, 2));
  EXPECT_EQ(position, -1);
}

TEST(BankReading, MidiFileOfTheDocumentedLayoutReadsBack) {
  const std::vector<Bytes> dumps = fixtures::multis(128);
  const PatchFile file = load(fixtures::midiBank(dumps, true));
  ASSERT_EQ(file.records.size(), 128u);
  EXPECT_EQ(file.type, 1);
  for (int i = 0; i < 128; ++i) {
    const Bytes& stored = file.records[i].messages[0].bytes;
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 7), storedHeader(0x11, (uint8_t)i));
    EXPECT_EQ(Bytes(stored.begin() + 7, stored.end()), Bytes(dumps[i].begin() + 7, dumps[i].end()));
  }
}

TEST(BankReading, MidiNamedFileWithoutHeaderIsReadAsRaw) {
  Bytes bytes = fixtures::midiBank(fixtures::sounds(3), false);
  bytes[7] = 0x07;  // header length no longer 6
  EXPECT_EQ(load(bytes).records.size(), 128u);
}

TEST(BankReading, ConversionModesRunOnCorvaneSoundDumps) {
  Bytes dump = fixtures::soundDump("conv", 0, 1);
  dump[17] = 12;
  dump[386] = 'P';
  dump[387] = 'a';
  dump[388] = 'd';
  dump[389] = ' ';
  const PatchFile plain = readAll(dump, false, 0);
  EXPECT_EQ(plain.records.at(0).messages[0].bytes[17], 12);
  const PatchFile nimbra = readAll(dump, false, PatchLibrarian::kConvertNimbra);
  ASSERT_EQ(nimbra.records.size(), 1u);
  EXPECT_EQ(nimbra.records[0].messages[0].bytes[17], 15);
  EXPECT_EQ(nimbra.records[0].category, "Pad ");

  // The chain runs before the length test: a short dump comes out whole.
  Bytes cut(dump.begin(), dump.begin() + 300);
  cut.push_back(0xF7);
  EXPECT_TRUE(readAll(cut, false, 0).records.empty());
  for (int mode : {PatchLibrarian::kConvertNimbra, PatchLibrarian::kConvertVela}) {
    const PatchFile converted = readAll(cut, false, mode);
    ASSERT_EQ(converted.records.size(), 1u) << mode;
    EXPECT_EQ(converted.records[0].messages[0].bytes.size(), 392u);
    EXPECT_EQ(converted.records[0].category, "Init");
  }
}
