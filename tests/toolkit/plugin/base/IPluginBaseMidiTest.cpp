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
  void selectBoth() {
    plug->getExternalMIDIInNames();
    plug->getExternalMIDIOutNames();
    int inIndex = 1, outIndex = 1;
    ASSERT_GT(plug->setExternalMIDIIn(inIndex, "Corvane Out"), 0);
    ASSERT_GT(plug->setExternalMIDIOut(outIndex, "Corvane In"), 0);
  }

  MidiBackendMemory backend;
  std::unique_ptr<midi_test::PortPlugin> plug = std::make_unique<midi_test::PortPlugin>();
};

TEST_F(PluginPorts, NamesAndNumbersOfThePorts) {
  EXPECT_EQ(plug->getExternalMIDIInNames(), (Names{"OFF", "Corvane Out", "Other Out"}));
  plug->getExternalMIDIOutNames();
  backend.addOutputPort("Late In");
  EXPECT_EQ(plug->GetMIDIOutPortNumber("Late In"), 3) << "asks the system, not the list";
  EXPECT_EQ(plug->GetMIDIOutPortNumber("virtual output"), 1);
  EXPECT_EQ(plug->GetMIDIInPortNumber("Other Out"), 2);
  EXPECT_EQ(plug->GetMIDIInPortNumber("nowhere"), -1);
  for (const char* name : {"OFF", "virtual input"})
    EXPECT_EQ(plug->GetMIDIInPortNumber(name), name[0] == 'v');
  EXPECT_EQ(plug->GetMIDIInPortNumber(nullptr) + plug->GetMIDIOutPortNumber(nullptr), -2);
  EXPECT_EQ(plug->GetMIDIOutPortNumber("OFF"), 0);
  // Unreadable names keep the positions of the ports after them.
  midi_test::PortPlugin fresh;
  backend.setFailName("Corvane In");
  EXPECT_EQ(fresh.getExternalMIDIOutNames(), (Names{"OFF", "", "Other In", "Late In"}));
  midi_test::PortPlugin third;
  backend.setFailName("Other In");
  EXPECT_EQ(third.getExternalMIDIOutNames(), (Names{"OFF", "Corvane In", "Corvane In", "Late In"}))
      << "the output repeats the last name read";
  backend.setFailName("Other Out");
  EXPECT_EQ(third.getExternalMIDIInNames(), (Names{"OFF", "Corvane Out", ""}));
}

TEST_F(PluginPorts, SendsCarryTheRightBytesToTheSelectedPort) {
  plug->getExternalMIDIOutNames();
  int index = 2;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Other In"), 2);
  index = 0;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Other In"), 0) << "OFF";
  IMidiMsg cc(0, 0xB0, 0x07, 0x64), pc(0, 0xC0, 0x05, 0x33), clock(0, 0xF8, 0, 0);
  EXPECT_FALSE(plug->SendMidiMsg(&cc));
  selectBoth();
  EXPECT_TRUE(plug->SendMidiMsg(&cc));
  EXPECT_TRUE(plug->SendMidiMsg(&pc));
  EXPECT_TRUE(plug->SendMidiMsg(&clock));
  unsigned char body[3] = {0x3E, 0x13, 0x00}, whole[5] = {0xF0, 0x3E, 0x13, 0x00, 0xF7};
  EXPECT_TRUE(plug->SendMidiSysex(body, 3));
  EXPECT_TRUE(plug->SendMidiSysex(whole, 5));
  EXPECT_TRUE(plug->SendPatchSysex(body, 3));
  EXPECT_FALSE(plug->SendMidiSysex2({}));
  EXPECT_FALSE(plug->SendMidiSysex(body, 0)) << "no bytes, nothing framed";
  EXPECT_FALSE(plug->SendMidiSysex(whole, -1));
  EXPECT_EQ(backend.received("Corvane In"), (std::vector<Bytes>{{0xB0, 0x07, 0x64},
                                                                {0xC0, 0x05},
                                                                {0xF8, 0x00, 0x00},
                                                                {0xF0, 0x3E, 0x13, 0x00, 0xF7},
                                                                {0xF0, 0x3E, 0x13, 0x00, 0xF7},
                                                                {0x3E, 0x13, 0x00}}));
  EXPECT_TRUE(backend.received("Other In").empty());
  EXPECT_TRUE(plug->initializeVirtualOutput("Kroma"));
  EXPECT_TRUE(plug->SendMidiSysex2({0xFA}));
  EXPECT_EQ(backend.received("From Kroma"), (std::vector<Bytes>{{0xFA}}));
}

// OFF closes whatever output is open, the virtual one too; before any output client it is a no-op.
TEST_F(PluginPorts, OffClosesAnyOutput) {
  int index = 0;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "OFF"), 0);
  ASSERT_TRUE(plug->initializeVirtualOutput("Kroma"));
  EXPECT_TRUE(plug->SendMidiSysex2({0xFA}));
  index = 0;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "OFF"), 0);
  EXPECT_FALSE(plug->SendMidiSysex2({0xFB})) << "closed";
  EXPECT_EQ(backend.received("From Kroma"), (std::vector<Bytes>{{0xFA}}));
}

// Choosing a port closes the one chosen before; OFF and a name no longer there close it and
// choose nothing. Sends reach only the port chosen last; only the input chosen last is connected.
TEST_F(PluginPorts, EachChoiceClosesThePortBefore) {
  plug->getExternalMIDIInNames();
  plug->getExternalMIDIOutNames();
  const struct {
    int index;
    const char* name;
    int answer, indexAfter;
    const char* port;  // where a send goes, and which input is connected
  } steps[] = {
      {1, "Corvane", 1, 1, "Corvane"}, {2, "Other", 2, 2, "Other"}, {0, "Other", 0, 0, nullptr},
      {1, "Corvane", 1, 1, "Corvane"}, {2, "Gone", 0, 0, nullptr},  {2, "Other", 2, 2, "Other"},
      {2, "Other", 2, 2, "Other"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.name) + " " + std::to_string(step.index));
    int in = step.index, out = step.index;
    EXPECT_EQ(plug->setExternalMIDIIn(in, (std::string(step.name) + " Out").c_str()), step.answer);
    EXPECT_EQ(plug->setExternalMIDIOut(out, (std::string(step.name) + " In").c_str()), step.answer);
    EXPECT_EQ(std::pair(in, out), std::pair(step.indexAfter, step.indexAfter));
    for (const char* port : {"Corvane", "Other"}) {
      const bool chosen = step.port && std::string(step.port) == port;
      EXPECT_EQ(backend.inputConnected(std::string(port) + " Out"), chosen) << port;
    }
    IMidiMsg cc(0, 0xB0, 0x07, 0x64);
    EXPECT_EQ(plug->SendMidiMsg(&cc), step.port != nullptr);
  }
  EXPECT_EQ(backend.received("Corvane In").size(), 2u);
  EXPECT_EQ(backend.received("Other In").size(), 3u);
}

// A name is looked up in the list, then among the ports there now: "OFF" or a name not listed
// chooses nothing quietly, a port that went away is logged, one that moved is found (its old
// number, now past the end, is logged on the way).
TEST(PluginPortsByName, ChoicesFollowThePortsThereNow) {
  const struct {
    const char* in;
    const char* out;
    int answer, indexAfter;
    std::vector<std::string> log;
  } steps[] = {
      {"OFF", "OFF", 0, 0, {}},
      {"Nowhere Out", "Nowhere In", 0, 0, {}},
      {"Corvane Out",
       "Corvane In",
       0,
       1,
       {"MIDI PORTS: port \"Corvane Out\" is gone", "MIDI PORTS: port \"Corvane In\" is gone"}},
      {"Other Out",
       "Other In",
       2,
       2,
       {"MIDI PORTS: cannot read the name of input port 1: no such port",
        "MIDI PORTS: cannot read the name of output port 1: no such port"}},
  };
  for (const auto& step : steps) {
    MidiBackendMemory backend;
    backend.addInputPort("Corvane Out");
    backend.addInputPort("Other Out");
    backend.addOutputPort("Corvane In");
    backend.addOutputPort("Other In");
    MidiBackend::setCurrent(&backend);
    {
      midi_test::PortPlugin plug;
      plug.getExternalMIDIInNames();
      plug.getExternalMIDIOutNames();
      // A name's place in the list, "OFF" first; no name, or one not listed, has none.
      const std::pair<const char*, int> places[] = {
          {"OFF", 0}, {"Corvane Out", 1}, {"Other Out", 2}, {"Nowhere", -1}, {nullptr, -1}};
      for (const auto& [name, place] : places)
        EXPECT_EQ(plug.getExternalMIDIInDevice(name), place) << (name ? name : "no name");
      const std::pair<const char*, int> outPlaces[] = {
          {"OFF", 0}, {"Corvane In", 1}, {"Other In", 2}, {"Corvane Out", -1}, {nullptr, -1}};
      for (const auto& [name, place] : outPlaces)
        EXPECT_EQ(plug.getExternalMIDIOutDevice(name), place) << (name ? name : "no name");
      backend.removePort("Corvane Out");
      backend.removePort("Corvane In");
      int in = 1, out = 1;
      EXPECT_EQ(plug.setExternalMIDIIn(in, step.in), step.answer) << step.in;
      EXPECT_EQ(plug.setExternalMIDIOut(out, step.out), step.answer) << step.out;
      EXPECT_EQ(std::pair(in, out), std::pair(step.indexAfter, step.indexAfter)) << step.in;
      EXPECT_EQ(plug.log().lines(), step.log) << step.in;
      EXPECT_EQ(backend.inputConnected("Other Out"), step.answer != 0) << step.in;
      IMidiMsg cc(0, 0xB0, 0x07, 0x64);
      EXPECT_EQ(plug.SendMidiMsg(&cc), step.answer != 0) << step.out;
      EXPECT_EQ(backend.received("Other In").size(), step.answer ? 1u : 0u) << step.out;
    }
    MidiBackend::setCurrent(nullptr);
  }
}

// A list built again asks the MIDI system again: the client that could not be made at first is
// made then, and the list holds the ports there are now, the chosen name that went away kept
// last. Both directions alike.
TEST_F(PluginPorts, ListsBuiltAgainAskTheSystemAndKeepTheChosenName) {
  midi_test::PortPlugin late;
  const struct {
    bool input;
    const char *chosen, *added;
  } sides[] = {{true, "Corvane Out", "Late Out"}, {false, "Corvane In", "Late In"}};
  for (const auto& side : sides) {
    SCOPED_TRACE(side.chosen);
    const auto names = [&]() -> Names& {
      return side.input ? late.getExternalMIDIInNames() : late.getExternalMIDIOutNames();
    };
    const auto refresh = [&](const std::string& chosen) {
      return side.input ? late.refreshExternalMIDIInNames(chosen)
                        : late.refreshExternalMIDIOutNames(chosen);
    };
    backend.setAvailable(false);
    EXPECT_EQ(names(), Names{"OFF"});
    EXPECT_EQ(refresh("OFF"), -1);
    backend.setAvailable(true);
    EXPECT_EQ(refresh("OFF"), 2);
    EXPECT_EQ(names()[1], side.chosen);
    backend.removePort(side.chosen);
    side.input ? backend.addInputPort(side.added) : backend.addOutputPort(side.added);
    EXPECT_EQ(refresh(side.chosen), 2);
    EXPECT_EQ(names().size(), 4u);
    EXPECT_EQ(names().back(), side.chosen);
  }
}

// Messages of two and three bytes from the device are short messages, longer ones SysEx.
TEST_F(PluginPorts, ShortMessagesAreThoseOfUpToThreeBytes) {
  selectBoth();
  for (const Bytes& bytes :
       std::vector<Bytes>{{0xC0, 0x05}, {0x90, 0x3C, 0x40}, {0xB0, 0x07, 0x64}})
    backend.deviceSend("Corvane Out", bytes);
  backend.deviceSend("Corvane Out", {0xF0, 0x3E, 0x13, 0xF7});
  ASSERT_TRUE(waitFor([&] { return plug->count() == 4; }));
  EXPECT_EQ(plug->shortBytes(),
            (std::vector<Bytes>{{0xC0, 0x05, 0}, {0x90, 0x3C, 0x40}, {0xB0, 0x07, 0x64}}));
  EXPECT_EQ(plug->sysExMessages(), (std::vector<Bytes>{{0xF0, 0x3E, 0x13, 0xF7}}));
  EXPECT_TRUE(plug->sysExFromDevice());
}

// Program change and channel pressure go out as two bytes, every other short message as three;
// a single byte from the device arrives with zero data bytes.
TEST_F(PluginPorts, WireLengthsOfShortMessagesBothWays) {
  selectBoth();
  const std::vector<Bytes> sent = {{0xC5, 0x01},       {0xD2, 0x40},       {0xE0, 0x00, 0x40},
                                   {0xA1, 0x3C, 0x10}, {0x80, 0x3C, 0x00}, {0xF2, 0x01, 0x02}};
  for (const Bytes& bytes : sent) {
    IMidiMsg msg(0, bytes[0], bytes[1], bytes.size() > 2 ? bytes[2] : 0x55);
    EXPECT_TRUE(plug->SendMidiMsg(&msg));
  }
  EXPECT_EQ(backend.received("Corvane In"), sent);
  backend.deviceSend("Corvane Out", {0xFA});
  ASSERT_TRUE(waitFor([&] { return plug->count() == 1; }));
  EXPECT_EQ(plug->shortBytes(), (std::vector<Bytes>{{0xFA, 0, 0}}));
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
  EXPECT_EQ(plug->count(), settled) << "no message after the close";
}

}  // namespace
