// The fixed bytes every dump starts from, and the edges of the inputs the engine takes.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "src/librarian/InitDumps.h"
#include "src/protocol/DumpTemplates.h"
#include "src/protocol/MultiDump.h"
#include "tests/src/protocol/ProtocolDoubles.h"

namespace protocol_test {
namespace {

// The Multi every edit starts from is the librarian's init Multi addressed to the edit buffer
// (bank 7F), with its name blank, every part on program 0 with the flag byte of part 1, and the
// checksum of the result.
TEST(Templates, TheMultiIsTheInitMultiForTheEditBufferWithABlankName) {
  std::map<int, int> differs = {{5, 0x7F}, {423, 0x1C}};
  for (int i = 7; i < 7 + DumpLayout::kNameLength; ++i) differs[i] = ' ';
  for (int part = 0; part < 16; ++part) {
    differs[39 + 24 * part + 1] = 0;
    differs[39 + 24 * part + 12] = 0x07;
  }
  const sysex::MultiDumpBytes& multi = sysex::multiSendTemplate();
  for (int i = 0; i < DumpLayout::kMultiSize; ++i)
    EXPECT_EQ(multi[i], differs.count(i) ? differs[i] : InitDumps::initMultiData[i]) << i;
}

// The sound every dump starts from: the header for the edit buffer, the documented fixed bytes,
// a blank name, 7F in the checksum's place; every other byte 0.
TEST(Templates, TheSoundHoldsTheDocumentedFixedBytesAndZeroElsewhere) {
  std::map<int, int> fixed = {{0, 0xF0},   {1, 0x3E},   {2, 0x13},   {4, 0x10},   {5, 0x7F},
                              {7, 0x01},   {19, 0x01},  {35, 0x01},  {77, 0x40},  {86, 0x40},
                              {90, 0x40},  {91, 0x40},  {92, 0x40},  {106, 0x40}, {110, 0x40},
                              {111, 0x40}, {112, 0x40}, {125, 0x03}, {202, 0x01}, {204, 0x40},
                              {216, 0x40}, {228, 0x40}, {240, 0x40}, {251, 0x01}, {316, 0x40},
                              {320, 0x0F}, {333, 0x37}, {366, 0x44}, {390, 0x7F}, {391, 0xF7}};
  for (int i = 370; i < 386; ++i) fixed[i] = ' ';
  const sysex::SoundDumpBytes& sound = sysex::soundDumpTemplate();
  for (int i = 0; i < DumpLayout::kSoundSize; ++i)
    EXPECT_EQ(sound[i], fixed.count(i) ? fixed[i] : 0) << i;
}

// The Global dump's template: the header, the sixteen pairs 0, k, the documented settings and
// 7F in the checksum's place; every other byte 0.
TEST(Templates, TheGlobalHoldsTheDocumentedFixedBytesAndZeroElsewhere) {
  std::map<int, int> fixed = {
      {0, 0xF0},  {1, 0x3E},  {2, 0x13},  {4, 0x14},  {5, 0x06},  {6, 0x01},  {39, 0x11},
      {40, 0x01}, {41, 0x10}, {43, 0x05}, {44, 0x2D}, {45, 0x40}, {46, 0x40}, {49, 0x03},
      {50, 0x01}, {51, 0x02}, {52, 0x02}, {56, 0x02}, {57, 0x04}, {58, 0x0B}, {59, 0x0C},
      {60, 0x40}, {62, 0x01}, {69, 0x7F}, {78, 0x7F}, {79, 0xF7}};
  for (int k = 0; k < 16; ++k) fixed[8 + 2 * k] = k;
  const sysex::GlobalDumpBytes& global = sysex::globalDumpTemplate();
  ASSERT_EQ(global.size(), 80u);
  for (int i = 0; i < 80; ++i) EXPECT_EQ(global[i], fixed.count(i) ? fixed[i] : 0) << i;
}

// Parts outside 0..15 take nothing from a Multi's flag bytes or the host's channel messages;
// the first and the last part do.
TEST(Guards, PartsOutsideTheSixteenAreLeftAlone) {
  for (int part : {-1, 0, 15, 16}) {
    SCOPED_TRACE(part);
    Engine e;
    std::fill(e.plugin.values.begin(), e.plugin.values.end(), 7.0);
    const std::vector<double> before = e.plugin.values;
    e.manager->encryptMultiSettings1Values(0x07, part);
    const bool inside = part >= 0 && part < 16;
    EXPECT_EQ(e.plugin.values != before, inside) << "flag byte A";
    if (inside) {
      EXPECT_EQ(e.plugin.values[kReceiveMIDI + part], 0.0);
      EXPECT_EQ(e.plugin.values[kMultiPartStatus + part], 1.0);
    }
    e.plugin.values = before;
    e.manager->encryptMultiSettings2Values(0x01, part);
    EXPECT_EQ(e.plugin.values != before, inside) << "flag byte B";
    if (inside) {
      EXPECT_EQ(e.plugin.values[kReceivePitchBend + part], 0.0);
      EXPECT_EQ(e.plugin.values[kReceiveModWheel + part], 1.0);
    }
  }
}

// Only the synthesizer's own, non-empty messages reach the parsers.
TEST(Guards, OnlyMessagesFromTheSynthesizerAreParsed) {
  Engine e;
  const Bytes dump = namedDump(false, "In", 0x7F, 3);
  const struct {
    const unsigned char* data;
    int size;
    bool fromDevice;
    int parsed;
  } rows[] = {{dump.data(), static_cast<int>(dump.size()), false, 0},
              {dump.data(), 0, true, 0},
              {nullptr, static_cast<int>(dump.size()), true, 0},
              {dump.data(), static_cast<int>(dump.size()), true, 1}};
  for (const auto& row : rows) {
    e.manager->dumpRouting = true;
    e.dispatch->parsed = 0;
    e.manager->ProcessSysEx(row.data, row.size, row.fromDevice);
    EXPECT_EQ(e.dispatch->parsed, row.parsed) << row.size << " " << row.fromDevice;
  }
}

// The librarian view refills the list asked for, both for 2, none for anything else.
TEST(Displays, EachTextGoesToItsDisplayAndEachListIsRefilledWhenAsked) {
  const std::pair<int, std::vector<int>> refills[] = {
      {0, {0}}, {1, {1}}, {2, {0, 1}}, {-1, {}}, {3, {}}};
  for (const auto& [which, lists] : refills) {
    Engine e;
    e.manager->displays().updatePatchLibrarianView(which);
    EXPECT_EQ(e.plugin.refills, lists) << which;
  }
  Engine e;
  PluginDisplays& displays = e.manager->displays();
  displays.displayText("Cutoff", "64", "CC|74");
  displays.displayPatchName("Warm Pad");
  displays.displayCategoryName("Pad");
  displays.displayBuild("Build 7");
  const std::pair<int, const char*> shown[] = {
      {kControlDisplayName, "Cutoff"},  {kControlDisplayValue, "64"},
      {kControlDisplayCC, "CC|74"},     {kControlDisplayPatch, "Warm Pad"},
      {kControlDisplayCategory, "Pad"}, {kControlDisplayBuild, "Build 7"}};
  for (const auto& [display, text] : shown) EXPECT_EQ(e.plugin.last(display), text) << display;
}

// A parameter message goes out as its bytes; none without an output port (the notice instead),
// nothing for an empty one.
TEST(Displays, AParameterMessageNeedsAnOutputPort) {
  Engine e;
  e.manager->sendSysexMessage({0x3E, 0x13, 0x11, 0x20, 0x02, 0x00, 0x4E, 0x164});
  ASSERT_EQ(e.plugin.sent.size(), 1u);
  EXPECT_EQ(e.plugin.sent[0], Bytes({0xF0, 0x3E, 0x13, 0x11, 0x20, 0x02, 0x00, 0x4E, 0x64, 0xF7}));
  e.manager->sendSysexMessage({});
  EXPECT_EQ(e.plugin.sent.size(), 1u);
  e.plugin.midiOut = false;
  e.manager->sendSysexMessage({0x3E, 0x13, 0x11, 0x20, 0x02, 0x00, 0x4E, 0x10});
  EXPECT_EQ(e.plugin.sent.size(), 1u);
  EXPECT_EQ(e.plugin.last(), "Set MIDI I/O First!");
}

}  // namespace
}  // namespace protocol_test
