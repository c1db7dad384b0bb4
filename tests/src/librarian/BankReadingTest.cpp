#include <gtest/gtest.h>

#include "BankLoading.h"

using fixtures::Bytes;
using fixtures::load;
using fixtures::readAll;

namespace {

// The names of the slots read, without their filling blanks, and their dumps' total size.
std::string summary(const PatchFile& file) {
  std::string out;
  size_t bytes = 0;
  for (const LibrarianPatch& slot : file.records) {
    out += fixtures::trimmed(slot.name) + ",";
    for (const PatchSysexMessage& m : slot.messages) bytes += m.bytes.size();
  }
  return out + std::to_string(bytes);
}

Bytes cut(const Bytes& dump, size_t keep, bool closed) {
  Bytes out(dump.begin(), dump.begin() + keep);
  if (closed) out.push_back(0xF7);
  return out;
}

}  // namespace

TEST(BankReading, OnlyWholeDumpsOfThisModelAreKept) {
  const Bytes sound = fixtures::soundDump("x"), multi = fixtures::multiDump("m");
  Bytes badType = fixtures::soundDump("type", 0, 3), badBank = fixtures::soundDump("bank", 0, 4);
  Bytes badProgram = fixtures::soundDump("program", 0, 6);
  badType[4] = 0x12;
  badBank[5] = 0x80;
  badProgram[6] = 0x80;
  Bytes firstCut = fixtures::soundDump("first");
  firstCut.resize(200);
  const struct {
    const char* what;
    Bytes input;
    const char* kept;  // names, then the dumps' total size
    int type, model;
  } cases[] = {
      {"foreign headers; device 7E is taken",
       fixtures::rawBank({fixtures::soundDump("dev7F", 0, 1, 0x7F),
                          fixtures::soundDump("model", 0, 2, 0, 0, 0, 0x22), badType, badBank,
                          badProgram, fixtures::soundDump("dev7E", 0, 5, 0x7E)}),
       "dev7E,392", 0, 0},
      {"the last dump's kind is the file's", fixtures::rawBank({sound, multi}), "x,m,817", 1, 0},
      {"older model skipped and named",
       fixtures::rawBank({sound, fixtures::soundDump("n", 0, 1, 0, 0, 0, 0x10), sound}), "x,x,784",
       0, 1},
      {"oldest model", fixtures::soundDump("v", 0, 1, 0, 0, 0, 0x0F), "0", 0, 2},
      {"389 bytes", cut(sound, 388, true), "0", 0, 0},
      {"390 bytes", cut(sound, 389, true), "x,390", 0, 0},
      {"424-byte Multi", cut(multi, 423, true), "0", 0, 0},
      {"a status byte ends an open dump",
       fixtures::rawBank({firstCut, fixtures::soundDump("second")}), "second,392", 0, 0},
      {"the end of data closes a dump", cut(fixtures::soundDump("cut"), 391, false), "cut,392", 0,
       0},
      {"a status byte just past a word of body",
       fixtures::rawBank(
           {cut(fixtures::soundDump("first"), 15, false), fixtures::soundDump("second")}),
       "second,392", 0, 0},
  };
  for (const auto& c : cases) {
    const PatchFile file = readAll(c.input);
    EXPECT_EQ(summary(file), c.kept) << c.what;
    EXPECT_EQ(file.type, c.type) << c.what;
    EXPECT_EQ(file.sourceModel, c.model) << c.what;
    for (const LibrarianPatch& slot : file.records) EXPECT_EQ(slot.messages[0].bytes.back(), 0xF7);
  }
}

TEST(BankReading, JunkPositionsAndCutHeadersEndTheReadWithNothingAdded) {
  PatchLibrarian librarian;
  const Bytes cutDump = cut(fixtures::soundDump("cut"), 391, false);
  const struct {
    Bytes bytes;
    int position;
    bool midi;
    int added;
  } cases[] = {
      {Bytes(100, 0), 0, false, 0},   {Bytes(100, 0), -7, true, 0},
      {Bytes(100, 0), 1000, true, 0}, {{0xF0, 0x3E, 0x13, 0x00, 0x10, 0x00}, 0, false, 0},
      {cutDump, 0, false, 1},
  };
  for (const auto& c : cases) {
    ByteChunk chunk = fixtures::chunkOf(c.bytes);
    PatchFile file;
    int position = c.position;
    EXPECT_EQ(c.midi ? librarian.readMIDIMessage(&chunk, position, &file, 0, 0)
                     : librarian.readSysexMessage(&chunk, position, &file, 0, 0),
              -1)
        << c.position;
    EXPECT_EQ(position, -1);
    EXPECT_EQ((int)file.records.size(), c.added);
  }
  EXPECT_TRUE(load(Bytes()).records.empty());

  // A chunk cut short keeps its old bytes past the end: the open dump stops at the end all the
  // same, whatever its length in eight-byte steps.
  for (size_t keep : {389u, 390u, 391u}) {
    ByteChunk shortened = fixtures::chunkOf(cut(fixtures::soundDump("cut"), 391, false));
    ASSERT_EQ(shortened.SetSize((int)keep), (int)keep);
    PatchFile file;
    int position = 0;
    EXPECT_EQ(librarian.readSysexMessage(&shortened, position, &file, 0, 0), -1) << keep;
    ASSERT_EQ(file.records.size(), 1u) << keep;
    EXPECT_EQ(file.records[0].messages[0].bytes.size(), keep + 1) << keep;
  }

  ByteChunk chunk = fixtures::chunkOf({1, 2, 3, 2});
  int position = 0;
  for (int after : {2, 4}) {
    EXPECT_TRUE(PatchLibrarian::findByte(&chunk, position, 2));
    EXPECT_EQ(position, after);
  }
  EXPECT_FALSE(PatchLibrarian::findByte(&chunk, position, 2));
  EXPECT_EQ(position, -1);
}

// Only the first `size` bytes of a chunk are read; a size past its end reads nothing.
TEST(BankReading, AChunkIsReadOnlyAsFarAsTheSizeGiven) {
  PatchLibrarian librarian;
  ByteChunk chunk = fixtures::chunkOf(fixtures::rawBank(fixtures::sounds(3)));
  const struct {
    int size;
    const char* second;  // the second slot's name, "" for no slots
  } cases[] = {
      {392, "Init          02"}, {784, "Sound 001"}, {392 * 3, "Sound 001"}, {392 * 3 + 1, ""}};
  for (const auto& c : cases) {
    PatchFile file;
    librarian.loadFromChunk(&chunk, c.size, &file);
    EXPECT_EQ(file.records.empty() ? "" : fixtures::trimmed(file.records.at(1).name), c.second)
        << c.size;
  }
}

// The conversion chain runs before the length test: a short dump comes out whole.
TEST(BankReading, ConversionModesRunOnSoundDumps) {
  Bytes dump = fixtures::soundDump("conv", 0, 1);
  dump[17] = 12;
  EXPECT_EQ(readAll(dump, false, 0).records.at(0).messages[0].bytes[17], 12);
  EXPECT_EQ(
      readAll(dump, false, PatchLibrarian::kConvertNimbra).records.at(0).messages[0].bytes[17], 15);
  // Older dumps hold their category as text, which becomes its number; the older layout has it
  // one byte later.
  for (int mode : {PatchLibrarian::kConvertNimbra, PatchLibrarian::kConvertVela}) {
    Bytes named = dump;
    std::copy_n("Pad ", 4, named.begin() + (mode == PatchLibrarian::kConvertVela ? 387 : 386));
    const LibrarianPatch slot = readAll(named, false, mode).records.at(0);
    EXPECT_EQ(Bytes(slot.messages[0].bytes.begin() + 386, slot.messages[0].bytes.begin() + 390),
              Bytes({9, 0, 0, 0}))
        << mode;
    EXPECT_EQ(slot.category, "Pad ") << mode;
  }
  const Bytes shortDump = cut(dump, 300, true);
  EXPECT_TRUE(readAll(shortDump, false, 0).records.empty());
  for (int mode : {PatchLibrarian::kConvertNimbra, PatchLibrarian::kConvertVela}) {
    const PatchFile converted = readAll(shortDump, false, mode);
    ASSERT_EQ(converted.records.size(), 1u) << mode;
    EXPECT_EQ(converted.records[0].messages[0].bytes.size(), 392u);
  }
}
