#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/log.h"

// The seam between the hardware MIDI ports and a MIDI system. Clients report
// failures by throwing std::exception; the port objects (IMidiPortIn,
// IMidiPortOut) catch and log them, so nothing reaches the host. Each port
// logs to the sink its owner hands it (standard error without one).

// Called with each incoming message, on whatever thread the MIDI system uses.
using MidiReceiveFn = void (*)(const uint8_t* bytes, size_t size, void* user);

class MidiInClient {
 public:
  virtual ~MidiInClient() = default;
  virtual unsigned portCount() = 0;
  virtual std::string portName(unsigned port) = 0;
  // Connects to `port` under our own end's name `ownName`; `receive` gets
  // every message from then on. SysEx is delivered, clock and active sensing
  // are not.
  virtual void openPort(unsigned port, const std::string& ownName, MidiReceiveFn receive,
                        void* user) = 0;
  virtual void closePort() = 0;
  // The connection the open port made is gone: the port it reached went away, also when one of
  // its name came back since. False when the MIDI system cannot tell.
  virtual bool linkLost() { return false; }
};

class MidiOutClient {
 public:
  virtual ~MidiOutClient() = default;
  virtual unsigned portCount() = 0;
  virtual std::string portName(unsigned port) = 0;
  virtual void openPort(unsigned port, const std::string& ownName) = 0;
  // A port of our own that other programs connect to.
  virtual void openVirtualPort(const std::string& name) = 0;
  virtual void closePort() = 0;
  // As MidiInClient::linkLost.
  virtual bool linkLost() { return false; }
  // False when the bytes could not be handed over.
  virtual bool send(const uint8_t* bytes, size_t size) = 0;
  // The largest message the transport carries; 0 for no limit.
  virtual size_t maxMessageSize() const = 0;
};

class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  // Null when the MIDI system is not available. Why a client could not be
  // made goes to `log`, the sink of the port that asks.
  virtual std::unique_ptr<MidiInClient> createInClient(const std::string& clientName,
                                                       unsigned queueLimit, TK_LogSink* log) = 0;
  virtual std::unique_ptr<MidiOutClient> createOutClient(const std::string& clientName,
                                                         TK_LogSink* log) = 0;

  // The back end new port objects use: the one set last, else the system's.
  static MidiBackend& current();
  // Null restores the system's back end. The caller keeps `backend` alive.
  static void setCurrent(MidiBackend* backend);
};

// A line about port errors and refusals, tagged as the MIDI port layer's.
inline void midiPortLog(TK_LogSink* log, const std::string& message) {
  TK_Log(log, "MIDI PORTS: ", message);
}
