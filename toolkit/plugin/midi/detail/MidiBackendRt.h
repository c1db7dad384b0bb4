#pragma once

#include "toolkit/plugin/midi/MidiBackend.h"

// The MIDI system through RtMidi. KROMA_MIDI_API picks it: "alsa" or "jack";
// unset, ALSA is tried and then JACK. A JACK client is made only while a JACK
// server runs: RtMidi cannot cope with a missing server.
class MidiBackendRt : public MidiBackend {
 public:
  std::unique_ptr<MidiInClient> createInClient(const std::string& clientName, unsigned queueLimit,
                                               TK_LogSink* log) override;
  std::unique_ptr<MidiOutClient> createOutClient(const std::string& clientName,
                                                 TK_LogSink* log) override;

  // True when a JACK server answers under the current JACK_DEFAULT_SERVER; otherwise `why`, when
  // given, says what JACK answered: no server, or a server that refused the client.
  static bool jackServerRunning(std::string* why = nullptr);
};
