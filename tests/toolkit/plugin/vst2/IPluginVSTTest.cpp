#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/vst2/opcodes.h"
#include "tests/support/Iterations.h"
#include "tests/toolkit/plugin/base/ByteMutations.h"
#include "tests/toolkit/plugin/base/PluginTestDoubles.h"
#include "tests/toolkit/plugin/editor/EditorDoubles.h"
#include "toolkit/plugin/vst2/IPluginVST.h"

// The wrapper in-process, against a host callback that records every call.
namespace {

using ::testing::ElementsAre;

struct FakeHost {
  std::vector<std::pair<int32_t, float>> calls;  // opcode and option
  VstTimeInfo time{};
  std::vector<std::tuple<int32_t, int32_t, VstIntPtr>> asks;  // opcode, index and value
  bool hasTime = true;
  std::string product = "test host";
  VstIntPtr version = 10203;
  // Copies of the events handed over.
  std::vector<VstMidiSysexEvent> sysex;
  std::vector<VstMidiEvent> midi;
  VstIntPtr eventsAnswer = 1;
  VstIntPtr processLevel = 0;

  int count(int32_t opcode) const {
    return (int)std::count_if(calls.begin(), calls.end(),
                              [&](const auto& call) { return call.first == opcode; });
  }
};

FakeHost* sHost = nullptr;

VstIntPtr FakeCallback(AEffect*, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                       float opt) {
  sHost->calls.push_back({opcode, opt});
  sHost->asks.emplace_back(opcode, index, value);
  switch (opcode) {
    case audioMasterGetTime:
      return sHost->hasTime ? reinterpret_cast<VstIntPtr>(&sHost->time) : 0;
    case audioMasterGetProductString:
      std::strcpy(static_cast<char*>(ptr), sHost->product.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      return sHost->version;
    case audioMasterGetCurrentProcessLevel:
      return sHost->processLevel;
    case audioMasterProcessEvents: {
      const VstEvents* list = static_cast<const VstEvents*>(ptr);
      if (list->numEvents != 1) return 0;  // one at a time
      const VstEvent* event = list->events[0];
      if (event->type == kVstSysExType)
        sHost->sysex.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(event));
      else
        sHost->midi.push_back(*reinterpret_cast<const VstMidiEvent*>(event));
      return sHost->eventsAnswer;
    }
    default:
      return 0;
  }
}

// A plug-in with two visible and one hidden parameter; it can be made to throw from its handlers.
class Plug : public IPluginVST {
 public:
  explicit Plug(const char* channelIO = "2-2", int hostParams = 2, const char* name = "Plug",
                int presets = 0, bool midi = true)
      : IPluginVST(Info(), 3, channelIO, presets, name, name, name, 0x00010203, 1234, 5678, 64,
                   midi, true, false, 0) {
    initialize(Info(), hostParams, 3, channelIO, presets, name, name, name, 0x00010203, 1234, 5678,
               64, midi, true, false, 0);
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitInt("Steps", 2, 0, 10);
    GetParam(2)->InitInt("Hidden", 0, 0, 10);
  }
  void OnActivate(bool active) override {
    mayThrow();
    calls.push_back(active ? "on" : "off");
  }
  void ProcessDoubleReplacing(double** in, double** out, int n) override {
    mayThrow();
    IPluginBase::ProcessDoubleReplacing(in, out, n);
  }
  void OnParamChange(int idx) override {
    mayThrow();
    changes.push_back(idx);
  }
  void mayThrow() {
    if (throwing) throw std::runtime_error("handler");
  }
  bool MidiNoteName(int note, char* name) override {
    std::snprintf(name, kVstMaxNameLen, "Note %d", note);
    return note == 60;
  }
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override {
    received.push_back(*msg);
    fromDeviceSeen |= fromDevice;
  }
  void Reset() override {
    calls.push_back("reset");
    IPluginVST::Reset();
  }
  void OnGUIOpen() override { calls.push_back("gui open"); }
  void OnHostIdentified() override { calls.push_back("identified"); }
  void PresetsChangedByHost() override { calls.push_back("presets"); }
  void OnGUIClose() override { calls.push_back("gui close"); }
  void OnIdle() override { calls.push_back("idle"); }
  void OnWindowResize() override { calls.push_back("resize"); }

  VstIntPtr Call(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                 float opt = 0.f) {
    return GetAEffect()->dispatcher(GetAEffect(), opcode, index, value, ptr, opt);
  }
  std::vector<uint8_t> chunk(int kind) {
    void* data = nullptr;
    const VstIntPtr size = Call(effGetChunk, kind, 0, &data);
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  }

  bool throwing = false;
  std::vector<int> changes;
  std::vector<std::string> calls;
  std::vector<IMidiMsg> received;
  bool fromDeviceSeen = false;

 private:
  static IPluginInstanceInfo Info() {
    IPluginInstanceInfo info;
    info.mVSTHostCallback = FakeCallback;
    return info;
  }
};

// Records which of the two window forms the dispatcher chose.
class FormGraphics : public editor_test::TestGraphics {
 public:
  FormGraphics(IPluginBase* plug, std::vector<std::string>* calls)
      : TestGraphics(plug, 300, 200), mCalls(calls) {}
  void* OpenWindow(void* parent) override {
    mCalls->push_back("view");
    return IGraphicsMac::OpenWindow(parent);
  }
  void* OpenWindow(void* window, void* control, short x, short y) override {
    // Offsets would shift the editor inside the host's window.
    mCalls->push_back("window at " + std::to_string(x) + "," + std::to_string(y));
    return IGraphicsMac::OpenWindow(window, control, x, y);
  }

 private:
  std::vector<std::string>* mCalls;
};

class PluginVST : public ::testing::Test {
 protected:
  PluginVST() { sHost = &mHost; }
  ~PluginVST() override { sHost = nullptr; }
  FakeHost mHost;
};

TEST_F(PluginVST, RecordAndSpeakerArrangementsFollowTheChannels) {
  EXPECT_EQ(Plug("1-1 2-2").GetAEffect()->flags, 0x1038) << "replacing forms, chunks and mono";
  EXPECT_EQ(Plug("2-2").GetAEffect()->flags, 0x1030) << "no mono without a one-input layout";
  IPluginVST synth(IPluginInstanceInfo{}, 1, "0-2", 0, "S", "S", "S", 1, 1, 1, 0, true, true, true,
                   0);
  synth.initialize(IPluginInstanceInfo{}, 1, 1, "0-2", 0, "S", "S", "S", 1, 1, 1, 0, true, true,
                   true, 0);
  EXPECT_EQ(synth.GetAEffect()->flags, 0x1130) << "and an instrument without mono";
  Plug plug("4-4");
  EXPECT_EQ(plug.GetAEffect()->numParams * 100000 + plug.GetAEffect()->version, 210203);
  plug.SetLatency(32);
  EXPECT_EQ(plug.GetAEffect()->initialDelay, 32);

  const std::pair<const char*, int32_t> arrangements[] = {{"0-2", kSpeakerArrEmpty},
                                                          {"1-1", kSpeakerArrMono},
                                                          {"2-2", kSpeakerArrStereo},
                                                          {"3-3", kSpeakerArrUserDefined}};
  for (const auto& [io, type] : arrangements) {
    Plug each(io);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(each.Call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, type) << io;
    EXPECT_EQ(in->numChannels, io[0] - '0');
  }

  VstSpeakerArrangement in{}, out{};
  in.numChannels = 1;
  out.numChannels = 9;
  EXPECT_EQ(plug.Call(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  EXPECT_EQ(std::vector<bool>({plug.IsInChannelConnected(0), plug.IsInChannelConnected(1),
                               plug.IsOutChannelConnected(3)}),
            std::vector<bool>({true, false, true}));
  in.numChannels = -4;
  plug.Call(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), nullptr);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
}

// Each arrangement the host sets connects its first channels and only those, from any earlier
// one; a side it leaves out stays as it was.
TEST_F(PluginVST, SpeakerArrangementsConnectTheirFirstChannels) {
  const struct {
    int in, out;            // channel counts, or -100 for a side left out
    const char* connected;  // inputs, then outputs
  } steps[] = {{1, 2, "Cddd CCdd"},    {3, 4, "CCCd CCCC"},    {0, 1, "dddd Cddd"},
               {9, -100, "CCCC Cddd"}, {-100, 3, "CCCC CCCd"}, {-4, -1, "dddd dddd"},
               {2, 2, "CCdd CCdd"}};
  Plug plug("4-4");
  for (const auto& step : steps) {
    VstSpeakerArrangement in{}, out{};
    in.numChannels = step.in;
    out.numChannels = step.out;
    EXPECT_EQ(plug.Call(effSetSpeakerArrangement, 0,
                        step.in == -100 ? 0 : reinterpret_cast<VstIntPtr>(&in),
                        step.out == -100 ? nullptr : &out),
              1);
    std::string connected;
    for (int i = 0; i < 4; ++i) connected += plug.IsInChannelConnected(i) ? 'C' : 'd';
    connected += ' ';
    for (int i = 0; i < 4; ++i) connected += plug.IsOutChannelConnected(i) ? 'C' : 'd';
    EXPECT_EQ(connected, step.connected) << step.in << " " << step.out;
  }
}

// Every call to the host names its parameter, if any, as the index; the time queries ask for the
// fields they read (the position is always valid); nothing else has a value.
TEST_F(PluginVST, EachHostCallCarriesItsIndexAndValue) {
  Plug plug;
  int num = 0, den = 0;
  ITimeInfo info;
  IMidiMsg msg(0, 0x90, 60, 100);
  plug.GetSamplePos();
  plug.GetTempo();
  plug.GetTimeSig(&num, &den);
  plug.GetTime(&info);
  plug.BeginInformHostOfParamChange(1);
  plug.InformHostOfParamChange(1, 0.5);
  plug.EndInformHostOfParamChange(1);
  plug.InformHostOfProgramChange();
  plug.IsRenderingOffline();
  plug.SendMidiVST(&msg);
  const VstIntPtr all =
      kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  using Ask = std::tuple<int32_t, int32_t, VstIntPtr>;
  EXPECT_THAT(
      mHost.asks,
      ElementsAre(Ask(audioMasterGetTime, 0, 0), Ask(audioMasterGetTime, 0, kVstTempoValid),
                  Ask(audioMasterGetTime, 0, kVstTimeSigValid), Ask(audioMasterGetTime, 0, all),
                  Ask(audioMasterBeginEdit, 1, 0), Ask(audioMasterAutomate, 1, 0),
                  Ask(audioMasterEndEdit, 1, 0), Ask(audioMasterUpdateDisplay, 0, 0),
                  Ask(audioMasterGetCurrentProcessLevel, 0, 0),
                  Ask(audioMasterProcessEvents, 0, 0)));
}

TEST_F(PluginVST, TimeFieldsAreTakenOnlyWhenValid) {
  Plug plug;
  int num = 9, den = 9;
  mHost.hasTime = false;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(plug.GetTempo() + plug.GetSamplePos() + num + den, 0.0);
  mHost.hasTime = true;
  mHost.time.flags = kVstTempoValid | kVstTimeSigValid;
  mHost.time.tempo = -5.0;
  EXPECT_EQ(plug.GetTempo(), 0.0) << "a negative tempo is refused";
  mHost.time.tempo = 140.0;
  EXPECT_EQ(plug.GetTempo(), 140.0);
  const std::pair<double, int> positions[] = {{41.5, 42}, {-3.0, 0}, {1e12, INT_MAX}};
  for (const auto& [pos, expected] : positions) {
    mHost.time.samplePos = pos;
    EXPECT_EQ(plug.GetSamplePos(), expected) << pos;
  }
  mHost.time.timeSigNumerator = 6;
  mHost.time.timeSigDenominator = 8;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num * 10 + den, 68);
  mHost.time.timeSigNumerator = 1;
  mHost.time.timeSigDenominator = 1;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num * 10 + den, 11) << "one beat to the bar is a signature too";
  mHost.time.timeSigDenominator = 8;
  mHost.time.timeSigNumerator = -1;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num + den, 0) << "refused with its partner";
  mHost.time.flags = 0;
  EXPECT_EQ(plug.GetTempo(), 0.0);
}

TEST_F(PluginVST, HostValuesAreLimitedAndOnlyOfferedParametersReachTheHost) {
  Plug plug;
  auto* graphics = new plugin_test::FakeGraphics();
  plug.AttachGraphics(graphics);
  AEffect* effect = plug.GetAEffect();
  const std::pair<float, double> values[] = {{0.25f, 0.25}, {NAN, 0.0}, {-3.f, 0.0}, {7.f, 1.0}};
  for (const auto& [value, expected] : values) {
    effect->setParameter(effect, 0, value);
    EXPECT_EQ(graphics->mPushes.back().value + !graphics->mPushes.back().normalized, expected)
        << value;
    EXPECT_EQ(effect->getParameter(effect, 0), (float)expected) << value;
  }
  EXPECT_EQ(plug.changes, std::vector<int>(4, 0));
  EXPECT_EQ(effect->getParameter(effect, 1), 0.2f);
  EXPECT_EQ(effect->getParameter(effect, 2), 0.f) << "hidden";

  for (int idx : {1, 2, -1}) {
    plug.InformHostOfParamChange(idx, 0.5);
    plug.BeginInformHostOfParamChange(idx);
    plug.EndInformHostOfParamChange(idx);
  }
  EXPECT_EQ(mHost.count(audioMasterAutomate) + mHost.count(audioMasterBeginEdit) * 10 +
                mHost.count(audioMasterEndEdit) * 100,
            111);
  EXPECT_EQ(mHost.calls.front().second, 0.5f) << "the value reaches the host";
  plug.InformHostOfProgramChange();
  EXPECT_EQ(mHost.count(audioMasterUpdateDisplay), 1);
}

// Only the host's offline level counts as rendering offline; the host is asked each time.
TEST_F(PluginVST, RenderingOfflineIsTheHostsOfflineLevel) {
  Plug plug;
  const std::pair<VstIntPtr, bool> levels[] = {{0, false}, {1, false}, {2, false},
                                               {3, false}, {4, true},  {5, false}};
  for (const auto& [level, offline] : levels) {
    mHost.processLevel = level;
    EXPECT_EQ(plug.IsRenderingOffline(), offline) << level;
  }
  EXPECT_EQ(mHost.count(audioMasterGetCurrentProcessLevel), 6);
}

TEST_F(PluginVST, HostIdentityIsPacked) {
  mHost.product = "My Audition Suite";
  mHost.version = 30102;
  Plug plug("4-4");
  plug.Call(effOpen);
  EXPECT_EQ(plug.GetHostVersion(false), (3 << 16) | (1 << 8) | 2);
  EXPECT_FALSE(plug.IsInChannelConnected(2)) << "that host gets stereo inputs only";
  mHost.version = -5;
  Plug other;
  other.Call(effOpen);
  EXPECT_EQ(other.GetHostVersion(false), 0);
}

// Opening identifies the host once; hosts known to take two inputs at most get two, others all.
TEST_F(PluginVST, OpeningIdentifiesTheHostOnce) {
  const std::pair<const char*, const char*> hosts[] = {{"Forte", "CCdd"},  {"Audition", "CCdd"},
                                                       {"Orion", "CCdd"},  {"SAWStudio", "CCdd"},
                                                       {"Reaper", "CCCC"}, {"Other", "CCCC"}};
  for (const auto& [product, connected] : hosts) {
    mHost.product = product;
    Plug plug("4-4");
    plug.Call(effOpen);
    plug.Call(effOpen);
    EXPECT_EQ(std::count(plug.calls.begin(), plug.calls.end(), "identified"), 1) << product;
    EXPECT_EQ(plug.changes, (std::vector<int>{0, 1, 0, 1})) << "each open resets the values";
    std::string inputs;
    for (int i = 0; i < 4; ++i) inputs += plug.IsInChannelConnected(i) ? 'C' : 'd';
    EXPECT_EQ(inputs, connected) << product;
    EXPECT_EQ(plug.GetAEffect()->numInputs, 4) << product;
  }
}

// The host is asked once; its decimal version is packed, and only a product that names itself has
// one worth asking for.
TEST_F(PluginVST, HostIdentityIsAskedOnceAndPacked) {
  const struct {
    const char* product;
    VstIntPtr version;
    EHost host;
    int packed;
    int versionQueries;
  } hosts[] = {{"Reaper", 61205, kHostReaper, (6 << 16) | (12 << 8) | 5, 1},
               {"reaper", 99, kHostReaper, 99, 1},
               {"reaper", 1, kHostReaper, 1, 1},  // the smallest version there is
               // the largest major the packed form holds; beyond it (up to INT_MAX), none
               {"Some Host", 327679999, kHostUnknown, (0x7FFF << 16) | (99 << 8) | 99, 1},
               {"Some Host", 327680000, kHostUnknown, 0, 1},
               {"Some Host", INT_MAX, kHostUnknown, 0, 1},
               {"Some Host", (VstIntPtr{1} << 40) + 61205, kHostUnknown, 0, 1},
               {"Some Host", 0, kHostUnknown, 0, 1},
               {"", 61205, kHostUnknown, 0, 0}};
  for (const auto& h : hosts) {
    mHost.product = h.product;
    mHost.version = h.version;
    mHost.calls.clear();
    Plug plug;
    EXPECT_EQ(plug.GetHost(), h.host) << h.product;
    EXPECT_EQ(plug.GetHost(), h.host) << h.product;
    EXPECT_EQ(plug.GetHostVersion(false), h.packed) << h.product;
    EXPECT_EQ(mHost.count(audioMasterGetProductString), 1) << h.product;
    EXPECT_EQ(mHost.count(audioMasterGetVendorVersion), h.versionQueries) << h.product;
  }
}

TEST_F(PluginVST, OpcodeAnswers) {
  Plug plug("2-2", 2, std::string(100, 'n').c_str());
  MidiKeyName key{};
  key.thisKeyNumber = 60;
  EXPECT_EQ(plug.Call(effGetMidiKeyName, 0, 0, &key), 1);
  EXPECT_STREQ(key.keyName, "Note 60");
  key.thisKeyNumber = 61;
  EXPECT_EQ(plug.Call(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_EQ(plug.Call(effGetMidiKeyName), 0);

  char text[64] = {};
  EXPECT_EQ(plug.Call(effVendorSpecific, 7, 1, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "5");
  // Only parameters the host was offered are shown; others leave the text as it was.
  const std::pair<VstIntPtr, const char*> shown[] = {{0, "0.25"}, {2, "-"}, {-1, "-"}};
  for (const auto& [index, display] : shown) {
    char one[64] = "-";
    EXPECT_EQ(plug.Call(effVendorSpecific, 7, index, one, 0.25f), 0xBEEF) << index;
    EXPECT_STREQ(one, display) << index;
  }
  EXPECT_EQ(plug.Call(effVendorSpecific, 6, 1, text, 0.5f), 0);
  EXPECT_EQ(plug.Call(effVendorSpecific, 7, 2, nullptr, 0.5f), 0);

  const std::pair<const char*, VstIntPtr> canDos[] = {{"receiveVstTimeInfo", 1},
                                                      {"sendVstEvents", 1},
                                                      {"hasHostExtensions", 0xBEEF0000},
                                                      {"receiveVstTime", 0}};
  for (const auto& [what, answer] : canDos)
    EXPECT_EQ(plug.Call(effCanDo, 0, 0, const_cast<char*>(what)), answer) << what;
  EXPECT_EQ(plug.Call(effCanDo), 0);
  EXPECT_EQ(plug.Call(effProcessEvents), 0);
  EXPECT_EQ(plug.Call(effGetChunk), 0);
  EXPECT_EQ(plug.Call(effGetPlugCategory), kPlugCategEffect);

  const std::pair<int32_t, size_t> names[] = {
      {effGetEffectName, 31}, {effGetVendorString, 63}, {effGetProductString, 63}};
  for (const auto& [opcode, length] : names) {
    char name[128];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(plug.Call(opcode, 0, 0, name), 1) << opcode;
    EXPECT_EQ(std::strlen(name), length) << opcode;
    EXPECT_EQ(plug.Call(opcode), 0) << opcode;
  }

  // Switching the plug-in off resets its state.
  EXPECT_EQ(plug.Call(effMainsChanged, 0, 1), 0);
  EXPECT_EQ(plug.calls, std::vector<std::string>{"on"});
  EXPECT_EQ(plug.Call(effMainsChanged, 0, 0), 0);
  EXPECT_EQ(plug.calls, (std::vector<std::string>{"on", "off", "reset"}));
  plug.Call(effMainsChanged, 0, 2);
  EXPECT_EQ(plug.calls.back(), "on") << "any value but 0 switches it on";
}

// Every capability a host asks about, for a plug-in with MIDI and one without.
TEST_F(PluginVST, CapabilitiesFollowTheMidiSupport) {
  const struct {
    const char* what;
    VstIntPtr withMidi, without;
  } canDos[] = {{"receiveVstTimeInfo", 1, 1},
                {"sendVstEvents", 1, 0},
                {"sendVstMidiEvent", 1, 0},
                {"receiveVstEvents", 1, 0},
                {"receiveVstMidiEvent", 1, 0},
                {"hasHostExtensions", 0xBEEF0000, 0xBEEF0000},
                {"hasHostViewAsConfig", 0xBEEF0000, 0xBEEF0000},
                {"receiveVstMidiEvents", 0, 0},
                {"", 0, 0}};
  Plug midi, plain("2-2", 2, "Plug", 0, false);
  for (const auto& c : canDos) {
    EXPECT_EQ(midi.Call(effCanDo, 0, 0, const_cast<char*>(c.what)), c.withMidi) << c.what;
    EXPECT_EQ(plain.Call(effCanDo, 0, 0, const_cast<char*>(c.what)), c.without) << c.what;
  }
}

// Answers that need no more than the plug-in's identity, and programs chosen and named by index.
TEST_F(PluginVST, PlainAnswersAndPrograms) {
  Plug plug("2-2", 2, "Plug", 2);
  plug.MakeDefaultPreset("First", 1);
  plug.MakeDefaultPreset("Second", 1);
  const struct {
    int32_t opcode;
    VstIntPtr answer;
  } answers[] = {{effGetVendorVersion, 0x00010203},
                 {effGetVstVersion, kVstVersion},
                 {effIdentify, kVstIdentify},
                 {effCanBeAutomated, 1},
                 {effGetPlugCategory, kPlugCategEffect},
                 {effEditIdle, 0},
                 {effIdle, 0},
                 {9, 0},  // no opcode
                 {-1, 0},
                 {kVstLastDispatcherOpcode + 1, 0}};
  for (const auto& a : answers) EXPECT_EQ(plug.Call(a.opcode), a.answer) << a.opcode;
  // Closing frees the plug-in (the leak check sees one that stays).
  auto* closing = new Plug();
  EXPECT_EQ(closing->Call(effClose), 0);

  EXPECT_EQ(plug.Call(effOpen), 0);
  plug.calls.clear();
  EXPECT_EQ(plug.Call(effSetSampleRate, 0, 0, nullptr, 48000.f), 0);
  EXPECT_EQ(plug.GetSampleRate(), 48000.0);
  EXPECT_EQ(plug.calls, std::vector<std::string>{"reset"});

  EXPECT_EQ(plug.Call(effSetProgram, 0, 1), 0);
  EXPECT_EQ(plug.Call(effGetProgram), 1);
  char name[kVstMaxProgNameLen + 1] = {};
  plug.Call(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Second");
  plug.calls.clear();
  EXPECT_EQ(plug.Call(effSetProgramName), 0) << "no name";
  EXPECT_EQ(plug.Call(effSetProgramName, 0, 0, const_cast<char*>("Renamed")), 0);
  EXPECT_EQ(plug.calls, std::vector<std::string>{"presets"}) << "the renamed program is shown";
  const struct {
    int32_t index;
    VstIntPtr answer;
    const char* name;
  } indexed[] = {{0, 1, "First"}, {1, 1, "Renamed"}, {2, 0, ""}, {-1, 0, ""}};
  for (const auto& i : indexed) {
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(plug.Call(effGetProgramNameIndexed, i.index, 0, name), i.answer) << i.index;
    EXPECT_STREQ(name, i.name) << i.index;
  }
  EXPECT_EQ(plug.Call(effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST_F(PluginVST, EditorOpcodesFollowTheGraphics) {
  Plug plug;
  ERect* rect = nullptr;
  EXPECT_EQ(plug.Call(effEditGetRect, 0, 0, &rect), 0) << "no graphics";
  EXPECT_EQ(plug.Call(effEditOpen) + plug.Call(effEditClose), 0);
  EXPECT_EQ(plug.GetAEffect()->flags & effFlagsHasEditor, 0);
  plug.ResizeGraphics(300, 200);

  auto* graphics = new FormGraphics(&plug, &plug.calls);
  plug.AttachGraphics(graphics);
  EXPECT_NE(plug.GetAEffect()->flags & effFlagsHasEditor, 0);
  EXPECT_EQ(plug.Call(effEditGetRect), 0);  // no pointer
  ASSERT_EQ(plug.Call(effEditGetRect, 0, 0, &rect), 1);
  graphics->Resize(400, 250);
  // Whatever size a caller names, the rectangle stays that of the graphics.
  plug.ResizeGraphics(40, 30);
  EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
            std::vector<int>({0, 0, 250, 400}));

  // Hosts that ask for a view get one, the others a window; other extensions are no view.
  EXPECT_EQ(plug.Call(effCanDo, 0, 0, const_cast<char*>("hasHostExtensions")), 0xBEEF0000);
  EXPECT_EQ(plug.Call(effEditOpen), 1);
  EXPECT_EQ(graphics->GetWindow(), nullptr);
  EXPECT_STREQ(graphics->GetGUIAPI(), "Carbon Composited gui");
  EXPECT_EQ(plug.Call(effEditClose), 1);
  EXPECT_FALSE(graphics->WindowIsOpen());
  plug.Call(effCanDo, 0, 0, const_cast<char*>("hasHostViewAsConfig"));
  EXPECT_EQ(plug.Call(effEditOpen), 1);
  EXPECT_NE(graphics->GetWindow(), nullptr);
  EXPECT_STREQ(graphics->GetGUIAPI(), "Cocoa gui");
  EXPECT_THAT(plug.calls, ElementsAre("resize", "resize", "window at 0,0", "gui open", "gui close",
                                      "view", "gui open"));
}

// The plug-in's idle call comes once a tick of its open editor, in either window form, and from
// the host's idle calls only while no editor is open.
TEST_F(PluginVST, TheIdleCallComesFromTheEditorsTickOrWithoutOneFromTheHost) {
  Plug plug;
  plug.Call(effIdle);
  plug.Call(effEditIdle);
  EXPECT_THAT(plug.calls, ElementsAre("idle", "idle")) << "no graphics";
  auto* graphics = new editor_test::TestGraphics(&plug, 300, 200);
  plug.AttachGraphics(graphics);
  for (bool view : {false, true}) {
    SCOPED_TRACE(view);
    plug.calls.clear();
    plug.Call(effIdle);
    plug.Call(effEditIdle);
    VIEW_HeadlessView* open =
        view ? editor_test::OpenCocoaView(graphics) : editor_test::OpenCarbonView(graphics);
    ASSERT_NE(open, nullptr);
    plug.Call(effIdle);
    plug.Call(effEditIdle);
    open->tick();
    open->tick();
    graphics->CloseWindow();
    plug.Call(effEditIdle);
    EXPECT_THAT(plug.calls, ElementsAre("idle", "idle", "idle", "idle", "idle"));
  }
}

TEST_F(PluginVST, EventsToTheHostTravelOneAtATime) {
  Plug plug;
  const uint8_t dump[] = {0xF0, 0x3E, 0x13, 0x00, 0xF7};
  ISysEx sysex(17, dump, 5);
  EXPECT_TRUE(plug.SendSysEx(&sysex));
  IMidiMsg msg(3, 0xB1, 7, 100);
  EXPECT_TRUE(plug.SendMidiVST(&msg));
  ASSERT_EQ(mHost.sysex.size() + mHost.midi.size(), 2u);
  const VstMidiSysexEvent& s = mHost.sysex[0];
  EXPECT_EQ(std::vector<int>({s.deltaFrames, s.dumpBytes, s.byteSize}),
            std::vector<int>({17, 5, 48}));
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(s.sysexDump), dump);
  const VstMidiEvent& m = mHost.midi[0];
  EXPECT_EQ(std::vector<int>({m.deltaFrames, m.byteSize, m.midiData[0] & 0xFF, m.midiData[1],
                              m.midiData[2], m.midiData[3]}),
            std::vector<int>({3, 32, 0xB1, 7, 100, 0}));
  mHost.eventsAnswer = 0;
  EXPECT_FALSE(plug.SendMidiVST(&msg)) << "the host refused it";
  EXPECT_FALSE(plug.SendMidiVST(nullptr));
}

// An effect whose plug-in is gone (or none at all) answers nothing and touches nothing.
TEST_F(PluginVST, AnEffectWithoutItsPlugInAnswersNothing) {
  Plug plug;
  AEffect orphan = *plug.GetAEffect();
  orphan.object = nullptr;
  float left[4] = {1, 2, 3, 4}, right[4] = {5, 6, 7, 8};
  float* io[] = {left, right};
  double dLeft[4] = {1, 2, 3, 4}, dRight[4] = {5, 6, 7, 8};
  double* dio[] = {dLeft, dRight};
  for (AEffect* effect : {&orphan, static_cast<AEffect*>(nullptr)}) {
    EXPECT_EQ(orphan.dispatcher(effect, effGetVstVersion, 0, 0, nullptr, 0.f), 0);
    EXPECT_EQ(orphan.dispatcher(effect, effClose, 0, 0, nullptr, 0.f), 0);
    EXPECT_EQ(orphan.getParameter(effect, 0), 0.f);
    orphan.setParameter(effect, 0, 1.f);
    orphan.process(effect, io, io, 4);
    orphan.processReplacing(effect, io, io, 4);
    orphan.processDoubleReplacing(effect, dio, dio, 4);
  }
  EXPECT_EQ(std::vector<float>(left, left + 4), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(std::vector<double>(dRight, dRight + 4), (std::vector<double>{5, 6, 7, 8}));
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.5) << "the plug-in the record came from is untouched";
  EXPECT_TRUE(mHost.calls.empty());
}

TEST_F(PluginVST, NoExceptionLeavesTheHostEntries) {
  Plug plug;
  plug.throwing = true;
  EXPECT_EQ(plug.Call(effMainsChanged, 0, 1), 0);
  float left[8] = {}, right[8] = {};
  float* io[] = {left, right};
  plug.GetAEffect()->processReplacing(plug.GetAEffect(), io, io, 8);
  plug.GetAEffect()->setParameter(plug.GetAEffect(), 0, 0.3f);
  // The lock was released on the way out.
  bool free = false;
  std::thread([&] {
    free = plug.GetMutex().TryEnter();
    if (free) plug.GetMutex().Leave();
  }).join();
  EXPECT_TRUE(free);
}

// Each entry the host calls names itself in the log line of what it caught.
TEST_F(PluginVST, EachEntryLogsWhatItCaught) {
  Plug plug;
  plug.throwing = true;
  float left[8] = {}, right[8] = {};
  float* io[] = {left, right};
  testing::internal::CaptureStderr();
  plug.Call(effMainsChanged, 0, 1);
  plug.GetAEffect()->processReplacing(plug.GetAEffect(), io, io, 8);
  plug.GetAEffect()->setParameter(plug.GetAEffect(), 0, 0.3f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "VST2: exception caught in the dispatcher\n"
            "VST2: exception caught in the process call\n"
            "VST2: exception caught in setParameter\n");
}

// Host buffers of n frames per channel, frame s of channel c holding first + c * 0.5 + s.
template <class Sample>
struct HostBuffers {
  HostBuffers(int n, Sample first) : data(2, std::vector<Sample>(static_cast<size_t>(n))) {
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < n; ++s) data[c][s] = first + static_cast<Sample>(c * 0.5 + s);
    pointers = {data[0].data(), data[1].data()};
  }
  std::vector<std::vector<Sample>> data;
  std::vector<Sample*> pointers;
};

// Blocks longer than announced pass whole; one without inputs after one that had them hears
// silence, never the gone buffers.
template <class Sample>
void processBlocks(Plug& plug, void (*process)(AEffect*, Sample**, Sample**, int32_t)) {
  for (int n : {65, 65536 * 2 + 100}) {
    HostBuffers<Sample> out(n, 9);
    {
      HostBuffers<Sample> in(n, 1);
      process(plug.GetAEffect(), in.pointers.data(), out.pointers.data(), n);
      ASSERT_EQ(out.data, in.data) << n;
    }
    Sample* none[] = {nullptr, nullptr};
    process(plug.GetAEffect(), n > 100 ? none : nullptr, out.pointers.data(), n);
    EXPECT_EQ(out.data, std::vector<std::vector<Sample>>(2, std::vector<Sample>(n))) << n;
  }
}

TEST_F(PluginVST, BlockSizesAreLimitedAndLongBlocksStillProcess) {
  Plug plug;
  EXPECT_EQ(plug.GetBlockSize(), 1024) << "until the host names one";
  EXPECT_EQ(plug.Call(effSetBlockSize, 0, 512), 0);
  EXPECT_EQ(plug.GetBlockSize(), 512);
  const VstIntPtr absurd[] = {65537, -1, VstIntPtr{1} << 40, (VstIntPtr{1} << 32) + 64};
  testing::internal::CaptureStderr();
  for (VstIntPtr size : absurd) {
    plug.Call(effSetBlockSize, 0, size);
    EXPECT_EQ(plug.GetBlockSize(), 512) << size;
  }
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("65537"), std::string::npos) << log;
  plug.Call(effSetBlockSize, 0, 65536);
  EXPECT_EQ(plug.GetBlockSize(), 65536);
  plug.Call(effSetBlockSize, 0, 64);
  processBlocks<double>(plug, plug.GetAEffect()->processDoubleReplacing);
  processBlocks<float>(plug, plug.GetAEffect()->processReplacing);
  processBlocks<double>(plug, plug.GetAEffect()->processDoubleReplacing);
  EXPECT_EQ(plug.GetBlockSize(), 64);
}

// Each field comes from the host only when its flag says it is valid and its value makes sense;
// the rest keep what the caller had.
TEST_F(PluginVST, TimeInfoTakesTheValidFieldsOnly) {
  Plug plug;
  mHost.time = VstTimeInfo{};
  mHost.time.samplePos = 480.0;
  mHost.time.ppqPos = 2.5;
  mHost.time.tempo = 96.0;
  mHost.time.barStartPos = 2.0;
  mHost.time.cycleStartPos = 1.0;
  mHost.time.cycleEndPos = 5.0;
  mHost.time.timeSigNumerator = 7;
  mHost.time.timeSigDenominator = 8;
  const int all = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                  kVstTimeSigValid | kVstTransportPlaying | kVstTransportCycleActive;
  const auto fields = [](const ITimeInfo& t) {
    return std::vector<double>{t.mSamplePos,
                               t.mPPQPos,
                               t.mTempo,
                               t.mLastBar,
                               t.mCycleStart,
                               t.mCycleEnd,
                               (double)t.mNumerator,
                               (double)t.mDenominator,
                               (double)t.mTransportIsRunning,
                               (double)t.mTransportLoopEnabled};
  };
  const ITimeInfo kept{-1, -1, -1, -1, -1, -1, -1, -1, true, true};
  const struct {
    int flags;
    std::vector<double> got;  // sample, ppq, tempo, bar, cycle start, end, num, den, run, loop
  } cases[] = {
      {all, {480, 2.5, 96, 2, 1, 5, 7, 8, 1, 1}},
      {kVstPpqPosValid, {480, 2.5, -1, -1, -1, -1, -1, -1, 0, 0}},
      {kVstTempoValid | kVstTransportPlaying, {480, -1, 96, -1, -1, -1, -1, -1, 1, 0}},
      {kVstBarsValid | kVstTransportCycleActive, {480, -1, -1, 2, -1, -1, -1, -1, 0, 1}},
      {kVstCyclePosValid, {480, -1, -1, -1, 1, 5, -1, -1, 0, 0}},
      {kVstTimeSigValid, {480, -1, -1, -1, -1, -1, 7, 8, 0, 0}},
      {kVstTransportPlaying, fields(kept)},  // no field valid: nothing taken
  };
  for (const auto& c : cases) {
    mHost.time.flags = c.flags;
    ITimeInfo info = kept;
    plug.GetTime(&info);
    EXPECT_EQ(fields(info), c.got) << c.flags;
  }
  // Values out of sense are refused one by one.
  mHost.time.flags = all;
  mHost.time.ppqPos = -1.0;
  mHost.time.tempo = 0.0;
  mHost.time.barStartPos = -0.5;
  mHost.time.cycleEndPos = -2.0;
  mHost.time.timeSigDenominator = 0;
  ITimeInfo info = kept;
  plug.GetTime(&info);
  EXPECT_EQ(fields(info), (std::vector<double>{480, -1, -1, -1, -1, -1, -1, -1, 1, 1}));
  // Zero is a position like any other: the song's start.
  mHost.time.ppqPos = mHost.time.barStartPos = mHost.time.cycleStartPos = 0.0;
  mHost.time.cycleEndPos = 0.0;
  mHost.time.timeSigNumerator = mHost.time.timeSigDenominator = 1;
  info = kept;
  plug.GetTime(&info);
  EXPECT_EQ(fields(info), (std::vector<double>{480, 0, -1, 0, 0, 0, 1, 1, 1, 1}));
  // A signature needs both parts.
  for (const auto& [numerator, denominator] : {std::pair{0, 4}, {4, 0}, {-3, 4}}) {
    mHost.time.timeSigNumerator = numerator;
    mHost.time.timeSigDenominator = denominator;
    info = kept;
    plug.GetTime(&info);
    EXPECT_EQ(std::pair(info.mNumerator, info.mDenominator), std::pair(-1, -1)) << numerator;
  }
  mHost.hasTime = false;
  info = kept;
  plug.GetTime(&info);
  EXPECT_EQ(fields(info), fields(kept));
}

// The texts the host reads of the parameters it was offered, and values it sets as text; a hidden
// parameter is left alone.
TEST_F(PluginVST, ParameterTextsBothWays) {
  Plug plug;
  plug.GetParam(1)->SetDisplayText(3, "three");
  const struct {
    int32_t opcode, index;
    const char* text;
  } reads[] = {{effGetParamName, 0, "Level"}, {effGetParamName, 1, "Steps"},
               {effGetParamName, 2, "-"},     {effGetParamDisplay, 0, "0.50"},
               {effGetParamDisplay, 1, "2"},  {effGetParamDisplay, 2, "-"},
               {effGetParamLabel, 2, "-"}};
  for (const auto& r : reads) {
    char text[64] = "-";
    EXPECT_EQ(plug.Call(r.opcode, r.index, 0, text), 0);
    EXPECT_STREQ(text, r.text) << r.opcode << " " << r.index;
  }
  const struct {
    int32_t index;
    const char* text;
    VstIntPtr answer;
    double value;  // of the parameter afterwards
  } writes[] = {{0, "0.25", 1, 0.25}, {0, "7", 1, 1.0}, {1, "three", 1, 3.0},
                {1, "four", 0, 3.0},  {2, "5", 0, 0.0}, {-1, "5", 0, 0.0}};
  for (const auto& w : writes) {
    plug.changes.clear();
    EXPECT_EQ(plug.Call(effString2Parameter, w.index, 0, const_cast<char*>(w.text)), w.answer)
        << w.text;
    if (w.index >= 0) {
      EXPECT_EQ(plug.GetParam(w.index)->Value(), w.value) << w.text;
    }
    EXPECT_EQ(plug.changes, w.answer ? std::vector<int>{w.index} : std::vector<int>{}) << w.text;
  }
  char display[64] = {};
  plug.Call(effGetParamDisplay, 1, 0, display);
  EXPECT_STREQ(display, "three");
  // With an editor, an accepted text reaches it as a plain value; a refused one does not.
  auto* graphics = new plugin_test::FakeGraphics();
  plug.AttachGraphics(graphics);
  graphics->mPushes.clear();
  for (const auto& w : writes)
    plug.Call(effString2Parameter, w.index, 0, const_cast<char*>(w.text));
  std::vector<double> pushed;
  for (const auto& push : graphics->mPushes) {
    EXPECT_FALSE(push.normalized);
    pushed.push_back(push.value);
  }
  EXPECT_EQ(pushed, (std::vector<double>{0.25, 7.0, 3.0}));
  EXPECT_EQ(plug.Call(effString2Parameter, 1, 0, nullptr), 1) << "asks whether it could";
}

// Each pin is active; an even one with a partner after it starts a stereo pair.
TEST_F(PluginVST, PinsAreLabelledAndPairedFromTheFirst) {
  Plug plug("4-3");
  const struct {
    int32_t opcode, index;
    VstIntPtr answer;
    int32_t flags;  // 1 active, 2 stereo
    const char* label;
  } pins[] = {
      {effGetInputProperties, 0, 1, 3, "Input 1"},   {effGetInputProperties, 1, 1, 1, "Input 2"},
      {effGetInputProperties, 2, 1, 3, "Input 3"},   {effGetInputProperties, 3, 1, 1, "Input 4"},
      {effGetInputProperties, 4, 0, 0, ""},          {effGetInputProperties, -1, 0, 0, ""},
      {effGetOutputProperties, 0, 1, 3, "Output 1"}, {effGetOutputProperties, 2, 1, 1, "Output 3"},
      {effGetOutputProperties, 3, 0, 0, ""}};
  for (const auto& pin : pins) {
    VstPinProperties got{};
    EXPECT_EQ(plug.Call(pin.opcode, pin.index, 0, &got), pin.answer) << pin.label << pin.index;
    EXPECT_EQ(got.flags, pin.flags) << pin.label << pin.index;
    EXPECT_STREQ(got.label, pin.label) << pin.index;
  }
  EXPECT_EQ(plug.Call(effGetInputProperties, 0, 0, nullptr), 0);
}

// The accumulating entry adds to what the host's outputs hold, slice by slice for long blocks;
// every block asks a plug-in that does MIDI for the host's events once.
TEST_F(PluginVST, TheAccumulatingEntryAddsToTheOutputs) {
  Plug plug;
  plug.Call(effSetBlockSize, 0, 64);
  for (int n : {65, 65536 * 2 + 100}) {
    HostBuffers<float> in(n, 1), out(n, 9);
    std::vector<std::vector<float>> expected = out.data;
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < n; ++s) expected[c][s] += in.data[c][s];
    mHost.calls.clear();
    plug.GetAEffect()->process(plug.GetAEffect(), in.pointers.data(), out.pointers.data(), n);
    EXPECT_EQ(out.data, expected) << n;
    EXPECT_EQ(mHost.count(audioMasterWantMidi), 1) << n;
  }
}

// A block of no frames comes back at once with the outputs as they were; a negative one is not a
// block at all, so the host is not even asked for events.
TEST_F(PluginVST, EmptyAndNegativeBlocksLeaveTheOutputs) {
  Plug plug;
  HostBuffers<float> in(8, 1), out(8, 9);
  HostBuffers<double> inD(8, 1), outD(8, 9);
  const auto untouched = out.data;
  const auto untouchedD = outD.data;
  AEffect* effect = plug.GetAEffect();
  for (const auto& [frames, asks] : {std::pair{0, 1}, {-1, 0}, {INT32_MIN, 0}}) {
    mHost.calls.clear();
    effect->process(effect, in.pointers.data(), out.pointers.data(), frames);
    effect->processReplacing(effect, in.pointers.data(), out.pointers.data(), frames);
    effect->processDoubleReplacing(effect, inD.pointers.data(), outD.pointers.data(), frames);
    EXPECT_EQ(out.data, untouched) << frames;
    EXPECT_EQ(outD.data, untouchedD) << frames;
    EXPECT_EQ(mHost.count(audioMasterWantMidi), 3 * asks) << frames;
  }
}

// A size beyond int is refused as the nearest int, never wrapped into range; each is one line.
TEST_F(PluginVST, BlockSizesBeyondIntAreNamedAsTheNearestInt) {
  const std::pair<VstIntPtr, const char*> sizes[] = {{-1, "-1"},
                                                     {(VstIntPtr{1} << 32) + 64, "2147483647"},
                                                     {-(VstIntPtr{1} << 32) + 64, "-2147483648"},
                                                     {VstIntPtr{1} << 40, "2147483647"}};
  Plug plug;
  plug.Call(effSetBlockSize, 0, 512);
  for (const auto& [size, named] : sizes) {
    testing::internal::CaptureStderr();
    plug.Call(effSetBlockSize, 0, size);
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(),
        "PLUG-IN: block size " + std::string(named) + " refused (largest 65536); keeping 512\n");
    EXPECT_EQ(plug.GetBlockSize(), 512);
  }
}

// A random event list: any count (hosts send far more than the two entries the record declares),
// null entries, SysEx events without dump or with a negative size, events of unknown types. MIDI
// events must reach the plug-in in order, as coming from the host; every other event goes back to
// the host untouched, one at a time.
void sendRandomEvents(Plug& plug, FakeHost& host, std::mt19937& rng) {
  static char dump[16] = {};
  host.sysex.clear();
  host.midi.clear();
  plug.received.clear();
  const int32_t counts[] = {0, -1, INT32_MIN, 1, 3, 64, static_cast<int32_t>(rng() % 1000)};
  const int32_t count = counts[rng() % 7];
  std::vector<VstMidiEvent> midi(static_cast<size_t>(std::max(count, 0)));
  std::vector<VstMidiSysexEvent> sysex(midi.size());
  VstEventList list(count);
  std::vector<std::vector<int>> expected, got;
  std::vector<int32_t> forwardedSizes, sizes;
  size_t others = 0;
  for (size_t i = 0; i < midi.size(); ++i) {
    const unsigned kind = rng() % 4;  // 0: a null entry
    if (kind == 1) {
      VstMidiEvent& e = midi[i];
      e.type = kVstMidiType;
      e.deltaFrames = static_cast<int32_t>(rng());
      for (char& b : e.midiData) b = static_cast<char>(rng());
      list.Set((int)i, reinterpret_cast<VstEvent*>(&e));
      expected.push_back(
          {e.deltaFrames, (uint8_t)e.midiData[0], (uint8_t)e.midiData[1], (uint8_t)e.midiData[2]});
    } else if (kind > 1) {
      VstMidiSysexEvent& e = sysex[i];
      e.type = rng() % 3 ? kVstSysExType : static_cast<int32_t>(rng() | 0x100);
      e.dumpBytes = rng() % 2 ? -static_cast<int32_t>(rng() % 1000) : static_cast<int32_t>(rng());
      e.sysexDump = rng() % 2 ? nullptr : dump;
      list.Set((int)i, reinterpret_cast<VstEvent*>(&e));
      if (e.type == kVstSysExType)
        forwardedSizes.push_back(e.dumpBytes);
      else
        ++others;
    }
  }
  ASSERT_EQ(plug.Call(effProcessEvents, 0, 0, list.Get()), 1);
  for (const IMidiMsg& m : plug.received) got.push_back({m.mOffset, m.mStatus, m.mData1, m.mData2});
  ASSERT_EQ(got, expected);
  ASSERT_FALSE(plug.fromDeviceSeen);
  ASSERT_EQ(host.midi.size(), others);
  for (const auto& e : host.sysex) sizes.push_back(e.dumpBytes);
  ASSERT_EQ(sizes, forwardedSizes);
}

// A chunk as stored: header, (for a bank the presets, none here,) then the offered values; read
// back by another instance, also without the header or with an older one.
TEST_F(PluginVST, ChunksCarryTheOfferedValuesBehindTheirHeader) {
  Plug plug;
  plug.GetParam(0)->Set(0.25);
  plug.GetParam(1)->Set(7.0);
  plug.GetParam(2)->Set(9.0);  // not offered: not stored
  const auto image = [](std::vector<int32_t> header, std::vector<double> values) {
    std::vector<uint8_t> bytes(header.size() * 4 + values.size() * 8);
    if (!header.empty()) std::memcpy(bytes.data(), header.data(), header.size() * 4);
    std::memcpy(bytes.data() + header.size() * 4, values.data(), values.size() * 8);
    return bytes;
  };
  const std::vector<uint8_t> stored = image({0x70666674, 0x00010000}, {0.25, 7.0});
  EXPECT_EQ(plug.chunk(0), stored);
  EXPECT_EQ(plug.chunk(1), stored);
  const struct {
    int kind;
    std::vector<uint8_t> bytes;
  } loads[] = {{0, stored},
               {1, stored},
               {1, image({}, {0.25, 7.0})},
               {0, image({0x70666674, 0x0000FFFF}, {0.25, 7.0})}};
  for (const auto& load : loads) {
    Plug other;
    auto* graphics = new plugin_test::FakeGraphics();
    other.AttachGraphics(graphics);
    graphics->mPushes.clear();
    std::vector<uint8_t> bytes = load.bytes;
    EXPECT_EQ(other.Call(effSetChunk, load.kind, (VstIntPtr)bytes.size(), bytes.data()), 1);
    EXPECT_EQ(other.GetParam(0)->Value(), 0.25) << load.kind << " " << bytes.size();
    EXPECT_EQ(other.GetParam(1)->Value(), 7.0) << load.kind << " " << bytes.size();
    EXPECT_EQ(other.GetParam(2)->Value(), 0.0) << load.kind << " " << bytes.size();
    EXPECT_FALSE(graphics->mPushes.empty()) << "the controls show what was read";
  }
}

// A bank chunk carries the presets before the state; one of an older framework holds the state
// alone and leaves the presets as they were.
TEST_F(PluginVST, BankChunksCarryThePresetsFromTheirVersionOn) {
  Plug plug("2-2", 2, "Plug", 2);
  plug.GetParam(1)->Set(3.0);
  plug.MakeDefaultPreset("Three", 1);
  plug.GetParam(1)->Set(4.0);
  plug.MakeDefaultPreset("Four", 1);
  plug.GetParam(1)->Set(5.0);
  std::vector<uint8_t> bank = plug.chunk(0);
  EXPECT_GT(bank.size(), plug.chunk(1).size());

  Plug other("2-2", 2, "Plug", 2);
  ASSERT_EQ(other.Call(effSetChunk, 0, (VstIntPtr)bank.size(), bank.data()), 1);
  EXPECT_EQ(std::string(other.GetPresetName(0)) + "," + other.GetPresetName(1), "Three,Four");
  EXPECT_EQ(other.GetParam(1)->Value(), 5.0);
  ASSERT_TRUE(other.RestorePreset(1));
  EXPECT_EQ(other.GetParam(1)->Value(), 4.0);
  ASSERT_TRUE(other.RestorePreset(0));
  EXPECT_EQ(other.GetParam(1)->Value(), 5.0) << "the current preset as it stood";

  Plug older("2-2", 2, "Plug", 2);
  std::vector<uint8_t> state = plug.chunk(1);
  const int32_t olderVersion = 0x0000FFFF;
  std::memcpy(state.data() + 4, &olderVersion, 4);
  ASSERT_EQ(older.Call(effSetChunk, 0, (VstIntPtr)state.size(), state.data()), 1);
  EXPECT_EQ(older.GetParam(1)->Value(), 5.0);
  EXPECT_STREQ(older.GetPresetName(1), "empty") << "no preset was read";
}

// Asked again, the host gets the same chunk, never the last one with the new one behind it.
TEST_F(PluginVST, AskingTwiceGivesTheSameChunk) {
  Plug plug("2-2", 2, "Plug", 2);
  plug.MakeDefaultPreset("One", 2);
  for (int kind : {0, 1}) {
    const std::vector<uint8_t> first = plug.chunk(kind);
    ASSERT_FALSE(first.empty()) << kind;
    EXPECT_EQ(plug.chunk(kind), first) << kind;
  }
}

// A state that cannot be written gives the host no chunk, of either kind.
class UnsavablePlug : public Plug {
 public:
  bool SerializeState(ByteChunk*) override { return false; }
};

TEST_F(PluginVST, AStateThatCannotBeWrittenGivesNoChunk) {
  UnsavablePlug plug;
  for (int kind : {0, 1}) {
    void* data = nullptr;
    EXPECT_EQ(plug.Call(effGetChunk, kind, 0, &data), 0) << kind;
    EXPECT_EQ(data, nullptr) << kind;
  }
}

// The chunk's size decides first: a negative or oversized one is refused unread; an empty one is
// read as any other, and holds the whole state of a plug-in without host parameters.
TEST_F(PluginVST, ChunkSizesTheHostHandsIn) {
  const struct {
    int hostParams, kind;
    VstIntPtr size;
    VstIntPtr result;
  } cases[] = {
      {0, 1, 0, 1}, {0, 0, 0, 1}, {2, 1, 0, 0}, {0, 1, -1, 0}, {0, 1, (VstIntPtr)INT_MAX + 1, 0}};
  for (const auto& c : cases) {
    Plug plug("2-2", c.hostParams);
    uint8_t byte = 0;
    EXPECT_EQ(plug.Call(effSetChunk, c.kind, c.size, &byte), c.result)
        << c.hostParams << " " << c.kind << " " << c.size;
    EXPECT_EQ(plug.Call(effSetChunk, c.kind, 0, nullptr), 0) << "no data";
  }
}

// Whatever the host hands in (events, texts, indexes, values, damaged chunks the plug-in handed
// out), every value stays in range and every text the plug-in writes stays inside its limit.
TEST_F(PluginVST, HostInputOfAnyKind) {
  std::mt19937 rng(20261206);
  Plug plug;
  AEffect* effect = plug.GetAEffect();
  const std::vector<uint8_t> valid[2] = {plug.chunk(0), plug.chunk(1)};
  // Hosts may hand back the very buffer the plug-in gave them.
  for (int kind : {0, 1}) {
    void* data = nullptr;
    const VstIntPtr size = plug.Call(effGetChunk, kind, 0, &data);
    EXPECT_EQ(plug.Call(effSetChunk, kind, size, data), 1) << kind;
  }
  const char* const texts[] = {"0.5", "nan", "-inf", "1e400", "", "Level", "\xFF\xFE", "3 dB"};
  const float floats[] = {0.5f, -1.f, 2.f, std::nanf(""), INFINITY, -INFINITY, 1e-40f};
  const int32_t opcodes[] = {effGetParamDisplay, effGetParamName, effGetParamLabel,
                             effGetProgramNameIndexed, effGetProgramName};
  int chunks = 0, accepted = 0;
  for (int round = 0, rounds = kroma_test::fuzzIterations(3000); round < rounds; ++round) {
    std::string text = texts[rng() % 8];
    if (rng() % 3 == 0) {
      text.resize(rng() % 300);
      for (char& c : text) c = static_cast<char>(1 + rng() % 255);
    }
    const int32_t indexes[] = {0, 1, 2, 3, -1, INT32_MIN, INT32_MAX, static_cast<int32_t>(rng())};
    const int32_t index = indexes[rng() % 8];
    const int32_t opcode = opcodes[rng() % 5];
    char out[300];
    std::memset(out, 0x5A, sizeof out);
    switch (rng() % 8) {
      case 0:
        sendRandomEvents(plug, mHost, rng);
        break;
      case 1:
      case 2:
        plug.Call(effString2Parameter, index, 0, &text[0]);
        plug.Call(effSetProgramName, 0, 0, &text[0]);
        plug.Call(effSetProgram, 0, (VstIntPtr)(static_cast<int64_t>(rng()) << (rng() % 33)));
        break;
      case 3:
        effect->setParameter(effect, index, floats[rng() % 7]);
        ASSERT_TRUE(std::isfinite(effect->getParameter(effect, index)));
        break;
      case 4: {
        const int kind = static_cast<int>(rng() % 2);
        std::vector<uint8_t> chunk = plugin_test::mutate(valid[kind], rng);
        chunk.resize(std::max<size_t>(chunk.size(), 1));
        const VstIntPtr sizes[] = {static_cast<VstIntPtr>(chunk.size()), -1, 0};
        const VstIntPtr result =
            plug.Call(effSetChunk, kind, sizes[rng() % 8 == 0 ? 1 + rng() % 2 : 0], chunk.data());
        ASSERT_TRUE(result == 0 || result == 1);
        accepted += result == 1;
        ++chunks;
        break;
      }
      default: {
        plug.Call(opcode, index, 0, out);
        const size_t limit = opcode == effGetProgramNameIndexed || opcode == effGetProgramName
                                 ? kVstMaxProgNameLen
                                 : kVstMaxParamStrLen;
        ASSERT_TRUE(std::memchr(out, '\0', limit) || out[0] == 0x5A) << opcode;
        for (size_t i = limit; i < sizeof out; ++i) ASSERT_EQ(out[i], 0x5A) << opcode;
      }
    }
    ASSERT_TRUE(plugin_test::valuesInRange(plug)) << round;
  }
  // Most damage that leaves the framing intact still reads; what is left is handed out and taken
  // back whole.
  EXPECT_GT(accepted, chunks / 20);
  std::vector<uint8_t> left = plug.chunk(1);
  EXPECT_EQ(plug.Call(effSetChunk, 1, (VstIntPtr)left.size(), left.data()), 1);
}
}  // namespace
