#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "PluginTestDoubles.h"
#include "tests/support/TempDir.h"

namespace {

using plugin_test::FakeGraphics;
using plugin_test::TestPlugin;

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
}

uint32_t be32(const std::vector<uint8_t>& bytes, size_t at) {
  return (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 | (uint32_t)bytes[at + 2] << 8 |
         bytes[at + 3];
}

// A plug-in with an editor whose file panel answers with a path in a temp folder.
struct Editor {
  explicit Editor(TestPlugin& plug) : graphics(new FakeGraphics()) {
    for (int i = 0; i < plug.NParams(); ++i) plug.GetParam(i)->InitInt("p", 0, 0, 127);
    plug.AttachGraphics(graphics);
  }
  FakeGraphics* graphics;
};

TEST(PresetFiles, ChunkProgramRoundTrip) {
  kroma_test::TempDir dir;
  TestPlugin plug(3, 3, "2-2", 1);
  Editor editor(plug);
  plug.MakeDefaultPreset("Lead", 1);
  plug.GetParam(2)->Set(77.0);
  editor.graphics->mAnswer = dir.file("lead.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP("lead"));
  ASSERT_EQ(editor.graphics->mPrompts.size(), 1u);
  EXPECT_EQ(editor.graphics->mPrompts[0].action, kFileSave);
  EXPECT_EQ(editor.graphics->mPrompts[0].extensions, "fxp");
  EXPECT_EQ(editor.graphics->mPrompts[0].proposed, "lead");

  const std::vector<uint8_t> file = readAll(dir.file("lead.fxp"));
  ASSERT_GE(file.size(), 60u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "CcnK");
  EXPECT_EQ(be32(file, 4), file.size() - 8);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "FPCh");
  EXPECT_EQ(be32(file, 16), (uint32_t)plugin_test::kUniqueID);
  EXPECT_EQ(be32(file, 20), 10203u);
  EXPECT_EQ(be32(file, 24), 3u);
  EXPECT_EQ(std::string((const char*)&file[28]), "Lead");
  EXPECT_EQ(be32(file, 56), 8u + 3 * 8) << "the framework header and three values";

  plug.GetParam(2)->Set(1.0);
  ASSERT_TRUE(plug.LoadProgramFromFXP());
  EXPECT_EQ(plug.GetParam(2)->Value(), 77.0);
  EXPECT_EQ(editor.graphics->mPrompts[1].action, kFileOpen);
  EXPECT_EQ(editor.graphics->mPrompts[1].folder, dir.path() + "/") << "the folder is remembered";
}

TEST(PresetFiles, ValueFormsRoundTrip) {
  kroma_test::TempDir dir;
  TestPlugin plug(2, 2, "2-2", 2, false);
  Editor editor(plug);
  plug.GetParam(0)->Set(127.0);
  plug.MakeDefaultPreset("A", 1);
  plug.GetParam(0)->Set(0.0);
  plug.GetParam(1)->Set(64.0);
  plug.MakeDefaultPreset("B", 1);

  editor.graphics->mAnswer = dir.file("bank.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB());
  const std::vector<uint8_t> file = readAll(dir.file("bank.fxb"));
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "FxBk");
  EXPECT_EQ(be32(file, 24), 2u);
  EXPECT_EQ(file.size(), 156u + 2 * (56 + 2 * 4));
  EXPECT_EQ(plug.GetParam(1)->Value(), 64.0) << "saving keeps the current values";

  TestPlugin other(2, 2, "2-2", 2, false);
  Editor otherEditor(other);
  otherEditor.graphics->mAnswer = dir.file("bank.fxb");
  ASSERT_TRUE(other.LoadBankFromFXB());
  EXPECT_STREQ(other.GetPresetName(1), "B");
  EXPECT_EQ(other.GetParam(0)->Value(), 127.0) << "preset 0 is current";
  ASSERT_TRUE(other.RestorePreset(1));
  EXPECT_EQ(other.GetParam(1)->Value(), 64.0);

  editor.graphics->mAnswer = dir.file("one.fxp");
  plug.GetParam(0)->Set(5.0);
  ASSERT_TRUE(plug.SaveProgramAsFXP());
  EXPECT_EQ(readAll(dir.file("one.fxp")).size(), 56u + 2 * 4);
  otherEditor.graphics->mAnswer = dir.file("one.fxp");
  ASSERT_TRUE(other.LoadProgramFromFXP());
  EXPECT_EQ(other.GetParam(0)->Value(), 5.0);
}

TEST(PresetFiles, ChunkBankRoundTrip) {
  kroma_test::TempDir dir;
  TestPlugin plug(1, 1, "2-2", 2);
  Editor editor(plug);
  plug.GetParam(0)->Set(10.0);
  plug.MakeDefaultPreset("ten", 1);
  plug.GetParam(0)->Set(20.0);
  plug.MakeDefaultPreset("twenty", 1);
  editor.graphics->mAnswer = dir.file("bank.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB());

  TestPlugin other(1, 1, "2-2", 2);
  Editor otherEditor(other);
  otherEditor.graphics->mAnswer = dir.file("bank.fxb");
  ASSERT_TRUE(other.LoadBankFromFXB());
  EXPECT_STREQ(other.GetPresetName(1), "twenty");
  EXPECT_EQ(other.GetParam(0)->Value(), 10.0);
}

TEST(PresetFiles, RefusedWithoutAnswerOrForeignOrDamagedFiles) {
  kroma_test::TempDir dir;
  TestPlugin headless(1, 1);
  EXPECT_FALSE(headless.SaveProgramAsFXP("x"));
  EXPECT_FALSE(headless.LoadBankFromFXB());

  TestPlugin plug(1, 1, "2-2", 1);
  Editor editor(plug);
  EXPECT_FALSE(plug.SaveProgramAsFXP("x")) << "the user cancelled";
  EXPECT_FALSE(plug.LoadProgramFromFXP());

  TestPlugin foreign(1, 1, "2-2", 1, true, 0x12345678);
  Editor foreignEditor(foreign);
  foreignEditor.graphics->mAnswer = dir.file("foreign.fxp");
  ASSERT_TRUE(foreign.SaveProgramAsFXP());
  editor.graphics->mAnswer = dir.file("foreign.fxp");
  EXPECT_FALSE(plug.LoadProgramFromFXP());

  plug.GetParam(0)->Set(42.0);
  editor.graphics->mAnswer = dir.file("good.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP());
  const std::vector<uint8_t> good = readAll(dir.file("good.fxp"));
  for (size_t size = 0; size < good.size(); size += 3) {
    writeAll(dir.file("cut.fxp"), std::vector<uint8_t>(good.begin(), good.begin() + size));
    editor.graphics->mAnswer = dir.file("cut.fxp");
    EXPECT_FALSE(plug.LoadProgramFromFXP()) << size << " bytes";
  }
  std::vector<uint8_t> oversized = good;
  oversized[59] = 0x7F;  // chunk size far past the end of the file
  writeAll(dir.file("big.fxp"), oversized);
  editor.graphics->mAnswer = dir.file("big.fxp");
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  editor.graphics->mAnswer = dir.file("missing.fxp");
  EXPECT_FALSE(plug.LoadProgramFromFXP());
}

}  // namespace
