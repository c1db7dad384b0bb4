#include <gtest/gtest.h>

#include "tests/toolkit/plugin/midi/MidiTestSupport.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"
#include "toolkit/plugin/vst2/IPluginVST.h"

// The host wrapper's hardware sends reach the synthesizer's output port with
// the framing each kind of send promises.
namespace {

using midi_test::Bytes;

VstIntPtr SilentHost(AEffect*, int32_t, int32_t, VstIntPtr, void*, float) {
  return 0;
}

class VstPlug : public IPluginVST {
 public:
  VstPlug()
      : IPluginVST(Info(), 0, "2-2", 0, "Plug", "Plug Product", "Maker", 0x00010203, 1234, 5678, 0,
                   true, true, true, 0) {
    initialize(Info(), 0, 0, "2-2", 0, "Plug", "Plug Product", "Maker", 0x00010203, 1234, 5678, 0,
               true, true, true, 0);
  }

 private:
  static IPluginInstanceInfo Info() {
    IPluginInstanceInfo info;
    info.mVSTHostCallback = SilentHost;
    return info;
  }
};

class VstHardwareSends : public ::testing::Test {
 protected:
  VstHardwareSends() {
    backend.addOutputPort("Corvane In");
    MidiBackend::setCurrent(&backend);
  }
  ~VstHardwareSends() override {
    plug.reset();
    MidiBackend::setCurrent(nullptr);
  }
  bool selectOutput() {
    plug->getExternalMIDIOutNames();
    int index = 1;
    return plug->setExternalMIDIOut(index, "Corvane In") > 0;
  }

  MidiBackendMemory backend;
  std::unique_ptr<VstPlug> plug = std::make_unique<VstPlug>();
};

TEST_F(VstHardwareSends, EachSendFramesItsBytesForThePort) {
  IMidiMsg cc(0, 0xB0, 7, 100);
  EXPECT_FALSE(plug->SendMidiMsg(&cc)) << "no port selected yet";
  ASSERT_TRUE(selectOutput());

  IMidiMsg program(0, 0xC0, 5, 99);
  unsigned char body[3] = {0x3E, 0x13, 0x00};
  unsigned char framed[5] = {0xF0, 0x3E, 0x13, 0x00, 0xF7};
  EXPECT_TRUE(plug->SendMidiMsg(&cc));
  EXPECT_TRUE(plug->SendMidiMsg(&program));
  EXPECT_TRUE(plug->SendMidiSysex(body, 3));
  EXPECT_TRUE(plug->SendMidiSysex(framed, 5));
  EXPECT_TRUE(plug->SendPatchSysex(body, 3));
  EXPECT_TRUE(plug->SendMidiSysex2({0xF8}));
  EXPECT_FALSE(plug->SendMidiSysex2({}));

  const std::vector<Bytes> expected{
      {0xB0, 7, 100},     {0xC0, 5}, {0xF0, 0x3E, 0x13, 0x00, 0xF7}, {0xF0, 0x3E, 0x13, 0x00, 0xF7},
      {0x3E, 0x13, 0x00}, {0xF8}};
  EXPECT_EQ(backend.received("Corvane In"), expected);
}

}  // namespace
