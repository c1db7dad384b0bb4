#include "src/editor/ControlDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FakeDisplayHost.h"
#include "src/config/ParameterIds.h"

namespace {

// "kName+offset" of an index, for failure messages.
std::string nameOf(int paramIdx) {
  const ParamIdEntry* found = &paramIdTable[0];
  for (int n = 0; n < paramIdCount && paramIdTable[n].index <= paramIdx; ++n)
    found = &paramIdTable[n];
  return std::string(found->name) + "+" + std::to_string(paramIdx - found->index);
}

int idOf(const std::string& name) {
  for (int n = 0; n < paramIdCount; ++n)
    if (name == paramIdTable[n].name) return paramIdTable[n].index;
  ADD_FAILURE() << "no identifier " << name;
  return 0;
}

class ControlDisplayTest : public testing::Test {
 protected:
  // The value display after showing the parameter with `value` both stored and passed.
  std::string show(int paramIdx, double value, bool playing = false) {
    host.params[paramIdx].Set(value);
    display.controlDisplay(&host, paramIdx, value, playing);
    return valueText();
  }
  std::string valueText() const { return FakeDisplayHost::textOf(host.valueDisplay.get()); }
  std::string nameText() const { return FakeDisplayHost::textOf(host.nameLine.get()); }

  FakeDisplayHost host;
  ControlDisplay display;
};

// Each computed rule at its edges and one past them. Every text ends in the value passed, in
// brackets.
struct Boundaries {
  int paramIdx;
  std::vector<std::string> texts;
};

// clang-format off
const Boundaries kBoundaries[] = {
    {kOscillator1Detune + 3, {" [-1]", "-64 [0]", "0 [64]", "+63 [127]", " [128]"}},
    {kGlobalTranspose, {"-12 [0]", "0 [12]", "+12 [24]", " [25]"}},
    {kOscillator2Semitone + 5, {"-12 [0]", "+0 [12]", "+13 [25]", " [26]"}},
    {kOscillator3BendRange, {"-24 [0]", "0 [24]", "+25 [49]", " [50]"}},
    {kMultiPartTranspose + 15, {" [-1]", "-48 [0]", "+0 [48]", "+49 [97]", " [98]"}},
    {kOscillator1Octave, {" [-1]", "128 \xC2\xB4 [0]", "1/2 \xC2\xB4 [8]", " [9]"}},
    {kOscillator2Pulsewidth, {"<1% [2]", "1% [3]", "49% [126]", "50% [127]"}},
    {kNoiseBalance, {" [-1]", "FILTER 1 100% [0]", "F1 100% : F2 0% [1]", "F1 50% : F2 50% [64]",
                     "F1 2% : F2 98% [126]", "FILTER 2 100% [127]", " [128]"}},
    {kFilter2Panning, {" [-1]", "LEFT 100% [0]", "LEFT 1% [63]", "< CENTER > [64]", "RIGHT 1% [65]",
                       "RIGHT 100% [127]", " [128]"}},
    {kOscillatorGlideMode, {" [-1]", "PORTAMENTO [0]", "FINGERED GLISS [3]", " [4]"}},
    {kOscillatorMonoPolyMode, {"POLY [0]", "MONO [1]", " [2]"}},
    {kFilterRoutingSerial, {"Parallel [0]", "Serial [1]", " [2]"}},
    {kFX2DelayPolarity, {" [-1]", "Positive [0]", "Negative [1]", " [2]"}},
    {kSectionLockArp + 6, {" [-1]", "OFF [0]", "ON [1]", " [2]"}},
    {kFX1FlangerFeedBack, {" [-1]", "   0% [0]", "0% [1]", " 50% [64]", "99% [126]", "100% [127]",
                           " [128]"}},
    {kMultiPartMIDICh, {"Omni [-1]", "Global [0]", "Omni [1]", "1 [2]", "16 [17]", "17 [18]"}},
    {kArpPatternLength + 9, {"1 [0]", "16 [15]"}},
};
// clang-format on

TEST_F(ControlDisplayTest, EveryComputedRuleAtItsBoundaries) {
  for (const Boundaries& rule : kBoundaries) {
    for (const std::string& text : rule.texts) {
      const double value = std::stod(text.substr(text.rfind('[') + 1));
      EXPECT_EQ(show(rule.paramIdx, value), text) << nameOf(rule.paramIdx);
    }
  }
}

// Values are cut toward zero (held within int) before any rule; the balance takes its share from
// the value itself.
TEST_F(ControlDisplayTest, ValuesAreTruncatedBeforeAnyRuleButTheBalanceTakesItsShareFromTheValue) {
  const struct {
    int paramIdx;
    double value;
    const char* text;
  } cases[] = {
      {kOscillator1Detune, 64.7, "0 [64]"}, {kNoiseBalance, 101.9, "F1 21% : F2 79% [101]"},
      {kFilter1Cutoff, 63.7, "63"},         {kFilter1Cutoff, -0.5, "0"},
      {kFilter1Cutoff, 1e12, "2147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(show(c.paramIdx, c.value), c.text) << c.value;
  EXPECT_EQ(ControlDisplay::getValueString(-1.7976931348623157e308).size(), 310u);
  // A half goes to the even neighbour; a small negative keeps its sign.
  for (const auto& [v, text] : {std::pair<double, const char*>{2.5, "2"}, {3.5, "4"}, {-0.4, "-0"}})
    EXPECT_EQ(ControlDisplay::getValueString(v), text) << v;
}

// Lists and sample names are read at the stored value, only within their length.
TEST_F(ControlDisplayTest, ListsAndSampleNamesAreReadAtTheStoredValueWithinTheirLength) {
  host.lists["lfoShape"] = {"Sine", "Triangle", "Saw"};
  EXPECT_EQ(show(kLFO2Shape + 4, 2), "Saw [2]");
  EXPECT_EQ(show(kLFO2Shape + 4, 3), " [3]");
  EXPECT_EQ(show(kLFO2Shape + 4, -1), " [-1]");
  host.params[kLFO2Shape].Set(1);
  display.controlDisplay(&host, kLFO2Shape, 2, false);
  EXPECT_EQ(valueText(), "Triangle [2]");
  EXPECT_EQ(show(kOscillator2Sample, 127), "Sample A128 [127]");
  host.samplesRead = true;
  host.samples.assign(128, "");
  host.samples.back() = "Choir";
  EXPECT_EQ(show(kOscillator1Sample + 2, 127), "Choir [127]");
  EXPECT_EQ(show(kOscillator1Sample + 2, 128), " [128]");
  EXPECT_EQ(show(kOscillator1Sample + 2, -1), " [-1]");
}

TEST_F(ControlDisplayTest, LfoSpeedShowsAClockedWordOnlyWhileItsOwnClockIsExactlyOn) {
  host.addList("clockedValues", 128);
  EXPECT_EQ(show(kLFO2Speed + 5, 30), "30");
  host.params[kLFO2Clock + 5].Set(1.0);
  EXPECT_EQ(show(kLFO2Speed + 5, 30), "clockedValues:30 [30]");
  EXPECT_EQ(show(kLFO2Speed + 4, 30), "30");
  host.params[kLFO2Clock + 5].Set(0.5);
  EXPECT_EQ(show(kLFO2Speed + 5, 30), "30");
}

TEST_F(ControlDisplayTest, NothingChangesBeforeStartUpForOutsideIndicesOrForTheGatedLibrarySwitch) {
  host.nameLine->SetTextFromPlug("name");
  host.valueDisplay->SetTextFromPlug("value");
  host.started = false;
  show(kFilter1Cutoff, 1);
  host.started = true;
  display.controlDisplay(&host, -1, 1, false);
  display.controlDisplay(&host, numParams, 1, false);
  host.programChangeSwitch = false;
  show(kControlLibrary, 1);
  EXPECT_EQ(nameText() + "|" + valueText(), "name|value");
  host.programChangeSwitch = true;
  host.params[kControlLibrary].InitBool("fControl Library", false);
  EXPECT_EQ(show(kControlLibrary, 1), "ON [1]");
  EXPECT_EQ(nameText(), "fControl Library");
}

// The arpeggiator's two triggers are left out for part 1 only; the search text and its button
// never show.
TEST_F(ControlDisplayTest, ArpTriggersAreLeftOutForTheFirstPartOnlyTheSearchAlways) {
  const struct {
    int paramIdx;
    bool shown;
  } cases[] = {
      {kTriggerArpNoteOverlap, false},
      {kTriggerArpNoteOverlap + 1, true},
      {kTriggerArpNoteOverlap + 15, true},
      {kTriggerArpPatternReset, false},
      {kTriggerArpPatternReset + 9, true},
      {kPatchSearchString, false},
      {kPatchSearch, false},
  };
  for (const auto& c : cases) {
    host.params[c.paramIdx].InitBool("Trigger", false);
    host.nameLine->SetTextFromPlug("-");
    host.valueDisplay->SetTextFromPlug("-");
    const std::string value = show(c.paramIdx, 1);
    EXPECT_EQ(value + "|" + nameText(), c.shown ? "1|Trigger" : "-|-") << nameOf(c.paramIdx);
  }
}

TEST_F(ControlDisplayTest, WhileTheHostPlaysOnlyTheCurrentPartsNumberAndMarkedNamesAreShown) {
  const struct {
    int part;
    const char* name;
    bool shown;
  } cases[] = {
      {0, "[1] Cutoff", true},  {0, "[12] Cutoff", false}, {0, "[2] Cutoff", false},
      {9, "[10] Cutoff", true}, {9, "FX Mix", true},       {4, "Effect", true},
      {0, "Tuning", false},     {0, "[", false},           {0, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " with part " + std::to_string(c.part));
    host.part = c.part;
    host.params[kFilter1Cutoff].InitDouble(c.name, 0, 0, 127, 1);
    host.valueDisplay->SetTextFromPlug("-");
    EXPECT_EQ(show(kFilter1Cutoff, 7, true), c.shown ? "7" : "-");
    EXPECT_EQ(show(kFilter1Cutoff, 8, false), "8");
  }
}

TEST_F(ControlDisplayTest, MissingDisplayControlsAreLoggedOnceAndNeverWritten) {
  host.params[kFilter1Cutoff].InitDouble("[1] Cutoff", 0, 0, 127, 1);
  host.valueDisplay.reset();
  display.controlDisplay(&host, kFilter1Cutoff, 5, false);
  display.controlDisplay(&host, kFilter1Cutoff, 6, false);
  EXPECT_EQ(nameText(), "[1] Cutoff");
  host.nameLine.reset();
  ControlDisplay another;
  another.controlDisplay(&host, kFilter1Cutoff, 5, false);
  const std::string missing = "VALUE DISPLAY: the layout built no control for ";
  EXPECT_EQ(host.log.lines, (std::vector<std::string>{missing + "kControlDisplayValue",
                                                      missing + "kControlDisplayName",
                                                      missing + "kControlDisplayValue"}));
}

// An identifier's rule as the display shows it after the values 1 and 25 ("-" while both lines
// are left alone), at its first and last part: a row for each kind of rule and of index range.
struct Routed {
  const char* id;
  int width;
  std::string outcome;
};

// clang-format off
const Routed kRouted[] = {
    {"kPatchName", 16, "-|-"}, {"kTriggerLFO3Clock", 16, "-|-"}, {"kControlDisplayValue", 1, "-|-"},
    {"kFilter1Cutoff", 16, "1|25"}, {"kModulation16Amount", 16, "-63 [1]|-39 [25]"},
    {"kGlobalTranspose", 1, "-11 [1]| [25]"}, {"kOscillator3Semitone", 16, "-11 [1]|+13 [25]"},
    {"kOscillator1BendRange", 16, "-23 [1]|+1 [25]"}, {"kMultiPartTranspose", 16, "-47 [1]|-23 [25]"},
    {"kOscillator2Octave", 16, " 64 \xC2\xB4 [1]| [25]"}, {"kOscillator3Pulsewidth", 16, "<1% [1]|9% [25]"},
    {"kRingModulationBalance", 16, "F1 100% : F2 0% [1]|F1 81% : F2 19% [25]"},
    {"kMultiPartPanning", 16, "LEFT 97% [1]|LEFT 60% [25]"},
    {"kOscillator2Sample", 16, "Sample A2 [1]|Sample A26 [25]"},
    {"kOscillatorGlideMode", 16, "FINGERED PORTA [1]| [25]"}, {"kFX2PhaserPolarity", 16, "Negative [1]| [25]"},
    {"kFX2DelayFeedback", 16, "0% [1]|19% [25]"}, {"kMultiPartMIDICh", 16, "Omni [1]|24 [25]"},
    {"kArpOctRange", 16, "2 [1]|26 [25]"}, {"kSectionLockM8S", 16, "ON [1]| [25]"},
    {"kDisableMIDIFromDAW", 1, "ON [1]| [25]"}, {"kLFO3Speed", 16, "clockedValues:1 [1]|clockedValues:25 [25]"},
    {"kModulation16Destination", 16, "modulationDestinations:1 [1]|modulationDestinations:25 [25]"},
    {"kArpPattern16StepLen", 16, "arpStepLength:1 [1]|arpStepLength:25 [25]"},
    {"kArpPattern16Step", 16, "arpStepDisplay:1 [1]|arpStepDisplay:25 [25]"},
    {"kArpPattern16Timing", 16, "arpTiming:1 [1]|arpTiming:25 [25]"},
    {"kArpPattern16Accent", 16, "arpAccent:1 [1]|arpAccent:25 [25]"},
    {"kArpPattern16Glide", 16, "ON [1]| [25]"},
    {"kGlobalControlZ", 1, "controlList:1 [1]|controlList:25 [25]"},
};
// clang-format on

TEST_F(ControlDisplayTest, EachIdentifierReachesItsRuleAtEveryPart) {
  for (int p = 0; p < 16; ++p) host.params[kLFO3Clock + p].Set(1.0);  // speeds read clocked
  for (const char* list : {"clockedValues", "modulationDestinations", "arpStepLength",
                           "arpStepDisplay", "arpTiming", "arpAccent", "controlList"})
    host.addList(list, 26);
  for (const Routed& row : kRouted) {
    for (int idx : {idOf(row.id), idOf(row.id) + row.width - 1}) {
      std::string outcome;
      for (double value : {1.0, 25.0}) {
        host.nameLine->SetTextFromPlug("-");
        host.valueDisplay->SetTextFromPlug("-");
        const std::string shown = show(idx, value);
        EXPECT_EQ(nameText() == "-", shown == "-") << "lines apart at " << nameOf(idx);
        outcome += (outcome.empty() ? "" : "|") + shown;
      }
      host.params[idx].Set(0);
      EXPECT_EQ(outcome, row.outcome) << nameOf(idx);
    }
  }
}

}  // namespace
