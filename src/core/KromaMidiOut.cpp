// Every short message and dump that goes to the synthesizer, and the activity LEDs.
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/DebuggerOutput.h"
#include "src/core/Kroma.h"
#include "src/protocol/IncomingChannel.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/wsys/Timing.h"

namespace {

// Queued messages beyond this many are an overflow.
constexpr int kQueueLimit = 1024;
constexpr int kAllNotesOff = 123;
constexpr int kNoteFilter = 2;  // entry of the MIDI filter tables

}  // namespace

void Kroma::MIDIOutRoutingSwitch(const IMidiMsg* msg) {
  if (!msg || (mTransferInProgress && mOutputBlocked)) return;
  if (!mQueuedOutput) {
    sendMidiMsgAndLog(msg);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mQueueLock);
    if (mMidiQueue.Count() < kQueueLimit) {
      mMidiQueue.Add(msg);
      return;
    }
  }
  mOverflowTime = GetTickCount();
  mOutputOverflow = true;
  mTransferInProgress = true;
  mOutputBlocked = true;
  mDAWFilterBlocked[kNoteFilter] = true;
}

void Kroma::sendMidiMsgAndLog(const IMidiMsg* msg) {
  if (!mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  if (!mTrackIncomingMIDI) lightLed(IncomingChannel::partOnChannel(*this, msg->Channel()));
  sendMidiMsgToDevice(msg);
}

void Kroma::showIncomingActivity(int channel) {
  if (mTrackIncomingMIDI) lightLed(IncomingChannel::partOnChannel(*this, channel));
}

void Kroma::lightLed(int part) {
  if (part < 0 || part > 15 || !mGraphics || mLEDActive[part]) return;
  setParameterFromPlug(kMIDILed + part, 1.0);
  mLEDTime[part] = GetTickCount();
  mLEDActive[part] = 1;
}

void Kroma::ledOff(int part) {
  setParameterFromPlug(kMIDILed + part, 0.0);
  mLEDActive[part] = 0;
}

int Kroma::partChannel(int part) const {
  const int setting = sysex::truncateValue(getValue(kMultiPartMIDICh + part));
  const int channel =
      setting == 0 ? sysex::truncateValue(getValue(kGlobalMidiChannel)) - 1 : setting - 2;
  return channel >= 0 && channel <= 15 ? channel : -1;
}

void Kroma::AllSoundsOff(int part, bool allParts) {
  if (!mMIDIOutSet) return;
  for (int p = 0; p < 16; ++p) {
    if (allParts ? getValue(kMultiPartStatus + p) == 0.0 : p != part) continue;
    const int channel = partChannel(p);
    if (channel < 0) continue;
    const IMidiMsg off(0, static_cast<uint8_t>(0xB0 | channel), kAllNotesOff, 0);
    MIDIOutRoutingSwitch(&off);
  }
  mOutputBlocked = true;
}

void Kroma::checksumCheckAndSend(unsigned char* data, int length) {
  if (!mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  sysex::applySendChecksum(data, length);
  SendMidiSysex(data, length);
  DebuggerOutput::logSysExOutMessageByte(data, length);
}

void Kroma::sendRealTimeByte(unsigned char byte) {
  if (mMIDIOutSet) sendBytesToDevice(&byte, 1);
}

int Kroma::getCCControls(int channelKey, int cc, int subKey) const {
  const IControl* control = mUIConfigManager
                                ? mUIConfigManager->ccControls().findControl(channelKey, cc, subKey)
                                : nullptr;
  return control ? control->ParamIdx() : -1;
}

// The filter tables hold one entry per kind: CC, program change, notes, pitch wheel, poly and
// channel aftertouch, SysEx.
bool Kroma::midiKindBlocked(int kind, bool fromDevice) const {
  constexpr int kEntryOfKind[] = {2, 2, 4, 0, 1, 5, 3};  // note off .. pitch wheel
  if (kind < IMidiMsg::kNoteOff || kind > IMidiMsg::kPitchWheel) return true;
  const int entry = kEntryOfKind[kind - IMidiMsg::kNoteOff];
  return fromDevice ? mHWFilterBlocked[entry] : mDAWFilterBlocked[entry];
}
