// The editor's switches and panels as the dispatch handles them: the records they set, the
// parameters beside them that must not act for them, the routing pair, the effect panels and the
// settings file.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace {

class Panels : public PluginFixture {
 protected:
  // The value stored as given, without the clamp to the parameter's range, then the dispatch.
  static void setRaw(Kroma* plug, int param, double value) {
    plug->GetParam(param)->Set(value);
    plug->OnParamChange(param);
  }
  // Whether any control of the layer or of the layers in it is greyed.
  static bool grayed(const ControlLayer* layer) {
    for (int i = 0; i < layer->controls.GetSize(); ++i)
      if (layer->controls.Get(i)->IsGrayed()) return true;
    for (int i = 0; i < layer->childLayers.GetSize(); ++i)
      if (grayed(layer->childLayers.Get(i))) return true;
    return false;
  }
  static void timerTick(Kroma* plug) {
    IRECT region;
    plug->graphics()->IsDirty(&region);
  }
};

// Each switch sets the record the rest of the plug-in reads, both ways.
TEST_F(Panels, SwitchesSetTheirRecordsBothWays) {
  Kroma* plug = open();
  const struct {
    int param;
    std::function<bool(Kroma*)> read;
  } rows[] = {
      {kKeepSelectedBank,
       [](Kroma* p) { return KromaProbe(p).selection.mKeepSelectedBank.load(); }},
      {kMasterKeyboard, [](Kroma* p) { return KromaProbe(p).routing.mBlockDeviceInput.load(); }},
      {kMIDIFilterTrackIncomingMIDI,
       [](Kroma* p) { return KromaProbe(p).routing.mTrackIncomingMIDI.load(); }},
  };
  for (const auto& row : rows)
    for (double v : {0.0, 1.0, 0.0, 1.0}) {
      set(plug, row.param, v);
      EXPECT_EQ(row.read(plug), v == 1.0) << plug->GetParam(row.param)->GetNameForHost() << v;
    }
}

// The parameters next to a switch's or button's own act only for themselves.
TEST_F(Panels, TheNeighboursOfASwitchDoNotActForIt) {
  Kroma* plug = open();
  set(plug, kGlobalSysExID, 0x11);
  set(plug, kGlobalLocalControl, 0);
  set(plug, kControlProgBank, 1);
  set(plug, kMainTab, 2);
  const int page = KromaProbe(plug).widgets.mTabLayers.root->selectedChildId;
  const struct {
    int param;
    double value;
  } rows[] = {{kGlobalClock, 1},      {kGlobalMidiChannel, 1},  {kTempoInformation, 1},
              {kQuickTab, 1},         {kUserInterfaceStyle, 1}, {kKeepSelectedBank, 0},
              {kTriggerLibControl, 1}};
  for (const auto& row : rows) {
    set(plug, row.param, row.value);
    EXPECT_EQ(KromaProbe(plug).routing.mDeviceID, 0x11) << row.param;
    EXPECT_FALSE(plug->localControl()) << row.param;
    if (row.param != kTriggerLibControl) {
      EXPECT_TRUE(plug->programControl()) << row.param;
      EXPECT_FALSE(plug->libraryControl()) << row.param;
    }
    EXPECT_EQ(KromaProbe(plug).widgets.mTabLayers.root->selectedChildId, page) << row.param;
  }
  EXPECT_FALSE(KromaProbe(plug).selection.mKeepSelectedBank) << "its own switch only";
}

// Both switches of the routing pair and the routing value show what the serial switch or the
// trigger set.
TEST_F(Panels, TheRoutingPairsControlsShowTheRouting) {
  Kroma* plug = open();
  for (int param : {kFilterRoutingSerial + 4, kTriggerFilterRouting + 4, kFilterRoutingSerial + 4})
    for (double v : {1.0, 0.0}) {
      if (param == kTriggerFilterRouting + 4 && v == 0.0) continue;
      turn(plug, param, v);
      const double serial = value(plug, kFilterRoutingSerial + 4);
      for (int shown : {kFilterRoutingSerial + 4, kFilterRoutingParallel + 4, kFilterRouting + 4}) {
        const double expected = shown == kFilterRoutingParallel + 4 ? 1.0 - serial : serial;
        EXPECT_EQ(value(plug, shown), expected) << param << " " << shown;
        if (IControl* control = plug->controlOf(shown)) {
          EXPECT_EQ(control->GetValue(), expected) << param << " " << shown;
        }
      }
    }
}

// Shapes, filter types and envelope modes are whole numbers: a value between two is cut to the
// lower one.
TEST_F(Panels, ShapesTypesAndModesAreCutToWholeNumbers) {
  Kroma* plug = open();
  for (int param :
       std::initializer_list<int>{kOscillator1Shape + 2, kOscillator2Shape + 3, kOscillator3Shape,
                                  kFilter1Type + 5, kFilter2Type + 15, kFilterEnvMode + 1,
                                  kAmpEnvMode + 7, kEnvelope3Mode, kEnvelope4Mode + 9}) {
    setRaw(plug, param, 2.7);
    EXPECT_EQ(value(plug, param), 2.0) << param;
  }
}

// A size past the list's end leaves the settings file as it was; the size menu shows the size
// chosen, also when the host chose it.
TEST_F(Panels, TheSizeMenuShowsTheSizeAndASizePastTheListWritesNothing) {
  writeData("Kroma Editor UI.txt", "white\nnormal\nno\n");
  Kroma* plug = open();
  set(plug, kUserInterfaceSize, 2);
  EXPECT_EQ(readData("Kroma Editor UI.txt"), "white\nlarge\nno");
  IControl* menu = plug->controlOf(kUserInterfaceSize);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetValue(), plug->GetParam(kUserInterfaceSize)->GetNormalized());
  setRaw(plug, kUserInterfaceSize, 3);
  EXPECT_EQ(readData("Kroma Editor UI.txt"), "white\nlarge\nno");
}

// The notice's button leaves no transfer behind: MIDI from the host goes on to the synthesizer.
TEST_F(Panels, TheNoticesButtonLeavesNoTransferRunning) {
  midi.addOutputPort("Synth Out");
  Kroma* plug = openConnected();
  process(plug, 64);
  for (bool firstRun : {true, false}) {
    KromaProbe(plug).parts.mFirstRunShown = firstRun;
    set(plug, kFirstRunExit, 1);
    EXPECT_FALSE(KromaProbe(plug).selection.mTransferInProgress) << firstRun;
    const size_t from = sentCount();
    IMidiMsg msg(0, 0x91, 60, 100);
    plug->MIDIOutRoutingSwitch(&msg);
    EXPECT_EQ(sent(from), "91 3C 64|") << firstRun;
  }
}

// On the effects page effect 1's type shows its own layer in the panel shown, the first type
// greyed; effect 2's panel follows part 1's type, its first type greyed too.
TEST_F(Panels, EffectTypesShowTheirPanels) {
  Kroma* plug = open();
  set(plug, kMainTab, 5);
  timerTick(plug);
  ControlLayer* arp = KromaProbe(plug).widgets.mTabLayers.effectsArp;
  ASSERT_NE(arp, nullptr);
  ControlLayer* panel = nullptr;
  for (int i = 0; i < arp->childLayers.GetSize(); ++i)
    if (arp->childLayers.Get(i)->id == arp->selectedChildId) panel = arp->childLayers.Get(i);
  ASSERT_NE(panel, nullptr);
  auto child = [panel](int id) -> ControlLayer* {
    for (int i = 0; i < panel->childLayers.GetSize(); ++i)
      if (panel->childLayers.Get(i)->id == id) return panel->childLayers.Get(i);
    return nullptr;
  };
  for (int mode : {3, 0, 5}) {
    set(plug, kEffect1Mode + 2, mode);
    EXPECT_EQ(panel->selectedChildId, 10 + mode) << mode;
    if (ControlLayer* own = child(10 + mode)) {
      EXPECT_TRUE(own->IsVisible()) << mode;
      EXPECT_EQ(grayed(own), mode == 0) << mode;
    }
  }
  const TabLayers& layers = plug->tabLayers();
  for (int mode : {0, TabLayers::kEffectPanels - 1}) {
    plug->setStoredValue(kEffect2Mode, mode);
    set(plug, kEffect2Mode + 7, mode == 0 ? 4 : 0);
    for (int p = 0; p < TabLayers::kEffectPanels; ++p)
      if (layers.effectPanels[p]) {
        EXPECT_EQ(layers.effectPanels[p]->IsVisible(), p == mode) << p;
      }
    ASSERT_NE(layers.effectPanels[mode], nullptr);
    EXPECT_EQ(grayed(layers.effectPanels[mode]), mode == 0);
  }
}

// Both bank lists list the bank files under their shortened names, each list once: every renaming
// is logged once for the upper list and once for the lower.
TEST_F(Panels, BothBankListsTakeTheShortenedNamesOnce) {
  const std::string prefix(47, 'B');
  for (const char* tail : {"-first.syx", "-second.syx"})
    banks::write(data.file("Patches/" + prefix + tail), "S");
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = open();
  for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
    EXPECT_STREQ(plug->GetParam(list)->GetDisplayText(0), (prefix + "~1.syx").c_str()) << list;
    EXPECT_STREQ(plug->GetParam(list)->GetDisplayText(1), (prefix + "~2.syx").c_str()) << list;
  }
  EXPECT_EQ(KromaProbe(plug).selection.mLowerSelectionText, prefix + "~1.syx");
  const std::string log = readData("Kroma Editor LOG.txt");
  const std::string line = prefix + "-second.syx RENAMED TO " + prefix + "~2.syx";
  size_t count = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
  EXPECT_EQ(count, 2u) << log;
}

// A shape, filter type, envelope mode or sample choice shows the current part's page anew (its
// name in the patch display among it); a wavetable or a trigger of another kind does not.
TEST_F(Panels, ShapeTypeModeAndSampleChoicesShowThePartsPageAnew) {
  Kroma* plug = open();
  set(plug, kMainTab, 2);
  set(plug, kQuickTab, 4);
  plug->setDisplayText(kPatchName + 4, "Fifth Part");
  ITextControl* patch = KromaProbe(plug).widgets.mPatchDisplay;
  ASSERT_NE(patch, nullptr);
  const struct {
    int param;
    double value;
    bool refreshes;
  } rows[] = {{kOscillator1Shape, 2, true},
              {kOscillator2Shape, 3, true},
              {kOscillator3Shape, 1, true},
              {kFilter1Type, 2, true},
              {kFilter2Type, 3, true},
              {kFilterEnvMode, 1, true},
              {kAmpEnvMode, 2, true},
              {kEnvelope3Mode, 1, true},
              {kEnvelope4Mode, 2, true},
              {kOscillator1Sample, 5, true},
              {kOscillator2Sample, 6, true},
              {kTriggerOscillator1Samples, 1, true},
              {kTriggerOscillator2Samples, 1, true},
              {kOscillator1Wavetable, 3, false},
              {kTriggerLFO1Clock, 1, false}};
  for (const auto& row : rows) {
    patch->SetTextFromPlug("-");
    set(plug, row.param + 4, row.value);
    EXPECT_EQ(text(patch), row.refreshes ? "Fifth Part" : "-") << row.param;
  }
}

}  // namespace
