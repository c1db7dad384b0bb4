#pragma once

#include <string>
#include <vector>

#include "src/protocol/ParameterAccess.h"

struct IMidiMsg;

// What the protocol engine needs of the plug-in class. Jobs call it from the lanes and the
// request collectors from the MIDI input thread while the host and the editor use the plug-in,
// so every operation must be safe from any thread: values and flags atomic, texts handed over
// under a lock, layers and the overlay changed on the editor thread when it comes to them.
//
// Each entry names the threads that call it and what it may take. The audio thread reaches the
// engine through the host's MIDI (the events call, plug-in lock held); the MIDI input thread and
// the lanes (transfer, clock start/stop, continuous clock) hold no plug-in lock of their own.
class ProtocolPlugin : public ParameterAccess {
 public:
  // Writes a parameter's stored value, held to its range; no control, host or change handler
  // hears of it.
  // [any thread; atomic value]
  virtual void setStoredValue(int index, double value) = 0;

  // --- Values from the synthesizer (the incoming SysEx dispatch) ---
  struct Range {
    double min;
    double max;
  };
  // The parameter's range as its control declared it.
  // [any thread; ranges fixed at start-up]
  virtual Range paramRange(int index) const = 0;
  // The parameter of the control the layout registered under a SysEx address (message type,
  // location, address high and low) and effect variant; -1 when there is none.
  // [MIDI input thread, job lanes; maps fixed at start-up]
  virtual int getSysexControl(int type, int location, int high, int low, int variant) const = 0;
  // Applies a value that came from the synthesizer as the control's own (SetValueFromHardware):
  // stored, shown and told to the host, with OnParamChange2 when it changed. The manager's
  // hardwareSet flag is up meanwhile, so that the dispatch sends nothing back.
  // [MIDI input thread, audio thread, job lanes; takes the plug-in lock]
  virtual void setValueFromHardware(int param, double normalised) = 0;
  // The parameter-change dispatch (the plug-in's third and fourth virtual operations); the
  // incoming path calls them for kQuickTab and kMainTab to refresh pages and tabs.
  // [MIDI input thread, job lanes; takes the plug-in lock; layers wait for the editor timer]
  virtual void OnParamChange(int index) = 0;
  // [MIDI input thread, audio thread, job lanes; takes the plug-in lock; layers wait for the editor
  // timer]
  virtual void OnParamChange2(int index) = 0;
  // The synthesizer's local control as last received.
  // [MIDI input thread, job lanes; atomic]
  virtual void setLocalControl(bool on) = 0;
  // The bank and program of each part's sound, kept beside the parameters: the multi dump
  // carries these, and the bank and program changes of the synthesizer write them.
  enum class PartSound { kBank, kProgram };
  // [MIDI input thread, job lanes; atomic]
  virtual int partSound(int part, PartSound which) const = 0;
  // [MIDI input thread, audio thread, job lanes; atomic]
  virtual void setPartSound(int part, PartSound which, int value) = 0;
  // A complete answer is in: the plug-in's SysEx input raises it once a dump was parsed or a
  // collector completed. Request waits poll it; arming or ending a librarian request and the
  // librarian send clear it.
  // [job lanes; atomic]
  virtual bool sysExReceived() const = 0;
  // [any thread; atomic]
  virtual void setSysExReceived(bool on) = 0;
  // A restored project waits to go to the synthesizer, or went but was not heard: the Global
  // dump that answers the connection check tells the id only, the project's Global stays in the
  // editor.
  // [MIDI input thread; atomic]
  virtual bool projectPushPending() const = 0;
  // A request, the connection check's too, heard the synthesizer: a pending push goes to the id
  // now in use.
  // [job lanes; atomic]
  virtual void synthesizerAnswered() = 0;
  // The synthesizer holds what the editor shows: it answered the check after a push, or GET
  // FROM SYNTH took its Multi and sounds whole.
  // [job lanes; atomic]
  virtual void synthesizerInStep() = 0;
  // The device id in use, which a request takes from the synthesizer's answer.
  // [job lanes; atomic]
  virtual void setDeviceId(int id) = 0;

  // --- MIDI towards the synthesizer ---
  // Sends a SysEx to the synthesizer's port; F0 and F7 are added when the first byte is not F0.
  // [any thread; takes the port lock]
  virtual void SendMidiSysex(const unsigned char* data, int length) = 0;
  // With the MIDI ports chosen: writes the checksum of a dump of 201 bytes or more and sends.
  // Without: sends nothing and shows "Set MIDI I/O First!".
  // [job lanes; takes the port lock]
  virtual void checksumCheckAndSend(unsigned char* data, int length) = 0;
  // The plug-in's own SysEx input (its filters, then MIDIMessageManager::ProcessSysEx). Jobs hand
  // dumps to it as if the synthesizer had sent them.
  // [job lanes, MIDI input thread, main thread; the synthesizer's messages one at a time under the
  // dispatch's lock]
  virtual void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) = 0;
  // The MIDI ports to the synthesizer are chosen.
  // [any thread; atomic]
  virtual bool midiOutSet() const = 0;
  // The output port's link to the synthesizer is gone (its port went away, also when one of its
  // name came back): what is sent now reaches no one. False while the MIDI system cannot tell.
  // [job lanes; takes the port lock]
  virtual bool outputLinkLost() = 0;
  // A store or send cut short by the lost link has said so, and how far it went, on the status
  // line: the port look that then sees the loss leaves that there. [job lanes; atomic]
  virtual void linkLossTold() = 0;
  // All notes off (CC 123) on the part's channel, or with `allParts` on every enabled part's.
  // [any thread; takes the queue lock or the port lock]
  virtual void AllSoundsOff(int part, bool allParts) = 0;
  // Selects the part's bank and program on the synthesizer (in multi mode the Multi's, on the
  // global channel), with its pauses; false, sending nothing, when another active part already
  // plays that bank and program or the part has no MIDI channel of its own (set to the global
  // channel or to all). Blocks the calling thread for its pauses.
  // [main thread, MIDI input thread, job lanes, and the host's events call for its program
  // changes; blocks for its pauses with the plug-in lock let go]
  virtual bool BankChangeMessage(int part) = 0;
  // Plays slot `slot` of librarian list `list` (0 upper) on `part` (job 3 with the slot's record
  // when the part is not locked and the MIDI ports are chosen).
  // [MIDI input thread, audio thread, job lanes; takes the librarian lock briefly; never waits for
  // the lane]
  virtual void sendPatchToDeviceFromLibrarian(int slot, int list, int part) = 0;
  // Routes a channel message towards the synthesizer: at once, or through the audio clock's
  // queue at its sample offset.
  // [MIDI input thread, audio thread; takes the queue lock or the port lock]
  virtual void MIDIOutRoutingSwitch(const IMidiMsg* msg) = 0;
  // One real-time byte (F8, FA, FC) to the synthesizer's port, when the MIDI ports are chosen.
  // [clock lanes; takes the port lock]
  virtual void sendRealTimeByte(unsigned char byte) = 0;

  // --- Channel messages from the host and the synthesizer ---
  // The parameter of the control the layout bound to controller `cc` under `channelKey` (the
  // 0-based channel + 1) and `subKey`; -1 when there is none.
  // [MIDI input thread, audio thread; maps fixed at start-up]
  virtual int getCCControls(int channelKey, int cc, int subKey) const = 0;
  // The MIDI filter holds back messages of `kind` (IMidiMsg::EStatusMsg) from the host or, with
  // `fromDevice`, from the synthesizer.
  // [MIDI input thread, audio thread; atomic]
  virtual bool midiKindBlocked(int kind, bool fromDevice) const = 0;
  // Lights the activity LED of the first part on `channel` while the LEDs show incoming MIDI.
  // [MIDI input thread, audio thread; atomic]
  virtual void showIncomingActivity(int channel) = 0;
  // The synthesizer plays its own keys; what it sends is then not sent back to it.
  // [MIDI input thread; atomic]
  virtual bool localControl() const = 0;
  // Program changes select librarian slots (kControlLibrary on).
  // [MIDI input thread, audio thread; atomic]
  virtual bool libraryControl() const = 0;
  // The bank view's list that the last selection concerned: 0 upper, 1 lower.
  // [MIDI input thread, audio thread; atomic]
  virtual int activeLibrarianList() const = 0;

  // --- MIDI clock ---
  // The switches: MIDI Start and Stop follow the host's transport; timing clocks run.
  // [clock lanes; atomic]
  virtual bool sendClockPointer() const = 0;
  // [clock lanes; atomic]
  virtual bool sendClockInfo() const = 0;
  // [clock lanes; atomic]
  virtual void setSendClockInfo(bool on) = 0;
  // A value list of the configuration ("tempoValues"); empty when the layout has none.
  // [any thread; lists fixed at start-up, which no lookup changes]
  virtual const std::vector<std::string>& valueList(const std::string& name) const = 0;

  // --- What the user sees ---
  // Requests the transfer overlay shown or hidden. Hiding also clears the transfer-busy and
  // multi-send flags and the manager's dump routing at once.
  // [job lanes, main thread; atomic flags; the overlay waits for the editor timer]
  virtual void DisplayProcessingIndicator(bool show) = 0;
  // Replaces the text of the display control bound to `displayParam` (kControlDisplayName ...).
  // [any thread; takes the text's lock]
  virtual void setTextDisplay(int displayParam, const std::string& text) = 0;
  // Requests a layer hidden or shown, or the controls of a parameter greyed out or restored.
  // [any thread; applied at the editor timer]
  virtual void requestLayerHidden(const std::string& layer, bool hidden) = 0;
  // [any thread; applied at the editor timer]
  virtual void requestGrayOut(int param, bool grayed) = 0;
  // The bank view: redraw it; refill list 0 (upper) or 1 (lower) from the librarian.
  // [any thread; atomic]
  virtual void markLibrarianViewDirty() = 0;
  // [any thread; takes the librarian lock and the slot texts' locks]
  virtual void refillLibrarianList(int list) = 0;
  // The names that travel in the project (the patch manager's name slots).
  // [MIDI input thread, job lanes; takes the name slots' lock]
  virtual void setNameSlot(int slot, const std::string& text) = 0;
  // Moves the bank view's upper selection and key cursor to `slot`.
  // [MIDI input thread, audio thread, job lanes; atomic]
  virtual void selectLibrarianSlot(int slot) = 0;
  // Shows main tab `tab` of `part` again (after its sound was randomized).
  // [main thread; from another thread it waits for the editor timer]
  virtual void mainTabSwitch(int tab, int part) = 0;

  // --- State ---
  // [any thread; atomic]
  virtual int currentPart() const = 0;
  // [MIDI input thread, job lanes; atomic]
  virtual void setCurrentPart(int part) = 0;
  // [MIDI input thread, job lanes; atomic]
  virtual int deviceId() const = 0;
  // The librarian works on Multis.
  // [any thread; atomic]
  virtual bool multiMode() const = 0;
  // What the lower librarian list shows: 0 sounds, 1 categories, 2 Multis, 4 search results.
  // [job lanes; atomic]
  virtual int lowerListKind() const = 0;
  // Program changes control the synthesizer (kControlProgBank on): a part's sound is requested
  // after its program change.
  // [MIDI input thread, audio thread, job lanes; atomic]
  virtual bool programControl() const = 0;
  // The Multi push: a Multi is being sent with its parts' sounds, with the Global first; and
  // multi-send, up while a multi dump goes out (incoming SysEx is dropped meanwhile).
  // [transfer lane; atomic]
  virtual bool sendPartSounds() const = 0;
  // [transfer lane; atomic]
  virtual bool sendGlobalFirst() const = 0;
  // Clears send-part-sounds and send-global-first.
  // [transfer lane; atomic]
  virtual void clearMultiPushFlags() = 0;
  // [transfer lane; atomic]
  virtual void setMultiSend(bool on) = 0;
};
