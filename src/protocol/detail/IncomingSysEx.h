#pragma once

#include <map>
#include <mutex>

#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/ProtocolPlugin.h"
#include "src/protocol/SoundDump.h"
#include "toolkit/log.h"

// The editor's side of SysEx from the synthesizer, for whatever no librarian request takes:
// while dump routing is on, dumps of 60 bytes or more go to the three parsers (sound, multi,
// Global), each taking only its own kind; otherwise single parameter changes (9 and 10 bytes)
// are turned into parameter values by their address. Nothing here sends to the synthesizer, and
// a value it applies from the synthesizer is marked (the manager's hardwareSet) so that the
// parameter dispatch does not send it back.
//
// Messages are handled one at a time, from the MIDI input thread or a lane that hands a dump in;
// whoever hands one in holds no librarian lock.
class IncomingSysEx : public IncomingSysExDispatch {
 public:
  IncomingSysEx(MIDIMessageManager& manager, ProtocolPlugin& plugin, PatchLibrarian& librarian,
                LaneClock& clock, TK_LogSink* log);

  void dispatch(const unsigned char* data, int size) override;

  // The parsers. Each tests maker, model and type itself and ignores other messages silently; a
  // message of its type that is cut short (or, Global, not exactly 80 bytes), that carries a byte
  // of 0x80 or more inside, or (sound) that addresses no part changes nothing and is logged.
  // The checksum is not examined (the Global dump carries none; copies the editor makes carry
  // the placeholder 7F). Each clears dumpComplete when it takes a dump and sets it when done.
  //
  // A sound dump: the parameters of part byte 6, section by section unless that section's lock
  // holds exactly 1.0; name and category always, into the name parameter, the name slots and
  // the displays.
  void sysexPatchParse(const unsigned char* data, int size);
  // A multi dump: the Multi's parameters, its name (display text and name slot 0) and the part
  // bank and program tables.
  void sysexMultiParse(const unsigned char* data, int size);
  // The Global dump: the Global parameters and the local-control flag. Ends the dump routing
  // for every message it is offered.
  void sysexSettingsParse(const unsigned char* data, int size);

  // Applies the raw byte `value` to `param` (a control's parameter; -1 does nothing): the byte's
  // offset taken off (bend ranges 40, transpose 16, velocities 1, effect-2 modes from 32 on 22),
  // then set as from the hardware. A part's bank or program that comes more than a second after
  // the last program change is a part change: it is also kept in the part tables and followed
  // by the librarian slot of that program (kControlLibrary) or a bank change and a request of
  // the part's sound (kGlobalRxProgramChange), unless the part is locked.
  void processSysExToUI(int param, int value, bool refreshQuickTab, bool fromHardware);

 private:
  void routeDump(const unsigned char* data, int size);
  // `fields`: type, location, address high, address low, value.
  void parameterChange(const unsigned char* fields, bool tenBytes);
  void effectParameter(int type, int part, int high, int low, int value);
  void globalParameter(int type, int location, int high, int low, int value);
  // The control registered under the address (variant 0) gets the value; none: unhandled.
  void addressLookup(int type, int location, int high, int low, int value);
  void followPartChange(int part, ProtocolPlugin::PartSound which, int value);
  // A message of `type` (maker and model right) that fails its size or body test: logged.
  bool acceptDump(const unsigned char* data, int size, unsigned char type, int minSize, bool exact);

  MIDIMessageManager& mManager;
  ProtocolPlugin& mPlugin;
  PatchLibrarian& mLibrarian;
  LaneClock& mClock;
  TK_LogSink* mLog;
  // Sound parameters whose one byte packs several (unison, envelope modes, arpeggiator steps):
  // a parameter change of them follows the byte's rule, by address (dump offset - 7).
  std::map<int, const sound_dump::ByteRule*> mPackedByAddress;
  std::recursive_mutex mMutex;
};
