#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/plugin/base/PortPlugin.h"
#include "tests/toolkit/plugin/midi/MidiTestSupport.h"
#include "tools/corvane-sim/JackMidiPort.h"

namespace midi_test {

// The synthesizer's end of the cable: JACK ports of its own that the
// plug-in's ports are connected to, on the simulator's port, whose client is
// deactivated before its ports go.
class SynthSide {
 public:
  static constexpr const char* kOutPort = "Corvane Out";  // the plug-in's input reads it
  static constexpr const char* kInPort = "Corvane In";    // the plug-in's output writes it

  // What the plug-in sent the synthesizer, taken from the port's queue as it is asked for.
  class Inbox {
   public:
    explicit Inbox(corvane_sim::JackMidiPort& port) : mPort(port) {}
    std::vector<Bytes> messages() {
      std::lock_guard<std::mutex> lock(mMutex);
      take();
      return mMessages;
    }
    size_t count() { return messages().size(); }
    void clear() {
      std::lock_guard<std::mutex> lock(mMutex);
      take();
      mMessages.clear();
    }

   private:
    void take() {
      for (corvane_sim::ReceivedMessage& message : mPort.receiveAll())
        mMessages.push_back(std::move(message.bytes));
    }

    corvane_sim::JackMidiPort& mPort;
    std::mutex mMutex;
    std::vector<Bytes> mMessages;
  };

  SynthSide() {
    if (!mPort.open("Corvane", kInPort, kOutPort))
      throw std::runtime_error("the synthesizer's JACK ports could not be made");
  }

  // False when the port's queue is full.
  bool send(const Bytes& bytes) { return mPort.send(bytes); }

 private:
  // Room for the tests' longest run of sends (a thousand short messages), and little more: a
  // test that sends faster than the cable carries loses the rest, as a hardware port does,
  // instead of leaving a backlog that the plug-in's input works through long after.
  static constexpr std::size_t kQueueBytes = 64 * 1024;
  corvane_sim::JackMidiPort mPort{kQueueBytes};  // made before the inbox that reads it

 public:
  Inbox received{mPort};
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
