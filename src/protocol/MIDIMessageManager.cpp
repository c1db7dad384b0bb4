#include "src/protocol/MIDIMessageManager.h"

#include <chrono>
#include <mutex>
#include <set>
#include <utility>

#include "src/config/ParameterIds.h"
#include "src/protocol/IncomingChannel.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SysExFormat.h"
#include "src/protocol/detail/IncomingSysEx.h"

namespace {

constexpr const char* kLaneNames[kLaneCount] = {"transfer", "clock start/stop", "continuous clock"};

bool isAnswer(const MIDIMessageManager::AwaitedDump& answer, const unsigned char* data, int size) {
  return sysex::hasDumpHeader(data, size, sysex::kGlobalDumpSize, answer.type) &&
         (answer.bank < 0 || data[sysex::kBankOffset] == answer.bank) &&
         (answer.program < 0 || data[sysex::kProgramOffset] == answer.program);
}

int distinctSlots(const std::vector<PatchLibrarian::SlotChange>& journal) {
  std::set<std::pair<const PatchFile*, int>> slots;
  for (const PatchLibrarian::SlotChange& change : journal) slots.emplace(change.file, change.slot);
  return static_cast<int>(slots.size());
}

}  // namespace

MIDIMessageManager::MIDIMessageManager(ProtocolPlugin& plugin, PatchLibrarian& librarian,
                                       TK_LogSink* log, std::unique_ptr<LaneClock> clock)
    : mPlugin(plugin),
      mLibrarian(librarian),
      mLog(log),
      mClock(clock ? std::move(clock) : std::make_unique<SteadyLaneClock>()),
      mDisplays(plugin),
      mRandomizer(plugin),
      mSender(*this, plugin, librarian, *mClock),
      mIncoming(std::make_unique<IncomingSysEx>(*this, plugin, librarian, *mClock, log)),
      mChannel(std::make_unique<IncomingChannel>(*this, plugin, librarian)) {
  mDispatch = mIncoming.get();
  for (int i = 0; i < kLaneCount; ++i)
    mLanes[i] = std::make_unique<JobLane>(
        kLaneNames[i], [this](const SenderJob& job) { mSender.run(job); }, log);
}

MIDIMessageManager::~MIDIMessageManager() {
  shutDown();
}

void MIDIMessageManager::shutDown() {
  mSender.cancelRequested = true;
  mClock->stop();
  for (std::unique_ptr<JobLane>& each : mLanes) each->close();
}

bool MIDIMessageManager::startJob(const SenderJob& job, const std::function<void()>& prepare) {
  Lane which;
  if (!MIDIMessageSender::laneOf(job.code, which)) {
    TK_Log(mLog, "MIDI MESSAGE MANAGER: ", "no job " + std::to_string(job.code));
    return false;
  }
  return lane(which).start(job, prepare);
}

bool MIDIMessageManager::isLaneRunning(Lane which) const {
  return mLanes[static_cast<int>(which)]->isRunning();
}

bool MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) {
  SenderJob job;
  job.code = kSendSinglePatchRequest;
  job.editBuffer = editBuffer;
  job.bank = bank;
  return startJob(job, [this] {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
    mPatchRequest.arm();
    dumpComplete = false;
  });
}

bool MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int bank) {
  SenderJob job;
  job.code = kSendAllPatchRequest;
  job.bank = bank;
  return startJob(job, [this] {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
    mPatchRequest.arm();
  });
}

void MIDIMessageManager::ProcessSysEx(const unsigned char* data, int size, bool fromDevice) {
  if (!fromDevice || data == nullptr || size <= 0) return;
  countGlobalDump(data, size);
  if (collect(data, size)) return;
  const unsigned arming = mArming;
  mAnswerArriving = routeAwaited(data, size);
  const bool routed = mAnswerArriving || dumpRouting;
  if (IncomingSysExDispatch* dispatch = mDispatch) dispatch->dispatch(data, size);
  if (routed) settleAnswer(data, size, arming);
  mAnswerArriving = false;
}

void MIDIMessageManager::countGlobalDump(const unsigned char* data, int size) {
  if (sysex::hasDumpHeader(data, size, sysex::kGlobalDumpSize, sysex::kGlobalDump) &&
      sysex::hasCleanBody(data, size))
    ++mGlobalDumps[data[sysex::kDeviceIdOffset] & 0x7F];
}

bool MIDIMessageManager::routeAwaited(const unsigned char* data, int size) {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  if (!mAwaited || !isAnswer(*mAwaited, data, size)) return false;
  dumpRouting = true;
  return true;
}

void MIDIMessageManager::settleAnswer(const unsigned char* data, int size, unsigned arming) {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  if (!mAwaited) return;
  if (arming == mArming && dumpComplete && isAnswer(*mAwaited, data, size)) {
    mAnswerId = data[sysex::kDeviceIdOffset];
    mAwaited.reset();
  } else if (!dumpRouting) {
    TK_Log(mLog, "MIDI MESSAGE MANAGER: ", "a dump that answers another request taken in");
    dumpComplete = false;
    dumpRouting = true;
  }
}

void MIDIMessageManager::getNormalControl(int type, int location, int high, int low, int value,
                                          bool fromHardware) {
  const int param = mPlugin.getSysexControl(type, location, high, low, 0);
  if (param < 0)
    unhandled = true;
  else
    mIncoming->processSysExToUI(param, value, false, fromHardware);
}

void MIDIMessageManager::encryptMultiSettings1Values(int value, int part) {
  if (part >= 0 && part < sysex::kParts) multi_dump::unpackFlagByteA(value, part, mPlugin);
}

void MIDIMessageManager::encryptMultiSettings2Values(int value, int part) {
  if (part >= 0 && part < sysex::kParts) multi_dump::unpackFlagByteB(value, part, mPlugin);
}

void MIDIMessageManager::ProcessMidiMsgFromDevice(const IMidiMsg* msg) {
  if (msg) mChannel->ProcessMidiMsgFromDevice(*msg);
}

void MIDIMessageManager::ProcessMidiMsgFromDAW(const IMidiMsg* msg, int part) {
  if (msg && part >= 0 && part < sysex::kParts) mChannel->ProcessMidiMsgFromDAW(*msg, part);
}

bool MIDIMessageManager::collect(const unsigned char* data, int size) {
  if (!mMultiRequest.collecting() && !mPatchRequest.collecting()) return false;
  bool stored = false;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
    LibrarianRequest& collector =
        mMultiRequest.collecting() ? static_cast<LibrarianRequest&>(mMultiRequest) : mPatchRequest;
    if (!collector.collecting()) return false;
    if (!collector.addMessageData(data, size)) return true;
    mAnswerId = data[sysex::kDeviceIdOffset];
    PatchLibrarian::SlotChange change;
    const RequestTarget& target = collector.target();
    stored = target.bank ? mLibrarian.setSysexDataToSlot(target.bank, target.slot,
                                                         &collector.record(), &change)
                         : mLibrarian.setSysexDatatoSelectedSlot(&collector.record(), &change);
    if (stored && mJournalOpen) mJournal.push_back(std::move(change));
    // Under the lock, so that a later arming cannot be overtaken by this completion.
    dumpComplete = true;
  }
  if (stored) {
    mDisplays.updatePatchLibrarianView(0);
  } else {
    TK_Log(mLog, "PATCH LIBRARIAN: ", "no slot to store the received dump in");
  }
  return true;
}

void MIDIMessageManager::SetLibrarianRequestActive(bool on) {
  route(on, RequestTarget());
}

void MIDIMessageManager::armRequest(const RequestTarget& target) {
  route(true, target);
}

void MIDIMessageManager::awaitInEditor(const AwaitedDump& answer) {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  route(false, RequestTarget());
  mAwaited = answer;
}

void MIDIMessageManager::route(bool on, const RequestTarget& target) {
  const bool multi = mPlugin.multiMode();
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  mAwaited.reset();
  ++mArming;
  mAnswerId = -1;
  mPlugin.setSysExReceived(false);
  dumpComplete = false;
  dumpRouting = !on;
  mMultiRequest.disarm();
  mPatchRequest.disarm();
  if (on) (multi ? static_cast<LibrarianRequest&>(mMultiRequest) : mPatchRequest).arm(target);
}

void MIDIMessageManager::SetLibrarianStatusUnsaved(bool on) {
  if (!on) return;
  dumpRouting = false;
  disarmCollectors();
  mPlugin.setStoredValue(kBankEditUnsaved, 1.0);
  mPlugin.setStoredValue(kDiscardBankData, 0.0);
  mPlugin.requestLayerHidden("discardChangesLayerRight", false);
  mPlugin.requestLayerHidden("keepBankOpenLayer", true);
  // The upper bank menu stays: it refuses itself while the edits are unsaved, and says why.
  mPlugin.requestGrayOut(kDatatype, true);
  mDisplays.showStatus("Data received to slot(s)");
}

void MIDIMessageManager::disarmCollectors() {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  mAwaited.reset();
  mMultiRequest.disarm();
  mPatchRequest.disarm();
}

void MIDIMessageManager::beginSlotJournal() {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  mJournal.clear();
  mJournalOpen = true;
}

int MIDIMessageManager::endSlotJournal(bool rollBack) {
  std::vector<PatchLibrarian::SlotChange> journal;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
    journal.swap(mJournal);
    mJournalOpen = false;
    if (rollBack)
      for (auto change = journal.rbegin(); change != journal.rend(); ++change)
        mLibrarian.restoreSlot(*change);
  }
  if (rollBack && !journal.empty()) mDisplays.updatePatchLibrarianView(0);
  return distinctSlots(journal);
}

int MIDIMessageManager::slotsFilled() {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  return distinctSlots(mJournal);
}

uint32_t MIDIMessageManager::tickCount() const {
  if (mTickSource) return mTickSource();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void MIDIMessageManager::setTempoValue(double hostTempo) {
  mTempoValue = sysex::truncateValue(hostTempo);
}
