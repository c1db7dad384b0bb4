// The audio callback as the plug-in's clock, the host's reset, and the connection check.
#include <algorithm>
#include <cmath>
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

// The host's tempo in whole BPM, held to what the Multi tempo takes so that any value past the int
// range converts.
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
  GetTime(&mClock.mTimeInfo);
  if (!mRouting.mMIDIOutSet || !mParts.mMIDIMessageManager) return;
  const bool running = mClock.mTimeInfo.mTransportIsRunning;
  followTransport(running);
  if (!mClock.mContinuousClockStarted) startContinuousClock();
  if (GetParam(kOverrideTempo)->Value() == 1.0) followHostTempo();
  int n = nFrames;
  if (mRouting.mQueuedOutput) n = mRouting.mBlockSize < 0 ? 1 : mRouting.mBlockSize.load();
  if (mRouting.mQueuedOutput && mGraphics) showOutputDelay(n);
  if (n > 0) {
    drainQueue(0);
    if (!running && mClock.mFreshReset.exchange(false)) {
      AllSoundsOff(0, true);
      for (int part = 0; part < 16; ++part)
        if (mClock.mLEDActive[part]) ledOff(part);
    }
    drainQueue(n - 1);
    if (mGraphics) turnLedsOff();
  }
  {
    std::lock_guard<std::mutex> lock(mRouting.mQueueLock);
    mRouting.mMidiQueue.Flush(n);
  }
  sendDeferredDump(false, running);
  sendDeferredDump(true, running);
  playKeptSlot();
  if (mRouting.mOutputOverflow && GetTickCount() - mRouting.mOverflowTime > kOverflowMs) {
    mRouting.mOutputOverflow = false;
    mSelection.mTransferInProgress = false;
    mRouting.mOutputBlocked = false;
    mRouting.mDAWFilterBlocked[kNoteFilter] = false;
  }
}

// MIDI Start and Stop follow the transport. A start that finds its lane busy is tried again in
// the next block, so that no Stop goes missing.
void Kroma::followTransport(bool running) {
  if (running != mClock.mTransportWasRunning) mClock.mTransportWasRunning = running;
  if (mRouting.mQueuedOutput || running == mClock.mClockRunning) return;
  if (startSenderJob(jobOf(running ? kStartMIDIClockOutput : kStopMIDIClockOutput)))
    mClock.mClockRunning = running;
}

// A clock loop that is still running is asked to leave first, so that the restart takes the
// tempo of now.
void Kroma::startContinuousClock() {
  MIDIMessageSender& sender = mParts.mMIDIMessageManager->sender();
  if (mParts.mMIDIMessageManager->isLaneRunning(Lane::kContinuousClock)) {
    sender.resetContinuousClock(true);
    return;
  }
  sender.resetContinuousClock(false);
  SenderJob clock = jobOf(kSendContinuousMIDIClock);
  clock.clockArgument = 120;
  if (startSenderJob(clock)) mClock.mContinuousClockStarted = true;
}

void Kroma::followHostTempo() {
  // A host that gives no tempo (GetTempo's 0) or an invalid one leaves the Multi's own.
  const double hostTempo = GetTempo();
  if (!(hostTempo > 0.0 && std::isfinite(hostTempo))) return;
  const int tempo = heldTempo(hostTempo, *GetParam(kMultiTempo));
  if (tempo - kTempoOffset != mClock.mLastTempo) {
    mClock.mLastTempo = tempo - kTempoOffset;
    mClock.mTempoStatus = false;
    if (mParts.mDebugLogging) TK_Log(GetLog(), "PROCESSOR: ", "Host tempo is out of sync!");
  }
  if (mClock.mTempoStatus) return;
  if (mParts.mDebugLogging)
    TK_Log(GetLog(), "PROCESSOR: ", "Host tempo synced to " + std::to_string(tempo) + "BPM");
  setParameterFromPlug(kMultiTempo, mClock.mLastTempo);
  mClock.mTempoStatus = true;
}

void Kroma::showOutputDelay(int frames) {
  if (!mWidgets.mMIDIOutDelayDisplayControl) return;
  char text[48];
  std::snprintf(text, sizeof text, "%dms|%dbfr",
                static_cast<int>(1000 / (mClock.mSampleRate / frames)), GetBlockSize());
  mWidgets.mMIDIOutDelayDisplayControl->SetTextFromPlug(text);
}

void Kroma::drainQueue(int lastOffset) {
  for (;;) {
    IMidiMsg msg;
    {
      std::lock_guard<std::mutex> lock(mRouting.mQueueLock);
      const IMidiMsg* first = mRouting.mMidiQueue.Peek();
      if (!first || first->mOffset > lastOffset) return;
      msg = *first;
      mRouting.mMidiQueue.Remove();
    }
    if (mRouting.mQueuedOutput) sendMidiMsgAndLog(&msg);
  }
}

void Kroma::turnLedsOff() {
  const unsigned now = GetTickCount();
  for (int part = 0; part < 16; ++part)
    if (mClock.mLEDActive[part] && now - mClock.mLEDTime[part] > kLedOnMs) ledOff(part);
}

// A held, refused or crowded-out dump stays pending until its job has started. The Multi waits
// for Shift and the mouse button, the Global for the mouse button only.
void Kroma::sendDeferredDump(bool global, bool running) {
  std::atomic<bool>& pending = global ? mClock.mGlobalSendPending : mClock.mMultiSendPending;
  std::atomic<bool>& atStop = global ? mClock.mGlobalSendAtStop : mClock.mMultiSendAtStop;
  if (!running && atStop.exchange(false)) pending = true;
  const bool held = keyDown(kLeftButton) || (!global && keyDown(kShiftKey));
  if (!pending || held || mRouting.mSendingSysEx || transferRunning()) return;
  pending = false;
  sendWholeDump(global, false);
}

bool Kroma::transferRunning() const {
  return (mWidgets.mTabLayers.progress && mWidgets.mTabLayers.progress->requested()) ||
         ThreadRunning();
}

void Kroma::sendWholeDump(bool global, bool allNotesOff) {
  setTextDisplay(kControlDisplayCC, global ? "GLOBAL" : "MULTI");
  std::atomic<bool>& pending = global ? mClock.mGlobalSendPending : mClock.mMultiSendPending;
  const char* stopText =
      global ? "STOP PLAYBACK TO SEND GLOBAL DATA" : "STOP PLAYBACK TO SEND MULTI DATA";
  // Kept rather than dropped, here and when the lane is busy: the synthesizer would else keep
  // settings, or an id, other than those the editor shows.
  if (mWidgets.mTabLayers.progress && mWidgets.mTabLayers.progress->requested()) {
    pending = true;
    return;
  }
  if (mClock.mTransportWasRunning && mClock.mFreshReset && mRouting.mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, stopText);
    (global ? mClock.mGlobalSendAtStop : mClock.mMultiSendAtStop) = true;
    return;
  }
  if (allNotesOff) AllSoundsOff(0, true);
  SenderJob job = jobOf(global ? kSendGlobalToDevice : kSendArrangementToDevice);
  job.globalArgument = mRouting.mDeviceID;
  const bool started = startSenderJob(job, [this, global] {
    if (global) return;
    mSelection.mSendPartSounds = true;
    mSelection.mSendGlobalFirst = false;
  });
  if (!started) {
    pending = true;
    return;
  }
  // The refusal's text goes with the send it announced.
  if (mWidgets.mNameDisplay && mWidgets.mNameDisplay->TextEquals(stopText)) showStatus("");
}

void Kroma::Reset() {
  TK_MutexLock lock(mMutex);
  mRouting.mOutputBlocked = false;
  mClock.mSampleRate = GetSampleRate();
  {
    std::lock_guard<std::mutex> queueLock(mRouting.mQueueLock);
    mRouting.mMidiQueue.Resize(GetBlockSize());
  }
  if (mRouting.mBlockSize == 0) mRouting.mBlockSize = GetBlockSize();
  mClock.mFreshReset = true;
  if (mParts.mDebugLogging) TK_Log(GetLog(), "RESET: ", "plug-in " + versionText());
}

std::string Kroma::versionText() const {
  char version[16];
  GetEffectVersionStr(version);
  return version;
}

void Kroma::sendSysExInitialization() {
  if (!mRouting.mMIDIOutSet || mRouting.mSendingSysEx || !mParts.mMIDIMessageManager) return;
  startSenderJob(jobOf(kSendDeviceIdEnquiry),
                 [this] { mParts.mMIDIMessageManager->dumpComplete = false; });
  pauseUnlocked(kEnquiryPauseMs);
}
