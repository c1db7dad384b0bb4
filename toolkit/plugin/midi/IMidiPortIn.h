#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/plugin/midi/IMidiPortInFramer.h"
#include "toolkit/plugin/midi/IMidiPortInQueue.h"
#include "toolkit/plugin/midi/MidiBackend.h"

// The hardware MIDI input: one client of the MIDI system, at most one open
// port, and the plug-in's MIDI input thread. The MIDI system's thread only
// queues copies of what arrives; the input thread frames them into whole
// messages and calls the callback, and only while the port is open.
// Making the client, open, close and the destructor are called from one thread at a time.
class IMidiPortIn {
 public:
  // As RtMidi's input callback; the time stamp is the arrival on the steady
  // clock in seconds.
  using Callback = void (*)(double timeStamp, std::vector<unsigned char>* message, void* user);

  // Without a MIDI system the port has no client: no ports, nothing opens.
  // Failures are logged to `log` (standard error when null), which must
  // outlive the port.
  explicit IMidiPortIn(const std::string& clientName = "RtMidi Input Client",
                       unsigned queueLimit = 100, MidiBackend& backend = MidiBackend::current(),
                       TK_LogSink* log = nullptr);
  ~IMidiPortIn();
  IMidiPortIn(const IMidiPortIn&) = delete;
  IMidiPortIn& operator=(const IMidiPortIn&) = delete;

  bool hasClient() const { return mClient != nullptr; }
  // Makes the client when there is none (no MIDI system when the port was made or last asked);
  // whether there is one now.
  bool makeClient(MidiBackend& backend = MidiBackend::current());
  unsigned portCount();
  // False (and logged) when the name cannot be read.
  bool portName(unsigned port, std::string& name);

  // Takes effect with the next open.
  void setCallback(Callback callback, void* user);
  // Closes first; false (and logged) when the port cannot be opened.
  bool open(unsigned port, const std::string& ownName = "RtMidi Input");
  // Afterwards the callback is not called again.
  void close();
  bool isOpen() const { return mOpen; }
  // As IMidiPortOut::linkLost.
  bool linkLost();

 private:
  static void onReceive(const uint8_t* bytes, size_t size, void* self);
  // The input thread, with the callback as it was when the port opened.
  void run(Callback callback, void* user);
  void deliver(const IMidiPortInQueue::Message& message, Callback callback, void* user);

  TK_LogSink* const mLog;
  const std::string mClientName;
  const unsigned mQueueLimit;
  std::unique_ptr<MidiInClient> mClient;
  IMidiPortInQueue mQueue;
  IMidiPortInFramer mFramer;  // input thread only while open
  Callback mCallback = nullptr;
  void* mUser = nullptr;
  std::thread mThread;
  std::atomic<bool> mStop{false};
  bool mOpen = false;
};
