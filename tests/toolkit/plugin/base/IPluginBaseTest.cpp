#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "PluginTestDoubles.h"

namespace {

using plugin_test::TestPlugin;

TEST(PluginBase, ChannelIOStrings) {
  TestPlugin none(0, 4, nullptr);
  EXPECT_FALSE(none.LegalIO(-1, -1) || none.NInChannels() || none.NOutChannels());
  TestPlugin two(0, 4, "1-1 2-3");
  EXPECT_EQ(two.NChannelIO() * 100 + two.NInChannels() * 10 + two.NOutChannels(), 223);
  const std::pair<int, int> legal[] = {{1, -1}, {-1, 3}, {2, 3}}, illegal[] = {{1, 3}, {2, 2}};
  for (const auto& [in, out] : legal) EXPECT_TRUE(two.LegalIO(in, out)) << in << "-" << out;
  for (const auto& [in, out] : illegal) EXPECT_FALSE(two.LegalIO(in, out)) << in << "-" << out;
  TestPlugin odd(0, 4, "3-x 4");
  EXPECT_TRUE(odd.LegalIO(3, 0) && odd.LegalIO(4, 0)) << "a part that does not parse counts as 0";
  // A second initialisation replaces the channels instead of adding to them.
  odd.initialize(0, 4, "1-1", 0, "Effect", "Product", "Maker", 0, 0, 0, 0, true, true, true);
  EXPECT_EQ(odd.NInChannels() * 10 + odd.NChannelIO(), 11);
}

// Limited to stereo, only the first two inputs stay connected; fewer inputs stay as they are.
TEST(PluginBase, StereoLimitDisconnectsTheInputsPastTwo) {
  const struct {
    const char* io;
    const char* connected;  // per input after the limit
  } cases[] = {{"4-2", "CCdd"}, {"3-2", "CCd"}, {"2-2", "CC"}, {"1-1", "C"}};
  for (const auto& c : cases) {
    TestPlugin plug(0, 4, c.io);
    plug.SetInputChannelConnections(0, plug.NInChannels(), true);
    plug.LimitToStereoIO();
    std::string connected;
    for (int i = 0; i < plug.NInChannels(); ++i)
      connected += plug.IsInChannelConnected(i) ? 'C' : 'd';
    EXPECT_EQ(connected, c.connected) << c.io;
  }
}

// Block sizes from 0 to the largest are taken; any other is refused with a line naming both.
TEST(PluginBase, BlockSizesOutsideTheLimitAreRefusedWithALogLine) {
  const struct {
    int asked, kept;
    const char* log;
  } sizes[] = {{0, 0, ""},
               {65536, 65536, ""},
               {65537, 65536, "PLUG-IN: block size 65537 refused (largest 65536); keeping 65536\n"},
               {-1, 65536, "PLUG-IN: block size -1 refused (largest 65536); keeping 65536\n"},
               {512, 512, ""}};
  TestPlugin plug(0, 1, "2-2");
  for (const auto& s : sizes) {
    testing::internal::CaptureStderr();
    plug.SetBlockSize(s.asked);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), s.log) << s.asked;
    EXPECT_EQ(plug.GetBlockSize(), s.kept) << s.asked;
  }
}

// An editor attached shows every value, normalised; one attached after it replaces and frees it
// (the leak check sees one that is not).
TEST(PluginBase, AnAttachedEditorShowsEveryValueAndReplacesTheLast) {
  TestPlugin plug(0, 3, "2-2");
  for (int i = 0; i < 3; ++i) {
    plug.GetParam(i)->InitInt("p", 0, 0, 100);
    plug.GetParam(i)->Set(25.0 * (i + 1));
  }
  auto* first = new plugin_test::FakeGraphics();
  plug.AttachGraphics(first);
  ASSERT_EQ(first->mPushes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(first->mPushes[i].value, 0.25 * (i + 1)) << i;
    EXPECT_TRUE(first->mPushes[i].normalized) << i;
  }
  EXPECT_EQ(first->mPrepared, std::vector<size_t>{3})
      << "drawing is prepared once the values are in";
  plug.AttachGraphics(first);  // the same again: kept
  EXPECT_EQ(first->mPushes.size(), 6u);
  EXPECT_EQ(first->mPrepared, (std::vector<size_t>{3, 6}));
  auto* second = new plugin_test::FakeGraphics();
  plug.AttachGraphics(second);
  EXPECT_EQ(plug.GetGUI<plugin_test::FakeGraphics>(), second);
}

// A range of channels is cut to the channels there are, whatever its start and length.
TEST(PluginBase, ConnectionRangesAreCutToTheChannels) {
  const struct {
    int idx, n;
    const char* connected;
  } ranges[] = {{0, 4, "CCCC"},  {1, 2, "dCCd"}, {-1, 3, "CCdd"},          {2, 10, "ddCC"},
                {3, -5, "dddd"}, {4, 1, "dddd"}, {INT_MAX - 1, 5, "dddd"}, {-5, 2, "dddd"}};
  for (const auto& r : ranges) {
    TestPlugin plug(0, 1, "4-4");
    plug.SetInputChannelConnections(0, 4, false);
    plug.SetOutputChannelConnections(0, 4, false);
    plug.SetInputChannelConnections(r.idx, r.n, true);
    plug.SetOutputChannelConnections(r.idx, r.n, true);
    std::string in, out;
    for (int i = 0; i < 4; ++i) {
      in += plug.IsInChannelConnected(i) ? 'C' : 'd';
      out += plug.IsOutChannelConnected(i) ? 'C' : 'd';
    }
    EXPECT_EQ(in, r.connected) << r.idx << " " << r.n;
    EXPECT_EQ(out, r.connected) << r.idx << " " << r.n;
  }
}

TEST(PluginBase, CountsIdentityVersionsAndDefaults) {
  TestPlugin plug(3, 10, "2-2", 2);
  EXPECT_EQ(plug.NonAutomatedCount(), 7);
  plug.addNonAutomateParamCount(50);
  EXPECT_EQ(plug.NHostParams(), 0) << "never a negative host-visible count";
  EXPECT_EQ(std::string(plug.GetAPIString()) + plug.GetArchString(), "VST2x86");
  EXPECT_EQ(plug.GetEffectVersion(true), 10203);
  const std::pair<int, const char*> versions[] = {
      {0x00010203, "v1.2.3"}, {0x00010200, "v1.2"}, {0x00070000, "v7"}};
  char text[16];
  for (const auto& [version, shown] : versions) {
    GetVersionStr(version, text);
    EXPECT_STREQ(text, shown);
  }
  plug.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v0");
  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.mTempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
  char noteName[8] = "x";
  EXPECT_FALSE(plug.IPluginBase::MidiNoteName(60, noteName));
  EXPECT_STREQ(noteName, "");
}

// Each name keeps up to 127 characters; a missing one is empty.
TEST(PluginBase, NamesAreCutToTheirField) {
  for (size_t length : {0, 126, 127, 128, 300}) {
    const std::string effect(length, 'e'), product(length, 'p'), maker(length, 'm');
    HostlessPlugin plug(1, "2-2", 0, "", "", "", 0x10000, 1, 2, 0, true, true, true, kAPIVST2);
    plug.initialize(0, 1, "2-2", 0, effect.c_str(), product.c_str(), maker.c_str(), 0x10000, 1, 2,
                    0, true, true, true);
    const size_t kept = std::min<size_t>(length, 127);
    EXPECT_EQ(plug.GetEffectName(), effect.substr(0, kept)) << length;
    EXPECT_EQ(plug.GetProductName(), product.substr(0, kept)) << length;
    EXPECT_EQ(plug.GetMfrName(), maker.substr(0, kept)) << length;
  }
  HostlessPlugin unnamed(1, "2-2", 0, "", "", "", 0x10000, 1, 2, 0, true, true, true, kAPIVST2);
  unnamed.initialize(0, 1, "2-2", 0, nullptr, nullptr, nullptr, 0, 1, 2, 0, true, true, true);
  EXPECT_EQ(std::string(unnamed.GetEffectName()) + unnamed.GetProductName() + unnamed.GetMfrName(),
            "");
}

// Packed versions apart, as decimal and as text; the text leaves out trailing zero parts only.
TEST(PluginBase, VersionsApartAsDecimalAndAsText) {
  const struct {
    int packed, major, minor, third, decimal;
    const char* text;
  } versions[] = {
      {0x00010203, 1, 2, 3, 10203, "v1.2.3"},   {0x000A0B0C, 10, 11, 12, 101112, "v10.11.12"},
      {0x00FF0000, 255, 0, 0, 2550000, "v255"}, {0x00000005, 0, 0, 5, 5, "v0.0.5"},
      {0x00000100, 0, 1, 0, 100, "v0.1"},       {0x0102FF01, 258, 255, 1, 2605501, "v258.255.1"}};
  for (const auto& v : versions) {
    int major = -1, minor = -1, third = -1;
    GetVersionParts(v.packed, &major, &minor, &third);
    EXPECT_EQ(std::vector<int>({major, minor, third}),
              std::vector<int>({v.major, v.minor, v.third}))
        << v.text;
    EXPECT_EQ(GetDecimalVersion(v.packed), v.decimal) << v.text;
    char text[16];
    GetVersionStr(v.packed, text);
    EXPECT_STREQ(text, v.text);
  }
  GetVersionParts(0x00010203, nullptr, nullptr, nullptr);  // any part may be left out
}

// A plug-in that learns its host's identity only when first asked, as a host API does.
class LateHostPlugin : public TestPlugin {
 public:
  LateHostPlugin() : TestPlugin(0, 1) {}
  EHost GetHost() override {
    if (mHost == kHostUninit) {
      mHost = EHost(3);
      mHostVersion = 0x00030102;
    }
    return mHost;
  }
};

// Each way of asking for the host's version asks who the host is first.
TEST(PluginBase, HostVersionIsAskedOfAHostNotYetIdentified) {
  const struct {
    const char* query;
    std::string (*ask)(IPluginBase&);
    const char* answer;
  } queries[] = {
      {"text",
       [](IPluginBase& p) {
         char text[16];
         p.GetHostVersionStr(text);
         return std::string(text);
       },
       "v3.1.2"},
      {"decimal", [](IPluginBase& p) { return std::to_string(p.GetHostVersion(true)); }, "30102"},
      {"packed", [](IPluginBase& p) { return std::to_string(p.GetHostVersion(false)); }, "196866"},
  };
  for (const auto& q : queries) {
    LateHostPlugin plug;
    EXPECT_EQ(q.ask(plug), q.answer) << q.query;
  }
}

// Host-style buffers of n frames per channel.
template <class Sample>
struct Buffers {
  Buffers(int channels, int n, Sample first) : data(channels, std::vector<Sample>(n)) {
    for (int c = 0; c < channels; ++c)
      for (int s = 0; s < n; ++s) data[c][s] = first + (Sample)(c * 1000 + s);
    for (auto& channel : data) pointers.push_back(channel.data());
  }
  std::vector<std::vector<Sample>> data;
  std::vector<Sample*> pointers;
};

// Every channel connected but output 1, as a host does before it processes.
TestPlugin& connect(TestPlugin& plug, int blockSize) {
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, plug.NOutChannels(), true);
  plug.SetOutputChannelConnections(1, 1, false);
  plug.SetBlockSize(blockSize);
  return plug;
}

template <class Sample>
void process(TestPlugin& plug, Buffers<Sample>& in, Buffers<Sample>& out, int n) {
  plug.AttachInputBuffers(0, 2, in.pointers.data(), n);
  plug.AttachOutputBuffers(0, plug.NOutChannels(), out.pointers.data());
  plug.ProcessBuffers((Sample)0, n);
}

// Output 1 is disconnected, so the second host buffer goes to output 2, which has no input to
// copy and is zeroed; its scratch buffer grows with blocks longer than announced.
TEST(PluginBase, FramesCopyAndRespectConnections) {
  TestPlugin plug(0, 1, "2-3");
  connect(plug, 16);
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  for (int n : {16, 4096}) {
    Buffers<double> in(2, n, 1.0), out(2, n, -5.0);
    process(plug, in, out, n);
    EXPECT_EQ(out.data[0], in.data[0]) << n;
    EXPECT_EQ(out.data[1], std::vector<double>(n, 0.0)) << n;
    Buffers<float> fin(2, n, 1.0f), fout(2, n, -5.0f);
    process(plug, fin, fout, n);
    EXPECT_EQ(fout.data[0], fin.data[0]) << n;
    EXPECT_EQ(fout.data[1], std::vector<float>(n, 0.0f)) << n;
  }
  EXPECT_EQ(plug.GetBlockSize(), 16);

  // A block the host gave no outputs must not write the old ones.
  Buffers<double> in(2, 16, 1.0), out(2, 16, -5.0);
  process(plug, in, out, 16);
  const std::vector<std::vector<double>> lastBlock = out.data;
  std::vector<double*> noBuffer(3, nullptr);
  plug.AttachOutputBuffers(0, 3, static_cast<double**>(nullptr));
  plug.ProcessBuffers(0.0, 16);
  plug.AttachOutputBuffers(0, 3, noBuffer.data());
  plug.ProcessBuffers(0.0, 16);
  EXPECT_EQ(out.data, lastBlock);
}

// Reads every input as a processing plug-in does: no input may be missing, however it is wired.
class InputReader : public TestPlugin {
 public:
  InputReader() : TestPlugin(0, 1, "2-2") {}
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
    mRead.clear();
    for (int i = 0; i < NInChannels(); ++i)
      mRead.push_back(inputs[i] ? std::vector<double>(inputs[i], inputs[i] + nFrames)
                                : std::vector<double>());
    TestPlugin::ProcessDoubleReplacing(inputs, outputs, nFrames);
  }
  std::vector<std::vector<double>> mRead;
};

// An input without a host buffer, or disconnected, reads silence, also after its scratch buffer
// grew with a long block; a connected one reads the host's samples.
TEST(PluginBase, EveryInputReadsSamplesOrSilence) {
  const struct {
    bool secondConnected;
    bool floats;
    int n;
  } cases[] = {{true, false, 16},  {true, false, 4096},  {true, true, 16},   {true, true, 4096},
               {false, false, 16}, {false, false, 4096}, {false, true, 4096}};
  for (const auto& c : cases) {
    InputReader plug;
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetInputChannelConnections(1, 1, c.secondConnected);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(16);
    Buffers<double> in(1, c.n, 1.0), out(2, c.n, -5.0);
    Buffers<float> fin(1, c.n, 1.0f), fout(2, c.n, -5.0f);
    double* hostIn[] = {in.pointers[0], nullptr};
    float* hostFin[] = {fin.pointers[0], nullptr};
    if (c.floats) {
      plug.AttachInputBuffers(0, 2, hostFin, c.n);
      plug.AttachOutputBuffers(0, 2, fout.pointers.data());
      plug.ProcessBuffers(0.0f, c.n);
    } else {
      plug.AttachInputBuffers(0, 2, hostIn, c.n);
      plug.AttachOutputBuffers(0, 2, out.pointers.data());
      plug.ProcessBuffers(0.0, c.n);
    }
    const std::vector<std::vector<double>> expected = {in.data[0], std::vector<double>(c.n, 0.0)};
    EXPECT_EQ(plug.mRead, expected) << c.secondConnected << c.floats << c.n;
  }
}

// Disconnected between blocks, an input reads silence from then on, not the last block's samples.
TEST(PluginBase, AnInputDisconnectedBetweenBlocksReadsSilence) {
  for (bool floats : {false, true}) {
    InputReader plug;
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(8);
    Buffers<double> in(2, 8, 1.0), out(2, 8, -5.0);
    Buffers<float> fin(2, 8, 1.0f), fout(2, 8, -5.0f);
    const auto run = [&] {
      if (floats) {
        plug.AttachInputBuffers(0, 2, fin.pointers.data(), 8);
        plug.AttachOutputBuffers(0, 2, fout.pointers.data());
        plug.ProcessBuffers(0.0f, 8);
      } else {
        plug.AttachInputBuffers(0, 2, in.pointers.data(), 8);
        plug.AttachOutputBuffers(0, 2, out.pointers.data());
        plug.ProcessBuffers(0.0, 8);
      }
    };
    run();
    ASSERT_EQ(plug.mRead, in.data) << floats;
    plug.SetInputChannelConnections(1, 1, false);
    run();
    EXPECT_EQ(plug.mRead, (std::vector<std::vector<double>>{in.data[0], std::vector<double>(8)}))
        << floats;
  }
}

// Its processing doubles every input: a pass-through must not run it.
class Doubler : public TestPlugin {
 public:
  Doubler() : TestPlugin(0, 1, "2-2") {}
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = 2.0 * inputs[c][s];
  }
};

// What each way of running a block leaves in the host's outputs, which held -5 + c * 1000 + s.
TEST(PluginBase, EachWayOfRunningABlockFillsTheOutputs) {
  enum Way { kProcess, kAccumulate, kPassThrough };
  const struct {
    Way way;
    bool floats;
    double inFactor, outFactor;  // output = inFactor * input + outFactor * what it held
  } cases[] = {{kProcess, false, 2, 0},
               {kProcess, true, 2, 0},
               {kAccumulate, true, 2, 1},
               {kPassThrough, false, 1, 0},
               {kPassThrough, true, 1, 0}};
  const int n = 8;
  for (const auto& c : cases) {
    Doubler plug;
    connect(plug, n);
    plug.SetOutputChannelConnections(1, 1, true);
    Buffers<double> in(2, n, 1.0), out(2, n, -5.0);
    Buffers<float> fin(2, n, 1.0f), fout(2, n, -5.0f);
    if (c.floats) {
      plug.AttachInputBuffers(0, 2, fin.pointers.data(), n);
      plug.AttachOutputBuffers(0, 2, fout.pointers.data());
    } else {
      plug.AttachInputBuffers(0, 2, in.pointers.data(), n);
      plug.AttachOutputBuffers(0, 2, out.pointers.data());
    }
    if (c.way == kAccumulate)
      plug.ProcessBuffersAccumulating(0.0f, n);
    else if (c.way == kPassThrough && c.floats)
      plug.PassThroughBuffers(0.0f, n);
    else if (c.way == kPassThrough)
      plug.PassThroughBuffers(0.0, n);
    else if (c.floats)
      plug.ProcessBuffers(0.0f, n);
    else
      plug.ProcessBuffers(0.0, n);
    for (int ch = 0; ch < 2; ++ch)
      for (int s = 0; s < n; ++s) {
        const double expected = c.inFactor * in.data[ch][s] + c.outFactor * out.data[ch][s];
        if (c.floats)
          EXPECT_EQ(fout.data[ch][s], (float)expected) << c.way << " " << ch << " " << s;
        else
          EXPECT_EQ(out.data[ch][s], expected) << c.way << " " << ch << " " << s;
      }
  }
}

// Float inputs are read from the scratch buffers they were converted into: zeroing those silences
// the block.
TEST(PluginBase, ZeroedScratchBuffersSilenceConvertedInputs) {
  for (bool zeroed : {false, true}) {
    TestPlugin plug(0, 1, "2-2");
    connect(plug, 8);
    plug.SetOutputChannelConnections(1, 1, true);
    Buffers<float> in(2, 8, 1.0f), out(2, 8, -5.0f);
    plug.AttachInputBuffers(0, 2, in.pointers.data(), 8);
    plug.AttachOutputBuffers(0, 2, out.pointers.data());
    if (zeroed) plug.ZeroScratchBuffers();
    plug.ProcessBuffers(0.0f, 8);
    EXPECT_EQ(out.data,
              zeroed ? std::vector<std::vector<float>>(2, std::vector<float>(8)) : in.data)
        << zeroed;
  }
}

// Single samples pass as doubles do: each output its input, outputs without one zeroed, missing
// host buffers skipped.
TEST(PluginBase, SingleSamplesPassThrough) {
  TestPlugin plug(0, 1, "2-3");
  Buffers<float> in(2, 8, 1.0f), out(3, 8, -5.0f);
  plug.ProcessSingleReplacing(in.pointers.data(), out.pointers.data(), 8);
  EXPECT_EQ(out.data[0], in.data[0]);
  EXPECT_EQ(out.data[1], in.data[1]);
  EXPECT_EQ(out.data[2], std::vector<float>(8, 0.0f));
  Buffers<float> untouched(3, 8, -5.0f);
  std::vector<float*> partial = {nullptr, untouched.pointers[1], nullptr};
  plug.ProcessSingleReplacing(nullptr, partial.data(), 8);
  EXPECT_EQ(untouched.data[1], std::vector<float>(8, 0.0f)) << "no inputs: silence";
  EXPECT_EQ(untouched.data[0], Buffers<float>(3, 8, -5.0f).data[0]);
  Buffers<float> kept(3, 8, -5.0f);
  plug.ProcessSingleReplacing(in.pointers.data(), kept.pointers.data(), 0);
  plug.ProcessSingleReplacing(in.pointers.data(), kept.pointers.data(), -1);
  EXPECT_EQ(kept.data, Buffers<float>(3, 8, -5.0f).data) << "no frames, or fewer: nothing written";
}

TEST(PluginBase, SendMidiMsgsSendsAllAndReportsFailure) {
  TestPlugin plug(0, 1);
  plug.AttachGraphics(nullptr);
  plug.RedrawParamControls();  // no graphics: nothing to do
  TK_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  IMidiMsg* list = msgs.Resize(3);
  list[0] = IMidiMsg(0, 0x90, 1, 2);
  list[1] = IMidiMsg(0, 0x00, 0, 0);
  list[2] = IMidiMsg(0, 0xB0, 7, 1);
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  EXPECT_EQ(plug.mSent.size(), 3u) << "a failure does not stop the rest";
}
}  // namespace
