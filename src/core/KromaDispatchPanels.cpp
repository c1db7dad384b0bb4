// The dispatch's handlers of the sound's mirrored and switched parameters, the trigger buttons,
// the UI settings and the editor's pages and panels.
#include <fstream>

#include "src/core/Kroma.h"
#include "src/core/detail/KromaDispatch.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace dispatch {

namespace {

constexpr int kEffectsPage = 5;

// The part tab's page shown again for the current part.
void quickTab(Change& c) {
  Kroma& plug = c.plug;
  plug.onEditorThread(&kQuickTabSwitch, [&plug, &widgets = c.widgets, &selection = c.selection] {
    widgets.mTabSwitch.quickTabSwitch(&plug, kQuickTab, selection.mCurrentPart, false);
  });
}

void mainTab(Change& c, int tab) {
  Kroma& plug = c.plug;
  plug.onEditorThread(
      &kMainTabSwitch, [&plug, &widgets = c.widgets, &selection = c.selection, tab] {
        widgets.mTabSwitch.mainTabSwitch(&plug, kMainTab, tab, selection.mCurrentPart);
      });
}

// A shape, filter type or envelope mode kept a whole number; the page shows its variant.
Then clampAndQuickTab(Change& c) {
  store(c.plug, c.idx, c.vi);
  quickTab(c);
  return Then::kGoOn;
}

Then sampleChoice(Change& c) {
  quickTab(c);
  return Then::kGoOn;
}

template <int Wavetable>
Then shapeWithWavetable(Change& c) {
  c.plug.setParameterFromPlug(Wavetable + c.part, 0.0);
  return clampAndQuickTab(c);
}

// A wavetable choice is the oscillator's shape 7 and a CC of its own: (wavetable + 7) on the
// controller that also picks the shapes. The parameter's control action is not run.
template <int Shape, int Controller>
Then wavetable(Change& c) {
  Kroma& plug = c.plug;
  plug.setParameterFromPlug(Shape + c.part, 7.0);
  const std::string activity = "CC|" + std::to_string(Controller);
  if (c.widgets.mCCDisplayControl) c.widgets.mCCDisplayControl->SetTextFromPlug(activity.c_str());
  const int channel = ccChannel(plug, c.part);
  if (channel >= 0 && !fromSynthesizer(c.routing, c.parts)) {
    const IMidiMsg msg(0, static_cast<uint8_t>(0xB0 | channel), Controller,
                       sysex::toDataByte(c.vi + 7));
    plug.sendMidiMsgAndLog(&msg);
  }
  if (plug.GetGUI())
    c.widgets.mControlDisplay.controlDisplay(&plug, c.idx, c.vi, c.clock.mTransportWasRunning);
  return Then::kReturn;
}

// Flips a switch parameter as its trigger button asks: exactly 1.0 turns to 0.0, anything else
// to 1.0, with the switch's own dispatch. The value it had.
double toggle(Kroma& plug, int target) {
  const double old = plug.getValue(target);
  const double now = old == 1.0 ? 0.0 : 1.0;
  store(plug, target, now);
  plug.OnParamChange(target);
  plug.setParameterFromPlug(target, now);
  return old;
}

// A trigger button of part p flips `Target` + p; the sample switches show their page anew.
template <int Target, bool RefreshesPage = false>
Then trigger(Change& c) {
  if (c.vi != 1) return Then::kGoOn;
  toggle(c.plug, Target + c.part);
  if (RefreshesPage) quickTab(c);
  return Then::kGoOn;
}

// Serial and parallel filter routing, switched as a pair.
Then routingTrigger(Change& c) {
  if (c.vi != 1) return Then::kGoOn;
  Kroma& plug = c.plug;
  const double parallel = plug.getValue(kFilterRoutingParallel + c.part) == 0.0 ? 1.0 : 0.0;
  const double serial = 1.0 - parallel;
  plug.setParameterFromPlug(kFilterRouting + c.part, serial);
  store(plug, kFilterRoutingParallel + c.part, parallel);
  plug.setParameterFromPlug(kFilterRoutingParallel + c.part, parallel);
  store(plug, kFilterRoutingSerial + c.part, serial);
  plug.OnParamChange(kFilterRoutingSerial + c.part);
  plug.setParameterFromPlug(kFilterRoutingSerial + c.part, serial);
  return Then::kGoOn;
}

// The serial switch sends the routing byte itself; the routing value, which the part's sound dump
// carries, and the parallel switch follow it.
Then serialRouting(Change& c) {
  const double serial = c.vi != 0 ? 1.0 : 0.0;
  store(c.plug, kFilterRouting + c.part, serial);
  c.plug.setParameterFromPlug(kFilterRouting + c.part, serial);
  store(c.plug, kFilterRoutingParallel + c.part, 1.0 - serial);
  c.plug.setParameterFromPlug(kFilterRoutingParallel + c.part, 1.0 - serial);
  return Then::kGoOn;
}

Then progControlTrigger(Change& c) {
  if (c.vi == 0) return Then::kReturn;
  toggle(c.plug, kControlProgBank);
  return Then::kGoOn;
}

Then libControlTrigger(Change& c) {
  if (c.vi == 0) return Then::kReturn;
  c.selection.mShowProgramNames = toggle(c.plug, kControlLibrary) != 1.0;
  return Then::kGoOn;
}

Then localControlTrigger(Change& c) {
  if (c.vi == 0) return Then::kReturn;
  c.routing.mLocalControlFlag = toggle(c.plug, kGlobalLocalControl) != 1.0;
  return Then::kGoOn;
}

// The host's tempo, for the closing step's link and the MIDI clock; the stored value stays.
Then tempoInformation(Change& c) {
  const double tempo = c.plug.GetTempo();
  c.vi = sysex::truncateValue(tempo);
  c.clock.mTempoValue = c.vi;
  if (c.parts.mMIDIMessageManager) c.parts.mMIDIMessageManager->setTempoValue(tempo);
  return Then::kGoOn;
}

Then keepSelectedBank(LibrarianSelection& selection, int, int vi) {
  selection.mKeepSelectedBank = vi != 0;
  return Then::kGoOn;
}

Then multiPartSettings(Change& c) {
  if (ControlLayer* page = c.widgets.mTabLayers.multiSettingsPart[c.part]) {
    const bool shown = c.vi > 0;
    c.plug.onEditorThread(nullptr, [page, shown] { page->Hide(!shown); });
  }
  return Then::kGoOn;
}

// Rewrites the three lines of the UI settings file, `line` changed to `text` (unchanged for
// null). A file that does not open is reported and left as it is; false then.
bool rewriteUISettings(Change& c, std::string KromaParts::*line, const char* text) {
  Kroma& plug = c.plug;
  if (!std::ifstream(c.parts.mUISettingsPath)) {
    status(plug, "Kroma Editor UI.txt MISSING!");
    valueText(plug, "Contact support");
    return false;
  }
  if (text) c.parts.*line = text;
  std::ofstream(c.parts.mUISettingsPath, std::ios::binary | std::ios::trunc)
      << c.parts.mUIColorSchemeLine << '\n'
      << c.parts.mUISizeLine << '\n'
      << c.parts.mUIFirstRunLine;
  return true;
}

// A line for values 0..N-1, none for others.
template <size_t N>
const char* lineFor(const char* const (&lines)[N], int value) {
  return value >= 0 && value < static_cast<int>(N) ? lines[value] : nullptr;
}

// The new size and style take effect when the plug-in is made again: the running editor keeps
// its own.
Then uiSize(Change& c) {
  static const char* const sizes[] = {"small", "normal", "large"};
  const bool written = rewriteUISettings(c, &KromaParts::mUISizeLine, lineFor(sizes, c.vi));
  c.plug.setParameterFromPlug(kUserInterfaceSize, c.vi);
  if (written) {
    status(c.plug, "Size changes applied...");
    valueText(c.plug, "Reload project!");
  }
  return Then::kReturn;
}

Then uiStyle(Change& c) {
  static const char* const styles[] = {"white", "black"};
  if (rewriteUISettings(c, &KromaParts::mUIColorSchemeLine, lineFor(styles, c.vi))) {
    status(c.plug, "Color Scheme applied...");
    valueText(c.plug, "Reload project!");
  }
  return Then::kReturn;
}

// The button of the first-run notice, also the one of the bank conflict notice.
Then firstRunExit(Change& c) {
  Kroma& plug = c.plug;
  if (!c.parts.mFirstRunShown) {
    showLayer(plug, "bankPatchConflictWindow", false);
  } else if (c.vi != 0) {
    rewriteUISettings(c, &KromaParts::mUIFirstRunLine, "yes");
    status(plug, "Set MIDI In and MIDI Out");
    showLayer(plug, "firstRunNotification", false);
    c.parts.mFirstRunShown = false;
  } else {
    return Then::kReturn;
  }
  plug.DisplayProcessingIndicator(true);
  plug.DisplayProcessingIndicator(false);
  return Then::kReturn;
}

// The top bar's program and bank menus select the synthesizer's programs (kControlProgBank) or
// show the librarian's names (kControlLibrary): never both.
template <bool Library>
Then menuMode(Change& c) {
  Kroma& plug = c.plug;
  const bool on = c.vi == 1;
  (Library ? c.selection.mShowProgramNames : c.selection.mProgBankMode) = on;
  if (on) {
    plug.setParameterFromPlug(Library ? kControlProgBank : kControlLibrary, 0.0);
    (Library ? c.selection.mProgBankMode : c.selection.mShowProgramNames) = false;
  }
  plug.updateBankAndProgramMenuNames(false);
  return Then::kGoOn;
}

ControlLayer* childAt(ControlLayer* layer, int position) {
  return layer && position >= 0 && position < layer->childLayers.GetSize()
             ? layer->childLayers.Get(position)
             : nullptr;
}

bool effectsPageShown(const TabLayers& layers) {
  return layers.root && layers.root->selectedChildId == kEffectsPage;
}

Then effect1Mode(Change& c) {
  Kroma& plug = c.plug;
  const int mode = c.vi;
  plug.onEditorThread(nullptr, [&plug, mode] {
    const TabLayers& layers = plug.tabLayers();
    if (!effectsPageShown(layers) || !layers.effectsArp) return;
    ControlLayer* panel = childAt(layers.effectsArp, layers.effectsArp->selectedChildId);
    if (!panel) return;
    panel->showMultiLayers(mode + 10);
    if (mode == 0) panel->GrayOutCustomZone(true, 10);
  });
  return Then::kGoOn;
}

// Effect 2's panel follows part 1's mode, whichever part changed.
Then effect2Mode(Change& c) {
  Kroma& plug = c.plug;
  plug.onEditorThread(nullptr, [&plug] {
    const TabLayers& layers = plug.tabLayers();
    if (!effectsPageShown(layers)) return;
    layer_visibility::hideAll(layers.effectPanels);
    const int mode = sysex::truncateValue(plug.getValue(kEffect2Mode));
    if (mode < 0 || mode >= TabLayers::kEffectPanels || !layers.effectPanels[mode]) return;
    layers.effectPanels[mode]->Hide(false);
    if (mode == 0) layers.effectPanels[mode]->GrayOut(true);
  });
  return Then::kGoOn;
}

// With an output port the editor takes the new id up once the Global dump that gives it to the
// synthesizer is out (the sender does); without one it is the id in use at once.
Then deviceId(Change& c) {
  if (c.routing.mMIDIOutSet) return Then::kGoOn;
  c.routing.mDeviceID = c.vi;
  store(c.plug, kDeviceID_old, c.vi);
  return Then::kGoOn;
}

Then viewMIDIFilterSettings(Change& c) {
  showLayer(c.plug, "midiFilterSettings", c.vi == 1);
  return Then::kGoOn;
}

Then displayAbout(Change& c) {
  if (c.vi != 0) showLayer(c.plug, "aboutWindow", true);
  return Then::kGoOn;
}

Then exitAbout(Change& c) {
  if (c.vi == 0) return Then::kGoOn;
  showLayer(c.plug, "aboutWindow", false);
  flashOverlay(c.plug);
  return Then::kGoOn;
}

Then mainTabChange(Change& c) {
  if (c.vi == 1) c.plug.addBankEditMenuItems();
  mainTab(c, c.vi);
  return Then::kGoOn;
}

Then quickTabChange(Change& c) {
  if (c.vi >= 0 && c.vi < partCount) c.selection.mCurrentPart = c.vi;
  quickTab(c);
  c.plug.updateBankAndProgramMenuNames(false);
  return Then::kGoOn;
}

constexpr Row kFirst[] = {
    {kOscillator1Shape, partCount, shapeWithWavetable<kOscillator1Wavetable>},
    {kOscillator2Shape, partCount, shapeWithWavetable<kOscillator2Wavetable>},
    {kOscillator3Shape, partCount, clampAndQuickTab},
    {kOscillator1Wavetable, partCount, wavetable<kOscillator1Shape, 31>},
    {kOscillator2Wavetable, partCount, wavetable<kOscillator2Shape, 39>},
    {kFilter1Type, partCount, clampAndQuickTab},
    {kFilter2Type, partCount, clampAndQuickTab},
    {kFilterEnvMode, partCount, clampAndQuickTab},
    {kAmpEnvMode, partCount, clampAndQuickTab},
    {kEnvelope3Mode, partCount, clampAndQuickTab},
    {kEnvelope4Mode, partCount, clampAndQuickTab},
    {kOscillator1Sample, partCount, sampleChoice},
    {kOscillator2Sample, partCount, sampleChoice},
    {kTriggerOscillator1LimitWT, partCount, trigger<kOscillator1LimitWT>},
    {kTriggerOscillator2LimitWT, partCount, trigger<kOscillator2LimitWT>},
    {kTriggerOscillator1Samples, partCount, trigger<kOsc1UseSampleMemory, true>},
    {kTriggerOscillator2Samples, partCount, trigger<kOsc2UseSampleMemory, true>},
    {kTriggerFX1PhaserPolarity, partCount, trigger<kFX1PhaserPolarity>},
    {kTriggerFX2PhaserPolarity, partCount, trigger<kFX2PhaserPolarity>},
    {kTriggerFX1FlangerPolarity, partCount, trigger<kFX1FlangerPolarity>},
    {kTriggerFX2FlangerPolarity, partCount, trigger<kFX2FlangerPolarity>},
    {kTriggerFX2DelayPolarity, partCount, trigger<kFX2DelayPolarity>},
    {kTriggerArpNoteOverlap, partCount, trigger<kArpSameNoteOverlap>},
    {kTriggerArpPatternReset, partCount, trigger<kArpPatternReset>},
    {kTriggerOscillator2SyncToOsc3, partCount, trigger<kOscillator2SyncToOsc3>},
    {kTriggerOscillatorMonoPolyMode, partCount, trigger<kOscillatorMonoPolyMode>},
    {kTriggerOscillatorGlideOnOffSwitch, partCount, trigger<kOscillatorGlideOnOffSwitch>},
    {kTriggerFilterEnvTrigger, partCount, trigger<kFilterEnvTrigger>},
    {kTriggerAmpEnvTrigger, partCount, trigger<kAmpEnvTrigger>},
    {kTriggerEnv3Trigger, partCount, trigger<kEnv3Trigger>},
    {kTriggerEnv4Trigger, partCount, trigger<kEnv4Trigger>},
    {kTriggerLFO1Clock, partCount, trigger<kLFO1Clock>},
    {kTriggerLFO2Clock, partCount, trigger<kLFO2Clock>},
    {kTriggerLFO3Clock, partCount, trigger<kLFO3Clock>},
    {kTriggerLFO1SyncOnOff, partCount, trigger<kLFO1SyncOnOff>},
    {kTriggerLFO2SyncOnOff, partCount, trigger<kLFO2SyncOnOff>},
    {kTriggerLFO3SyncOnOff, partCount, trigger<kLFO3SyncOnOff>},
    {kFilterLinkTrigger, partCount, trigger<kFilterLinkSwitch>},
    {kTriggerFilterRouting, partCount, routingTrigger},
    {kFilterRoutingSerial, partCount, serialRouting},
    {kTriggerProgControl, 1, progControlTrigger},
    {kTriggerLibControl, 1, libControlTrigger},
    {kTriggerGlobalLocalKBDControl, 1, localControlTrigger},
    {kTempoInformation, 1, tempoInformation},
    {kKeepSelectedBank, 1, onRecord<keepSelectedBank>},
    {kMultiPartSettings, partCount, multiPartSettings},
    {kUserInterfaceSize, 1, uiSize},
    {kUserInterfaceStyle, 1, uiStyle},
    {kFirstRunExit, 1, firstRunExit},
};

constexpr Row kMain[] = {
    {kMasterKeyboard, 1, onRecord<followSwitch<&MidiRouting::mBlockDeviceInput>>},
    {kControlProgBank, 1, menuMode<false>},
    {kControlLibrary, 1, menuMode<true>},
    {kEffect1Mode, partCount, effect1Mode},
    {kEffect2Mode, partCount, effect2Mode},
    {kGlobalSysExID, 1, deviceId},
    {kGlobalLocalControl, 1, onRecord<followSwitch<&MidiRouting::mLocalControlFlag>>},
    {kViewMIDIFilterSettings, 1, viewMIDIFilterSettings},
    {kDisplayAboutWindow, 1, displayAbout},
    {kExitAboutWindow, 1, exitAbout},
    {kMainTab, 1, mainTabChange},
    {kQuickTab, 1, quickTabChange},
};

}  // namespace

Rows panelRowsFirst() {
  return {kFirst, std::size(kFirst)};
}

Rows panelRowsMain() {
  return {kMain, std::size(kMain)};
}

}  // namespace dispatch
