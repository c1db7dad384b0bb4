// The frame of both parameter dispatches and the steps the handler families share.
#include "src/core/detail/KromaDispatch.h"

#include <memory>
#include <vector>

#include "src/config/ControlAction.h"
#include "src/config/UIConfigManager.h"
#include "src/core/Kroma.h"
#include "src/core/detail/EditorRequests.h"
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
  if (ProgressIndicator* overlay = plug.tabLayers().progress)
    plug.onEditorThread(nullptr, [overlay] {
      overlay->Hide(false);
      overlay->layer()->Hide(false);
      overlay->applyRequest();
    });
}

void status(Kroma& plug, const std::string& text) {
  plug.showStatus(text);
}

void valueText(Kroma& plug, const std::string& text) {
  if (ITextControl* display = plug.displayValueControl()) display->SetTextFromPlug(text.c_str());
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

bool fromSynthesizer(const MidiRouting& routing, const KromaParts& parts) {
  return routing.mEchoFromHardware ||
         (parts.mMIDIMessageManager && parts.mMIDIMessageManager->hardwareSet);
}

}  // namespace dispatch

using namespace dispatch;

Change Kroma::changeOf(int paramIdx, double v, ControlAction* action) {
  return {
      *this, mRouting, mClock, mSelection, mWidgets, mParts, paramIdx, v, sysex::truncateValue(v),
      0,     action};
}

void Kroma::OnParamChange(int paramIdx) {
  TK_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param || !mParts.mUIConfigManager) return;
  const double v = param->Value();
  Change change = changeOf(paramIdx, v, mParts.mUIConfigManager->getControlAction(paramIdx));
  if (run(tables().first[paramIdx], change) == Then::kReturn) return;
  if (isPartOf(paramIdx, kMultiPartSettings))
    onEditorThread(&kMainTabSwitch, [this] {
      mWidgets.mTabSwitch.mainTabSwitch(this, 0, 0, mSelection.mCurrentPart);
    });
  if (GetGUI())
    mWidgets.mControlDisplay.controlDisplay(this, paramIdx, v, mClock.mTransportWasRunning);
  if (run(tables().main[paramIdx], change) == Then::kReturn || !change.action) return;
  showLayerGroupChild(*this, *change.action, change.vi);
  processControlAction(change.action, paramIdx, v);
  mParts.mLinkManager.controlLinker(this, mRouting, mParts, change.action, change.action->link,
                                    paramIdx, change.vi, v);
}

void Kroma::OnParamChange2(int paramIdx) {
  TK_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param || !mParts.mUIConfigManager) return;
  mRouting.mEchoFromHardware = true;
  const double v = param->Value();
  const int vi = sysex::truncateValue(v);
  const bool wavetable1 = isPartOf(paramIdx, kOscillator1Wavetable);
  if (wavetable1 || isPartOf(paramIdx, kOscillator2Wavetable)) {
    const int part = paramIdx - (wavetable1 ? kOscillator1Wavetable : kOscillator2Wavetable);
    setParameterFromPlug((wavetable1 ? kOscillator1Shape : kOscillator2Shape) + part, 7.0);
    if (mWidgets.mCCDisplayControl)
      mWidgets.mCCDisplayControl->SetTextFromPlug(wavetable1 ? "CC|31" : "CC|39");
    if (GetGUI())
      mWidgets.mControlDisplay.controlDisplay(this, paramIdx, vi, mClock.mTransportWasRunning);
  } else {
    if (GetGUI())
      mWidgets.mControlDisplay.controlDisplay(this, paramIdx, v, mClock.mTransportWasRunning);
    if (paramIdx == kQuickTab)
      onEditorThread(&kQuickTabSwitch, [this, vi] {
        mWidgets.mTabSwitch.quickTabSwitch(this, kQuickTab, vi, false);
      });
    ControlAction* action = mParts.mUIConfigManager->getControlAction(paramIdx);
    if (action) showLayerGroupChild(*this, *action, vi);
    if (action && !mRouting.mLinkInProgress) {
      processControlAction(action, paramIdx, v);
      mRouting.mEchoFromHardware = false;
      mParts.mLinkManager.controlLinker(this, mRouting, mParts, action, action->link, paramIdx, vi,
                                        v);
    }
  }
  if (mParts.mMIDIMessageManager) mParts.mMIDIMessageManager->dumpRouting = false;
  mRouting.mEchoFromHardware = false;
}

void Kroma::onEditorThread(const void* key, std::function<void()> call) {
  if (!mWidgets.mEditorRequests || mWidgets.mEditorRequests->onEditorThread())
    call();
  else
    mWidgets.mEditorRequests->requestCall(key, std::move(call));
}
