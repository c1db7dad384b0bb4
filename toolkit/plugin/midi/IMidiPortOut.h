#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "toolkit/plugin/midi/MidiBackend.h"

// The hardware MIDI output: one client of the MIDI system and at most one
// open port. Sends come from the editor, audio and job threads; one lock
// keeps them apart from each other and from opening and closing.
class IMidiPortOut {
 public:
  // Without a MIDI system the port has no client: no ports, every send fails.
  // Failures are logged to `log` (standard error when null), which must
  // outlive the port.
  explicit IMidiPortOut(const std::string& clientName = "RtMidi Output Client",
                        MidiBackend& backend = MidiBackend::current(), TK_LogSink* log = nullptr);
  ~IMidiPortOut();
  IMidiPortOut(const IMidiPortOut&) = delete;
  IMidiPortOut& operator=(const IMidiPortOut&) = delete;

  bool hasClient() const;
  // Makes the client when there is none (no MIDI system when the port was made or last asked);
  // whether there is one now.
  bool makeClient(MidiBackend& backend = MidiBackend::current());
  unsigned portCount();
  // False (and logged) when the name cannot be read.
  bool portName(unsigned port, std::string& name);

  // Closes first; false (and logged) when the port cannot be opened.
  bool open(unsigned port, const std::string& ownName = "RtMidi Output");
  // Closes first, then opens a port of our own under `name`.
  bool openVirtual(const std::string& name);
  void close();
  bool isOpen() const;
  // The open port's connection is gone (its device went away, also when one of its name came
  // back); false when closed or when the MIDI system cannot tell.
  bool linkLost();

  // False with no client, no open port, no bytes, or a message longer than
  // the transport carries (logged, never dropped silently).
  bool send(const uint8_t* bytes, size_t size);

 private:
  bool openWith(const std::function<void()>& connect, const std::string& what);
  void closeLocked();

  TK_LogSink* const mLog;
  const std::string mClientName;
  std::unique_ptr<MidiOutClient> mClient;
  mutable std::mutex mMutex;
  bool mOpen = false;
};
