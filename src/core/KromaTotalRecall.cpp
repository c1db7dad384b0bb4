// The plug-in's state in the host's project: the current part, the librarian block (start-up
// snapshot, names, MIDI ports, bank and patch selection) and the values of the stored parameters.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>

#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/core/detail/PatchManager.h"
#include "src/protocol/MIDIMessageManager.h"

namespace {

const uint8_t kMarker[4] = {0, 0, 0, 1};
constexpr int kMarkerAndPart = 4 + 8;
constexpr int kTwoDoubles = 16;
// The Multi push sends the Global, the Multi and up to 16 sounds: about nine seconds.
constexpr int kPushPause = 25;
constexpr std::chrono::seconds kPushLimit(20);
constexpr int kOldDeviceIdMax = 1;

int64_t remaining(const ByteChunk& chunk, int pos) {
  return pos < 0 ? -1 : static_cast<int64_t>(chunk.Size()) - pos;
}

std::string displayText(const IParam* param) {
  return param->GetDisplayText(param->Int());
}

// Set for the life of a restore.
class Restoring {
 public:
  explicit Restoring(std::atomic<bool>& flag) : mFlag(flag) { mFlag = true; }
  ~Restoring() { mFlag = false; }
  Restoring(const Restoring&) = delete;
  Restoring& operator=(const Restoring&) = delete;

 private:
  std::atomic<bool>& mFlag;
};

}  // namespace

bool Kroma::SerializeState(ByteChunk* chunk) {
  if (!chunk) return false;
  SerializeState2(chunk, true);
  return true;
}

int Kroma::UnserializeState(ByteChunk* chunk, int startPos) {
  return UnserializeState2(chunk, startPos, true);
}

void Kroma::SerializeState2(ByteChunk* chunk, bool withLibrarian) {
  TK_MutexLock lock(mMutex);
  if (withLibrarian) {
    storePortNames();
    markLibrarianViewDirty();
  }
  appendStateBody(chunk, withLibrarian);
}

void Kroma::storePortNames() {
  const struct {
    int slot, param;
    const std::string& absent;
  } ports[] = {{Patch::kMIDIInPortSlot, kDeviceInSelection, mRouting.mAbsentPortNames[0]},
               {Patch::kMIDIOutPortSlot, kDeviceOutSelection, mRouting.mAbsentPortNames[1]}};
  for (const auto& port : ports) {
    std::string name = port.absent.empty() ? displayText(GetParam(port.param)) : port.absent;
    mParts.mPatchManager->setName(port.slot, name.empty() ? "Set Name" : name);
  }
}

void Kroma::appendStateBody(ByteChunk* chunk, bool withLibrarian) {
  chunk->AppendBytes(kMarker, sizeof kMarker);
  chunk->AppendValue(GetParam(kQuickTab)->Value());
  SerializeParams(chunk);
  if (withLibrarian) {
    mParts.mPatchManager->saveAllToChunk(chunk);
    for (int param : {kDeviceInSelection, kDeviceOutSelection, kBankSelection, kPatchSelection})
      chunk->AppendValue(GetParam(param)->GetNormalized());
  }
  SerializeNonAutomatedParams(chunk, NonAutomatedCount() - kUnsavedParams);
}

// The port names go into their slots as a save puts them, so that a save changes nothing here.
const ByteChunk& Kroma::stateNow() {
  TK_MutexLock lock(mMutex);
  storePortNames();
  mParts.mStateNow.Clear();
  appendStateBody(&mParts.mStateNow, true);
  return mParts.mStateNow;
}

void Kroma::countStateChanges() {
  std::atomic<unsigned>* changes = StateChangeCounter();
  for (int i = NHostParams(); i < NParams() - kUnsavedParams; ++i)
    GetParam(i)->CountChangesIn(changes);
  for (int param : {kQuickTab, kDeviceInSelection, kDeviceOutSelection})
    GetParam(param)->CountChangesIn(changes);
}

void Kroma::OnIdle() {
  const SynthStep step = mClock.mSynthStep;
  if (step == SynthStep::kPushDue || mClock.mPushRunning)
    pushWhenPending();
  else if (step == SynthStep::kRelinking)
    tellRelinkedUnsure();
  lookAtPorts();
  if (stateChangeToTell()) InformHostOfProgramChange();
}

// Values from the synthesizer are judged once they held still from one look to the next and no
// transfer runs, so that a dump is judged whole; an edit in the editor at the next look.
bool Kroma::stateChangeToTell() {
  const unsigned changes = StateChanges();
  if (changes == mParts.mChangesJudged.load(std::memory_order_relaxed)) return false;
  TK_MutexLock lock(mMutex);
  if (mParts.mRestoring) return false;
  const bool heldStill = changes == mParts.mChangesLooked;
  mParts.mChangesLooked = changes;
  const unsigned edits = Edits();
  if (edits == mParts.mEditsJudged && (!heldStill || ThreadRunning())) return false;
  mParts.mEditsJudged = edits;
  mParts.mChangesJudged = changes;
  stateNow();
  takeOutsideValuesAsKnown();
  if (mParts.mStateNow == mParts.mStateHostKnows) return false;
  mParts.mStateHostKnows = mParts.mStateNow;
  return true;
}

// The parameter values close the state, each a double, right behind the places of the two ports
// and the bank and patch selections: in two states of one size these lie at the same places.
void Kroma::takeOutsideValuesAsKnown() {
  ByteChunk& known = mParts.mStateHostKnows;
  const ByteChunk& now = mParts.mStateNow;
  if (known.Size() != now.Size()) return;
  constexpr int kValue = sizeof(double);
  const int values = now.Size() - kValue * (NonAutomatedCount() - kUnsavedParams);
  const auto take = [&](int pos, int bytes) {
    std::memcpy(known.Data() + pos, now.Data() + pos, static_cast<size_t>(bytes));
  };
  take(values - 2 * kTwoDoubles, kTwoDoubles);
  const bool tempoFromHost = GetParam(kOverrideTempo)->Value() == 1.0 && mClock.mTempoStatus &&
                             GetParam(kMultiTempo)->Int() == mClock.mLastTempo;
  if (tempoFromHost) take(values + kValue * (kMultiTempo - NHostParams()), kValue);
}

bool Kroma::hostKnowsState() {
  TK_MutexLock lock(mMutex);
  return stateNow() == mParts.mStateHostKnows;
}

void Kroma::hostKnowsStateNow() {
  TK_MutexLock lock(mMutex);
  const unsigned changes = StateChanges();
  mParts.mChangesLooked = changes;
  mParts.mEditsJudged = Edits();
  mParts.mStateHostKnows = stateNow();
  mParts.mChangesJudged = changes;
}

int Kroma::UnserializeState2(ByteChunk* chunk, int startPos, bool withLibrarian) {
  if (!chunk) return -1;
  TK_MutexLock lock(mMutex);
  // Also while the Multi's push lets go of the lock: the idle call waits for the end.
  const Restoring restoring(mParts.mRestoring);
  int pos = startPos;
  // The section where a damaged or cut state first broke off, and the byte it began at.
  std::string brokeOff;
  auto advance = [&](int next, const std::string& section) {
    if (pos >= 0 && next < 0 && brokeOff.empty())
      brokeOff = section + " at byte " + std::to_string(pos);
    pos = next;
  };
  double part = 0.0;
  if (remaining(*chunk, pos) >= kMarkerAndPart) chunk->ReadValue(part, pos + 4);
  advance(remaining(*chunk, pos) >= kMarkerAndPart ? pos + kMarkerAndPart : -1, "the current part");
  GetParam(kQuickTab)->SetClamped(std::isnan(part) ? 0.0 : part);
  mSelection.mCurrentPart = GetParam(kQuickTab)->Int();
  if (GetParam(kDeviceOutSelection)->Int() > 0 && outputPortOpen()) mRouting.mMIDIOutSet = true;
  pos = UnserializeParams(chunk, pos);

  if (withLibrarian) {
    advance(mParts.mPatchManager->loadAllFromChunk(chunk, pos), "the snapshot and names");
    advance(remaining(*chunk, pos) >= kTwoDoubles ? pos + kTwoDoubles : -1, "the port selections");
    reselectPort(Patch::kMIDIInPortSlot, true);
    reselectPort(Patch::kMIDIOutPortSlot, false);
    showPortsAbsent();
    recallLog("MIDI In device after checking devices " + displayText(GetParam(kDeviceInSelection)));
    recallLog("MIDI Out device after checking devices " +
              displayText(GetParam(kDeviceOutSelection)));
    double bank = 0.0, patch = 0.0;
    if (remaining(*chunk, pos) >= kTwoDoubles) {
      chunk->ReadValue(bank, pos);
      chunk->ReadValue(patch, pos + 8);
      GetParam(kBankSelection)->SetNormalized(bank);
      GetParam(kPatchSelection)->SetNormalized(patch);
    }
    advance(remaining(*chunk, pos) >= kTwoDoubles ? pos + kTwoDoubles : -1,
            "the bank and patch selections");
    mParts.mPatchManager->mSelectedBank = GetParam(kBankSelection)->Int();
    mParts.mPatchManager->mSelectedPatch = GetParam(kPatchSelection)->Int();
  }

  const int64_t wholeValues = remaining(*chunk, pos) / 8;
  advance(UnserializeNonAutomatedParams(chunk, pos, NonAutomatedCount() - kUnsavedParams),
          "the parameter values (from parameter " + std::to_string(wholeValues) + ")");
  deriveFromRestoredValues();
  pushRestoredMulti();
  recallLog("MIDI In device after nonautomated params " +
            displayText(GetParam(kDeviceInSelection)));
  recallLog("MIDI Out device after nonautomated params " +
            displayText(GetParam(kDeviceOutSelection)));
  mainTabSwitch(0, 0);
  if (!brokeOff.empty()) {
    recallLog("state broke off in " + brokeOff);
    showStatus("PROJECT STATE NOT READ WHOLE!");
  }
  hostKnowsStateNow();
  return pos;
}

// The stored port, taken as absent, opens when the ports listed now have it.
void Kroma::reselectPort(int slot, bool input) {
  std::string stored;
  mParts.mPatchManager->getName(&stored, slot);
  recallLog(std::string(input ? "MIDI In" : "MIDI Out") + " device stored " + stored);
  closePort(input);
  GetParam(input ? kDeviceInSelection : kDeviceOutSelection)->Set(0);
  mRouting.mAbsentPortNames[input ? 0 : 1] = stored == "OFF" ? "" : stored;
  listPorts(input);
}

void Kroma::deriveFromRestoredValues() {
  auto value = [this](int param) { return GetParam(param)->Value(); };
  // The id the synthesizer answered to when the project was saved. A DEVICE ID it had not taken
  // yet reaches it with the push's Global dump, addressed to this id.
  mRouting.mDeviceID = answeredIdOfProject();
  setStoredValue(kDeviceID_old, mRouting.mDeviceID);
  recallLog("hardware DeviceID " + std::to_string(mRouting.mDeviceID));
  for (int k = 0; k < 7; ++k) {
    mRouting.mDAWFilterBlocked[k] = value(kMIDIFilterDAWCCPassThrough + k) != 1.0;
    mRouting.mHWFilterBlocked[k] = value(kMIDIFilterHWCCPassThrough + k) != 1.0;
  }
  mRouting.mTrackIncomingMIDI = value(kMIDIFilterTrackIncomingMIDI) == 1.0;
  mRouting.mQueuedOutput = value(kMIDIFilterToDAWBuffer) == 1.0;
  mClock.mSendClockPointer = value(kSendMIDIClockPointer) == 1.0;
  mClock.mSendClockInfo = value(kSendMIDIClockInfo) == 1.0;
  mRouting.mBlockDeviceInput = GetParam(kMasterKeyboard)->Int() == 1;
  mSelection.mKeepSelectedBank = GetParam(kKeepSelectedBank)->Int() != 0;
  mSelection.mProgBankMode = GetParam(kControlProgBank)->Int() == 1;
  mSelection.mShowProgramNames = !mSelection.mProgBankMode && GetParam(kControlLibrary)->Int() == 1;
  mRouting.mLocalControlFlag = GetParam(kGlobalLocalControl)->Int() == 1;
  mRouting.mBlockSize = 2 * GetParam(kAdjustDAWOffset)->Int() + GetBlockSize();

  std::string name;
  mParts.mPatchManager->getName(&name, Patch::kMultiNameSlot);
  GetParam(kMultiName)->SetDisplayText(0, name.c_str());
  recallLog("Multi name " + std::string(name.c_str()));
  for (int p = 0; p < 16; ++p) {
    std::string category;
    mParts.mPatchManager->getName(&name, Patch::kFirstPatchNameSlot + p);
    mParts.mPatchManager->getName(&category, Patch::kFirstCategorySlot + p);
    GetParam(kPatchName + p)->SetDisplayText(0, name.c_str());
    // No text for the category: the display names it by its number, which the values brought
    // back (a text would also cut the number's range to 0).
    mRouting.mPartBank[p] = GetParam(kMultiPartBank + p)->Int();
    mRouting.mPartProgram[p] = GetParam(kMultiPartPatch + p)->Int();
    if (mParts.mDebugLogging)
      recallLog("Part " + std::to_string(p) + " name " + name.c_str() + " | Category name " +
                category.c_str() + " | Bank " + std::to_string(mRouting.mPartBank[p]) +
                " |\xC2\xA0Program " + std::to_string(mRouting.mPartProgram[p]));
  }
  mRouting.mPartBank[16] = GetParam(kMultiBank)->Int();
  mRouting.mPartProgram[16] = GetParam(kMultiPatch)->Int();
}

// Projects saved while kDeviceID_old held only 0..1 keep 0 or 1 there: beside another DEVICE ID
// that is no id the synthesizer answered to, and DEVICE ID is the one it had.
int Kroma::answeredIdOfProject() {
  const int answered = GetParam(kDeviceID_old)->Int();
  const int chosen = GetParam(kGlobalSysExID)->Int();
  return answered <= kOldDeviceIdMax && answered != chosen ? chosen : answered;
}

// A push that cannot go now waits, as the deferred sends do: the synthesizer would else keep
// settings other than the project's.
void Kroma::pushRestoredMulti() {
  mClock.mSynthStep = SynthStep::kPushDue;
  if (!projectPushCanGo() || !startProjectPush()) return;
  awaitTransferLane();
  endProjectPush();
  // The answer check is waited for as the push is: a request the musician starts after the
  // restore finds the lane free.
  awaitTransferLane();
}

bool Kroma::projectPushCanGo() const {
  return mRouting.mMIDIOutSet && outputPortOpen() && !mRouting.mSendingSysEx && !transferRunning();
}

bool Kroma::startProjectPush() {
  SenderJob multi;
  multi.code = kSendArrangementToDevice;
  return startSenderJob(multi, [this] {
    // Until the answer check hears the synthesizer: a port lost meanwhile, or an id no
    // synthesizer answers to, loses the push.
    mClock.mSynthStep = SynthStep::kPushOwed;
    mRouting.mSendingSysEx = true;
    mSelection.mSendGlobalFirst = true;
    mSelection.mSendPartSounds = true;
    mSelection.mMultiSendRequested = true;
  });
}

void Kroma::endProjectPush() {
  mSelection.mSendGlobalFirst = false;
  mRouting.mSendingSysEx = false;
  mSelection.mSendPartSounds = false;
  if (!mParts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer))
    mSelection.mMultiSendRequested = false;
  checkPushAnswered();
}

void Kroma::awaitTransferLane() {
  const auto deadline = std::chrono::steady_clock::now() + kPushLimit;
  while (mParts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer) &&
         std::chrono::steady_clock::now() < deadline)
    pauseUnlocked(kPushPause);
}

// A push to an id no synthesizer answers to is lost unseen: the editor would show values the
// synthesizer does not hold. Without an input no answer could be heard.
void Kroma::checkPushAnswered() {
  if (!inputPortOpen()) return;
  SenderJob check;
  check.code = kCheckPushAnswered;
  startSenderJob(check);
}

// What the push changes (the id a DEVICE ID not yet sent gives the synthesizer) is no edit: a
// host that knew the state it started from knows the one it leaves, unless an edit came since the
// last look, which this look tells.
void Kroma::pushWhenPending() {
  TK_MutexLock lock(mMutex);
  if (mClock.mPushRunning) {
    if (transferRunning()) return;
    mClock.mPushRunning = false;
    endProjectPush();
    if (mClock.mPushFromKnownState && Edits() == mParts.mEditsJudged) hostKnowsStateNow();
    return;
  }
  if (mClock.mSynthStep != SynthStep::kPushDue || !projectPushCanGo()) return;
  mClock.mPushFromKnownState = hostKnowsState();
  mClock.mPushRunning = startProjectPush();
}

bool Kroma::projectPushPending() const {
  const SynthStep step = mClock.mSynthStep;
  return step == SynthStep::kPushDue || step == SynthStep::kPushOwed;
}

// The synthesizer found, on whatever id: the push it is owed goes there.
void Kroma::synthesizerAnswered() {
  SynthStep owed = SynthStep::kPushOwed;
  mClock.mSynthStep.compare_exchange_strong(owed, SynthStep::kPushDue);
}

// A push still due carries values the synthesizer has not had.
void Kroma::synthesizerInStep() {
  SynthStep step = mClock.mSynthStep;
  while (step != SynthStep::kPushDue &&
         !mClock.mSynthStep.compare_exchange_weak(step, SynthStep::kInStep)) {
  }
}

// Back from a loss, the synthesizer may have started afresh: it plays its power-on values.
void Kroma::linkIsBack() {
  SynthStep inStep = SynthStep::kInStep, unsure = SynthStep::kUnsure;
  if (!mClock.mSynthStep.compare_exchange_strong(inStep, SynthStep::kPushOwed))
    mClock.mSynthStep.compare_exchange_strong(unsure, SynthStep::kRelinking);
}

// On the line below the check's outcome, which stays.
void Kroma::tellRelinkedUnsure() {
  if (transferRunning()) return;
  SynthStep relinking = SynthStep::kRelinking;
  if (mClock.mSynthStep.compare_exchange_strong(relinking, SynthStep::kUnsure))
    setTextDisplay(kControlDisplayValue, "Synth may differ from editor");
}

void Kroma::recallLog(const std::string& message) const {
  TK_Log(GetLog(), "PROJECT RECALL: ", message);
}
