#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <thread>
#include <vector>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/protocol/LaneClock.h"

// Pauses recorded, the first held until the test lets go; the later ones as long as asked.
class HeldClock : public LaneClock {
 public:
  bool pause(int ms) override {
    pauses.push_back(ms);
    if (pauses.size() == 1) paused.set_value();
    released.wait();
    if (pauses.size() > 1) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
  }
  void stop() override {}
  std::vector<int> pauses;
  std::promise<void> paused, release;
  std::shared_future<void> released = release.get_future().share();
};

// A note on of `key` at `offset` in its block, on `channel` (0 the first).
inline IMidiMsg noteOn(int offset, uint8_t key, int channel = 0) {
  return IMidiMsg(offset, static_cast<uint8_t>(0x90 | channel), key, 100);
}

// Device id 0x11 as the plug-in and its Global page hold it and the synthesizer answers to it (no
// Global dump sent), and the shortest pause between the messages of a job.
inline void useDeviceId11(Kroma* plug) {
  plug->GetParam(kGlobalSysExID)->Set(0x11);
  plug->GetParam(kDeviceID_old)->Set(0x11);
  KromaProbe(plug).routing.mDeviceID = 0x11;
  plug->GetParam(kLibSyncTimer)->Set(0);
}

// The plug-in with its port chosen, past the first block's all notes off.
class FirstBlockPlugin : public PluginFixture {
 protected:
  // `start` messages had reached the port when it returned.
  Kroma* settled() {
    Kroma* plug = openConnected();
    process(plug, 64);
    start = sentCount();
    return plug;
  }
  size_t start = 0;
};

// The synthesizer's output port listed from the start; connected() picks it as the port menu
// would, with device id 0x11 and the shortest job pauses.
class PortedPlugin : public PluginFixture {
 protected:
  PortedPlugin() { midi.addOutputPort("Synth Out"); }
  template <class Plug = Kroma>
  Plug* connected() {
    Plug* plug = open<Plug>();
    int index = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(index, "Synth Out"), 1);
    KromaProbe(plug).routing.mMIDIOutSet = true;
    useDeviceId11(plug);
    return plug;
  }
};
