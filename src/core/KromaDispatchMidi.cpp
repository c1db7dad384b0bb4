// The dispatch's handlers of the MIDI ports, filters and clock switches and of the edits that
// send a whole sound or Multi as a job.
#include "src/core/Kroma.h"
#include "src/core/detail/KromaDispatch.h"
#include "src/core/detail/PatchManager.h"
#include "src/protocol/MIDIMessageManager.h"

namespace dispatch {

namespace {

// A MIDI filter switch: the kind passes while its switch is 1.
template <std::array<std::atomic<bool>, 7> MidiRouting::*Blocked>
Then filter(MidiRouting& routing, int kind, int vi) {
  (routing.*Blocked)[kind] = vi != 1;
  return Then::kGoOn;
}

// Output straight to the port, or through the queue the audio callback sends at the host's
// sample positions: one of the two switches is on.
template <int Other, bool Queued>
Then outputRoute(Change& c) {
  if (c.vi != 1) return Then::kGoOn;
  c.plug.setParameterFromPlug(Other, 0.0);
  c.routing.mQueuedOutput = Queued;
  return Then::kGoOn;
}

// The number of samples the audio callback drains per block in the queued mode.
Then dawOffset(Change& c) {
  c.routing.mBlockSize = c.plug.GetBlockSize() + 2 * c.vi;
  return Then::kGoOn;
}

// The continuous clock is started again by the audio callback, at the host's tempo when on.
Then clockInfo(Change& c) {
  Kroma& plug = c.plug;
  const bool on = c.vi == 1;
  if (on) plug.OnParamChange(kTempoInformation);
  c.clock.mSendClockInfo = on;
  c.parts.mMIDIMessageManager->sender().resetContinuousClock(!on);
  c.clock.mContinuousClockStarted = false;
  return Then::kGoOn;
}

// The port listed at `position` of its menu, by its name rather than the text the menu shows.
std::string portName(Kroma& plug, bool input, int position) {
  const std::vector<std::string>& names =
      input ? plug.getExternalMIDIInNames() : plug.getExternalMIDIOutNames();
  return position >= 0 && position < static_cast<int>(names.size()) ? names[position] : "";
}

// The absent port's own entry picked: it stays chosen, absent, and the status line says so.
bool absentPicked(Change& c, bool input) {
  const std::string& absent = c.routing.mAbsentPortNames[input ? 0 : 1];
  if (absent.empty() || portName(c.plug, input, c.vi) != absent) return false;
  c.plug.showPortsAbsent();
  return true;
}

// A pick puts the port picked in place of the stored name of an absent one: a save writes it.
void forgetAbsentPort(Change& c, int which) {
  std::string& absent = c.routing.mAbsentPortNames[which];
  if (absent.empty()) return;
  absent.clear();
  c.plug.NoteStateChange();
}

// The port `picked` in its menu, opened anew also when it was open: a port whose synthesizer went
// away and came back connects again. A failure is shown.
bool openInputPort(Change& c, int picked) {
  int position = picked;
  const bool opened =
      c.plug.setExternalMIDIIn(position, portName(c.plug, true, picked).c_str()) > 0;
  c.routing.mMIDIInPortIndex = position;
  if (!opened && picked > 0) status(c.plug, "MIDI In port FAILED!");
  return opened;
}

// The synthesizer counts as connected only when the output port opened.
bool openOutputPort(Change& c, int picked) {
  Kroma& plug = c.plug;
  int position = picked;
  const bool opened = plug.setExternalMIDIOut(position, portName(plug, false, picked).c_str()) > 0;
  c.routing.mMIDIOutPortIndex = position;
  c.routing.mMIDIOutSet = opened;
  if (opened) return true;
  c.parts.mMIDIMessageManager->sender().resetContinuousClock(true);
  if (picked > 0) status(plug, "MIDI Out port FAILED!");
  return false;
}

// The output port picked again, or an input port picked, reopens the other one its menu shows,
// so that one pick brings back the whole link to a synthesizer that came back. The connection
// check follows once both ports are open: without an input no answer can come, and the check
// would only hold the editor for its whole scan.
Then outputPort(Change& c) {
  if (absentPicked(c, false)) return Then::kGoOn;
  const bool again = c.vi > 0 && c.vi == c.routing.mMIDIOutPortIndex;
  forgetAbsentPort(c, 1);
  if (!openOutputPort(c, c.vi)) return Then::kGoOn;
  const int input = c.plug.GetParam(kDeviceInSelection)->Int();
  if (again && input > 0 && c.routing.mAbsentPortNames[0].empty()) openInputPort(c, input);
  if (c.plug.inputPortOpen())
    c.plug.sendSysExInitialization();
  else
    status(c.plug, "Now set MIDI In port!");
  return Then::kGoOn;
}

Then inputPort(Change& c) {
  if (absentPicked(c, true)) return Then::kGoOn;
  forgetAbsentPort(c, 0);
  if (openInputPort(c, c.vi) && c.routing.mMIDIOutSet &&
      openOutputPort(c, c.plug.GetParam(kDeviceOutSelection)->Int()))
    c.plug.sendSysExInitialization();
  return Then::kGoOn;
}

Then randomize(Change& c) {
  c.parts.mMIDIMessageManager->randomize(c.v);
  return Then::kReturn;
}

// A renamed sound or category goes to the synthesizer as the part's whole sound. The name goes
// into the project at once, not only once the send has written it.
Then soundName(Change& c) {
  Kroma& plug = c.plug;
  plug.setNameSlot(Patch::kFirstPatchNameSlot + c.part, plug.getDisplayText(kPatchName + c.part));
  plug.AllSoundsOff(c.part, false);
  c.parts.mMIDIMessageManager->disarmCollectors();
  SenderJob job;
  job.code = kSendPartToDevice;
  job.part = c.part;
  job.requestParts = true;
  plug.startSenderJob(job);
  return Then::kGoOn;
}

// A part's bank or program picked on the Multi page: every Multi dump is built from these
// numbers, so that it carries the sound the part's strip shows.
template <std::array<std::atomic<int>, 17> MidiRouting::*Sounds>
Then partSound(MidiRouting& routing, int part, int vi) {
  (routing.*Sounds)[part] = vi;
  return Then::kGoOn;
}

void sendMulti(Change& c, bool withPartsAndGlobal) {
  Kroma& plug = c.plug;
  c.parts.mMIDIMessageManager->disarmCollectors();
  plug.AllSoundsOff(0, true);
  SenderJob job;
  job.code = kSendArrangementToDevice;
  plug.startSenderJob(job, [&selection = c.selection, &clock = c.clock, withPartsAndGlobal] {
    selection.mSendPartSounds = withPartsAndGlobal;
    selection.mSendGlobalFirst = withPartsAndGlobal;
    // All the editor shows goes; a project's push still owed waits for its answer check.
    SynthStep step = clock.mSynthStep;
    if (withPartsAndGlobal && (step == SynthStep::kUnsure || step == SynthStep::kRelinking))
      clock.mSynthStep.compare_exchange_strong(step, SynthStep::kInStep);
  });
}

Then multiName(Change& c) {
  c.plug.setNameSlot(Patch::kMultiNameSlot, c.plug.getDisplayText(kMultiName));
  sendMulti(c, false);
  return Then::kGoOn;
}

Then pushArrangement(Change& c) {
  if (c.vi == 1) sendMulti(c, true);
  return Then::kGoOn;
}

// The synthesizer's Multi asked into the editor.
Then requestTempData(Change& c) {
  if (c.vi != 1) return Then::kGoOn;
  MIDIMessageManager& manager = *c.parts.mMIDIMessageManager;
  SenderJob job;
  job.code = kSendActiveArrangementRequest;
  job.toEditor = true;
  c.plug.startSenderJob(job, [&manager] { manager.dumpRouting = true; });
  return Then::kGoOn;
}

Then cancelDataRequest(Change& c) {
  if (c.vi == 1) c.parts.mMIDIMessageManager->sender().cancelRequested = true;
  return Then::kGoOn;
}

constexpr Row kMain[] = {
    {kMIDIFilterDAWCCPassThrough, 7, onRecord<filter<&MidiRouting::mDAWFilterBlocked>>},
    {kMIDIFilterHWCCPassThrough, 7, onRecord<filter<&MidiRouting::mHWFilterBlocked>>},
    {kMIDIFilterTrackIncomingMIDI, 1, onRecord<followSwitch<&MidiRouting::mTrackIncomingMIDI>>},
    {kMIDIFilterDirectToHardware, 1, outputRoute<kMIDIFilterToDAWBuffer, false>},
    {kMIDIFilterToDAWBuffer, 1, outputRoute<kMIDIFilterDirectToHardware, true>},
    {kAdjustDAWOffset, 1, dawOffset},
    {kSendMIDIClockPointer, 1, onRecord<followSwitch<&ClockState::mSendClockPointer>>},
    {kSendMIDIClockInfo, 1, clockInfo},
    {kDeviceOutSelection, 1, outputPort},
    {kDeviceInSelection, 1, inputPort},
    {kRandomize, 1, randomize},
    {kPatchName, partCount, soundName},
    {kCategoryName, partCount, soundName},
    {kMultiPartBank, partCount, onRecord<partSound<&MidiRouting::mPartBank>>},
    {kMultiPartPatch, partCount, onRecord<partSound<&MidiRouting::mPartProgram>>},
    {kMultiName, 1, multiName},
    {kPushArrangement, 1, pushArrangement},
    {kRequestTempData, 1, requestTempData},
    {kCancelDataRequest, 1, cancelDataRequest},
};

}  // namespace

Rows midiRowsMain() {
  return {kMain, std::size(kMain)};
}

}  // namespace dispatch
