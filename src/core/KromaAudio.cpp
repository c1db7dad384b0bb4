// The audio callback as the plug-in's clock, the host's reset, and the connection check.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/editor/ProgressIndicator.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/Timing.h"

namespace {

// Times on the wrapping tick count are compared by what has elapsed since.
constexpr unsigned kLedOnMs = 100;
constexpr unsigned kOverflowMs = 1000;
constexpr int kTempoOffset = 65;  // kMultiTempo 0 is 65 BPM
constexpr int kEnquiryPauseMs = 100;
constexpr int kShiftKey = 16;
constexpr int kLeftButton = 1;
constexpr int kNoteFilter = 2;

// The host's tempo in whole BPM, held to what the Multi tempo takes so that any value (infinite,
// not a number, past the int range) converts.
int heldTempo(double bpm, const IParam& tempo) {
  const double low = tempo.GetMin() + kTempoOffset;
  if (!(bpm >= low)) return static_cast<int>(low);
  return static_cast<int>(std::min(bpm, tempo.GetMax() + kTempoOffset));
}

bool keyDown(int key) {
  return GetAsyncKeyState(key) != 0;
}

// A job that takes no arguments beyond its code.
SenderJob jobOf(int code) {
  SenderJob job;
  job.code = code;
  return job;
}

}  // namespace

void Kroma::ProcessDoubleReplacing(double**, double** outputs, int nFrames) {
  for (int channel = 0; outputs && channel < NOutChannels(); ++channel)
    if (outputs[channel]) std::memset(outputs[channel], 0, sizeof(double) * nFrames);
  GetTime(&mTimeInfo);
  if (!mMIDIOutSet || !mMIDIMessageManager) return;
  const bool running = mTimeInfo.mTransportIsRunning;
  followTransport(running);
  if (!mContinuousClockStarted) startContinuousClock();
  if (GetParam(kOverrideTempo)->Value() == 1.0) followHostTempo();
  int n = nFrames;
  if (mQueuedOutput) n = mBlockSize < 0 ? 1 : mBlockSize.load();
  if (mQueuedOutput && mGraphics) showOutputDelay(n);
  if (n > 0) {
    drainQueue(0);
    if (!running && mFreshReset.exchange(false)) {
      AllSoundsOff(0, true);
      for (int part = 0; part < 16; ++part)
        if (mLEDActive[part]) ledOff(part);
    }
    drainQueue(n - 1);
    if (mGraphics) turnLedsOff();
  }
  {
    std::lock_guard<std::mutex> lock(mQueueLock);
    mMidiQueue.Flush(n);
  }
  if (mMultiSendPending && !mSendingSysEx && !keyDown(kShiftKey) && !keyDown(kLeftButton)) {
    sendWholeDump(false, false);
    mMultiSendPending = false;
  }
  if (mGlobalSendPending && !mSendingSysEx && !keyDown(kLeftButton)) {
    sendWholeDump(true, false);
    mGlobalSendPending = false;
  }
  if (mOutputOverflow && GetTickCount() - mOverflowTime > kOverflowMs) {
    mOutputOverflow = false;
    mTransferInProgress = false;
    mOutputBlocked = false;
    mDAWFilterBlocked[kNoteFilter] = false;
  }
}

// MIDI Start and Stop follow the transport. A start that finds its lane busy is tried again in
// the next block, so that no Stop goes missing.
void Kroma::followTransport(bool running) {
  if (running != mTransportWasRunning) mTransportWasRunning = running;
  if (mQueuedOutput || running == mClockRunning) return;
  if (startSenderJob(jobOf(running ? kStartMIDIClockOutput : kStopMIDIClockOutput)))
    mClockRunning = running;
}

// A clock loop that is still running is asked to leave first, so that the restart takes the
// tempo of now.
void Kroma::startContinuousClock() {
  MIDIMessageSender& sender = mMIDIMessageManager->sender();
  if (mMIDIMessageManager->isLaneRunning(Lane::kContinuousClock)) {
    sender.resetContinuousClock(true);
    return;
  }
  sender.resetContinuousClock(false);
  SenderJob clock = jobOf(kSendContinuousMIDIClock);
  clock.clockArgument = 120;
  if (startSenderJob(clock)) mContinuousClockStarted = true;
}

void Kroma::followHostTempo() {
  const int tempo = heldTempo(GetTempo(), *GetParam(kMultiTempo));
  if (tempo - kTempoOffset != mLastTempo) {
    mLastTempo = tempo - kTempoOffset;
    mTempoStatus = false;
    if (mDebugLogging) TK_Log(GetLog(), "PROCESSOR: ", "Host tempo is out of sync!");
  }
  if (mTempoStatus) return;
  if (mDebugLogging)
    TK_Log(GetLog(), "PROCESSOR: ", "Host tempo synced to " + std::to_string(tempo) + "BPM");
  setParameterFromPlug(kMultiTempo, mLastTempo);
  mTempoStatus = true;
}

void Kroma::showOutputDelay(int frames) {
  if (!mMIDIOutDelayDisplayControl) return;
  char text[48];
  std::snprintf(text, sizeof text, "%dms|%dbfr", static_cast<int>(1000 / (mSampleRate / frames)),
                GetBlockSize());
  mMIDIOutDelayDisplayControl->SetTextFromPlug(text);
}

void Kroma::drainQueue(int lastOffset) {
  for (;;) {
    IMidiMsg msg;
    {
      std::lock_guard<std::mutex> lock(mQueueLock);
      const IMidiMsg* first = mMidiQueue.Peek();
      if (!first || first->mOffset > lastOffset) return;
      msg = *first;
      mMidiQueue.Remove();
    }
    if (mQueuedOutput) sendMidiMsgAndLog(&msg);
  }
}

void Kroma::turnLedsOff() {
  const unsigned now = GetTickCount();
  for (int part = 0; part < 16; ++part)
    if (mLEDActive[part] && now - mLEDTime[part] > kLedOnMs) ledOff(part);
}

void Kroma::sendWholeDump(bool global, bool allNotesOff) {
  if (!global) {
    mSendPartSounds = true;
    mSendGlobalFirst = false;
  }
  setTextDisplay(kControlDisplayCC, global ? "GLOBAL" : "MULTI");
  if (mTabLayers.progress && mTabLayers.progress->requested()) return;
  if (mTransportWasRunning && mFreshReset && mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, global ? "STOP PLAYBACK TO SEND GLOBAL DATA"
                                               : "STOP PLAYBACK TO SEND MULTI DATA");
    return;
  }
  if (allNotesOff) AllSoundsOff(0, true);
  SenderJob job = jobOf(global ? kSendGlobalToDevice : kSendArrangementToDevice);
  job.globalArgument = mDeviceID;
  startSenderJob(job);
}

void Kroma::Reset() {
  TK_MutexLock lock(mMutex);
  mOutputBlocked = false;
  mSampleRate = GetSampleRate();
  {
    std::lock_guard<std::mutex> queueLock(mQueueLock);
    mMidiQueue.Resize(GetBlockSize());
  }
  if (mBlockSize == 0) mBlockSize = GetBlockSize();
  mFreshReset = true;
  char version[16];
  GetEffectVersionStr(version);
  if (mDebugLogging) TK_Log(GetLog(), "RESET: ", std::string("plug-in ") + version);
  if (mSendingSysEx) return;
  setTextDisplay(kControlDisplayName, "Tessmar Kroma Plug-in");
  setTextDisplay(kControlDisplayValue,
                 mDebugLogging ? std::string(version) + " - 10-Oct-2020" : std::string(version));
  setTextDisplay(kControlDisplayBuild, version);
  setTextDisplay(kControlDisplayCategory, "INIT");
  setTextDisplay(kControlDisplayPatch, "-- INIT --");
  setTextDisplay(kControlDisplayCC, "---");
}

void Kroma::sendSysExInitialization() {
  mInitPending = true;
  if (!mMIDIOutSet || mSendingSysEx || !mMIDIMessageManager) return;
  startSenderJob(jobOf(kSendDeviceIdEnquiry),
                 [this] { mMIDIMessageManager->dumpComplete = false; });
  pauseUnlocked(kEnquiryPauseMs);
}
