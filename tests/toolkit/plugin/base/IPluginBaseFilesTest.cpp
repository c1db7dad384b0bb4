#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ByteMutations.h"
#include "PluginTestDoubles.h"
#include "tests/support/Iterations.h"
#include "tests/support/TempDir.h"

namespace {

using plugin_test::Bytes;
using plugin_test::FakeGraphics;
using plugin_test::readFile;
using plugin_test::TestPlugin;
using plugin_test::writeFile;

uint32_t be32(const Bytes& bytes, size_t at) {
  return (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 | (uint32_t)bytes[at + 2] << 8 |
         bytes[at + 3];
}

// A plug-in whose editor's file panel answers `mAnswer` (empty: the user cancels).
struct FilePlug : TestPlugin {
  FilePlug(int nParams, int nPresets, bool chunks = true, int uniqueID = plugin_test::kUniqueID)
      : TestPlugin(nParams, nParams, "2-2", nPresets, chunks, uniqueID),
        graphics(new FakeGraphics()) {
    for (int i = 0; i < nParams; ++i) GetParam(i)->InitInt("p", 0, 0, 127);
    AttachGraphics(graphics);
  }
  FakeGraphics* graphics;
};

TEST(PresetFiles, ChunkProgramLayoutAndRoundTrip) {
  kroma_test::TempDir dir;
  FilePlug plug(3, 1);
  plug.MakeDefaultPreset("Lead", 1);
  plug.GetParam(2)->Set(77.0);
  plug.graphics->mAnswer = dir.file("lead.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP("lead"));
  ASSERT_EQ(plug.graphics->mPrompts.size(), 1u);
  EXPECT_EQ(plug.graphics->mPrompts[0].action, kFileSave);
  EXPECT_EQ(plug.graphics->mPrompts[0].extensions, "fxp");
  EXPECT_EQ(plug.graphics->mPrompts[0].proposed, "lead");

  const Bytes file = readFile(dir.file("lead.fxp"));
  ASSERT_GE(file.size(), 60u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "CcnK");
  EXPECT_EQ(be32(file, 4), file.size() - 8);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "FPCh");
  EXPECT_EQ(be32(file, 12), 1u) << "the format version other hosts read";
  EXPECT_EQ(be32(file, 16), (uint32_t)plugin_test::kUniqueID);
  EXPECT_EQ(be32(file, 20), 10203u);
  EXPECT_EQ(be32(file, 24), 3u);
  EXPECT_EQ(std::string((const char*)&file[28]), "Lead");
  EXPECT_EQ(be32(file, 56), 8u + 3 * 8) << "the framework header and three values";

  plug.GetParam(2)->Set(1.0);
  ASSERT_TRUE(plug.LoadProgramFromFXP());
  EXPECT_EQ(plug.GetParam(2)->Value(), 77.0);
  EXPECT_EQ(plug.graphics->lastPlainValues(3), (std::vector<double>{0.0, 0.0, 77.0}))
      << "the editor shows what was read";
  EXPECT_EQ(plug.graphics->mPrompts[1].action, kFileOpen);
  EXPECT_EQ(plug.graphics->mPrompts[1].folder, dir.path() + "/") << "the folder is remembered";
}

// Banks in both forms, and programs of plain values, reach another instance whole.
TEST(PresetFiles, BanksAndValueProgramsRoundTrip) {
  kroma_test::TempDir dir;
  for (bool chunks : {false, true}) {
    SCOPED_TRACE(chunks ? "chunks" : "values");
    FilePlug plug(2, 2, chunks);
    plug.GetParam(0)->Set(127.0);
    plug.MakeDefaultPreset("A", 1);
    plug.GetParam(0)->Set(0.0);
    plug.GetParam(1)->Set(64.0);
    plug.MakeDefaultPreset("B", 1);
    plug.GetParam(0)->Set(99.0);  // the current values differ from every preset's
    plug.graphics->mAnswer = dir.file("bank.fxb");
    ASSERT_TRUE(plug.SaveBankAsFXB());
    const Bytes file = readFile(dir.file("bank.fxb"));
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), chunks ? "FBCh" : "FxBk");
    EXPECT_EQ(be32(file, 24), 2u);
    EXPECT_TRUE(chunks || file.size() == 156u + 2 * (56 + 2 * 4)) << file.size();
    EXPECT_EQ(plug.GetParam(0)->Value(), 99.0) << "saving keeps the current values";
    EXPECT_EQ(plug.GetParam(1)->Value(), 64.0) << "saving keeps the current values";
    if (chunks) {
      EXPECT_EQ(std::string(file.begin() + 160, file.begin() + 164), "tffp")
          << "the presets behind the framework header";
    }

    FilePlug other(2, 2, chunks);
    other.graphics->mAnswer = dir.file("bank.fxb");
    ASSERT_TRUE(other.LoadBankFromFXB());
    EXPECT_STREQ(other.GetPresetName(1), "B");
    EXPECT_EQ(other.GetParam(0)->Value(), 127.0) << "preset 0 is current";
    EXPECT_EQ(other.graphics->lastPlainValues(2), (std::vector<double>{127.0, 0.0}));
    ASSERT_TRUE(other.RestorePreset(1));
    EXPECT_EQ(other.GetParam(1)->Value(), 64.0);
    FilePlug fewer(2, 1, chunks);
    fewer.graphics->mAnswer = dir.file("bank.fxb");
    ASSERT_TRUE(fewer.LoadBankFromFXB()) << "as many presets as it holds";
    EXPECT_STREQ(fewer.GetPresetName(0), "A");
    if (chunks) continue;
    FilePlug more(2, 3, chunks);
    more.graphics->mAnswer = dir.file("bank.fxb");
    ASSERT_TRUE(more.LoadBankFromFXB()) << "as many presets as the bank holds";
    EXPECT_EQ(std::string(more.GetPresetName(1)) + "," + more.GetPresetName(2), "B,empty");

    plug.graphics->mAnswer = other.graphics->mAnswer = dir.file("one.fxp");
    plug.GetParam(0)->Set(5.0);
    ASSERT_TRUE(plug.SaveProgramAsFXP());
    EXPECT_EQ(readFile(dir.file("one.fxp")).size(), 56u + 2 * 4);
    ASSERT_TRUE(other.LoadProgramFromFXP());
    EXPECT_EQ(other.GetParam(0)->Value(), 5.0);
    EXPECT_EQ(other.graphics->lastPlainValues(2), (std::vector<double>{5.0, 64.0}));
  }
}

// A program of values read into a plug-in of more parameters sets the first ones and leaves the
// others; one of no values at all is read too.
TEST(PresetFiles, AProgramOfFewerValuesLeavesTheOtherParameters) {
  kroma_test::TempDir dir;
  for (int values : {1, 0}) {
    FilePlug small(values, 1, false), large(2, 1, false);
    if (values) small.GetParam(0)->Set(42.0);
    small.graphics->mAnswer = large.graphics->mAnswer = dir.file("small.fxp");
    ASSERT_TRUE(small.SaveProgramAsFXP());
    EXPECT_EQ(readFile(dir.file("small.fxp")).size(), 56u + 4 * values);
    large.GetParam(0)->Set(7.0);
    large.GetParam(1)->Set(99.0);
    ASSERT_TRUE(large.LoadProgramFromFXP()) << values;
    EXPECT_EQ(large.GetParam(0)->Value(), values ? 42.0 : 7.0);
    EXPECT_EQ(large.GetParam(1)->Value(), 99.0) << "no value for it in the file";
  }
  // A program of more values than the plug-in has parameters sets those it has.
  FilePlug two(2, 1, false), one(1, 1, false);
  two.GetParam(0)->Set(11.0);
  two.GetParam(1)->Set(22.0);
  two.graphics->mAnswer = one.graphics->mAnswer = dir.file("two.fxp");
  ASSERT_TRUE(two.SaveProgramAsFXP());
  ASSERT_TRUE(one.LoadProgramFromFXP());
  EXPECT_EQ(one.GetParam(0)->Value(), 11.0);
  // Without presets to keep it in, the program read still shows in the editor.
  FilePlug none(2, 0, false);
  none.graphics->mAnswer = dir.file("two.fxp");
  ASSERT_TRUE(none.LoadProgramFromFXP());
  EXPECT_EQ(none.graphics->lastPlainValues(2), (std::vector<double>{11.0, 22.0}));
  // A program that counts more values than it holds is refused and changes nothing.
  Bytes lying = readFile(dir.file("small.fxp"));
  lying[27] = 2;  // the count's low byte
  writeFile(dir.file("small.fxp"), lying);
  FilePlug large(2, 1, false);
  large.graphics->mAnswer = dir.file("small.fxp");
  large.GetParam(0)->Set(7.0);
  large.GetParam(1)->Set(99.0);
  EXPECT_FALSE(large.LoadProgramFromFXP());
  EXPECT_EQ(large.GetParam(0)->Value(), 7.0);
  EXPECT_EQ(large.GetParam(1)->Value(), 99.0);
}

// Each file action asks the panel once with its own extension; cancelled, or without an editor
// to ask, it reports failure and leaves the values as they were.
TEST(PresetFiles, EveryActionFailsWhenThePanelIsCancelled) {
  for (bool chunks : {true, false}) {
    FilePlug plug(1, 2, chunks);
    TestPlugin headless(1, 1);
    plug.GetParam(0)->Set(9.0);
    const struct {
      const char* what;
      bool (IPluginBase::*action)();
      EFileAction kind;
      const char* extension;
    } actions[] = {
        {"load program", &IPluginBase::LoadProgramFromFXP, kFileOpen, "fxp"},
        {"load bank", &IPluginBase::LoadBankFromFXB, kFileOpen, "fxb"},
    };
    for (const auto& a : actions) {
      const size_t before = plug.graphics->mPrompts.size();
      EXPECT_FALSE((plug.*a.action)()) << a.what;
      EXPECT_FALSE((headless.*a.action)()) << a.what;
      ASSERT_EQ(plug.graphics->mPrompts.size(), before + 1) << a.what;
      EXPECT_EQ(plug.graphics->mPrompts.back().action, a.kind) << a.what;
      EXPECT_EQ(plug.graphics->mPrompts.back().extensions, a.extension) << a.what;
    }
    EXPECT_FALSE(plug.SaveProgramAsFXP("lead"));
    EXPECT_EQ(plug.graphics->mPrompts.back().extensions, "fxp");
    EXPECT_FALSE(plug.SaveBankAsFXB("bank")) << "a cancelled bank save is no save";
    EXPECT_EQ(plug.graphics->mPrompts.back().extensions, "fxb");
    EXPECT_EQ(plug.graphics->mPrompts.back().proposed, "bank");
    EXPECT_EQ(plug.graphics->mPrompts.back().action, kFileSave);
    EXPECT_FALSE(headless.SaveBankAsFXB("bank"));
    EXPECT_EQ(plug.GetParam(0)->Value(), 9.0);
  }
}

TEST(PresetFiles, RefusedWithoutAnswerOrForeignOrDamagedFiles) {
  kroma_test::TempDir dir;
  TestPlugin headless(1, 1);
  EXPECT_FALSE(headless.SaveProgramAsFXP("x") || headless.LoadBankFromFXB()) << "no editor to ask";

  FilePlug plug(1, 1);
  EXPECT_FALSE(plug.SaveProgramAsFXP("x")) << "the user cancelled";
  EXPECT_FALSE(plug.LoadProgramFromFXP());

  FilePlug foreign(1, 1, true, 0x12345678);
  foreign.graphics->mAnswer = plug.graphics->mAnswer = dir.file("foreign.fxp");
  ASSERT_TRUE(foreign.SaveProgramAsFXP());
  EXPECT_FALSE(plug.LoadProgramFromFXP());

  plug.GetParam(0)->Set(42.0);
  plug.graphics->mAnswer = dir.file("good.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP());
  const Bytes good = readFile(dir.file("good.fxp"));
  plug.graphics->mAnswer = dir.file("bad.fxp");
  for (size_t size = 0; size < good.size(); size += 3) {
    writeFile(dir.file("bad.fxp"), Bytes(good.begin(), good.begin() + size));
    EXPECT_FALSE(plug.LoadProgramFromFXP()) << size << " bytes";
  }
  Bytes oversized = good;
  oversized[59] = 0x7F;  // chunk size far past the end of the file
  writeFile(dir.file("bad.fxp"), oversized);
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  plug.graphics->mAnswer = dir.file("bank.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB());
  const Bytes bank = readFile(dir.file("bank.fxb"));
  for (size_t size = 0; size < bank.size(); size += 5) {
    writeFile(dir.file("bank.fxb"), Bytes(bank.begin(), bank.begin() + size));
    EXPECT_FALSE(plug.LoadBankFromFXB()) << size << " bytes";
  }
  Bytes oversizedBank = bank;
  oversizedBank[156] = 0x7F;  // the presets' chunk size far past the end
  writeFile(dir.file("bank.fxb"), oversizedBank);
  EXPECT_FALSE(plug.LoadBankFromFXB());
  plug.graphics->mAnswer = dir.file("missing.fxp");
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  EXPECT_FALSE(plug.LoadBankFromFXB());
}

// Size words of a bank past 64 KiB: every byte of each counts, the file's and each program's.
TEST(PresetFiles, SizeWordsOfALargeBank) {
  kroma_test::TempDir dir;
  FilePlug plug(128, 128, false);
  plug.graphics->mAnswer = dir.file("large.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB());
  const Bytes file = readFile(dir.file("large.fxb"));
  const size_t record = 56 + 4 * 128;
  ASSERT_EQ(file.size(), 156 + 128 * record);
  EXPECT_EQ(be32(file, 4), file.size() - 8);
  for (size_t at = 156; at < file.size(); at += record) EXPECT_EQ(be32(file, at + 4), record - 8);
  ASSERT_TRUE(plug.LoadBankFromFXB());
}

// Each of the four magic bytes counts: a file whose record or form tag differs in any one of them
// is refused, in both forms, for programs and banks.
TEST(PresetFiles, EveryByteOfTheTagsCounts) {
  kroma_test::TempDir dir;
  for (bool chunks : {false, true}) {
    for (bool bank : {false, true}) {
      FilePlug plug(1, 1, chunks);
      plug.graphics->mAnswer = dir.file("tagged");
      ASSERT_TRUE(bank ? plug.SaveBankAsFXB() : plug.SaveProgramAsFXP());
      const Bytes good = readFile(dir.file("tagged"));
      const auto load = [&] { return bank ? plug.LoadBankFromFXB() : plug.LoadProgramFromFXP(); };
      ASSERT_TRUE(load()) << chunks << bank;
      for (size_t at : {0, 1, 2, 3, 8, 9, 10, 11}) {
        Bytes damaged = good;
        damaged[at] ^= 0x20;
        writeFile(dir.file("tagged"), damaged);
        EXPECT_FALSE(load()) << "chunks " << chunks << " bank " << bank << " byte " << at;
      }
    }
  }
}

// Damaged files of both forms leave every value finite and in range, and what was read is
// written again and read back.
TEST(PresetFiles, RandomAndMutatedFilesAreReadSafely) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("file.fxb");
  std::vector<Bytes> valid;
  std::vector<std::unique_ptr<FilePlug>> plugs;
  for (bool chunks : {true, false}) {
    plugs.push_back(std::make_unique<FilePlug>(3, 3, chunks));
    FilePlug& plug = *plugs.back();
    plug.GetParam(0)->InitDouble("level", 0.25, -1.0, 1.0, 0.01);
    plug.GetParam(2)->InitBool("switch", true);
    for (const char* name : {"one", "two", "three"}) plug.MakeDefaultPreset(name, 1);
    plug.graphics->mAnswer = path;
    plug.GetParam(0)->Set(-0.5);
    ASSERT_TRUE(plug.SaveProgramAsFXP());
    valid.push_back(readFile(path));
    ASSERT_TRUE(plug.SaveBankAsFXB());
    valid.push_back(readFile(path));
  }
  std::mt19937 rng(20261206);
  int loaded = 0;
  const int rounds = kroma_test::fuzzIterations(300);
  for (int round = 0; round < rounds; ++round) {
    writeFile(path, plugin_test::mutate(valid[static_cast<size_t>(round) % valid.size()], rng));
    for (auto& plug : plugs) {
      loaded += plug->LoadProgramFromFXP() + plug->LoadBankFromFXB();
      if (round % 50 == 0) {
        ASSERT_TRUE(plug->SaveBankAsFXB() && plug->LoadBankFromFXB());
      }
      ASSERT_TRUE(plugin_test::valuesInRange(*plug)) << "round " << round;
      for (int i = 0; i < 3; ++i) ASSERT_LT(std::strlen(plug->GetPresetName(i)), 256u);
    }
  }
  // Most damage that leaves the framing intact still reads.
  EXPECT_GT(loaded, rounds / 8);
}

}  // namespace
