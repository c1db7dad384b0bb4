// Every short message and dump that goes to the synthesizer, and the activity LEDs.
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/detail/DebuggerOutput.h"
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
  if (!msg || (mSelection.mTransferInProgress && mRouting.mOutputBlocked)) return;
  if (!mRouting.mQueuedOutput) {
    sendMidiMsgAndLog(msg);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mRouting.mQueueLock);
    if (mRouting.mMidiQueue.Count() < kQueueLimit) {
      mRouting.mMidiQueue.Add(msg);
      return;
    }
  }
  mRouting.mOverflowTime = GetTickCount();
  mRouting.mOutputOverflow = true;
  mSelection.mTransferInProgress = true;
  mRouting.mOutputBlocked = true;
  mRouting.mDAWFilterBlocked[kNoteFilter] = true;
}

void Kroma::sendMidiMsgAndLog(const IMidiMsg* msg) {
  if (!mRouting.mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  if (!mRouting.mTrackIncomingMIDI) lightLed(IncomingChannel::partOnChannel(*this, msg->Channel()));
  sendMidiMsgToDevice(msg);
}

void Kroma::showIncomingActivity(int channel) {
  if (mRouting.mTrackIncomingMIDI) lightLed(IncomingChannel::partOnChannel(*this, channel));
}

void Kroma::lightLed(int part) {
  if (part < 0 || part > 15 || !mGraphics || mClock.mLEDActive[part]) return;
  setParameterFromPlug(kMIDILed + part, 1.0);
  mClock.mLEDTime[part] = GetTickCount();
  mClock.mLEDActive[part] = 1;
}

void Kroma::ledOff(int part) {
  setParameterFromPlug(kMIDILed + part, 0.0);
  mClock.mLEDActive[part] = 0;
}

int Kroma::partChannel(int part) const {
  const int setting = sysex::truncateValue(getValue(kMultiPartMIDICh + part));
  const int channel =
      setting == 0 ? sysex::truncateValue(getValue(kGlobalMidiChannel)) - 1 : setting - 2;
  return channel >= 0 && channel <= 15 ? channel : -1;
}

void Kroma::AllSoundsOff(int part, bool allParts) {
  if (!mRouting.mMIDIOutSet) return;
  for (int p = 0; p < 16; ++p) {
    if (allParts ? getValue(kMultiPartStatus + p) == 0.0 : p != part) continue;
    const int channel = partChannel(p);
    if (channel < 0) continue;
    const IMidiMsg off(0, static_cast<uint8_t>(0xB0 | channel), kAllNotesOff, 0);
    MIDIOutRoutingSwitch(&off);
  }
  mRouting.mOutputBlocked = true;
}

void Kroma::checksumCheckAndSend(unsigned char* data, int length) {
  if (!mRouting.mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  sysex::applySendChecksum(data, length);
  SendMidiSysex(data, length);
  DebuggerOutput::logSysExOutMessageByte(data, length);
}

void Kroma::sendRealTimeByte(unsigned char byte) {
  if (mRouting.mMIDIOutSet) sendBytesToDevice(&byte, 1);
}

int Kroma::getCCControls(int channelKey, int cc, int subKey) const {
  const IControl* control =
      mParts.mUIConfigManager
          ? mParts.mUIConfigManager->ccControls().findControl(channelKey, cc, subKey)
          : nullptr;
  return control ? control->ParamIdx() : -1;
}

// The filter tables hold one entry per kind: CC, program change, notes, pitch wheel, poly and
// channel aftertouch, SysEx.
bool Kroma::midiKindBlocked(int kind, bool fromDevice) const {
  constexpr int kEntryOfKind[] = {2, 2, 4, 0, 1, 5, 3};  // note off .. pitch wheel
  if (kind < IMidiMsg::kNoteOff || kind > IMidiMsg::kPitchWheel) return true;
  const int entry = kEntryOfKind[kind - IMidiMsg::kNoteOff];
  return fromDevice ? mRouting.mHWFilterBlocked[entry] : mRouting.mDAWFilterBlocked[entry];
}
