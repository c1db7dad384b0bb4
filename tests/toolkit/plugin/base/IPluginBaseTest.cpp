#include <gtest/gtest.h>

#include <vector>

#include "PluginTestDoubles.h"

namespace {

using plugin_test::FakeGraphics;
using plugin_test::TestPlugin;

TEST(PluginBase, ChannelIOStrings) {
  TestPlugin stereo(0, 4, "2-2");
  EXPECT_TRUE(stereo.LegalIO(2, 2));
  EXPECT_FALSE(stereo.LegalIO(1, -1));
  EXPECT_TRUE(stereo.LegalIO(-1, -1));
  EXPECT_TRUE(stereo.LegalIO(-1, 2));
  EXPECT_EQ(stereo.NInChannels(), 2);
  EXPECT_EQ(stereo.NOutChannels(), 2);

  TestPlugin none(0, 4, nullptr);
  EXPECT_FALSE(none.LegalIO(-1, -1));
  EXPECT_EQ(none.NInChannels(), 0);
  EXPECT_EQ(none.NOutChannels(), 0);

  TestPlugin two(0, 4, "1-1 2-2");
  EXPECT_EQ(two.NChannelIO(), 2);
  EXPECT_EQ(two.NInChannels(), 2);
  EXPECT_EQ(two.NOutChannels(), 2);
  EXPECT_TRUE(two.LegalIO(1, -1));

  TestPlugin odd(0, 4, "3-x 4");
  EXPECT_EQ(odd.NChannelIO(), 2);
  EXPECT_TRUE(odd.LegalIO(3, 0)) << "a part that does not parse counts as 0";
  EXPECT_TRUE(odd.LegalIO(4, 0));
  EXPECT_EQ(odd.NInChannels(), 4);

  // A second initialisation replaces the channels instead of adding to them.
  odd.initialize(0, 4, "1-1", 0, "Effect", "Product", "Maker", 0, 0, 0, 0, true, true, true);
  EXPECT_EQ(odd.NInChannels(), 1);
  EXPECT_EQ(odd.NChannelIO(), 1);
  std::vector<double> in(8, 0.5), out(8, 0.0);
  double* inputs[] = {in.data()};
  double* outputs[] = {out.data()};
  odd.SetInputChannelConnections(0, 1, true);
  odd.SetOutputChannelConnections(0, 1, true);
  odd.AttachInputBuffers(0, 1, inputs, 8);
  odd.AttachOutputBuffers(0, 1, outputs);
  odd.ProcessBuffers(0.0, 8);
  EXPECT_EQ(out, in);
}

TEST(PluginBase, CountsIdentityVersionsAndTempo) {
  TestPlugin plug(3, 10, "2-2", 2);
  EXPECT_EQ(plug.NonAutomatedCount(), 7);
  EXPECT_EQ(plug.NHostParams(), 3);
  plug.addNonAutomateParamCount(10);
  EXPECT_EQ(plug.NHostParams(), 0);
  plug.addNonAutomateParamCount(50);
  EXPECT_EQ(plug.NHostParams(), 0) << "never a negative host-visible count";
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  EXPECT_EQ(plug.GetLatency(), 128);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(std::string(plug.GetAPIString()) + plug.GetArchString(), "VST2x86");
  EXPECT_EQ(plug.GetEffectVersion(true), 10203);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x00010203);
  char noteName[8] = "x";
  EXPECT_FALSE(plug.MidiNoteName(60, noteName));
  EXPECT_STREQ(noteName, "");

  const std::pair<int, const char*> versions[] = {
      {0x00010203, "v1.2.3"}, {0x00010200, "v1.2"}, {0x00070000, "v7"}};
  char text[16];
  for (const auto& [version, shown] : versions) {
    GetVersionStr(version, text);
    EXPECT_STREQ(text, shown);
  }
  plug.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");
  int major, minor, third;
  GetVersionParts(0x000A0B0C, &major, &minor, &third);
  EXPECT_EQ(major * 10000 + minor * 100 + third, 101112);

  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.mTempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
  plug.SetSampleRate(48000.0);
  plug.mTempo = 60.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 48000.0);
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

// Every channel connected, as a host does before it processes.
void connectAll(TestPlugin& plug, int ins, int outs, int blockSize) {
  plug.SetInputChannelConnections(0, ins, true);
  plug.SetOutputChannelConnections(0, outs, true);
  plug.SetBlockSize(blockSize);
}

TEST(PluginBase, DoubleFrameCopiesAndRespectsConnections) {
  TestPlugin plug(0, 1, "2-3");
  connectAll(plug, 2, 3, 16);
  EXPECT_FALSE(plug.IsOutChannelConnected(3));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));
  plug.SetOutputChannelConnections(1, 1, false);
  EXPECT_FALSE(plug.IsOutChannelConnected(1));

  Buffers<double> in(2, 16, 1.0), out(2, 16, -5.0);
  plug.AttachInputBuffers(0, 2, in.pointers.data(), 16);
  plug.AttachOutputBuffers(0, 3, out.pointers.data());
  plug.ProcessBuffers(0.0, 16);
  EXPECT_EQ(out.data[0], in.data[0]) << "output 0 copies input 0";
  // Output 1 is disconnected, so the second host buffer went to output 2,
  // which has no input to copy and is zeroed.
  EXPECT_EQ(out.data[1], std::vector<double>(16, 0.0));
}

TEST(PluginBase, DoubleFrameWithoutHostOutputsLeavesLastBlocksBuffersAlone) {
  TestPlugin plug(0, 1, "2-2");
  connectAll(plug, 2, 2, 16);
  Buffers<double> in(2, 16, 1.0), out(2, 16, -5.0);
  plug.AttachInputBuffers(0, 2, in.pointers.data(), 16);
  plug.AttachOutputBuffers(0, 2, out.pointers.data());
  plug.ProcessBuffers(0.0, 16);
  const std::vector<std::vector<double>> lastBlock = out.data;

  Buffers<double> next(2, 16, 100.0);
  std::vector<double*> noBuffer{nullptr, nullptr};
  plug.AttachInputBuffers(0, 2, next.pointers.data(), 16);
  plug.AttachOutputBuffers(0, 2, static_cast<double**>(nullptr));
  plug.ProcessBuffers(0.0, 16);
  plug.AttachOutputBuffers(0, 2, noBuffer.data());
  plug.ProcessBuffers(0.0, 16);
  EXPECT_EQ(out.data, lastBlock) << "a block the host gave no outputs must not write the old ones";
}

TEST(PluginBase, FloatFramesReplaceAndAccumulate) {
  TestPlugin plug(0, 1, "2-2");
  connectAll(plug, 2, 2, 32);
  Buffers<float> in(2, 32, 1.0f), out(2, 32, 0.5f);
  plug.AttachInputBuffers(0, 2, in.pointers.data(), 32);
  plug.AttachOutputBuffers(0, 2, out.pointers.data());
  plug.ProcessBuffersAccumulating(0.0f, 32);
  EXPECT_EQ(out.data[1][5], 0.5f + 1000.0f + 5.0f + 1.0f + 1000.0f + 5.0f);
  plug.ProcessBuffers(0.0f, 32);
  EXPECT_EQ(out.data[1], in.data[1]);

  // A disconnected input reads silence, even where converted audio was.
  plug.SetInputChannelConnections(1, 1, false);
  plug.AttachInputBuffers(0, 2, in.pointers.data(), 32);
  plug.AttachOutputBuffers(0, 2, out.pointers.data());
  plug.ProcessBuffers(0.0f, 32);
  EXPECT_EQ(out.data[0], in.data[0]);
  EXPECT_EQ(out.data[1], std::vector<float>(32, 0.0f));
}

// Output 1 is disconnected: its scratch buffer must grow with the block too.
TEST(PluginBase, HostBlocksLargerThanAnnounced) {
  TestPlugin plug(0, 1, "2-2");
  connectAll(plug, 2, 2, 64);
  plug.SetOutputChannelConnections(1, 1, false);
  const int n = 4096;
  Buffers<float> in(2, n, 0.25f), out(1, n, 9.0f);
  plug.AttachInputBuffers(0, 2, in.pointers.data(), n);
  plug.AttachOutputBuffers(0, 2, out.pointers.data());
  plug.ProcessBuffers(0.0f, n);
  EXPECT_EQ(out.data[0], in.data[0]);
  Buffers<double> din(2, n, 1.0), dout(1, n, 3.0);
  plug.AttachInputBuffers(0, 2, din.pointers.data(), n);
  plug.AttachOutputBuffers(0, 2, dout.pointers.data());
  plug.ProcessBuffers(0.0, n);
  EXPECT_EQ(dout.data[0], din.data[0]);
  EXPECT_EQ(plug.GetBlockSize(), 64);
}

TEST(PluginBase, GraphicsAttachPushesValuesAndIsOwned) {
  bool destroyed = false;
  {
    TestPlugin plug(0, 3);
    plug.GetParam(1)->InitInt("Level", 64, 0, 127);
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI<IPluginGraphics>(), nullptr);
    plug.RedrawParamControls();  // no graphics: nothing to do

    auto* graphics = new FakeGraphics(&destroyed);
    plug.AttachGraphics(graphics);
    EXPECT_EQ(plug.GetGUI<FakeGraphics>(), graphics);
    EXPECT_EQ(graphics->mPrepDraws, 1);
    ASSERT_EQ(graphics->mPushes.size(), 3u);
    EXPECT_TRUE(graphics->mPushes[1].normalized);
    EXPECT_DOUBLE_EQ(graphics->mPushes[1].value, 64.0 / 127.0);

    graphics->mPushes.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(graphics->mPushes.size(), 3u);
    EXPECT_FALSE(graphics->mPushes[1].normalized);
    EXPECT_EQ(graphics->mPushes[1].value, 64.0);
  }
  EXPECT_TRUE(destroyed) << "the base deletes its graphics object";
}

TEST(PluginBase, SendMidiMsgsSendsAllAndReportsFailure) {
  TestPlugin plug(0, 1);
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
