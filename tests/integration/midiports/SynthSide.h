#pragma once

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/plugin/base/PortPlugin.h"
#include "tests/toolkit/plugin/midi/MidiTestSupport.h"

namespace midi_test {

// The synthesizer's end of the cable: JACK ports of its own that the
// plug-in's ports are connected to.
class SynthSide {
 public:
  static constexpr const char* kOutPort = "Corvane Out";  // the plug-in's input reads it
  static constexpr const char* kInPort = "Corvane In";    // the plug-in's output writes it

  SynthSide() : mOut(RtMidi::UNIX_JACK, "Corvane Tx"), mIn(RtMidi::UNIX_JACK, "Corvane Rx", 100) {
    mIn.setCallback(&Received::callback, &received);
    mIn.ignoreTypes(false, true, true);
    mIn.openVirtualPort(kInPort);
    mOut.openVirtualPort(kOutPort);
  }
  ~SynthSide() { mIn.cancelCallback(); }

  void send(const Bytes& bytes) { mOut.sendMessage(bytes.data(), bytes.size()); }

  Received received;

 private:
  RtMidiOut mOut;
  RtMidiIn mIn;
};

// A new JACK connection carries messages only from some later cycle on. Tune
// requests go out until the plug-in (and with `both` the synthesizer) has
// heard one; then a fence follows on each connection, and once the fences are
// in, no older message is still on the way and all that came is wiped.
inline bool linkAndWipe(SynthSide& synth, PortPlugin& plug, bool both) {
  const Bytes probe{0xF6}, fence{0xF0, 0x7D, 0x7F, 0xF7};
  const bool heard = waitFor([&] {
    if (plug.count() > 0 && (!both || synth.received.count() > 0)) return true;
    synth.send(probe);
    if (both) plug.SendMidiSysex2(probe);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return false;
  });
  if (!heard) return false;
  synth.send(fence);
  if (both && !plug.SendMidiSysex2(fence)) return false;
  const auto has = [&](const std::vector<Bytes>& messages) {
    return std::find(messages.begin(), messages.end(), fence) != messages.end();
  };
  if (!waitFor(
          [&] { return has(plug.sysExMessages()) && (!both || has(synth.received.messages())); }))
    return false;
  plug.clear();
  synth.received.clear();
  return true;
}

}  // namespace midi_test
