#include <gtest/gtest.h>

#include "BankLoading.h"
#include "TempDir.h"
#include "src/librarian/BankFormat.h"
#include "src/librarian/LibrarianFiles.h"

using fixtures::Bytes;
using fixtures::load;

namespace {

Bytes bytesOf(const ByteChunk& chunk) {
  return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

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

TEST(BankWriting, RawBanksAreTheDumpsEndToEnd) {
  const std::vector<Bytes> dumps = fixtures::sounds(128);
  const Bytes written = bytesOf(BankFormat::bankBytes(load(fixtures::rawBank(dumps)), false));
  EXPECT_EQ(written.size(), 50176u);
  EXPECT_EQ(written, fixtures::rawBank(stored(dumps)));

  const std::vector<Bytes> multiDumps = fixtures::multis(128);
  const Bytes multi = bytesOf(BankFormat::bankBytes(load(fixtures::rawBank(multiDumps)), false));
  EXPECT_EQ(multi.size(), 54400u);
  EXPECT_EQ(multi, fixtures::rawBank(stored(multiDumps)));
}

TEST(BankWriting, FullMidiBanksMatchTheDocumentedLayoutByteForByte) {
  for (bool multi : {false, true}) {
    SCOPED_TRACE(multi);
    const std::vector<Bytes> dumps = multi ? fixtures::multis(128) : fixtures::sounds(128);
    const Bytes written = bytesOf(BankFormat::bankBytes(load(fixtures::rawBank(dumps)), true));
    EXPECT_EQ(written.size(), multi ? 54964u : 50740u);
    EXPECT_EQ(written, fixtures::midiBank(stored(dumps), multi));
    const Bytes lengthBytes = multi ? Bytes{0x00, 0x00, 0xD6, 0x83, 0x00, 0xF0, 0x83, 0x28}
                                    : Bytes{0x00, 0x00, 0xC6, 0x03, 0x00, 0xF0, 0x83, 0x07};
    EXPECT_EQ(Bytes(written.begin() + 45, written.begin() + 53), lengthBytes);
  }
}

TEST(BankWriting, WrittenMidiFilesPassAStrictParserAndReadBack) {
  const std::vector<Bytes> dumps = fixtures::sounds(128, 7);
  const PatchFile bank = load(fixtures::rawBank(dumps));
  const Bytes written = bytesOf(BankFormat::bankBytes(bank, true));
  fixtures::MidiFile midi;
  std::string error;
  ASSERT_TRUE(fixtures::parseMidiFile(written, midi, error)) << error;
  EXPECT_EQ(midi.format, 1);
  EXPECT_EQ(midi.tracks, 2);
  EXPECT_EQ(midi.division, 480);
  EXPECT_EQ(midi.tempo, 500000);
  ASSERT_EQ(midi.sysex.size(), 128u);
  const std::vector<Bytes> expected = stored(dumps);
  for (size_t i = 0; i < 128; ++i) {
    EXPECT_EQ(midi.sysexTicks[i], 500u * i);
    EXPECT_EQ(midi.sysex[i], Bytes(expected[i].begin() + 1, expected[i].end()));
  }

  const PatchFile back = load(written);
  ASSERT_EQ(back.records.size(), 128u);
  for (size_t i = 0; i < 128; ++i)
    EXPECT_EQ(back.records[i].messages[0].bytes, bank.records[i].messages[0].bytes);
}

TEST(BankWriting, MidiLengthsFollowTheDumpsOfAnyBank) {
  // Odd lengths, a slot without dump and a slot with two dumps: the file
  // still describes itself.
  PatchFile bank = load(fixtures::rawBank(fixtures::sounds(3)));
  bank.records.resize(5);
  bank.records[0].messages[0].bytes.insert(bank.records[0].messages[0].bytes.end() - 1, 200, 0x11);
  bank.records[1].messages.push_back(bank.records[2].messages[0]);
  bank.records[3].messages.clear();
  const Bytes written = bytesOf(BankFormat::bankBytes(bank, true));
  fixtures::MidiFile midi;
  std::string error;
  ASSERT_TRUE(fixtures::parseMidiFile(written, midi, error)) << error;
  ASSERT_EQ(midi.sysex.size(), 5u);  // slots 0, 1 (twice), 2, 4
  EXPECT_EQ(midi.sysex[0].size(), 591u);
  EXPECT_EQ(midi.sysex[2], midi.sysex[3]);
}

TEST(BankWriting, KroAndSyxRoundTripsThroughFiles) {
  kroma_test::TempDir dir;
  const std::vector<Bytes> dumps = fixtures::sounds(128, 40);
  const PatchFile bank = load(fixtures::rawBank(dumps));
  for (const char* name : {"bank.kro", "bank.syx", "bank.mid"}) {
    SCOPED_TRACE(name);
    const bool midi = std::string(name) == "bank.mid";
    ASSERT_TRUE(LibrarianFiles::writeFile(dir.file(name), BankFormat::bankBytes(bank, midi), true));
    const PatchFile back = load(fixtures::readFile(dir.file(name)));
    ASSERT_EQ(back.records.size(), 128u);
    for (size_t i = 0; i < 128; ++i) {
      EXPECT_EQ(back.records[i].messages[0].bytes, bank.records[i].messages[0].bytes);
      EXPECT_EQ(back.records[i].name, bank.records[i].name);
      EXPECT_EQ(back.records[i].category, bank.records[i].category);
    }
  }
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
  // A destination whose folder is a file cannot be written.
  EXPECT_FALSE(LibrarianFiles::writeFile(dir.file("x.syx/y.syx"), b, true));
}

TEST(BankWriting, DumpsOfAnyLengthRoundTripThroughMidiFiles) {
  // A 447-byte dump has the event length 446, written 83 3E: the reader must
  // not take that 0x3E for the start of a dump and lose the real one.
  PatchFile bank = load(fixtures::rawBank(fixtures::sounds(128)));
  for (int i = 0; i < 128; ++i) {
    std::vector<uint8_t>& dump = bank.records[i].messages[0].bytes;
    dump.insert(dump.end() - 1, 55 + i % 3, 0x01);
  }
  ByteChunk written = BankFormat::bankBytes(bank, true);
  PatchFile back;
  PatchLibrarian librarian;
  librarian.loadFromChunk(&written, written.Size(), &back);
  ASSERT_EQ(back.records.size(), 128u);
  for (int i = 0; i < 128; ++i)
    EXPECT_EQ(back.records[i].messages[0].bytes, bank.records[i].messages[0].bytes) << i;
}
