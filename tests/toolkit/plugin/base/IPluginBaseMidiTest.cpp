#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "PortPlugin.h"
#include "tests/toolkit/plugin/midi/MidiTestSupport.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

using midi_test::Bytes;
using midi_test::waitFor;
using Names = std::vector<std::string>;

class PluginPorts : public ::testing::Test {
 protected:
  PluginPorts() {
    backend.addInputPort("Corvane Out");
    backend.addInputPort("Other Out");
    backend.addOutputPort("Corvane In");
    backend.addOutputPort("Other In");
    MidiBackend::setCurrent(&backend);
  }
  ~PluginPorts() override {
    plug.reset();
    MidiBackend::setCurrent(nullptr);
  }
  // Builds the lists as the editor does and selects both ports by name.
  void selectBoth(const char* in = "Corvane Out", const char* out = "Corvane In") {
    plug->getExternalMIDIInNames();
    plug->getExternalMIDIOutNames();
    int inIndex = 1, outIndex = 1;
    ASSERT_GT(plug->setExternalMIDIIn(inIndex, in), 0);
    ASSERT_GT(plug->setExternalMIDIOut(outIndex, out), 0);
  }

  MidiBackendMemory backend;
  std::unique_ptr<midi_test::PortPlugin> plug = std::make_unique<midi_test::PortPlugin>();
};

TEST_F(PluginPorts, NameListsStartWithOffAndAreBuiltOnce) {
  EXPECT_EQ(plug->getExternalMIDIInNames(), (Names{"OFF", "Corvane Out", "Other Out"}));
  EXPECT_EQ(plug->getExternalMIDIOutNames(), (Names{"OFF", "Corvane In", "Other In"}));
  backend.addOutputPort("Late In");
  EXPECT_EQ(plug->getExternalMIDIOutNames().size(), 3u) << "a later port needs a new plug-in";
  EXPECT_EQ(plug->getExternalMIDIOutDevice("Other In"), 2);
  EXPECT_EQ(plug->getExternalMIDIInDevice("OFF"), 0);
  EXPECT_EQ(plug->getExternalMIDIInDevice("Late In"), -1);
  EXPECT_EQ(plug->GetMIDIOutPortNumber("Late In"), 3) << "asks the system, not the list";
  EXPECT_EQ(plug->GetMIDIOutPortNumber("virtual output"), 1);
  EXPECT_EQ(plug->GetMIDIInPortNumber("Other Out"), 2);
  EXPECT_EQ(plug->GetMIDIInPortNumber("nowhere"), -1);
}

TEST_F(PluginPorts, UnreadableNamesKeepThePositions) {
  backend.addInputPort("Third Out");
  backend.addOutputPort("Third In");
  backend.setFailName("Other In");
  EXPECT_EQ(plug->getExternalMIDIOutNames(), (Names{"OFF", "Corvane In", "Corvane In", "Third In"}))
      << "the output repeats the last name read";
  backend.setFailName("Other Out");
  EXPECT_EQ(plug->getExternalMIDIInNames(), (Names{"OFF", "Corvane Out", "", "Third Out"}))
      << "the input lists an empty name";
  int index = 3;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "Third Out"), 3) << "later ports keep their place";
  EXPECT_TRUE(backend.inputConnected("Third Out"));

  midi_test::PortPlugin fresh;
  backend.setFailNames(true);
  EXPECT_EQ(fresh.getExternalMIDIInNames(), (Names{"OFF", "", "", ""}));
  EXPECT_EQ(fresh.getExternalMIDIOutNames(), (Names{"OFF", "", "", ""})) << "no name read yet";
}

TEST_F(PluginPorts, SendsNeedAMidiSystemAClientAPortAndBytes) {
  IMidiMsg cc(0, 0xB0, 7, 100);
  EXPECT_FALSE(plug->SendMidiMsg(&cc)) << "no client before the list is built";
  plug->getExternalMIDIOutNames();
  EXPECT_FALSE(plug->SendMidiMsg(&cc)) << "no port selected";
  selectBoth();
  EXPECT_FALSE(plug->SendMidiSysex(nullptr, 3));
  unsigned char byte = 0xF8;
  EXPECT_FALSE(plug->SendMidiSysex(&byte, 0));
  EXPECT_FALSE(plug->SendPatchSysex(&byte, -1));
  EXPECT_FALSE(plug->SendMidiSysex2({}));
  EXPECT_FALSE(plug->SendMidiMsg(nullptr));
  EXPECT_TRUE(backend.received("Corvane In").empty());

  midi_test::PortPlugin unavailable;
  backend.setAvailable(false);
  EXPECT_EQ(unavailable.getExternalMIDIInNames(), (Names{"OFF"}));
  EXPECT_EQ(unavailable.getExternalMIDIOutNames(), (Names{"OFF"}));
  int index = 1;
  EXPECT_EQ(unavailable.setExternalMIDIOut(index, "Corvane In"), 0);
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(unavailable.SendMidiMsg(&cc));
  EXPECT_FALSE(unavailable.SendMidiSysex(&byte, 1));
  EXPECT_FALSE(unavailable.SendMidiSysex2({0xF8}));
}

TEST_F(PluginPorts, SendsCarryTheRightBytes) {
  selectBoth();
  IMidiMsg cc(0, 0xB0, 0x07, 0x64), pc(0, 0xC0, 0x05, 0x33), pressure(0, 0xD0, 0x40, 0x11),
      clock(0, 0xF8, 0, 0);
  EXPECT_TRUE(plug->SendMidiMsg(&cc));
  EXPECT_TRUE(plug->SendMidiMsg(&pc));
  EXPECT_TRUE(plug->SendMidiMsg(&pressure));
  EXPECT_TRUE(plug->SendMidiMsg(&clock));
  unsigned char body[3] = {0x3E, 0x13, 0x00}, whole[5] = {0xF0, 0x3E, 0x13, 0x00, 0xF7};
  EXPECT_TRUE(plug->SendMidiSysex(body, 3));
  EXPECT_TRUE(plug->SendMidiSysex(whole, 5));
  EXPECT_TRUE(plug->SendPatchSysex(body, 3));
  EXPECT_TRUE(plug->SendMidiSysex2({0xFA}));
  EXPECT_EQ(backend.received("Corvane In"), (std::vector<Bytes>{{0xB0, 0x07, 0x64},
                                                                {0xC0, 0x05},
                                                                {0xD0, 0x40},
                                                                {0xF8, 0x00, 0x00},
                                                                {0xF0, 0x3E, 0x13, 0x00, 0xF7},
                                                                {0xF0, 0x3E, 0x13, 0x00, 0xF7},
                                                                {0x3E, 0x13, 0x00},
                                                                {0xFA}}));
}

TEST_F(PluginPorts, OutputSelectionByNameAndOff) {
  plug->getExternalMIDIOutNames();
  int index = 2;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Other In"), 2);
  EXPECT_EQ(index, 2);
  IMidiMsg cc(0, 0xB0, 7, 1);
  EXPECT_TRUE(plug->SendMidiMsg(&cc));
  EXPECT_EQ(backend.received("Other In").size(), 1u);

  index = 0;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Other In"), 0);
  EXPECT_FALSE(plug->SendMidiMsg(&cc));

  index = 1;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Corvane In"), 1) << "the name decides";
  index = 2;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "missing"), 0);
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(plug->SendMidiMsg(&cc)) << "a failed selection leaves no port open";
}

TEST_F(PluginPorts, InputSelectionByNameAndOff) {
  selectBoth();
  int index = 3;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "missing"), 0);
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(backend.inputConnected("Corvane Out")) << "the open port was closed";
  index = 1;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "OFF"), 0);
  EXPECT_EQ(index, 0);
  index = 2;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "Other Out"), 2);
  EXPECT_TRUE(backend.inputConnected("Other Out"));

  backend.setFailOpen(true);
  index = 1;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "Corvane Out"), 0);
  EXPECT_EQ(index, 1) << "the found position stays";
  EXPECT_TRUE(plug->log().contains("cannot open input port 0"));
}

// Each instance's ports log to that instance's own sink: a device the second
// instance loses and a refused open on the first stay apart.
TEST_F(PluginPorts, EachInstanceLogsToItsOwnSink) {
  midi_test::PortPlugin other;
  selectBoth();
  other.getExternalMIDIInNames();
  backend.removePort("Corvane Out");
  int index = 1;
  EXPECT_EQ(other.setExternalMIDIIn(index, "Corvane Out"), 0);
  backend.setFailOpen(true);
  index = 2;
  EXPECT_EQ(plug->setExternalMIDIIn(index, "Other Out"), 0);

  EXPECT_TRUE(other.log().contains("\"Corvane Out\" is gone"));
  EXPECT_FALSE(other.log().contains("cannot open input port"));
  EXPECT_TRUE(plug->log().contains("cannot open input port"));
  EXPECT_FALSE(plug->log().contains("is gone"));
}

TEST_F(PluginPorts, DeviceMessagesReachTheHandlersFromTheDevice) {
  selectBoth();
  backend.deviceSend("Corvane Out", {0xC3, 0x05});
  backend.deviceSend("Corvane Out", {0xFE});
  backend.deviceSend("Corvane Out", {0xF8});
  backend.deviceSend("Corvane Out", {0x90, 0x3C, 0x40, 0x00});
  backend.deviceSend("Corvane Out", midi_test::sysEx(392));
  ASSERT_TRUE(waitFor([&] { return plug->count() == 3; }));

  const auto shorts = plug->shortMessages();
  ASSERT_EQ(shorts.size(), 1u);
  EXPECT_EQ(shorts[0].msg.mStatus, 0xC3);
  EXPECT_EQ(shorts[0].msg.mData1, 5);
  EXPECT_EQ(shorts[0].msg.mData2, 0);
  EXPECT_EQ(shorts[0].msg.mOffset, 0);
  EXPECT_TRUE(shorts[0].fromDevice);
  EXPECT_NE(plug->handlerThread(), std::this_thread::get_id());
  EXPECT_EQ(plug->sysExMessages(),
            (std::vector<Bytes>{{0x90, 0x3C, 0x40, 0x00}, midi_test::sysEx(392)}));
  EXPECT_TRUE(plug->sysExFromDevice());
}

TEST_F(PluginPorts, VirtualOutputCarriesTheSends) {
  EXPECT_TRUE(plug->initializeVirtualOutput("Kroma"));
  EXPECT_TRUE(plug->SendMidiSysex2({0xFA}));
  EXPECT_EQ(backend.received("From Kroma"), (std::vector<Bytes>{{0xFA}}));
}

TEST_F(PluginPorts, ClosingTheInputUnderThePluginLockDoesNotDeadlock) {
  plug->mTakeLock = true;
  selectBoth();
  std::atomic<bool> stop{false};
  std::thread device([&] {
    while (!stop) backend.deviceSend("Corvane Out", {0x90, 0x3C, 0x40});
  });
  midi_test::StopAndJoin joinOnExit(stop, {&device});
  ASSERT_TRUE(waitFor([&] { return plug->count() > 0; }));
  auto closing = std::async(std::launch::async, [&] {
    TK_MutexLock lock(plug->GetMutex());  // as a parameter change does
    int off = 0;
    return plug->setExternalMIDIIn(off, nullptr);
  });
  if (closing.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "closing the input deadlocked";
    std::abort();
  }
  EXPECT_EQ(closing.get(), 0);
  const size_t settled = plug->count();
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(plug->count(), settled);
  stop = true;
  device.join();
}

TEST_F(PluginPorts, DestroyingThePluginWhileMessagesArriveIsClean) {
  selectBoth();
  std::atomic<bool> stop{false};
  std::thread device([&] {
    for (uint8_t n = 0; !stop; n = (n + 1) % 128) {
      backend.deviceSend("Corvane Out", {0x90, n, 0x40});
      backend.deviceSend("Corvane Out", midi_test::sysEx(64));
    }
  });
  std::thread editor([&] {
    IMidiMsg cc(0, 0xB0, 7, 1);
    while (!stop) plug->SendMidiMsg(&cc);
  });
  midi_test::StopAndJoin joinOnExit(stop, {&editor, &device});
  ASSERT_TRUE(waitFor([&] { return plug->count() > 10; }));
  stop = true;
  editor.join();
  plug.reset();
  device.join();
  EXPECT_FALSE(backend.inputConnected("Corvane Out"));
}

}  // namespace
