// The frame of both parameter dispatches and the steps the handler families share.
#include "src/core/KromaDispatch.h"

#include <memory>
#include <vector>

#include "src/config/ControlAction.h"
#include "src/config/UIConfigManager.h"
#include "src/core/EditorRequests.h"
#include "src/core/Kroma.h"
#include "src/editor/ProgressIndicator.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace dispatch {

namespace {

// The handler rows by index, looked up once per change.
struct Tables {
  std::vector<const Row*> first = std::vector<const Row*>(numParams, nullptr);
  std::vector<const Row*> main = std::vector<const Row*>(numParams, nullptr);
};

void enter(std::vector<const Row*>& table, Rows rows) {
  for (size_t r = 0; r < rows.count; ++r)
    for (int i = 0; i < rows.rows[r].count; ++i) table[rows.rows[r].first + i] = &rows.rows[r];
}

const Tables& tables() {
  static const std::unique_ptr<Tables> built = [] {
    auto t = std::make_unique<Tables>();
    enter(t->first, panelRowsFirst());
    enter(t->first, librarianRowsFirst());
    enter(t->main, panelRowsMain());
    enter(t->main, librarianRowsMain());
    enter(t->main, midiRowsMain());
    return t;
  }();
  return *built;
}

Then run(const Row* row, Change& change) {
  if (!row) return Then::kGoOn;
  change.part = change.idx - row->first;
  return row->handler(change);
}

}  // namespace

void showLayer(Kroma& plug, const std::string& name, bool visible) {
  if (ControlLayer* layer = plug.layerNamed(name))
    plug.onEditorThread(nullptr, [layer, visible] { layer->Hide(!visible); });
}

void grayOut(Kroma& plug, int param, bool grayed) {
  if (IControl* control = plug.controlOf(param))
    plug.onEditorThread(nullptr, [control, grayed] { control->GrayOut(grayed); });
}

void showLayerGroupChild(Kroma& plug, const ControlAction& action, int vi) {
  ControlLayer* group = action.layerGroup;
  if (!group) return;
  plug.onEditorThread(group, [group, vi] {
    group->selectedChildId = vi;
    for (int i = 0; i < group->childLayers.GetSize(); ++i) {
      ControlLayer* child = group->childLayers.Get(i);
      child->Hide(child->id != vi);
    }
  });
}

void flashOverlay(Kroma& plug) {
  if (ProgressIndicator* overlay = plug.mTabLayers.progress)
    plug.onEditorThread(nullptr, [overlay] {
      overlay->Hide(false);
      overlay->layer()->Hide(false);
      overlay->applyRequest();
    });
}

void status(Kroma& plug, const std::string& text) {
  plug.setTextDisplay(kControlDisplayName, text);
}

void valueText(Kroma& plug, const std::string& text) {
  if (plug.mValueDisplay) plug.mValueDisplay->SetTextFromPlug(text.c_str());
}

void store(Kroma& plug, int param, double value) {
  plug.setStoredValue(param, value);
}

int ccChannel(Kroma& plug, int part) {
  const int setting = part >= 0 && part < partCount
                          ? sysex::truncateValue(plug.getValue(kMultiPartMIDICh + part))
                          : -1;
  const int channel = setting <= 1 ? setting : setting - 2;
  if (channel >= 0 && channel <= 15) return channel;
  TK_Log(plug.GetLog(), "",
         "part " + std::to_string(part + 1) + " has no MIDI channel; nothing sent to it");
  return -1;
}

bool fromSynthesizer(const Kroma& plug) {
  return plug.mEchoFromHardware ||
         (plug.mMIDIMessageManager && plug.mMIDIMessageManager->hardwareSet);
}

}  // namespace dispatch

using namespace dispatch;

void Kroma::OnParamChange(int paramIdx) {
  TK_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param || !mUIConfigManager) return;
  const double v = param->Value();
  Change change{
      *this, paramIdx, v, sysex::truncateValue(v), 0, mUIConfigManager->getControlAction(paramIdx)};
  if (run(tables().first[paramIdx], change) == Then::kReturn) return;
  if (isPartOf(paramIdx, kMultiPartSettings))
    onEditorThread(&kMainTabSwitch, [this] { mTabSwitch.mainTabSwitch(this, 0, 0, mCurrentPart); });
  if (GetGUI()) mControlDisplay.controlDisplay(this, paramIdx, v, mTransportWasRunning);
  if (run(tables().main[paramIdx], change) == Then::kReturn || !change.action) return;
  showLayerGroupChild(*this, *change.action, change.vi);
  processControlAction(change.action, paramIdx, v);
  mLinkManager.controlLinker(this, change.action, change.action->link, paramIdx, change.vi, v);
}

void Kroma::OnParamChange2(int paramIdx) {
  TK_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param || !mUIConfigManager) return;
  mEchoFromHardware = true;
  const double v = param->Value();
  const int vi = sysex::truncateValue(v);
  const bool wavetable1 = isPartOf(paramIdx, kOscillator1Wavetable);
  if (wavetable1 || isPartOf(paramIdx, kOscillator2Wavetable)) {
    const int part = paramIdx - (wavetable1 ? kOscillator1Wavetable : kOscillator2Wavetable);
    setParameterFromPlug((wavetable1 ? kOscillator1Shape : kOscillator2Shape) + part, 7.0);
    if (mCCDisplayControl) mCCDisplayControl->SetTextFromPlug(wavetable1 ? "CC|31" : "CC|39");
    if (GetGUI()) mControlDisplay.controlDisplay(this, paramIdx, vi, mTransportWasRunning);
  } else {
    if (GetGUI()) mControlDisplay.controlDisplay(this, paramIdx, v, mTransportWasRunning);
    if (paramIdx == kQuickTab)
      onEditorThread(&kQuickTabSwitch,
                     [this, vi] { mTabSwitch.quickTabSwitch(this, kQuickTab, vi, false); });
    ControlAction* action = mUIConfigManager->getControlAction(paramIdx);
    if (action) showLayerGroupChild(*this, *action, vi);
    if (action && !mLinkInProgress) {
      processControlAction(action, paramIdx, v);
      mEchoFromHardware = false;
      mLinkManager.controlLinker(this, action, action->link, paramIdx, vi, v);
    }
  }
  if (mMIDIMessageManager) mMIDIMessageManager->dumpRouting = false;
  mEchoFromHardware = false;
}

void Kroma::onEditorThread(const void* key, std::function<void()> call) {
  if (!mEditorRequests || mEditorRequests->onEditorThread())
    call();
  else
    mEditorRequests->requestCall(key, std::move(call));
}
