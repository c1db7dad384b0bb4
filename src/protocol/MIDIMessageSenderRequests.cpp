#include <algorithm>
#include <cstdio>

#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SysExFormat.h"
#include "src/protocol/detail/SenderTexts.h"

namespace {

using sysex::kEditBufferBank;
using sysex::kMultiRequest;
using sysex::kSoundDump;
using sysex::kSoundRequest;

constexpr int kScanCycle = 25;
constexpr int kEditorScanCycle = 20;
constexpr int kPartSettleCycles = 100;
constexpr int kPartSettleMs = 20;
constexpr int kMultiWaitCycles = 100;
constexpr int kMultiWaitMs = 25;
// As long as a request waits before it gives up: a slow synthesizer that answers requests
// answers this too.
constexpr int kPushAnswerCycles = 30;
constexpr double kPartPercent = 5.88;
constexpr double kProgramsPerPercent = 1.28;

// Six significant digits, as a progress figure is shown: 0, 0.78125 .. 99.2188.
std::string figure(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

void MIDIMessageSender::sendPartRequestSysex(int part, bool toEditor) {
  PatchFile* const target = toEditor ? nullptr : bankToFill(false);
  if (!toEditor && !target) return;
  mPlugin.DisplayProcessingIndicator(true);
  requestFailed = false;
  cancelRequested = false;
  const int program = sysex::toDataByte(part);
  if (toEditor) {
    mManager.awaitInEditor({kSoundDump, kEditBufferBank, program});
  } else {
    mManager.armRequest({target, mLibrarian.selectedProgram, kEditBufferBank, program});
    mManager.beginSlotJournal();
  }
  const int delay = getTimerValue(mPlugin);
  sendBankedRequest(kSoundRequest, deviceId(), kEditBufferBank, part, false);
  pause(delay);
  showStatus(texts::kProcessing);
  waitForReply(
      {kScanCycle, false, true, texts::kTimedOut,
       [&](int id) { sendBankedRequest(kSoundRequest, id, kEditBufferBank, part, false); }},
      delay);
  pause(delay);
  finishRequest(!toEditor, texts::kCancelled, texts::kCompleted);
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSinglePatchRequestSysex(bool editBuffer, int bank) {
  PatchFile* const target = bankToFill(false);
  if (!target) return;
  mPlugin.DisplayProcessingIndicator(true);
  cancelRequested = false;
  const int slot = mLibrarian.selectedProgram;
  requestFailed = false;
  mManager.beginSlotJournal();
  const int delay = getTimerValue(mPlugin);
  // The id and the current part are read at every send, so that a resend follows a change; each
  // send aims the collector at its own answer.
  const auto send = [&] {
    const int dumpBank = editBuffer ? kEditBufferBank : sysex::toDataByte(bank);
    const int program = editBuffer ? sysex::toDataByte(mPlugin.currentPart())
                                   : std::clamp<int>(slot, 0, sysex::kProgramsPerBank - 1);
    mManager.armRequest({target, slot, dumpBank, program});
    sendBankedRequest(kSoundRequest, deviceId(), dumpBank, program, false);
  };
  send();
  showStatus(texts::kProcessing);
  waitForReply({kScanCycle, false, true, texts::kTimedOut, [&](int) { send(); }}, delay);
  finishRequest(true, texts::kCancelled, texts::kCompleted);
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendAllPatchRequestSysex(int bank) {
  requestBank(
      {false, bank,
       [&](int id, int program) { sendBankedRequest(kSoundRequest, id, bank, program, false); },
       texts::kCancelledLower, texts::kCompletedLower});
}

void MIDIMessageSender::sendSingleMultiRequestSysex() {
  PatchFile* const target = bankToFill(true);
  if (!target) return;
  mPlugin.DisplayProcessingIndicator(true);
  cancelRequested = false;
  const int number = mLibrarian.selectedProgram;
  mManager.armRequest({target, number, 0, sysex::toDataByte(number)});
  requestFailed = false;
  mManager.beginSlotJournal();
  const int delay = getTimerValue(mPlugin);
  sendBankedRequest(kMultiRequest, deviceId(), 0, number, false);
  waitForReply({kScanCycle, false, true, texts::kTimedOut,
                [&](int id) { sendBankedRequest(kMultiRequest, id, 0, number, false); }},
               delay);
  finishRequest(true, texts::kCancelled, texts::kCompleted);
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendAllMultiRequestSysex() {
  requestBank(
      {true, 0,
       [&](int id, int program) { sendBankedRequest(kMultiRequest, id, 0, program, false); },
       texts::kCancelled, texts::kCompleted});
}

void MIDIMessageSender::requestBank(const BankRequest& request) {
  PatchFile* const target = bankToFill(request.multi);
  if (!target) return;
  mPlugin.DisplayProcessingIndicator(true);
  cancelRequested = false;
  mLibrarian.selectedProgram = 0;
  requestFailed = false;
  mManager.beginSlotJournal();
  const int delay = getTimerValue(mPlugin);
  for (int count = 0, program = 0; count < sysex::kProgramsPerBank; ++count) {
    mManager.armRequest({target, program, sysex::toDataByte(request.bank), program});
    request.send(deviceId(), program);
    mPlugin.DisplayProcessingIndicator(true);
    // The first request that fails ends the bank: asking again would only fail again.
    if (!waitForReply(
            {kScanCycle, false, true, texts::kTimedOut, [&](int id) { request.send(id, program); }},
            delay))
      break;
    // No slot took the answer: none will take the next one either.
    if (mManager.slotsFilled() <= program) break;
    showStatus(texts::kProgressPrefix + figure(count / kProgramsPerPercent) +
               texts::kReceivedSuffix);
    pause(delay);
    if (cancelRequested) break;
    ++program;
    ++mLibrarian.selectedProgram;
  }
  mLibrarian.selectedProgram = 0;
  finishRequest(true, request.cancelledText, request.completedText, sysex::kProgramsPerBank);
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendActiveArrangementRequestSysex(bool toEditor) {
  PatchFile* const target = toEditor ? nullptr : bankToFill(true);
  if (!toEditor && !target) return;
  mPlugin.DisplayProcessingIndicator(true);
  requestFailed = false;
  cancelRequested = false;
  mManager.SetLibrarianRequestActive(!toEditor);
  if (toEditor) mManager.refreshQuickTab = true;
  const int delay = getTimerValue(mPlugin);
  mManager.dumpCancelsQuickTabRefresh = true;
  if (!toEditor) {
    mManager.armRequest({target, mLibrarian.selectedProgram});
    mManager.beginSlotJournal();
    sendBankedRequest(kMultiRequest, deviceId(), kEditBufferBank, 0, true);
    waitShort(kMultiWaitCycles, kMultiWaitMs, texts::kProcessingMulti);
    pause(delay / 2);
    mManager.disarmCollectors();
    reportFilled(mManager.endSlotJournal(false), 1, texts::kCompleted);
    mPlugin.DisplayProcessingIndicator(false);
    return;
  }
  // A cancel or a time-out ends the part requests: the rest would fail the same way.
  for (int part = 0; part < sysex::kParts && !requestFailed; ++part) {
    mManager.awaitInEditor({kSoundDump, kEditBufferBank, part});
    sendBankedRequest(kSoundRequest, deviceId(), kEditBufferBank, part, true);
    if (waitForReply(
            {kEditorScanCycle, true, true, texts::kTimedOut,
             [&](int id) { sendBankedRequest(kSoundRequest, id, kEditBufferBank, part, true); }},
            delay)) {
      showStatus(texts::kProgressPrefix + std::to_string(static_cast<int>(part * kPartPercent)) +
                 texts::kProcessedSuffix);
      pause(delay);
      for (int cycle = 1; cycle <= kPartSettleCycles; ++cycle) {
        if (!pause(kPartSettleMs) || cancelRequested || received()) break;
        if (cycle == kPartSettleCycles) {
          showStatus(texts::kTimedOut);
          requestFailed = true;
        }
      }
    }
    mPlugin.DisplayProcessingIndicator(true);
  }
  pause(delay / 2);
  if (requestFailed) {
    mManager.disarmCollectors();
    mPlugin.DisplayProcessingIndicator(false);
    return;
  }
  mManager.awaitInEditor({sysex::kMultiDump});
  sendBankedRequest(kMultiRequest, deviceId(), kEditBufferBank, 0, true);
  waitShort(kMultiWaitCycles, kMultiWaitMs, texts::kProcessingMulti);
  finishRequest(false, texts::kCancelled, texts::kCompletedLower);
  if (!cancelRequested && !requestFailed) mPlugin.synthesizerInStep();
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendDeviceIdEnquiry() {
  mPlugin.DisplayProcessingIndicator(true);
  cancelRequested = false;
  mManager.awaitInEditor({sysex::kGlobalDump});
  showStatus(texts::kConnecting);
  requestFailed = false;
  const int delay = getTimerValue(mPlugin);
  sendGlobalRequest(deviceId());
  // The check looks at the cancel flag only while it scans, and then only to stop the scan.
  waitForReply(
      {kEditorScanCycle, true, false, texts::kNoResponse, [&](int id) { sendGlobalRequest(id); }},
      delay);
  finishRequest(false, texts::kCancelled, texts::kReady);
  if (!cancelRequested && !requestFailed) pause(delay);
  mPlugin.DisplayProcessingIndicator(false);
}

// A push cut short by a lost link has said so; no answer could come, and the wait would hold the
// lane from the port look that sees the synthesizer go and come back.
void MIDIMessageSender::checkPushAnswered() {
  if (linkLost()) return;
  const int id = deviceId();
  const unsigned globalsBefore = mManager.globalDumpsReceived(id);
  sendGlobalRequest(id);
  const int delay = getTimerValue(mPlugin);
  for (int cycle = 0; cycle < kPushAnswerCycles; ++cycle) {
    if (!pause(delay) || linkLost()) return;
    if (mManager.globalDumpsReceived(id) != globalsBefore) {
      mPlugin.synthesizerInStep();
      return;
    }
  }
  TK_Log(mManager.logSink(), "MIDI MESSAGE SENDER: ",
         "no synthesizer answered on device id " + std::to_string(id) + " after the push");
  showStatus(texts::kNoSynthOnId + std::to_string(id) + "!");
  mPlugin.setTextDisplay(kControlDisplayValue, texts::kHowToFindSynth);
}
