#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "tools/corvane-sim/Simulator.h"

// The simulated synthesizer on the other end of two in-memory ports, "Synth Out" and "Synth In",
// answered on a thread of its own that plays the MIDI system's input thread.
class SynthOnPorts {
 public:
  explicit SynthOnPorts(MidiBackendMemory& midi) : mMidi(midi) {
    midi.addInputPort("Synth In");
    midi.addOutputPort("Synth Out");
  }
  ~SynthOnPorts() {
    mRunning = false;
    if (mPump.joinable()) mPump.join();
  }
  SynthOnPorts(const SynthOnPorts&) = delete;
  SynthOnPorts& operator=(const SynthOnPorts&) = delete;

  // Picks both ports in `plug` as the port menus do, with the shortest transfer pause, and starts
  // the synthesizer's answers.
  void connect(Kroma* plug) {
    plug->getExternalMIDIOutNames();
    plug->getExternalMIDIInNames();
    int out = plug->getExternalMIDIOutDevice("Synth Out"),
        in = plug->getExternalMIDIInDevice("Synth In");
    ASSERT_GT(plug->setExternalMIDIOut(out, "Synth Out"), 0);
    ASSERT_GT(plug->setExternalMIDIIn(in, "Synth In"), 0);
    plug->GetParam(kDeviceOutSelection)->Set(out);  // as the port menu leaves it
    KromaProbe(plug).routing.mMIDIOutSet = true;
    plug->GetParam(kLibSyncTimer)->Set(0.0);  // the shortest pause, 50 ms
    answer();
  }

  // Its ports back after they were removed (switched on again), new ones under the same names,
  // and its edit buffers as at power-on.
  void switchedOn() {
    synth.resetEditBuffers();
    mMidi.addInputPort("Synth In");
    mMidi.addOutputPort("Synth Out");
    mSeen = 0;
  }

  // Starts the synthesizer's answers to what reaches its port.
  void answer() {
    if (mPump.joinable()) return;
    mPump = std::thread([this] {
      while (mRunning) {
        const auto sent = mMidi.received("Synth Out");
        for (; mSeen < sent.size(); ++mSeen)
          synth.receive(sent[mSeen].data(), sent[mSeen].size(), corvane_sim::Clock::now());
        for (const corvane_sim::Bytes& answer : synth.takeDue(corvane_sim::Clock::now()))
          mMidi.deviceSend("Synth In", answer);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }

  corvane_sim::Simulator synth;

 private:
  MidiBackendMemory& mMidi;
  std::atomic<bool> mRunning{true};
  std::atomic<size_t> mSeen{0};  // of the messages at its port
  std::thread mPump;
};
