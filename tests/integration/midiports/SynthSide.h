#pragma once

#include <RtMidi.h>

#include <string>
#include <vector>

#include "tests/toolkit/midiports/MidiTestSupport.h"

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

}  // namespace midi_test
