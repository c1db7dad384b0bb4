#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <cstddef>
#include <string>
#include <vector>

#include "tools/corvane-sim/Simulator.h"

namespace corvane_sim {

// One JACK client with a MIDI input ("in" unless named) and a MIDI output ("out"). The process
// callback only moves bytes between the ports and two ring buffers; everything else runs on the
// caller's thread through receiveAll and send. The client is deactivated before its ports go:
// libjack walks an active client's ports on its own thread, unguarded.
class JackMidiPort {
 public:
  // Each direction queues up to `queueBytes`, records included (16 bytes and the message's).
  explicit JackMidiPort(std::size_t queueBytes = 1 << 20) : mQueueBytes(queueBytes) {}
  ~JackMidiPort();
  JackMidiPort(const JackMidiPort&) = delete;
  JackMidiPort& operator=(const JackMidiPort&) = delete;

  // False when no JACK server runs (none is ever started) or the ports cannot be made.
  bool open(const std::string& clientName, const std::string& inName = "in",
            const std::string& outName = "out");
  void close();

  // Every message that arrived since the last call, with its arrival time.
  std::vector<ReceivedMessage> receiveAll();
  // Queues one message for the next process cycles; false when the queue is full.
  bool send(const Bytes& message);

 private:
  static int process(jack_nframes_t frames, void* arg);
  void readInput(jack_nframes_t frames);
  void writeOutput(jack_nframes_t frames);

  jack_client_t* mClient = nullptr;
  jack_port_t* mIn = nullptr;
  jack_port_t* mOut = nullptr;
  jack_ringbuffer_t* mInQueue = nullptr;
  jack_ringbuffer_t* mOutQueue = nullptr;
  jack_nframes_t mSampleRate = 48000;
  const std::size_t mQueueBytes;
};

}  // namespace corvane_sim
