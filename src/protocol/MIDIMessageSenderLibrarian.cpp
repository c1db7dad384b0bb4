#include <algorithm>
#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/librarian/InitDumps.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SysExFormat.h"
#include "src/protocol/detail/SenderTexts.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kEditorFeedMs = 50;
constexpr unsigned char kMultiEditorBank = 0x20;
constexpr double kRecordsPerPercent = 1.28;
constexpr int kCategoryList = 1;
constexpr int kSearchList = 4;

bool isMultiDump(const Bytes& dump) {
  return dump.size() >= static_cast<size_t>(sysex::kMultiDumpSize) &&
         dump[sysex::kTypeOffset] == sysex::kMultiDump;
}

// A stored dump addressed anew (bytes 2..6); a sound dump of 392 or 393 bytes gets its checksum
// and closing byte written again, other dumps keep their stored checksum.
Bytes addressed(Bytes dump, bool multi, int deviceId, int bank, int program) {
  dump[2] = sysex::kModel;
  dump[sysex::kDeviceIdOffset] = sysex::toDataByte(deviceId);
  dump[sysex::kTypeOffset] = multi ? sysex::kMultiDump : sysex::kSoundDump;
  dump[sysex::kBankOffset] = sysex::toDataByte(bank);
  dump[sysex::kProgramOffset] = sysex::toDataByte(program);
  const int size = static_cast<int>(dump.size());
  if ((size == sysex::kSoundDumpSize || size == sysex::kSoundDumpSize + 1) &&
      dump[0] == sysex::kStart) {
    dump[size - 2] = sysex::dumpChecksum(dump.data(), size);
    dump[size - 1] = sysex::kEnd;
  }
  return dump;
}

// A dump that can be addressed: framed, with its header.
bool usable(const Bytes& dump) {
  return dump.size() > static_cast<size_t>(sysex::kProgramOffset) && dump[0] == sysex::kStart;
}

}  // namespace

void MIDIMessageSender::sendPatchToDeviceFromLibrarian(const LibrarianPatch& record, int part,
                                                       int slot) {
  mPlugin.DisplayProcessingIndicator(true);
  mPlugin.setSysExReceived(false);
  const bool store = mManager.store;
  const bool valid = !record.messages.empty() && usable(record.messages.front().bytes) &&
                     part >= 0 && part < sysex::kParts && slot >= 0 &&
                     slot < sysex::kProgramsPerBank;
  const bool multi = valid && isMultiDump(record.messages.front().bytes);
  if (valid && store && linkLost()) {
    reportCutShort("store", true, writtenCount(0, 1, multi), "");
  } else if (valid) {
    const Bytes& stored = record.messages.front().bytes;
    if (store) {
      const int bank = multi ? 0 : sysex::truncateValue(mPlugin.getValue(kMultiPartBank + part));
      const Bytes copy = addressed(stored, multi, deviceId(), bank, slot);
      mPlugin.SendMidiSysex(copy.data(), static_cast<int>(copy.size()));
      pause(getTimerValue(mPlugin));
    }
    // The editor loads the part (or the Multi) from an edit-buffer copy.
    const Bytes copy = multi ? addressed(stored, true, deviceId(), kMultiEditorBank, 0)
                             : addressed(stored, false, deviceId(), sysex::kEditBufferBank, part);
    mManager.dumpRouting = true;
    mPlugin.setSysExReceived(false);
    mPlugin.ProcessSysEx(copy.data(), static_cast<int>(copy.size()), true);
    // After a shut-down nothing more goes to the synthesizer.
    const bool running = pause(kEditorFeedMs);
    if (running && multi) {
      mPlugin.setParameterFromPlug(kMultiPatch, slot);
      mPlugin.clearMultiPushFlags();
      if (mPlugin.BankChangeMessage(part)) sendArrangementToDevice(false, true);
    } else if (running) {
      mPlugin.setParameterFromPlug(kMultiPartPatch + part, slot);
      if (mPlugin.BankChangeMessage(part)) sendPartToDevice(part, false, true);
    }
  } else {
    TK_Log(mManager.logSink(),
           "MIDI MESSAGE SENDER: ", "no dump to play for slot " + std::to_string(slot));
  }
  mPlugin.DisplayProcessingIndicator(false);
  mManager.store = false;
  mManager.soundSendBusy = false;
}

bool MIDIMessageSender::takeBank(int list, int firstRecord, std::vector<Bytes>& dumps,
                                 bool& multi) {
  std::lock_guard<std::recursive_mutex> lock(mLibrarian.mutex());
  const int type = mLibrarian.type;
  const PatchFileList* files = nullptr;
  int index = mLibrarian.upperFileIndex;
  if (list == 0) {
    if (type == 0 || type == 1) files = type == 0 ? &mLibrarian.soundFiles : &mLibrarian.multiFiles;
  } else {
    index = mLibrarian.lowerFileIndex;
    const int kind = mPlugin.lowerListKind();
    files = kind == kCategoryList ? &mLibrarian.categoryFiles
            : kind == kSearchList ? &mLibrarian.searchResultFiles
            : type == 1           ? &mLibrarian.multiFiles
                                  : &mLibrarian.soundFiles;
  }
  if (files == nullptr || index < 0 || index >= static_cast<int>(files->size()) ||
      (*files)[index] == nullptr)
    return false;
  const PatchFile& file = *(*files)[index];
  if (firstRecord < 0 || firstRecord >= static_cast<int>(file.records.size())) return false;
  multi = file.type == 1;
  const int end = std::min<int>(firstRecord + sysex::kProgramsPerBank, file.records.size());
  for (int r = firstRecord; r < end; ++r) {
    const std::vector<PatchSysexMessage>& messages = file.records[r].messages;
    if (messages.empty() || !usable(messages.front().bytes)) return false;
    dumps.push_back(messages.front().bytes);
  }
  return true;
}

void MIDIMessageSender::storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord,
                                                             int targetBank) {
  mPlugin.DisplayProcessingIndicator(true);
  cancelRequested = false;
  std::vector<Bytes> dumps;
  bool multi = false;
  const bool whole = takeBank(list, firstRecord, dumps, multi);
  const int delay = getTimerValue(mPlugin);
  int written = 0;
  bool lost = false;
  for (int program = 0; program < static_cast<int>(dumps.size()); ++program) {
    if ((lost = linkLost())) break;
    const Bytes copy =
        addressed(dumps[program], multi, deviceId(), multi ? 0 : targetBank, program);
    mPlugin.SendMidiSysex(copy.data(), static_cast<int>(copy.size()));
    written = program + 1;
    if (!pause(delay) || cancelRequested) break;
    const int record = firstRecord + program;
    showStatus("Writing " + std::to_string(static_cast<int>(record / kRecordsPerPercent)) +
               "%, please wait..");
  }
  mPlugin.DisplayProcessingIndicator(false);
  mLibrarian.selectedProgram = 0;
  if (lost || cancelRequested) {
    const std::string bank =
        multi ? "the Multi bank" : "Bank " + std::string(1, static_cast<char>('A' + targetBank));
    reportCutShort("store", lost, writtenCount(written, static_cast<int>(dumps.size()), multi),
                   written > 0
                       ? ", " + bank + " programs 1 to " + std::to_string(written) + " overwritten"
                       : ", nothing overwritten");
  } else {
    showStatus(whole ? texts::kWriteCompleted : texts::kWriteFailed);
  }
  mManager.store = false;
  mManager.soundSendBusy = false;
}

std::string MIDIMessageSender::writtenCount(int written, int total, bool multi) {
  return std::to_string(written) + " of " + std::to_string(total) + (multi ? " Multis" : " sounds");
}

void MIDIMessageSender::reportCutShort(const std::string& job, bool linkLost,
                                       const std::string& count, const std::string& held) {
  showStatus(linkLost ? texts::kWriteFailed : texts::kWriteCancelled);
  mPlugin.setTextDisplay(kControlDisplayValue, count + " written");
  if (linkLost) mPlugin.linkLossTold();
  TK_Log(mManager.logSink(), "MIDI MESSAGE SENDER: ",
         job + (linkLost ? " failed, the link to the synthesizer was lost: " : " cancelled: ") +
             count + " written" + held);
}

void MIDIMessageSender::putIntoSelectedSlot(Bytes dump) {
  mManager.SetLibrarianRequestActive(true);
  mManager.beginSlotJournal();
  mPlugin.ProcessSysEx(dump.data(), static_cast<int>(dump.size()), true);
  mManager.disarmCollectors();
  if (mManager.endSlotJournal(false) > 0)
    mManager.SetLibrarianStatusUnsaved(true);
  else
    showStatus(texts::kNotStored);
}

void MIDIMessageSender::initPerformance(bool) {
  if (!bankToFill(true)) return;
  mPlugin.DisplayProcessingIndicator(true);
  putIntoSelectedSlot(
      Bytes(std::begin(InitDumps::initMultiData), std::end(InitDumps::initMultiData)));
  mPlugin.DisplayProcessingIndicator(false);
}

void MIDIMessageSender::initClassicPatch(bool) {
  if (!bankToFill(false)) return;
  mPlugin.DisplayProcessingIndicator(true);
  Bytes dump(std::begin(InitDumps::initPatchCorvane), std::end(InitDumps::initPatchCorvane));
  dump[sysex::kBankOffset] =
      sysex::toDataByte(sysex::truncateValue(mPlugin.getValue(kRequestFromBank)));
  dump[sysex::kProgramOffset] = sysex::toDataByte(mLibrarian.selectedProgram);
  putIntoSelectedSlot(std::move(dump));
  mPlugin.DisplayProcessingIndicator(false);
}
