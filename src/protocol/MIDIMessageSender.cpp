#include "src/protocol/MIDIMessageSender.h"

#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "src/protocol/detail/IncomingSysEx.h"
#include "src/protocol/detail/SenderTexts.h"

namespace {

using JobBody = void (*)(MIDIMessageSender&, const SenderJob&);

struct JobRow {
  Lane lane;
  JobBody body;  // null: no job, and starting it is refused
};

constexpr JobRow kJobTable[kJobCodeCount] = {
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) {
       s.sendArrangementToDevice(j.toLibrarian, j.requestParts);
     }},
    {Lane::kTransfer, [](MIDIMessageSender& s, const SenderJob&) { s.sendGlobalToDevice(); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) {
       s.sendPartToDevice(j.part, j.toLibrarian, j.requestParts);
     }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) {
       s.sendPatchToDeviceFromLibrarian(j.record, j.part, j.slot);
     }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) {
       s.storeAllPatchesToDeviceFromLibrarian(j.list, j.firstRecord, j.targetBank);
     }},
    {Lane::kTransfer, [](MIDIMessageSender& s,
                         const SenderJob& j) { s.sendActiveArrangementRequestSysex(j.toEditor); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) { s.sendPartRequestSysex(j.part, j.toEditor); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob&) { s.sendSingleMultiRequestSysex(); }},
    {Lane::kTransfer, [](MIDIMessageSender& s, const SenderJob&) { s.sendAllMultiRequestSysex(); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) {
       s.sendSinglePatchRequestSysex(j.editBuffer, j.bank);
     }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) { s.sendAllPatchRequestSysex(j.bank); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) { s.initPerformance(j.initFlag); }},
    {Lane::kTransfer,
     [](MIDIMessageSender& s, const SenderJob& j) { s.initClassicPatch(j.initFlag); }},
    {Lane::kTransfer, [](MIDIMessageSender& s, const SenderJob&) { s.sendDeviceIdEnquiry(); }},
    {Lane::kTransfer, nullptr},  // no job
    {Lane::kClockStartStop,
     [](MIDIMessageSender& s, const SenderJob&) { s.startMIDIClockOutput(); }},
    {Lane::kContinuousClock,
     [](MIDIMessageSender& s, const SenderJob& j) { s.sendContinuousMIDIClock(j.clockArgument); }},
    {Lane::kClockStartStop,
     [](MIDIMessageSender& s, const SenderJob&) { s.stopMIDIClockOutput(); }},
    {Lane::kTransfer, [](MIDIMessageSender& s, const SenderJob&) { s.checkPushAnswered(); }},
};

constexpr int kSyncDelays[] = {50, 75, 100, 150, 200, 300, 400, 500};
constexpr int kDefaultSyncDelay = 100;
constexpr int kTimeOutCycle = 30;
constexpr int kRetries = 128;

const JobRow* rowOf(int code) {
  if (code < 0 || code >= kJobCodeCount || kJobTable[code].body == nullptr) return nullptr;
  return &kJobTable[code];
}

}  // namespace

MIDIMessageSender::MIDIMessageSender(MIDIMessageManager& manager, ProtocolPlugin& plugin,
                                     PatchLibrarian& librarian, LaneClock& clock)
    : mManager(manager), mPlugin(plugin), mLibrarian(librarian), mClock(clock) {}

void MIDIMessageSender::run(const SenderJob& job) {
  if (const JobRow* row = rowOf(job.code)) row->body(*this, job);
}

bool MIDIMessageSender::laneOf(int code, Lane& lane) {
  const JobRow* row = rowOf(code);
  if (row == nullptr) return false;
  lane = row->lane;
  return true;
}

int MIDIMessageSender::getTimerValue(const ParameterAccess& params) {
  const int choice = sysex::truncateValue(params.getValue(kLibSyncTimer));
  const int count = static_cast<int>(sizeof kSyncDelays / sizeof kSyncDelays[0]);
  return choice >= 0 && choice < count ? kSyncDelays[choice] : kDefaultSyncDelay;
}

bool MIDIMessageSender::waitForReply(const ReplyWait& wait, int delay) {
  for (int cycle = 1;; ++cycle) {
    if (!pause(delay) || (wait.cancelEachCycle && cancelRequested)) break;
    if (cycle == wait.retryCycle && !retry(wait, delay)) break;
    // An answer that came in the last pause counts: looked for before the time-out.
    if (received()) {
      takeAnsweringId();
      return true;
    }
    if (cycle == kTimeOutCycle) {
      if (answerCameInTime(delay)) {
        takeAnsweringId();
        return true;
      }
      showStatus(wait.timeoutText);
      break;
    }
  }
  requestFailed = true;
  return false;
}

bool MIDIMessageSender::retry(const ReplyWait& wait, int delay) {
  for (int id = 0; id < kRetries; ++id) {
    wait.retry(id);
    if (wait.retryTexts) showStatus(texts::kCheckingDeviceId + std::to_string(id + 1));
    if (!pause(delay)) return false;
    if (received() || cancelRequested) break;
  }
  return true;
}

bool MIDIMessageSender::waitShort(int cycles, int milliseconds, const char* text) {
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    if (!pause(milliseconds)) {
      requestFailed = true;
      return false;
    }
    if (text != nullptr) showStatus(text);
    if (received()) {
      takeAnsweringId();
      return true;
    }
  }
  if (answerCameInTime(milliseconds)) {
    takeAnsweringId();
    return true;
  }
  showStatus(texts::kTimedOut);
  requestFailed = true;
  return false;
}

// A loaded machine can take longer over a dump than the synthesizer took to send it: an answer
// that came before the wait ran out is waited for until it is in.
bool MIDIMessageSender::answerCameInTime(int milliseconds) {
  while (mManager.answerArriving())
    if (!pause(milliseconds)) return false;
  return received() || mManager.answerDeviceId() >= 0;
}

void MIDIMessageSender::takeAnsweringId() {
  mPlugin.synthesizerAnswered();
  const int id = mManager.answerDeviceId();
  if (id < 0 || id == deviceId()) return;
  TK_Log(mManager.logSink(), "MIDI MESSAGE SENDER: ",
         "the synthesizer answered on device id " + std::to_string(id) + ", now the one in use");
  mPlugin.setDeviceId(id);
  mPlugin.setStoredValue(kDeviceID_old, id);
  mManager.incoming().processSysExToUI(kGlobalSysExID, id, false, true);
}

void MIDIMessageSender::finishRequest(bool librarian, const char* cancelledText,
                                      const char* completedText, int wanted) {
  mManager.disarmCollectors();
  if (!librarian) {
    if (cancelRequested)
      showStatus(cancelledText);
    else if (!requestFailed)
      showStatus(completedText);
    return;
  }
  const int filled = mManager.endSlotJournal(cancelRequested);
  if (cancelRequested)
    showStatus(cancelledText);
  else
    reportFilled(filled, wanted, completedText);
}

void MIDIMessageSender::reportFilled(int filled, int wanted, const char* completedText) {
  TK_Log(mManager.logSink(), "MIDI MESSAGE SENDER: ",
         std::to_string(filled) + " of " + std::to_string(wanted) + " slot(s) received");
  const bool whole = !requestFailed && filled == wanted;
  if (whole) showStatus(completedText);
  if (filled > 0) mManager.SetLibrarianStatusUnsaved(true);
  if (whole) return;
  if (!requestFailed)
    showStatus(texts::kNotStored);
  else if (filled > 0)
    showStatus(texts::kTimedOut);
}

PatchFile* MIDIMessageSender::bankToFill(bool multi) {
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
    if (mLibrarian.type == (multi ? 1 : 0))
      if (PatchFile* bank = mLibrarian.listedFile(0, 0)) return bank;
  }
  mManager.disarmCollectors();
  mManager.dumpRouting = false;
  showStatus(texts::kNoBank);
  TK_Log(mManager.logSink(), "MIDI MESSAGE SENDER: ",
         std::string("no bank of ") + (multi ? "Multis" : "sounds") + " to receive the data");
  return nullptr;
}

void MIDIMessageSender::sendBankedRequest(unsigned char type, int id, int bank, int program,
                                          bool checked) {
  unsigned char request[] = {sysex::kManufacturer,    sysex::kModel,
                             sysex::toDataByte(id),   type,
                             sysex::toDataByte(bank), sysex::toDataByte(program)};
  if (checked) {
    mPlugin.checksumCheckAndSend(request, sizeof request);
  } else {
    mPlugin.SendMidiSysex(request, sizeof request);
  }
}

void MIDIMessageSender::sendGlobalRequest(int id) {
  unsigned char request[] = {sysex::kManufacturer, sysex::kModel, sysex::toDataByte(id),
                             sysex::kGlobalRequest};
  mPlugin.checksumCheckAndSend(request, sizeof request);
}

void MIDIMessageSender::showStatus(const std::string& text) {
  mManager.displays().showStatus(text);
}

int MIDIMessageSender::deviceId() const {
  return mPlugin.deviceId() & 0xFF;
}

bool MIDIMessageSender::received() const {
  return mPlugin.sysExReceived();
}
