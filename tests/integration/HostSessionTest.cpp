#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "HostRun.h"
#include "TempDir.h"

// The whole host conversation with the test plug-in, through kroma-host.
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The printed lines that contain `filter`: as many as `lines`, each containing its text.
struct Filtered {
  std::string filter;
  std::vector<std::string> lines;
};

struct Session {
  const char* name;
  std::string script;
  std::vector<std::string> shown;  // each somewhere in the output (may span lines)
  std::vector<Filtered> only{};
  std::pair<const char*, const char*> env{nullptr, nullptr};  // a test plug-in switch
  int exitCode = 0;
};

const Session kSessions[] = {
    {"record fields, flags and identity",
     "host-product Cubase Pro\nhost-version 120005\nopen\ninfo\n",
     {"magic=VstP numPrograms=1 numParams=2 numInputs=2 numOutputs=2 flags=0x1130 "
      "initialDelay=128 uniqueID=ktst version=10203 ioRatio=1",
      "CanReplacing ProgramChunks IsSynth CanDoubleReplacing (all entry",
      // effOpen identifies the host: product string, then its version, packed.
      "<- audioMasterGetProductString", "<- audioMasterGetVendorVersion",
      "plugin[1]: host 3 version " + std::to_string((12 << 16) + 5),
      "dispatch effIdentify -> 1316373862", "dispatch effGetVstVersion -> 2400",
      "dispatch effGetVendorVersion -> 66051", "dispatch effGetPlugCategory -> 2",
      "effGetEffectName text=\"Kroma Test\"", "effGetVendorString text=\"Quillon Bay Sound\"",
      "effGetProductString text=\"Kroma Test Plug-in\"", "dispatch effGetInputProperties 2 -> 0"},
     {{"  pin ",
       {"  pin 0 label=\"Input 1\" flags=3", "  pin 1 label=\"Input 2\" flags=1",
        "  pin 0 label=\"Output 1\" flags=3", "  pin 1 label=\"Output 2\" flags=1"}}}},
    {"capabilities are answered exactly",
     "open\ncan-do receiveVstTimeInfo\ncan-do receiveVstMidiEvent\ncan-do sendVstEvents\n"
     "can-do ReceiveVstTimeInfo\ncan-do hasHostExtensions\ncan-do hasHostViewAsConfig\n"
     "can-do offline\n",
     {"effCanDo \"receiveVstTimeInfo\" -> 0x1", "effCanDo \"receiveVstMidiEvent\" -> 0x1",
      "effCanDo \"sendVstEvents\" -> 0x1", "effCanDo \"ReceiveVstTimeInfo\" -> 0x0",
      "effCanDo \"hasHostExtensions\" -> 0xbeef0000",
      "effCanDo \"hasHostViewAsConfig\" -> 0xbeef0000", "effCanDo \"offline\" -> 0x0"}},
    {"a plug-in without MIDI refuses MIDI and asks for none",
     "open\ncan-do receiveVstMidiEvent\ncan-do receiveVstTimeInfo\nprocess replacing 32\n",
     {"effCanDo \"receiveVstMidiEvent\" -> 0x0", "effCanDo \"receiveVstTimeInfo\" -> 0x1"},
     {{"audioMasterWantMidi", {}}},
     {"KROMA_TESTPLUGIN_NOMIDI", "1"}},
    {"sample rate, block size and activation",
     "open\nrate 48000\nblock 256\nresume\nsuspend\n",
     {},
     {{"plugin[1]: reset",
       {"plugin[1]: reset rate=44100 block=1024",  // effOpen
        "plugin[1]: reset rate=48000 block=1024", "plugin[1]: reset rate=48000 block=256",
        "plugin[1]: reset rate=48000 block=256"}},  // suspend
      {"plugin[1]: activate", {"plugin[1]: activate 1", "plugin[1]: activate 0"}}}},
    // The note-on that the plug-in echoes travels back as a host MIDI event; SysEx goes to the
    // host, not to the plug-in.
    {"MIDI events arrive with their offsets and SysEx goes back to the host",
     "open\nmidi 12 90 3C 64\nsysex 0 F0 3E 13 00 F7\nmidi 200 B0 07 40\nevents\n",
     {"host[1]   sysex offset=0 size=5 bytes=F0 3E 13 00 F7",
      "host[1]   midi offset=12 bytes=90 3C 64", "dispatch effProcessEvents 3 -> 1"},
     {{"plugin[1]: midi",
       {"plugin[1]: midi offset=12 bytes=90 3C 64 fromDevice=0",
        "plugin[1]: midi offset=200 bytes=B0 07 40 fromDevice=0"}},
      {"plugin[1]: sysex", {}}}},
    // Without a time record every value keeps its starting value; the MIDI request goes out on
    // every block.
    {"process calls with and without time information",
     "open\ntime off\nprocess replacing 64\n"
     "time tempo=130 ppq=8 bar=8 sig=3/4 playing=1 loop=1 cycle=0,16\nprocess replacing 64\n"
     "process accumulating 64\nprocess double 64\noffline on\nprocess double 64\n",
     {},
     {{" -> out0",
       {"process replacing 64 -> out0=0.25..0.25 out1=0.5..0.5",
        "process replacing 64 -> out0=0.25..0.25 out1=0.5..0.5",
        "process accumulating 64 -> out0=1.25..1.25 out1=1.5..1.5",
        "process double 64 -> out0=0.25..0.25 out1=0.5..0.5",
        "process double 64 -> out0=0.25..0.25 out1=0.5..0.5"}},
      {"plugin[1]: block ",
       {"block 64 tempo=0 pos=0 ppq=0 bar=0 sig=0/0 playing=0 loop=0 offline=0",
        "block 64 tempo=130 pos=64 ppq=8 bar=8 sig=3/4 playing=1 loop=1 offline=0", "offline=0",
        "offline=0", "offline=1"}},
      {"<- audioMasterWantMidi",
       std::vector<std::string>(5, "host[1] <- audioMasterWantMidi index=0")}}},
    // Texts are cut to the host's parameter text buffer; a text beyond the range is clamped.
    {"parameters reach the host only in the visible head",
     "open\nparam-set 0 0.25\nparam-get 0\nparam-set 2 1\nparam-get 2\nparam-info 1\n"
     "param-text 1 High\nparam-text 1 Loud\nparam-text 0 2.5\nparam-text 2 5\nparam-info 2\n",
     {"plugin[1]: param 0 = 0.25", "getParameter 0 -> 0.250000", "getParameter 2 -> 0.000000",
      "  text=\"Mode of\"\n", "effString2Parameter 1 \"High\" -> 1", "plugin[1]: param 1 = 2",
      "effString2Parameter 1 \"Loud\" -> 0", "plugin[1]: param 0 = 1",
      "effString2Parameter 2 \"5\" -> 0", "dispatch effGetParamName 2 -> 0\n  text=\"\""},
     {{"plugin[1]: param 2", {}}}},
    {"without presets the host sees one program without a name",
     "open\ninfo\nprogram-names\nprogram-name Verse\nprogram 0\n",
     {"numPrograms=1", "dispatch effSetProgramName \"Verse\" -> 0", "dispatch effGetProgram -> 0"},
     {{"effGetProgramNameIndexed",
       {"dispatch effGetProgramNameIndexed 0 -> 0", "dispatch effGetProgramNameIndexed 1 -> 0"}},
      {"  text=\"", std::vector<std::string>(3, "  text=\"\"")}}},
    // With state chunks the edits are not kept by switching programs away.
    {"programs are named, selected and listed",
     "open\nprogram-name Verse\nparam-set 0 0.75\nprogram 1\nparam-get 0\nprogram 0\n"
     "param-get 0\nprogram-names\n",
     {},
     {{"dispatch effGetProgram ", {"dispatch effGetProgram -> 1", "dispatch effGetProgram -> 0"}},
      {"getParameter 0", {"getParameter 0 -> 0.500000", "getParameter 0 -> 0.500000"}},
      {"effGetProgramNameIndexed",
       {"dispatch effGetProgramNameIndexed 0 -> 1", "dispatch effGetProgramNameIndexed 1 -> 1",
        "dispatch effGetProgramNameIndexed 2 -> 0"}},
      // The name of each program switched to, then the list.
      {"  text=",
       {"  text=\"Empty\"", "  text=\"Verse\"", "  text=\"Verse\"", "  text=\"Empty\"",
        "  text=\"\""}}},
     {"KROMA_TESTPLUGIN_PRESETS", "2"}},
    {"unknown and out-of-range opcodes give zero",
     "open\ndispatch 26 5\ndispatch 70\ndispatch -3\ndispatch 9\n",
     {"dispatch 26 -> 1", "dispatch 70 -> 0", "dispatch -3 -> 0", "dispatch 9 -> 0"}},
    {"instances from two threads are constructed one after the other",
     "instances 2\n",
     {"instance from thread 0 created", "instance from thread 1 created"},
     {{": construct ", {"construct begin", "construct end", "construct begin", "construct end"}}}},
    {"a constructor that throws gives the host no record",
     "open\n",
     {"VSTPluginMain gave no effect record", "could not be created"},
     {},
     {"KROMA_TESTPLUGIN_THROW", "1"},
     1},
};

class HostSession : public ::testing::Test {
 protected:
  HostRun run(const std::string& script, int exitCode = 0) {
    HostRun result = runHost(mDir.path(), script);
    EXPECT_EQ(result.exitCode, exitCode) << result.output;
    return result;
  }
  std::string file(const std::string& name) const { return mDir.file(name); }
  std::string bytesOf(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  kroma_test::TempDir mDir;
};

TEST_F(HostSession, EachScriptGetsItsAnswers) {
  for (const Session& session : kSessions) {
    SCOPED_TRACE(session.name);
    std::optional<kroma_test::ScopedEnv> env;
    if (session.env.first) env.emplace(session.env.first, session.env.second);
    const HostRun host = run(session.script, session.exitCode);
    for (const std::string& text : session.shown) EXPECT_TRUE(host.has(text)) << text;
    for (const Filtered& f : session.only) {
      std::vector<::testing::Matcher<std::string>> each;
      for (const std::string& text : f.lines) each.push_back(HasSubstr(text));
      EXPECT_THAT(host.lines(f.filter), ::testing::ElementsAreArray(each)) << f.filter;
    }
  }
}

// Marker, two visible and two hidden doubles behind the framework header. Without presets the
// bank chunk is the program chunk, with them it carries the presets; chunks cut short are
// refused, and a bank chunk without the header is read as the current preset's state.
TEST_F(HostSession, ChunksRoundTripAndBadOnesAreRefused) {
  const std::string program = file("program.chunk"), bank = file("bank.chunk");
  const std::string bare = file("headerless.chunk");
  for (const char* presets : {"0", "2"}) {
    SCOPED_TRACE(presets);
    const bool none = *presets == '0';
    kroma_test::ScopedEnv env("KROMA_TESTPLUGIN_PRESETS", presets);
    const HostRun host =
        run("open\nparam-set 0 0.75\nchunk-get program " + program + "\nchunk-get bank " + bank +
            "\nparam-set 0 0.1\nchunk-set bank " + bank +
            "\nparam-get 0\nparam-set 0 0.2\nchunk-set program " + program +
            "\nparam-get 0\nchunk-set program " + program + " 30\nchunk-set program " + program +
            " 6\nchunk-set bank " + program + " 43\n");
    EXPECT_TRUE(host.has("  chunk 44 bytes, head 74 66 66 70 00 00 01 00"));
    EXPECT_THAT(host.lines("dispatch effSetChunk bank"),
                ElementsAre(HasSubstr("-> 1"), HasSubstr("43 bytes -> 0")));
    EXPECT_THAT(host.lines("effSetChunk program"),
                ElementsAre("dispatch effSetChunk program 44 bytes -> 1",
                            HasSubstr("30 bytes -> 0"), HasSubstr("6 bytes -> 0")));
    EXPECT_THAT(host.lines("getParameter 0"),
                ElementsAre("getParameter 0 -> 0.750000", "getParameter 0 -> 0.750000"));
    EXPECT_EQ(bytesOf("program.chunk") == bytesOf("bank.chunk"), none);

    std::ofstream(bare, std::ios::binary) << bytesOf("program.chunk").substr(8);
    const HostRun again = run("open\nparam-set 0 0.1\nchunk-set bank " + bare +
                              "\nprogram 1\nparam-get 0\nprogram 0\nparam-get 0\n");
    EXPECT_TRUE(again.has("effSetChunk bank 36 bytes -> 1"));
    EXPECT_THAT(again.lines("getParameter 0"),
                ElementsAre(none ? "getParameter 0 -> 0.750000" : "getParameter 0 -> 0.500000",
                            "getParameter 0 -> 0.750000"));
  }
}

TEST_F(HostSession, CloseDeletesTheInstanceBeforeItAnswers) {
  const HostRun host = run("open\nclose\n");
  const size_t destroyed = host.output.find("plugin[1]: destroyed");
  ASSERT_NE(destroyed, std::string::npos);
  EXPECT_LT(destroyed, host.output.find("dispatch effClose -> closed"));
}

// host-calls counts what the instance asked of the host since the last look, by opcode, also the
// calls the host leaves unprinted, and tells those of the audio thread from the script's.
TEST_F(HostSession, HostCallsCountsTheCallsByOpcodeAndThread) {
  const HostRun host = runHostLive(
      mDir.path(), {"open", "host-calls", "host-calls", "rate 48000", "audio on 480", "pause 300",
                    "audio off", "process replacing 32", "host-calls", "open", "host-calls"});
  EXPECT_EQ(host.exitCode, 0) << host.output;
  const std::vector<std::string> calls = host.lines("  calls ");
  ASSERT_EQ(calls.size(), 8u) << host.output;
  EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 3),
              ElementsAre("  calls audioMasterGetProductString=1 other-threads=0",
                          "  calls audioMasterGetVendorVersion=1 other-threads=0", "  calls none"));
  int count = 0, otherThreads = 0;
  ASSERT_EQ(std::sscanf(calls[3].c_str(), "  calls audioMasterWantMidi=%d other-threads=%d", &count,
                        &otherThreads),
            2)
      << calls[3];
  EXPECT_GT(otherThreads, 0) << "the audio thread's blocks";
  EXPECT_EQ(count, otherThreads + 1) << "and the process step's";
  EXPECT_THAT(calls[4], HasSubstr("audioMasterGetTime="));  // each block asks for the time
  EXPECT_THAT(std::vector<std::string>(calls.begin() + 6, calls.end()),
              ElementsAre("  calls audioMasterGetProductString=1 other-threads=0",
                          "  calls audioMasterGetVendorVersion=1 other-threads=0"))
      << "a new instance starts its own count";
}

// Hosts that look for main reach the same entry, and nothing else is exported.
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
  // Not closed: unloading would take the MIDI libraries it pulled in along, and their start-up
  // allocations would show as leaks.
  void* module = dlopen(TEST_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  EXPECT_NE(dlsym(module, "VSTPluginMain"), nullptr);
  EXPECT_EQ(dlsym(module, "main"), dlsym(module, "VSTPluginMain"));
}

}  // namespace
