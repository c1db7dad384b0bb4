#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "HostRun.h"
#include "TempDir.h"

// The whole host conversation with the test plug-in, through kroma-host.
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class HostSession : public ::testing::Test {
 protected:
  HostRun run(const std::string& script) {
    HostRun result = runHost(mDir.path(), script);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result;
  }
  std::string file(const std::string& name) const { return mDir.file(name); }

  kroma_test::TempDir mDir;
};

TEST_F(HostSession, RecordFieldsFlagsAndIdentity) {
  const HostRun host =
      run("host-product Cubase Pro\n"
          "host-version 120005\n"
          "open\n"
          "info\n");
  EXPECT_THAT(host.line("record[1] magic"),
              HasSubstr("magic=VstP numPrograms=1 numParams=2 numInputs=2 numOutputs=2 "
                        "flags=0x1130 initialDelay=128 uniqueID=ktst version=10203 ioRatio=1"));
  EXPECT_THAT(host.line("record[1] flags"),
              HasSubstr("CanReplacing ProgramChunks IsSynth CanDoubleReplacing (all entry"));
  // effOpen identifies the host: product string, then its version, packed.
  EXPECT_TRUE(host.has("<- audioMasterGetProductString"));
  EXPECT_TRUE(host.has("<- audioMasterGetVendorVersion"));
  EXPECT_TRUE(host.has("plugin[1]: host 3 version " + std::to_string((12 << 16) + 5)));

  EXPECT_TRUE(host.has("dispatch effIdentify -> 1316373862"));
  EXPECT_TRUE(host.has("dispatch effGetVstVersion -> 2400"));
  EXPECT_TRUE(host.has("dispatch effGetVendorVersion -> 66051"));
  EXPECT_TRUE(host.has("dispatch effGetPlugCategory -> 2"));
  EXPECT_TRUE(host.has("effGetEffectName text=\"Kroma Test\""));
  EXPECT_TRUE(host.has("effGetVendorString text=\"Quillon Bay Sound\""));
  EXPECT_TRUE(host.has("effGetProductString text=\"Kroma Test Plug-in\""));
  EXPECT_THAT(
      host.lines("  pin "),
      ElementsAre("  pin 0 label=\"Input 1\" flags=3", "  pin 1 label=\"Input 2\" flags=1",
                  "  pin 0 label=\"Output 1\" flags=3", "  pin 1 label=\"Output 2\" flags=1"));
  EXPECT_TRUE(host.has("dispatch effGetInputProperties 2 -> 0"));
}

TEST_F(HostSession, AnUnknownHostIsIdentifiedOnceWithoutAVersion) {
  const HostRun host =
      run("host-product \n"
          "open\n"
          "dispatch 0\n");
  EXPECT_TRUE(host.has("plugin[1]: host 0 version 0"));
  EXPECT_EQ(host.lines("<- audioMasterGetProductString").size(), 1u);
  EXPECT_THAT(host.lines("<- audioMasterGetVendorVersion"), IsEmpty());
}

TEST_F(HostSession, CapabilitiesAreAnsweredExactly) {
  const HostRun host =
      run("open\n"
          "can-do receiveVstTimeInfo\n"
          "can-do receiveVstMidiEvent\n"
          "can-do sendVstEvents\n"
          "can-do ReceiveVstTimeInfo\n"
          "can-do hasHostExtensions\n"
          "can-do hasHostViewAsConfig\n"
          "can-do offline\n");
  EXPECT_TRUE(host.has("effCanDo \"receiveVstTimeInfo\" -> 0x1"));
  EXPECT_TRUE(host.has("effCanDo \"receiveVstMidiEvent\" -> 0x1"));
  EXPECT_TRUE(host.has("effCanDo \"sendVstEvents\" -> 0x1"));
  EXPECT_TRUE(host.has("effCanDo \"ReceiveVstTimeInfo\" -> 0x0"));
  EXPECT_TRUE(host.has("effCanDo \"hasHostExtensions\" -> 0xbeef0000"));
  EXPECT_TRUE(host.has("effCanDo \"hasHostViewAsConfig\" -> 0xbeef0000"));
  EXPECT_TRUE(host.has("effCanDo \"offline\" -> 0x0"));
}

TEST_F(HostSession, APlugInWithoutMidiRefusesMidiAndAsksForNone) {
  kroma_test::ScopedEnv noMidi("KROMA_TESTPLUGIN_NOMIDI", "1");
  const HostRun host =
      run("open\n"
          "can-do receiveVstMidiEvent\n"
          "can-do receiveVstTimeInfo\n"
          "process replacing 32\n");
  EXPECT_TRUE(host.has("effCanDo \"receiveVstMidiEvent\" -> 0x0"));
  EXPECT_TRUE(host.has("effCanDo \"receiveVstTimeInfo\" -> 0x1"));
  EXPECT_THAT(host.lines("audioMasterWantMidi"), IsEmpty());
}

TEST_F(HostSession, SampleRateBlockSizeAndActivation) {
  const HostRun host =
      run("open\n"
          "rate 48000\n"
          "block 256\n"
          "resume\n"
          "suspend\n");
  EXPECT_THAT(
      host.lines("plugin[1]: reset"),
      ElementsAre("plugin[1]: reset rate=44100 block=1024",  // effOpen
                  "plugin[1]: reset rate=48000 block=1024", "plugin[1]: reset rate=48000 block=256",
                  "plugin[1]: reset rate=48000 block=256"));  // suspend
  EXPECT_THAT(host.lines("plugin[1]: activate"),
              ElementsAre("plugin[1]: activate 1", "plugin[1]: activate 0"));
}

TEST_F(HostSession, MidiEventsArriveWithOffsetsAndSysExGoesBackToTheHost) {
  const HostRun host =
      run("open\n"
          "midi 12 90 3C 64\n"
          "sysex 0 F0 3E 13 00 F7\n"
          "midi 200 B0 07 40\n"
          "events\n");
  EXPECT_THAT(host.lines("plugin[1]: midi"),
              ElementsAre("plugin[1]: midi offset=12 bytes=90 3C 64 fromDevice=0",
                          "plugin[1]: midi offset=200 bytes=B0 07 40 fromDevice=0"));
  EXPECT_THAT(host.lines("plugin[1]: sysex"), IsEmpty());
  EXPECT_TRUE(host.has("host[1]   sysex offset=0 size=5 bytes=F0 3E 13 00 F7"));
  // The note-on that the plug-in echoes travels as a host MIDI event.
  EXPECT_TRUE(host.has("host[1]   midi offset=12 bytes=90 3C 64"));
  EXPECT_TRUE(host.has("dispatch effProcessEvents 3 -> 1"));
}

TEST_F(HostSession, ProcessCallsWithAndWithoutTimeInformation) {
  const HostRun host =
      run("open\n"
          "time off\n"
          "process replacing 64\n"
          "time tempo=130 ppq=8 bar=8 sig=3/4 playing=1 loop=1 cycle=0,16\n"
          "process replacing 64\n"
          "process accumulating 64\n"
          "process double 64\n"
          "offline on\n"
          "process double 64\n");
  const auto blocks = host.lines("plugin[1]: block");
  ASSERT_EQ(blocks.size(), 5u);
  // Without a time record every value keeps its starting value.
  EXPECT_THAT(blocks[0], HasSubstr("block 64 tempo=0 pos=0 ppq=0 bar=0 sig=0/0 playing=0"));
  EXPECT_THAT(blocks[1],
              HasSubstr("tempo=130 pos=64 ppq=8 bar=8 sig=3/4 playing=1 loop=1 offline=0"));
  EXPECT_THAT(blocks[4], HasSubstr("offline=1"));
  EXPECT_THAT(host.lines(" -> out0"),
              ElementsAre("process replacing 64 -> out0=0.25..0.25 out1=0.5..0.5",
                          "process replacing 64 -> out0=0.25..0.25 out1=0.5..0.5",
                          "process accumulating 64 -> out0=1.25..1.25 out1=1.5..1.5",
                          "process double 64 -> out0=0.25..0.25 out1=0.5..0.5",
                          "process double 64 -> out0=0.25..0.25 out1=0.5..0.5"));
  // The MIDI request goes out on every block.
  EXPECT_EQ(host.lines("<- audioMasterWantMidi").size(), 5u);
}

TEST_F(HostSession, AHostBlockLargerThanAnnouncedIsProcessedWhole) {
  const HostRun host =
      run("open\n"
          "block 64\n"
          "process replacing 4096\n");
  EXPECT_TRUE(host.has("process replacing 4096 -> out0=0.25..0.25 out1=0.5..0.5"));
}

TEST_F(HostSession, ParametersThroughTheHostVisibleHeadOnly) {
  const HostRun host =
      run("open\n"
          "param-set 0 0.25\n"
          "param-get 0\n"
          "param-set 2 1\n"
          "param-get 2\n"
          "param-info 1\n"
          "param-text 1 High\n"
          "param-text 1 Loud\n"
          "param-text 0 2.5\n"
          "param-text 2 5\n"
          "param-info 2\n");
  EXPECT_TRUE(host.has("plugin[1]: param 0 = 0.25"));
  EXPECT_TRUE(host.has("getParameter 0 -> 0.250000"));
  EXPECT_THAT(host.lines("plugin[1]: param 2"), IsEmpty());
  EXPECT_TRUE(host.has("getParameter 2 -> 0.000000"));
  // Texts are cut to the host's parameter text buffer.
  EXPECT_THAT(host.lines("  text="), ::testing::Contains("  text=\"Mode of\""));
  EXPECT_TRUE(host.has("effString2Parameter 1 \"High\" -> 1"));
  EXPECT_TRUE(host.has("plugin[1]: param 1 = 2"));
  EXPECT_TRUE(host.has("effString2Parameter 1 \"Loud\" -> 0"));
  EXPECT_TRUE(host.has("plugin[1]: param 0 = 1"));  // 2.5 clamped
  EXPECT_TRUE(host.has("effString2Parameter 2 \"5\" -> 0"));
  EXPECT_TRUE(host.has("dispatch effGetParamName 2 -> 0\n  text=\"\""));
}

TEST_F(HostSession, ProgramAndBankChunksRoundTrip) {
  const std::string program = file("program.chunk"), bank = file("bank.chunk");
  const HostRun host =
      run("open\n"
          "param-set 0 0.75\n"
          "chunk-get program " +
          program +
          "\n"
          "chunk-get bank " +
          bank +
          "\n"
          "param-set 0 0.1\n"
          "chunk-set program " +
          program +
          "\n"
          "param-get 0\n"
          "param-set 0 0.2\n"
          "chunk-set bank " +
          bank +
          "\n"
          "param-get 0\n");
  // Marker, two visible and two hidden doubles behind the framework header.
  EXPECT_TRUE(host.has("dispatch effGetChunk program -> 44"));
  EXPECT_TRUE(host.has("  chunk 44 bytes, head 74 66 66 70 00 00 01 00"));
  EXPECT_TRUE(host.has("dispatch effSetChunk program 44 bytes -> 1"));
  EXPECT_TRUE(host.has("dispatch effSetChunk bank 44 bytes -> 1"));
  EXPECT_THAT(host.lines("getParameter 0"),
              ElementsAre("getParameter 0 -> 0.750000", "getParameter 0 -> 0.750000"));
  // With no presets the bank chunk is the program chunk.
  std::ifstream a(program, std::ios::binary), b(bank, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}),
            std::string(std::istreambuf_iterator<char>(b), {}));
}

TEST_F(HostSession, BankChunksCarryPresets) {
  kroma_test::ScopedEnv presets("KROMA_TESTPLUGIN_PRESETS", "2");
  const std::string bank = file("bank.chunk");
  const HostRun host =
      run("open\n"
          "info\n"
          "param-set 0 0.75\n"
          "chunk-get bank " +
          bank +
          "\n"
          "param-set 0 0.1\n"
          "chunk-set bank " +
          bank +
          "\n"
          "param-get 0\n");
  EXPECT_THAT(host.line("record[1] magic"), HasSubstr("numPrograms=2"));
  EXPECT_TRUE(host.has("effGetProgramName text=\"Empty\""));
  EXPECT_TRUE(host.has("dispatch effSetChunk bank"));
  EXPECT_THAT(host.lines("dispatch effSetChunk bank"), ElementsAre(HasSubstr("-> 1")));
  EXPECT_TRUE(host.has("getParameter 0 -> 0.750000"));
}

TEST_F(HostSession, TruncatedAndHeaderlessChunks) {
  const std::string program = file("program.chunk");
  const HostRun host =
      run("open\n"
          "chunk-get program " +
          program +
          "\n"
          "chunk-set program " +
          program +
          " 30\n"
          "chunk-set program " +
          program +
          " 6\n"
          "chunk-set bank " +
          program + " 43\n");
  EXPECT_TRUE(host.has("effSetChunk program 30 bytes -> 0"));
  EXPECT_TRUE(host.has("effSetChunk program 6 bytes -> 0"));
  EXPECT_TRUE(host.has("effSetChunk bank 43 bytes -> 0"));

  // Without the framework header a bank chunk is read as state from its start.
  std::ifstream in(program, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const std::string headerless = file("headerless.chunk");
  std::ofstream(headerless, std::ios::binary) << bytes.substr(8);
  const HostRun again =
      run("open\n"
          "param-set 0 0.1\n"
          "chunk-set bank " +
          headerless +
          "\n"
          "param-get 0\n");
  EXPECT_TRUE(again.has("effSetChunk bank 36 bytes -> 1"));
  EXPECT_TRUE(again.has("getParameter 0 -> 0.500000"));
}

TEST_F(HostSession, WithoutPresetsTheHostSeesOneProgramWithoutAName) {
  const HostRun host =
      run("open\n"
          "info\n"
          "program-names\n"
          "program-name Verse\n"
          "program 0\n");
  EXPECT_THAT(host.line("record[1] magic"), HasSubstr("numPrograms=1"));
  EXPECT_THAT(host.lines("effGetProgramNameIndexed"),
              ElementsAre("dispatch effGetProgramNameIndexed 0 -> 0",
                          "dispatch effGetProgramNameIndexed 1 -> 0"));
  EXPECT_THAT(host.lines("  text="), ::testing::Each("  text=\"\""));
  EXPECT_TRUE(host.has("dispatch effSetProgramName \"Verse\" -> 0"));
  EXPECT_TRUE(host.has("dispatch effGetProgram -> 0"));
}

TEST_F(HostSession, ProgramsAreNamedSelectedAndListed) {
  kroma_test::ScopedEnv presets("KROMA_TESTPLUGIN_PRESETS", "2");
  const HostRun host =
      run("open\n"
          "program-name Verse\n"
          "param-set 0 0.75\n"
          "program 1\n"
          "param-get 0\n"
          "program 0\n"
          "param-get 0\n"
          "program-names\n");
  EXPECT_THAT(host.lines("dispatch effGetProgram "),
              ElementsAre("dispatch effGetProgram -> 1", "dispatch effGetProgram -> 0"));
  // With state chunks the edits are not kept by switching programs away.
  EXPECT_THAT(host.lines("getParameter 0"),
              ElementsAre("getParameter 0 -> 0.500000", "getParameter 0 -> 0.500000"));
  EXPECT_THAT(host.lines("effGetProgramNameIndexed"),
              ElementsAre("dispatch effGetProgramNameIndexed 0 -> 1",
                          "dispatch effGetProgramNameIndexed 1 -> 1",
                          "dispatch effGetProgramNameIndexed 2 -> 0"));
  const auto texts = host.lines("  text=");
  ASSERT_GE(texts.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(texts.end() - 3, texts.end()),
              ElementsAre("  text=\"Verse\"", "  text=\"Empty\"", "  text=\"\""));
}

TEST_F(HostSession, AHeaderlessBankChunkUpdatesTheCurrentPreset) {
  kroma_test::ScopedEnv presets("KROMA_TESTPLUGIN_PRESETS", "2");
  const std::string program = file("program.chunk");
  run("open\n"
      "param-set 0 0.75\n"
      "chunk-get program " +
      program + "\n");
  std::ifstream in(program, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(bytes.size(), 8u);
  const std::string headerless = file("headerless.chunk");
  std::ofstream(headerless, std::ios::binary) << bytes.substr(8);

  const HostRun host =
      run("open\n"
          "chunk-set bank " +
          headerless +
          "\n"
          "program 1\n"
          "param-get 0\n"
          "program 0\n"
          "param-get 0\n");
  EXPECT_THAT(host.lines("dispatch effSetChunk bank"), ElementsAre(HasSubstr("-> 1")));
  // Program 0 was stored from the chunk; program 1 kept its defaults.
  EXPECT_THAT(host.lines("getParameter 0"),
              ElementsAre("getParameter 0 -> 0.500000", "getParameter 0 -> 0.750000"));
}

TEST_F(HostSession, SpeakerArrangementsConnectTheFirstChannels) {
  const HostRun host =
      run("open\n"
          "speakers 1 2\n"
          "process replacing 16\n"
          "speakers 2 1\n"
          "process replacing 16\n"
          "process double 16\n");
  EXPECT_THAT(host.lines("effSetSpeakerArrangement"),
              ElementsAre("dispatch effSetSpeakerArrangement 1 2 -> 1",
                          "dispatch effSetSpeakerArrangement 2 1 -> 1"));
  // The plug-in's own arrangements stay those of its two inputs and outputs.
  EXPECT_THAT(host.lines("  input type="),
              ElementsAre("  input type=1 channels=2", "  input type=1 channels=2"));
  EXPECT_THAT(host.lines("  output type="),
              ElementsAre("  output type=1 channels=2", "  output type=1 channels=2"));
  // A disconnected input is silence; a disconnected output is left alone.
  EXPECT_THAT(host.lines(" -> out0"),
              ElementsAre("process replacing 16 -> out0=0.25..0.25 out1=0..0",
                          "process replacing 16 -> out0=0.25..0.25 out1=1..1",
                          "process double 16 -> out0=0.25..0.25 out1=1..1"));
}

TEST_F(HostSession, KeyNamesAndVendorDisplayTexts) {
  const HostRun host =
      run("open\n"
          "key-name 60\n"
          "key-name 200\n"
          "vendor-display 1 1\n"
          "vendor-display 2 0.5\n"
          "vendor-display 5 0.5\n"
          "dispatch 50 6\n");
  EXPECT_TRUE(host.has("dispatch effGetMidiKeyName 60 -> 1\n  text=\"Key 60\""));
  // The name is cleared before the plug-in is asked.
  EXPECT_TRUE(host.has("dispatch effGetMidiKeyName 200 -> 0\n  text=\"\""));
  EXPECT_TRUE(host.has("dispatch effVendorSpecific 7 1 1 -> 48879\n  text=\"High\""));
  // Parameters the host was not offered get no text, yet the answer stands.
  EXPECT_TRUE(host.has("dispatch effVendorSpecific 7 2 0.5 -> 48879\n  text=\"\""));
  EXPECT_TRUE(host.has("dispatch effVendorSpecific 7 5 0.5 -> 48879\n  text=\"\""));
  EXPECT_TRUE(host.has("dispatch 50 -> 0"));
}

TEST_F(HostSession, EditorWithoutGraphicsAndIdle) {
  const HostRun host =
      run("open\n"
          "edit-open\n"
          "idle\n"
          "edit-close\n");
  EXPECT_TRUE(host.has("dispatch effEditGetRect -> 0"));
  EXPECT_TRUE(host.has("dispatch effEditOpen -> 0"));
  EXPECT_TRUE(host.has("dispatch effEditIdle -> 0"));
  EXPECT_TRUE(host.has("dispatch effIdle -> 0"));
  EXPECT_TRUE(host.has("dispatch effEditClose -> 0"));
}

TEST_F(HostSession, UnknownAndOutOfRangeOpcodesGiveZero) {
  const HostRun host =
      run("open\n"
          "dispatch 26 5\n"
          "dispatch 70\n"
          "dispatch -3\n"
          "dispatch 9\n");
  EXPECT_TRUE(host.has("dispatch 26 -> 1"));
  EXPECT_TRUE(host.has("dispatch 70 -> 0"));
  EXPECT_TRUE(host.has("dispatch -3 -> 0"));
  EXPECT_TRUE(host.has("dispatch 9 -> 0"));
}

TEST_F(HostSession, CloseDeletesTheInstance) {
  const HostRun host =
      run("open\n"
          "close\n");
  const std::string& out = host.output;
  const size_t closed = out.find("dispatch effClose -> closed");
  const size_t destroyed = out.find("plugin[1]: destroyed");
  ASSERT_NE(destroyed, std::string::npos);
  EXPECT_LT(destroyed, closed);
}

TEST_F(HostSession, InstancesFromTwoThreadsAreConstructedOneAfterTheOther) {
  const HostRun host = run("instances 2\n");
  std::vector<std::string> order;
  for (const std::string& line : host.lines(": construct "))
    order.push_back(line.substr(line.find("construct")));
  EXPECT_THAT(order,
              ElementsAre("construct begin", "construct end", "construct begin", "construct end"));
  EXPECT_TRUE(host.has("instance from thread 0 created"));
  EXPECT_TRUE(host.has("instance from thread 1 created"));
}

TEST_F(HostSession, AConstructorThatThrowsGivesTheHostNoRecord) {
  kroma_test::ScopedEnv refuse("KROMA_TESTPLUGIN_THROW", "1");
  const HostRun host = runHost(mDir.path(), "open\n");
  EXPECT_EQ(host.exitCode, 1) << host.output;
  EXPECT_TRUE(host.has("VSTPluginMain gave no effect record"));
  EXPECT_TRUE(host.has("could not be created"));
}

TEST(TestPluginModule, ExportsOnlyTheEntryAndMain) {
  FILE* pipe = popen((std::string("nm -D --defined-only '") + TEST_PLUGIN + "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> names;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    std::string text(line);
    text.erase(text.find_last_not_of("\n") + 1);
    names.push_back(text.substr(text.find_last_of(' ') + 1));
  }
  pclose(pipe);
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("VSTPluginMain", "main"));

  // Hosts that look for main reach the same entry.
  void* module = dlopen(TEST_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  EXPECT_NE(dlsym(module, "VSTPluginMain"), nullptr);
  EXPECT_EQ(dlsym(module, "main"), dlsym(module, "VSTPluginMain"));
  // Not closed: unloading would take the MIDI libraries it pulled in along,
  // and their start-up allocations would show as leaks.
}

}  // namespace
