// What the plug-in offers the protocol engine, and the framework operations whose full handling
// comes with the parameter dispatch and the MIDI paths.
#include <chrono>
#include <thread>

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/DebuggerOutput.h"
#include "src/core/EditorRequests.h"
#include "src/core/Kroma.h"
#include "src/core/PatchManager.h"
#include "src/editor/ProgressIndicator.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

void Kroma::Reset() {
  TK_MutexLock lock(mMutex);
  mOutputBlocked = false;
  mSampleRate = GetSampleRate();
  mMidiQueue.Resize(GetBlockSize());
  if (mBlockSize == 0) mBlockSize = GetBlockSize();
  mFreshReset = true;
}

void Kroma::OnParamChange(int) {
  TK_MutexLock lock(mMutex);
}

void Kroma::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (sysex) ProcessSysEx(sysex->mData, sysex->mSize, fromDevice);
}

void Kroma::ProcessSysEx(const unsigned char* data, int length, bool fromDevice) {
  if (mMIDIMessageManager) mMIDIMessageManager->ProcessSysEx(data, length, fromDevice);
}

bool Kroma::startSenderJob(const SenderJob& job, const std::function<void()>& prepare) {
  MIDIMessageManager* manager = mMIDIMessageManager.get();
  if (!manager) return false;
  const bool sendJob =
      job.code >= kSendArrangementToDevice && job.code <= kStoreAllPatchesToDeviceFromLibrarian;
  bool prepared = false;
  try {
    if (manager->startJob(job, [&] {
          prepared = true;
          if (sendJob) manager->soundSendBusy = true;
          if (prepare) prepare();
        }))
      return true;
  } catch (const std::exception& e) {
    TK_Log(GetLog(), "", "sender job " + std::to_string(job.code) + " not started: " + e.what());
  }
  if (prepared && sendJob) manager->soundSendBusy = false;
  return false;
}

void Kroma::pauseUnlocked(int milliseconds) {
  TK_MutexReleased unlocked(mMutex);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool Kroma::outputPortOpen() const {
  const IMidiPortOut* port = mMidiOut;
  return port && port->isOpen();
}

double Kroma::getValue(int index) const {
  const IParam* param = GetParam(index);
  return param ? param->Value() : 0.0;
}

void Kroma::setParameterFromPlug(int index, double value) {
  if (mEditor) {
    mEditor->SetParameterFromPlug(index, value, false);
  } else if (IParam* param = GetParam(index)) {
    param->SetNormalized(param->GetNormalized(value));
  }
}

std::string Kroma::getDisplayText(int index) const {
  const IParam* param = GetParam(index);
  return param ? param->GetDisplayText(0) : "";
}

void Kroma::setDisplayText(int index, const std::string& text) {
  if (IParam* param = GetParam(index)) param->SetDisplayText(0, text.c_str());
}

void Kroma::setStoredValue(int index, double value) {
  if (IParam* param = GetParam(index)) param->SetClamped(value);
}

void Kroma::SendMidiSysex(const unsigned char* data, int length) {
  if (mMIDIOutSet) sendMidiSysexToDevice(data, length);
}

void Kroma::sendMidiMsgAndLog(const IMidiMsg& msg) {
  if (mMIDIOutSet)
    sendMidiMsgToDevice(&msg);
  else
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
}

void Kroma::AllSoundsOff(int part, bool allParts) {
  if (!mMIDIOutSet) return;
  for (int p = 0; p < 16; ++p) {
    if (allParts ? getValue(kMultiPartStatus + p) == 0.0 : p != part) continue;
    const int setting = static_cast<int>(getValue(kMultiPartMIDICh + p));
    const int channel =
        allParts && setting == 0 ? static_cast<int>(getValue(kGlobalMidiChannel)) - 1 : setting - 2;
    if (channel >= 0 && channel <= 15) sendMidiMsgAndLog(IMidiMsg(0, 0xB0 | channel, 123, 0));
  }
}

bool Kroma::BankChangeMessage(int part) {
  const bool multi = mMultiMode;
  if (!multi && (part < 0 || part > 15)) return false;
  const int entry = multi ? 16 : part;
  const int bank = static_cast<int>(getValue(multi ? kMultiBank : kMultiPartBank + part));
  const int program = static_cast<int>(getValue(multi ? kMultiPatch : kMultiPartPatch + part));
  const int channel = multi ? static_cast<int>(getValue(kGlobalMidiChannel)) - 1
                            : static_cast<int>(getValue(kMultiPartMIDICh + part)) - 2;
  mLastProgram = program;
  mPartBank[entry] = bank;
  mPartProgram[entry] = program;
  if (!multi)
    for (int p = 0; p < 16; ++p)
      if (p != part && getValue(kMultiPartStatus + p) == 1.0 && mPartBank[p] == bank &&
          mPartProgram[p] == program) {
        requestLayerHidden("bankPatchConflictWindow", false);
        return false;
      }
  if (channel < 0 || channel > 15) {
    TK_Log(GetLog(), "", "bank change on channel " + std::to_string(channel + 1) + " not sent");
    return false;
  }
  if (!multi) AllSoundsOff(part, false);
  mOutputBlocked = false;
  const struct {
    IMidiMsg msg;
    int pause;
  } steps[] = {{IMidiMsg(0, 0xB0 | channel, 0, bank & 0x7F), 25},
               {IMidiMsg(0, 0xB0 | channel, 32, multi ? 96 : 64), 25},
               {IMidiMsg(0, 0xC0 | channel, program & 0x7F, 0), 50}};
  for (const auto& step : steps) {
    sendMidiMsgAndLog(step.msg);
    pauseUnlocked(step.pause);
  }
  mOutputBlocked = true;
  pauseUnlocked(MIDIMessageSender::getTimerValue(*this));
  return true;
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

ProtocolPlugin::Range Kroma::paramRange(int index) const {
  const IParam* param = GetParam(index);
  return param ? Range{param->GetMin(), param->GetMax()} : Range{0.0, 0.0};
}

int Kroma::getSysexControl(int type, int location, int high, int low, int variant) const {
  const IControl* control = mUIConfigManager ? mUIConfigManager->sysexControls().findControl(
                                                   type, location, high, low, variant)
                                             : nullptr;
  return control ? control->ParamIdx() : -1;
}

void Kroma::setValueFromHardware(int param, double normalised) {
  if (IControl* control = controlOf(param))
    control->SetValueFromHardware(normalised);
  else
    SetParameterFromGUI2(param, normalised);
}

int Kroma::partSound(int part, PartSound which) const {
  if (part < 0 || part > 16) return 0;
  return which == PartSound::kBank ? mPartBank[part] : mPartProgram[part];
}

void Kroma::setPartSound(int part, PartSound which, int value) {
  if (part < 0 || part > 16) return;
  (which == PartSound::kBank ? mPartBank[part] : mPartProgram[part]) = value;
}

int Kroma::lowerListKind() const {
  if (mMultiMode) return 2;
  if (mLowerListShowsCategories) return 1;
  return mLowerListShowsSearch ? 4 : 0;
}

void Kroma::clearMultiPushFlags() {
  mSendPartSounds = false;
  mSendGlobalFirst = false;
}

void Kroma::DisplayProcessingIndicator(bool show) {
  mTransferInProgress = show;
  if (!show) {
    mSendingSysEx = false;
    mMultiSendRequested = false;
    if (mMIDIMessageManager) mMIDIMessageManager->dumpRouting = false;
  }
  if (mTabLayers.progress) mTabLayers.progress->request(show);
  if (GetParam(kMainTab)->Value() == 1.0) {
    if (show) {
      requestLayerHidden("categoryLimit", true);
      requestLayerHidden("searchField", true);
      requestGrayOut(kPatchSearch, true);
    } else if (!mMultiMode) {
      requestLayerHidden(GetParam(kPatchSearch)->Value() == 1.0 ? "searchField" : "categoryLimit",
                         false);
      requestGrayOut(kPatchSearch, false);
    }
  }
  if (!show) mOutputBlocked = false;
}

void Kroma::setTextDisplay(int displayParam, const std::string& text) {
  if (ITextControl* display = dynamic_cast<ITextControl*>(controlOf(displayParam)))
    display->SetTextFromPlug(text.c_str());
}

void Kroma::requestLayerHidden(const std::string& layer, bool hidden) {
  if (mEditorRequests) mEditorRequests->requestHidden(layerNamed(layer), hidden);
}

void Kroma::requestGrayOut(int param, bool grayed) {
  if (mEditorRequests) mEditorRequests->requestGrayOut(controlOf(param), grayed);
}

void Kroma::markLibrarianViewDirty() {
  if (mLibrarianView) mLibrarianView->SetDirty(false);
}

// Seam: the bank view's lists come with the librarian view; until then it is only redrawn.
void Kroma::refillLibrarianList(int) {
  markLibrarianViewDirty();
}

void Kroma::mainTabSwitch(int tab, int part) {
  mTabSwitch.mainTabSwitch(this, kMainTab, tab, part);
}

void Kroma::setLibrarianSelectedProgram(int program) {
  mPatchLibrarian->selectedProgram = program;
}

void Kroma::setNameSlot(int slot, const std::string& text) {
  if (mPatchManager) mPatchManager->setName(slot, text);
  markLibrarianViewDirty();
}
