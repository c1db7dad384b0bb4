#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/plugin/midi/MidiBackend.h"

// A MIDI system in memory, for tests: the test plays the device's side. Input
// ports are what the plug-in's input lists (the device sends on them), output
// ports what its output lists. Clients may outlive the back end object.
class MidiBackendMemory : public MidiBackend {
 public:
  MidiBackendMemory();

  std::unique_ptr<MidiInClient> createInClient(const std::string& clientName, unsigned queueLimit,
                                               TK_LogSink* log) override;
  std::unique_ptr<MidiOutClient> createOutClient(const std::string& clientName,
                                                 TK_LogSink* log) override;

  void addInputPort(const std::string& name);
  void addOutputPort(const std::string& name);
  // The port vanishes as an unplugged device's would; connections to it go dead, and stay dead
  // when a port of that name is added again (that is another port, as in a MIDI system).
  void removePort(const std::string& name);

  // The device sends on an input port, on the calling thread as the MIDI
  // system's own thread would. True when an open connection took the bytes.
  bool deviceSend(const std::string& port, const std::vector<uint8_t>& bytes);
  // What reached an output port or a client's virtual port, message by message.
  std::vector<std::vector<uint8_t>> received(const std::string& port) const;
  // Whether some input client has the port open.
  bool inputConnected(const std::string& port) const;

  // Faults on demand.
  void setAvailable(bool available);          // false: there is no MIDI system
  void setFailOpen(bool fail);                // opening a port throws
  void setFailNames(bool fail);               // reading a port name throws
  void setFailName(const std::string& port);  // reading this one port's name throws
  void setFailCreate(bool fail);              // creating a client throws
  void setMaxMessageSize(size_t size);

  struct State;

 private:
  std::shared_ptr<State> mState;
};
