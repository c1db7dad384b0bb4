// What the plug-in offers the protocol engine.
#include <algorithm>
#include <chrono>
#include <thread>

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/detail/DebuggerOutput.h"
#include "src/core/detail/EditorRequests.h"
#include "src/core/detail/KromaDispatch.h"
#include "src/core/detail/PatchManager.h"
#include "src/editor/ProgressIndicator.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

bool Kroma::startSenderJob(const SenderJob& job, const std::function<void()>& prepare) {
  MIDIMessageManager* manager = mParts.mMIDIMessageManager.get();
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
  if (LaneClock* clock = mClock.mPauseClock           ? mClock.mPauseClock
                         : mParts.mMIDIMessageManager ? &mParts.mMIDIMessageManager->laneClock()
                                                      : nullptr)
    clock->pause(milliseconds);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool Kroma::outputPortOpen() const {
  const IMidiPortOut* port = mMidiOut;
  return port && port->isOpen();
}

bool Kroma::inputPortOpen() const {
  return mMidiIn && mMidiIn->isOpen();
}

double Kroma::getValue(int index) const {
  const IParam* param = GetParam(index);
  return param ? param->Value() : 0.0;
}

void Kroma::setParameterFromPlug(int index, double value) {
  if (mWidgets.mEditor) {
    mWidgets.mEditor->SetParameterFromPlug(index, value, false);
  } else if (IParam* param = GetParam(index)) {
    param->SetNormalized(param->GetNormalized(value));
  }
}

std::string Kroma::getDisplayText(int index) const {
  const IParam* param = GetParam(index);
  return param ? param->CopyDisplayText(0) : "";
}

void Kroma::setDisplayText(int index, const std::string& text) {
  if (IParam* param = GetParam(index)) param->SetDisplayText(0, text.c_str());
}

void Kroma::setStoredValue(int index, double value) {
  if (IParam* param = GetParam(index)) param->SetClamped(value);
}

void Kroma::SendMidiSysex(const unsigned char* data, int length) {
  if (mRouting.mMIDIOutSet) sendMidiSysexToDevice(data, length);
}

ProtocolPlugin::Range Kroma::paramRange(int index) const {
  const IParam* param = GetParam(index);
  return param ? Range{param->GetMin(), param->GetMax()} : Range{0.0, 0.0};
}

int Kroma::getSysexControl(int type, int location, int high, int low, int variant) const {
  const IControl* control =
      mParts.mUIConfigManager
          ? mParts.mUIConfigManager->sysexControls().findControl(type, location, high, low, variant)
          : nullptr;
  return control ? control->ParamIdx() : -1;
}

IControl* Kroma::getMsbLsbControl(int channelKey, int nrpn1, int nrpn2, int nrpn3,
                                  int subKey) const {
  return mParts.mUIConfigManager ? mParts.mUIConfigManager->nrpnControls().findControl(
                                       channelKey, nrpn1, nrpn2, nrpn3, subKey)
                                 : nullptr;
}

int Kroma::getProgramValueByParts(int a, int b, int c) const {
  return mParts.mUIConfigManager ? mParts.mUIConfigManager->programsByParts().get(a, b, c) : 0;
}

void Kroma::setProgramValueByParts(int a, int b, int c, int value) {
  if (mParts.mUIConfigManager) mParts.mUIConfigManager->programsByParts().set(a, b, c, value);
}

void Kroma::setValueFromHardware(int param, double normalised) {
  if (IControl* control = controlOf(param))
    control->SetValueFromHardware(normalised);
  else
    SetParameterFromGUI2(param, normalised);
}

int Kroma::partSound(int part, PartSound which) const {
  if (part < 0 || part > 16) return 0;
  return which == PartSound::kBank ? mRouting.mPartBank[part] : mRouting.mPartProgram[part];
}

void Kroma::setPartSound(int part, PartSound which, int value) {
  if (part < 0 || part > 16) return;
  (which == PartSound::kBank ? mRouting.mPartBank[part] : mRouting.mPartProgram[part]) = value;
}

int Kroma::lowerListKind() const {
  if (mSelection.mLowerListShowsCategories) return 1;
  if (mSelection.mLowerListShowsSearch) return 4;
  return mSelection.mMultiMode ? 2 : 0;
}

void Kroma::clearMultiPushFlags() {
  mSelection.mSendPartSounds = false;
  mSelection.mSendGlobalFirst = false;
}

void Kroma::logStatus(const std::string& text) {
  // A support case starts there.
  if (mParts.mDebugLogging) TK_Log(GetLog(), "STATUS: ", text);
}

void Kroma::setTextDisplay(int displayParam, const std::string& text) {
  if (displayParam == kControlDisplayName) logStatus(text);
  if (ITextControl* display = dynamic_cast<ITextControl*>(controlOf(displayParam)))
    display->SetTextFromPlug(text.c_str());
}

void Kroma::requestLayerHidden(const std::string& layer, bool hidden) {
  if (mWidgets.mEditorRequests) mWidgets.mEditorRequests->requestHidden(layerNamed(layer), hidden);
}

void Kroma::requestGrayOut(int param, bool grayed) {
  if (mWidgets.mEditorRequests) mWidgets.mEditorRequests->requestGrayOut(controlOf(param), grayed);
}

void Kroma::markLibrarianViewDirty() {
  if (mWidgets.mLibrarianView) mWidgets.mLibrarianView->SetDirty(false);
}

void Kroma::mainTabSwitch(int tab, int part) {
  onEditorThread(&dispatch::kMainTabSwitch, [this, tab, part] {
    mWidgets.mTabSwitch.mainTabSwitch(this, kMainTab, tab, part);
  });
}

void Kroma::setLibrarianSelectedProgram(int program) {
  mParts.mPatchLibrarian->selectedProgram = program;
}

void Kroma::setNameSlot(int slot, const std::string& text) {
  if (mParts.mPatchManager) mParts.mPatchManager->setName(slot, text);
  NoteStateChange();
  markLibrarianViewDirty();
}
