// What the dispatch, the librarian menus and the jobs share about bank changes and sends.
#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/editor/ProgressIndicator.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"

namespace {

constexpr int kSectionLocks = 40;  // kSectionLockOsc1 .. kSectionLockFX2, a block each
constexpr int kTransferPauseMs = 100;
// A part's sound takes one dump and a settling pause; no send waits longer than this.
constexpr int kSendWaitLimitMs = 20000;

SenderJob partSend(int part) {
  SenderJob job;
  job.code = kSendPartToDevice;
  job.part = part;
  return job;
}

}  // namespace

int Kroma::getTimerValue() const {
  return MIDIMessageSender::getTimerValue(*this);
}

bool Kroma::CheckBankConflict(int part) const {
  const int bank = sysex::truncateValue(getValue(kMultiPartBank + part));
  const int program = sysex::truncateValue(getValue(kMultiPartPatch + part));
  for (int p = 0; p < 16; ++p)
    if (p != part && getValue(kMultiPartStatus + p) == 1.0 && mRouting.mPartBank[p] == bank &&
        mRouting.mPartProgram[p] == program)
      return true;
  return false;
}

bool Kroma::BankChangeMessage(int part) {
  const bool multi = mSelection.mMultiMode;
  if (!multi && (part < 0 || part > 15)) return false;
  const int entry = multi ? 16 : part;
  const int bank = sysex::truncateValue(getValue(multi ? kMultiBank : kMultiPartBank + part));
  const int program = sysex::truncateValue(getValue(multi ? kMultiPatch : kMultiPartPatch + part));
  mSelection.mLastProgram = program;
  mRouting.mPartBank[entry] = bank;
  mRouting.mPartProgram[entry] = program;
  if (!multi && CheckBankConflict(part)) {
    requestLayerHidden("bankPatchConflictWindow", false);
    return false;
  }
  // A part set to the global channel (0) or to all channels (1) has no channel of its own; the
  // global channel would change the Multi instead.
  const int channel =
      sysex::truncateValue(getValue(multi ? kGlobalMidiChannel : kMultiPartMIDICh + part)) -
      (multi ? 1 : 2);
  if (channel < 0 || channel > 15) {
    TK_Log(GetLog(), "", "bank change on channel " + std::to_string(channel + 1) + " not sent");
    return false;
  }
  if (!multi) AllSoundsOff(part, false);
  mRouting.mOutputBlocked = false;
  const uint8_t status = static_cast<uint8_t>(0xB0 | channel);
  const struct {
    IMidiMsg msg;
    int pause;
  } steps[] = {
      {IMidiMsg(0, status, 0, sysex::toDataByte(bank)), 25},
      {IMidiMsg(0, status, 32, multi ? 96 : 64), 25},
      {IMidiMsg(0, static_cast<uint8_t>(0xC0 | channel), sysex::toDataByte(program), 0), 50}};
  for (const auto& step : steps) {
    sendMidiMsgAndLog(&step.msg);
    pauseUnlocked(step.pause);
  }
  mRouting.mOutputBlocked = true;
  pauseUnlocked(getTimerValue());
  return true;
}

void Kroma::sendPatchToDevice(int part, bool multiPush, bool partSoundsFirst, bool globalFirst,
                              bool alsoSendMulti) {
  if (part < 0 || part > 15 || !mParts.mMIDIMessageManager) return;
  mRouting.mSendingSysEx = true;
  mSelection.mSendGlobalFirst = globalFirst;
  mSelection.mSendPartSounds = partSoundsFirst;
  mSelection.mMultiSendRequested = multiPush;
  AllSoundsOff(part, false);
  startSenderJob(partSend(part));
  for (int waited = 0; mParts.mMIDIMessageManager->soundSendBusy && waited < kSendWaitLimitMs;) {
    const int delay = getTimerValue();
    pauseUnlocked(delay);
    waited += delay;
  }
  if (alsoSendMulti) {
    SenderJob multi;
    multi.code = kSendArrangementToDevice;
    startSenderJob(multi);
    pauseUnlocked(2 * getTimerValue());
  }
  mSelection.mMultiSendRequested = false;
}

void Kroma::sendPartDataBackToHardware(int part) {
  if (part < 0 || part > 15) return;
  if (mRouting.mMIDIOutSet && mSelection.mTransferInProgress) pauseUnlocked(kTransferPauseMs);
  for (int section = 0; section < kSectionLocks; ++section) {
    if (getValue(kSectionLockOsc1 + 16 * section + part) != 1.0) continue;
    AllSoundsOff(part, false);
    startSenderJob(partSend(part));
    return;
  }
}

bool Kroma::ThreadRunning() const {
  return mParts.mMIDIMessageManager && mParts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer);
}

void Kroma::DisplayProcessingIndicator(bool show) {
  mSelection.mTransferInProgress = show;
  if (!show) {
    mRouting.mSendingSysEx = false;
    mSelection.mMultiSendRequested = false;
    if (mParts.mMIDIMessageManager) mParts.mMIDIMessageManager->dumpRouting = false;
  }
  if (mWidgets.mTabLayers.progress) mWidgets.mTabLayers.progress->request(show);
  if (getValue(kMainTab) == 1.0) {
    if (show) {
      requestLayerHidden("categoryLimit", true);
      requestLayerHidden("searchField", true);
      requestGrayOut(kPatchSearch, true);
    } else if (!mSelection.mMultiMode) {
      requestLayerHidden(getValue(kPatchSearch) == 1.0 ? "searchField" : "categoryLimit", false);
      requestGrayOut(kPatchSearch, false);
    }
  }
  if (!show) mRouting.mOutputBlocked = false;
}
