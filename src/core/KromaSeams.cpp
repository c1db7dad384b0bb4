// What the plug-in offers the protocol engine, and the framework operations whose full handling
// comes with the parameter dispatch and the MIDI paths.
#include "src/config/ParameterIds.h"
#include "src/core/DebuggerOutput.h"
#include "src/core/EditorRequests.h"
#include "src/core/Kroma.h"
#include "src/core/PatchManager.h"
#include "src/protocol/MIDIMessageManager.h"
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

void Kroma::checksumCheckAndSend(unsigned char* data, int length) {
  if (!mMIDIOutSet) {
    setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  sysex::applySendChecksum(data, length);
  SendMidiSysex(data, length);
  DebuggerOutput::logSysExOutMessageByte(data, length);
}

void Kroma::DisplayProcessingIndicator(bool show) {
  mTransferInProgress = show;
  if (!show) {
    mSendingSysEx = false;
    mMultiSendRequested = false;
    if (mMIDIMessageManager) mMIDIMessageManager->dumpRouting = false;
  }
  requestLayerHidden("PROGRESS", !show);
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

void Kroma::setNameSlot(int slot, const std::string& text) {
  if (mPatchManager) mPatchManager->setName(slot, text);
  markLibrarianViewDirty();
}
