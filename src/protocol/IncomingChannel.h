#pragma once

#include <atomic>

#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/ProtocolPlugin.h"
#include "toolkit/plugin/midi/IMidiMsg.h"

class MIDIMessageManager;

// Channel messages (notes, aftertouch, controllers, program changes, pitch wheel) that the
// plug-in's own filters let through, from the synthesizer or from the host: filtered by kind,
// turned into parameter values through the layout's CC bindings, into part bank and program
// switches or librarian slots, shown on the part's activity LED and passed on towards the
// synthesizer. A value from the synthesizer is marked (the manager's hardwareSet) so that the
// parameter dispatch does not send it back.
class IncomingChannel {
 public:
  IncomingChannel(MIDIMessageManager& manager, ProtocolPlugin& plugin, PatchLibrarian& librarian);

  // On the MIDI input thread. A bank select 0 of value 0 and the bank LSB that follows it
  // (64, 66, 80 or 96) are the synthesizer's own bank change: both are swallowed. What passes
  // goes back to the synthesizer only while its local control is off.
  void ProcessMidiMsgFromDevice(const IMidiMsg& msg);
  // Inside the host's events call; `part` is the part on the message's channel (0 for none).
  // Nothing without the MIDI ports; bank selects of value 0 and bank LSBs are dropped.
  void ProcessMidiMsgFromDAW(const IMidiMsg& msg, int part);

  // One controller value to its bound control: the octave (CC 27, 35, 42) and semitone (CC 28,
  // 36, 43) bytes lose their offsets, CC 31 and 39 also set the oscillator's shape and wavetable,
  // an unbound bank select sets the part's bank.
  void getLegacyCCparam(int cc, int channelKey, int value, bool refreshQuickTab, bool fromDevice);
  // One program change for `part`, unless it is locked: the librarian slot of that number played
  // (kControlLibrary), or with program-change reception on the part's program set, its bank
  // change sent and its sound requested back (kControlProgBank).
  void MakeProgramChangeMessages(int part, const IMidiMsg& msg);

  // The first part whose MIDI channel setting (kMultiPartMIDICh, 2..17 for channels 1..16) is
  // `channel` (0-based); -1 when none is.
  static int partOnChannel(const ParameterAccess& params, int channel);

 private:
  // A bank select LSB of the values the synthesizer pairs with a bank select 0.
  static bool isBankLSB(const IMidiMsg& msg);
  // The activity LED, then the message on towards the synthesizer when `forward`.
  void finish(const IMidiMsg& msg, bool forward);
  void setBank(int part, int bank);
  void oscillatorSample(int cc, int part, int value, bool& refreshQuickTab);
  void filterRouting(int part, int value);

  MIDIMessageManager& mManager;
  ProtocolPlugin& mPlugin;
  PatchLibrarian& mLibrarian;
  // A bank select 0 of value 0 came from the synthesizer; its LSB is awaited.
  std::atomic<bool> mBankSelectPairing{false};
};
