#include "src/editor/ControlDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
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

// Each computed rule at its lowest, centre and highest value, one past them and one between. Every
// text ends in the value that was passed, in brackets.
struct Boundaries {
  int paramIdx;
  std::vector<std::string> texts;
};

const Boundaries kBoundaries[] = {
    {kOscillator1Detune + 3, {" [-1]", "-64 [0]", "-34 [30]", "0 [64]", "+63 [127]", " [128]"}},
    {kGlobalTranspose, {"-12 [0]", "0 [12]", "+8 [20]", "+12 [24]", " [25]"}},
    {kOscillator2Semitone + 5, {"-12 [0]", "-5 [7]", "+0 [12]", "+13 [25]", " [26]"}},
    {kOscillator3BendRange, {"-24 [0]", "0 [24]", "+6 [30]", "+25 [49]", " [50]"}},
    {kMultiPartTranspose + 15, {" [-1]", "-48 [0]", "+0 [48]", "+12 [60]", "+49 [97]", " [98]"}},
    {kOscillator1Octave,
     {" [-1]", "128 \xC2\xB4 [0]", "  8 \xC2\xB4 [4]", "1/2 \xC2\xB4 [8]", " [9]"}},
    {kOscillator2Pulsewidth,
     {"<1% [-3]", "<1% [2]", "1% [3]", "25% [64]", "49% [126]", "50% [127]", "78% [200]"}},
    {kNoiseBalance,
     {" [-1]", "FILTER 1 100% [0]", "F1 100% : F2 0% [1]", "F1 75% : F2 25% [32]",
      "F1 50% : F2 50% [64]", "F1 50% : F2 50% [65]", "F1 2% : F2 98% [126]", "FILTER 2 100% [127]",
      " [128]"}},
    {kFilter2Panning,
     {" [-1]", "LEFT 100% [0]", "LEFT 97% [1]", "LEFT 1% [63]", "< CENTER > [64]", "RIGHT 1% [65]",
      "RIGHT 96% [126]", "RIGHT 100% [127]", " [128]"}},
    {kOscillatorGlideMode,
     {" [-1]", "PORTAMENTO [0]", "FINGERED PORTA [1]", "FINGERED GLISS [3]", " [4]"}},
    {kOscillatorMonoPolyMode, {"POLY [0]", "MONO [1]", " [2]"}},
    {kFilterRoutingSerial, {"Parallel [0]", "Serial [1]", " [2]"}},
    {kFX2DelayPolarity, {" [-1]", "Positive [0]", "Negative [1]", " [2]"}},
    {kSectionLockArp + 6, {" [-1]", "OFF [0]", "ON [1]", " [2]"}},
    {kArpPattern07Glide, {"OFF [0]", "ON [1]", " [2]"}},
    {kFX1FlangerFeedBack,
     {" [-1]", "   0% [0]", "0% [1]", "49% [63]", " 50% [64]", "51% [65]", "99% [126]",
      "100% [127]", " [128]"}},
    {kMultiPartMIDICh, {"Omni [-1]", "Global [0]", "Omni [1]", "1 [2]", "16 [17]", "17 [18]"}},
    {kArpOctRange, {"1 [0]", "8 [7]"}},
    {kArpPatternLength + 9, {"1 [0]", "16 [15]"}},
};

TEST_F(ControlDisplayTest, EveryComputedRuleAtItsBoundaries) {
  for (const Boundaries& rule : kBoundaries) {
    for (const std::string& text : rule.texts) {
      const double value = std::stod(text.substr(text.rfind('[') + 1));
      EXPECT_EQ(show(rule.paramIdx, value), text) << nameOf(rule.paramIdx);
    }
  }
}

TEST_F(ControlDisplayTest, ValuesAreTruncatedBeforeAnyRuleButTheBalanceTakesItsShareFromTheValue) {
  const struct {
    int paramIdx;
    double value;
    const char* text;
  } cases[] = {
      {kOscillator1Detune, 64.7, "0 [64]"}, {kNoiseBalance, 101.9, "F1 21% : F2 79% [101]"},
      {kFilter1Cutoff, 64, "64"},           {kFilter1Cutoff, 63.7, "63"},
      {kFilter1Cutoff, -5, "-5"},           {kFilter1Cutoff, -0.5, "0"},
      {kFilter1Cutoff, 1e12, "2147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(show(c.paramIdx, c.value), c.text) << c.value;
}

TEST_F(ControlDisplayTest, ValueListsAreReadAtTheStoredValueAndOnlyWithinTheirLength) {
  host.lists["lfoShape"] = {"Sine", "Triangle", "Saw"};
  EXPECT_EQ(show(kLFO2Shape + 4, 0), "Sine [0]");
  EXPECT_EQ(show(kLFO2Shape + 4, 2), "Saw [2]");
  EXPECT_EQ(show(kLFO2Shape + 4, 3), " [3]");
  EXPECT_EQ(show(kLFO2Shape + 4, -1), " [-1]");
  EXPECT_EQ(show(kFX2ReverbSize, 0), " [0]");
  host.params[kLFO2Shape].Set(1);
  display.controlDisplay(&host, kLFO2Shape, 2, false);
  EXPECT_EQ(valueText(), "Triangle [2]");
}

TEST_F(ControlDisplayTest, SampleNamesComeFromTheSamplesFileOnlyWithinItsTable) {
  EXPECT_EQ(show(kOscillator2Sample, 0), "Sample A1 [0]");
  EXPECT_EQ(show(kOscillator2Sample, 4), "Sample A5 [4]");
  EXPECT_EQ(show(kOscillator2Sample, 127), "Sample A128 [127]");
  host.samplesRead = true;
  host.samples.assign(128, "");
  host.samples.front() = "Grand";
  host.samples.back() = "Choir";
  EXPECT_EQ(show(kOscillator1Sample + 2, 0), "Grand [0]");
  EXPECT_EQ(show(kOscillator1Sample + 2, 5), " [5]");
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
  EXPECT_EQ(show(kLFO3Speed + 5, 30), "30");
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

TEST_F(ControlDisplayTest, WhileTheHostPlaysOnlyTheCurrentPartsNumberAndMarkedNamesAreShown) {
  const struct {
    int part;
    const char* name;
    bool shown;
  } cases[] = {
      {0, "[1] Cutoff", true},   {0, "[12] Cutoff", false}, {0, "[2] Cutoff", false},
      {1, "[2] Cutoff", true},   {9, "[10] Cutoff", true},  {9, "[1] Cutoff", false},
      {15, "[16] Cutoff", true}, {9, "FX Mix", true},       {4, "Effect", true},
      {0, "Tuning", false},      {0, "[", false},           {0, "", false},
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

TEST(ControlDisplayValueString, WholeNumbersWithTheirSign) {
  EXPECT_EQ(ControlDisplay::getValueString(64.0), "64");
  EXPECT_EQ(ControlDisplay::getValueString(-3.0), "-3");
  EXPECT_EQ(ControlDisplay::getValueString(1e20), "100000000000000000000");
  EXPECT_EQ(ControlDisplay::getValueString(-1.7976931348623157e308).size(), 310u);
}

// What the sweep sees of an index: the value display after the values 1 and 25 ("-" while both
// lines are left alone), for `width` indices from each identifier named. "kLFO%dFade*3" stands
// for kLFO1Fade to kLFO3Fade.
struct Expectation {
  std::string outcome;
  int width;
  const char* ids;
  std::string list = "";
};

// A rule that reads a value list; the sweep gives the list 26 entries "<list>:<n>".
Expectation listed(const std::string& list, int width, const char* ids) {
  return {list + ":1 [1]|" + list + ":25 [25]", width, ids, list};
}

std::vector<Expectation> expectations() {
  return {
      {"-|-", 16,
       "kPatchName kCategoryName kTriggerOscillator1Samples kTriggerOscillator2Samples "
       "kFilterLinkTrigger kMultiPartSettings kTriggerOscillator1LimitWT "
       "kTriggerOscillator2LimitWT kTriggerFX2DelayPolarity kTriggerFX2FlangerPolarity "
       "kTriggerFX2PhaserPolarity kTriggerFX1FlangerPolarity kTriggerFX1PhaserPolarity "
       "kTriggerOscillator2SyncToOsc3 kTriggerOscillatorGlideOnOffSwitch "
       "kTriggerLFO%dSyncOnOff*3 kTriggerLFO%dClock*3 kTriggerOscillatorMonoPolyMode "
       "kTriggerFilterEnvTrigger kTriggerAmpEnvTrigger kTriggerEnv3Trigger kTriggerEnv4Trigger "
       "kTriggerFilterRouting kPatchUp kPatchDown"},
      {"-|-", 1,
       "kTriggerArpNoteOverlap kTriggerArpPatternReset kOverrideTempo kOverrideSettings "
       "kBankSelection kPatchSelection kMultiName kLibUpperPreviousBank kLibLowerPreviousBank "
       "kLibUpperNextBank kLibLowerNextBank kTriggerProgControl kOverwriteBank "
       "kDeviceOutSelection kDeviceInSelection kViewMIDIFilterSettings kCategorySelection "
       "kDisplayAboutWindow kExitAboutWindow kTriggerGlobalLocalKBDControl kLibSyncTimer "
       "kRequestFromBank kControlDisplayName kControlDisplayValue kControlDisplayCC "
       "kControlDisplayCategory kControlDisplayPatch kPushArrangement kTriggerMidiFromSynth "
       "kTriggerMidiFromDaw kDiscardBankData kRequestTempData kFirstRunExit kPatchRename "
       "kDatatype kRefreshFolders kPatchSelectionListUpper kPatchSelectionListLower "
       "kCancelDataRequest kMainTab kTriggerLibControl kQuickTab kLibrarianArea "
       "kPatchSearchString kPatchSearch"},
      {"-63 [1]|-39 [25]", 16,
       "kOscillator%dPWMAmount*3 kOscillator%dDetune*3 kOscillatorPitchAmount kFilter1EnvAmount "
       "kFilter1EnvVelocity kFilter1ModAmount kFilter1PanAmount kFilter2EnvAmount "
       "kFilter2EnvVelocity kFilter2ModAmount kFilter2PanAmount kAmpLevelVelocity kAmpModAmount "
       "kFX2DelaySpread kNoiseColour kLFO%dFade*3 kModulation%02dAmount*16 "
       "kModifier%dSourceAmount*4 kMultiPartDetune"},
      {"-11 [1]| [25]", 1, "kGlobalTranspose"},
      {"-11 [1]|+13 [25]", 16, "kOscillator%dSemitone*3"},
      {"-23 [1]|+1 [25]", 16, "kOscillator%dBendRange*3"},
      {"-47 [1]|-23 [25]", 16, "kMultiPartTranspose"},
      {" 64 \xC2\xB4 [1]| [25]", 16, "kOscillator%dOctave*3"},
      {"<1% [1]|9% [25]", 16, "kOscillator%dPulsewidth*3"},
      {"F1 100% : F2 0% [1]|F1 81% : F2 19% [25]", 16,
       "kOscillator%dBalance*3 kRingModulationBalance kNoiseBalance"},
      {"LEFT 97% [1]|LEFT 60% [25]", 16, "kFilter1Panning kFilter2Panning kMultiPartPanning"},
      listed("oscillator12shape", 16, "kOscillator1Shape kOscillator2Shape"),
      listed("oscillator3shape", 16, "kOscillator3Shape"),
      listed("oscillatorWavetable", 16, "kOscillator1Wavetable kOscillator2Wavetable"),
      listed("keytrackValues", 16,
             "kFilter1Keytrack kFilter2Keytrack kOscillator%dKeytrack*3 kLFO%dKeytrack*3"),
      {"Sample A2 [1]|Sample A26 [25]", 16, "kOscillator1Sample kOscillator2Sample"},
      listed("clockedValues", 16, "kLFO%dSpeed*3"),
      listed(
          "modulationSources", 16,
          "kOscillator%dPWMSource*3 kOscillatorPitchSource kAmpModSource kModulation%02dSource*16 "
          "kModifier%dSource1*4"),
      listed("fmSources", 16, "kOscillator%dFMSource*3 kFilter1FMSource kFilter2FMSource"),
      listed("modifier2Sources", 16, "kModifier%dSource2*4"),
      listed("modifierOperators", 16, "kModifier%dSourceType*4"),
      listed("modulationDestinations", 16, "kModulation%02dDestination*16"),
      {"FINGERED PORTA [1]| [25]", 16, "kOscillatorGlideMode"},
      {"MONO [1]| [25]", 16, "kOscillatorMonoPolyMode"},
      {"Serial [1]| [25]", 16, "kFilterRoutingSerial"},
      listed("filter1Type", 16, "kFilter1Type kFilter2Type"),
      listed("lfoShape", 16, "kLFO%dShape*3"),
      listed("fx1Mode", 16, "kEffect1Mode"),
      listed("fx2Mode", 16, "kEffect2Mode"),
      listed("fxOverdriveCurve", 16, "kFX1OverdriveCurve kFX2OverdriveCurve"),
      listed("clockedDelayValues", 16, "kFX2DelayLengthClock"),
      listed("reverbSize", 16, "kFX2ReverbSize"),
      listed("keyVelocityCurve", 1, "kGlobalVelocityCurve"),
      listed("globalChannel", 1, "kGlobalMidiChannel"),
      listed("globalClock", 1, "kGlobalClock"),
      listed("controllerSend", 1, "kGlobalControlSend"),
      listed("controllerReceive", 1, "kGlobalReceive"),
      listed("controlList", 1, "kGlobalControlW kGlobalControlX kGlobalControlY kGlobalControlZ"),
      listed("programChange", 1, "kGlobalRxProgramChange kGlobalTxProgramChange"),
      listed("globalTuning", 1, "kGlobalTuning"),
      listed("globalPopupTime", 1, "kGlobalPopupTime"),
      listed("tempoValues", 1, "kMultiTempo"),
      listed("keyList", 16, "kMultiPartKeyLow kMultiPartKeyHigh"),
      listed("partStatus", 16, "kMultiPartStatus"),
      {"Omni [1]|24 [25]", 16, "kMultiPartMIDICh"},
      listed("arpMode", 16, "kArpMode"),
      listed("arpNoteLengthClock", 16, "kArpNoteLength"),
      {"2 [1]|26 [25]", 16, "kArpOctRange kArpPatternLength"},
      listed("arpPattern", 16, "kArpPattern"),
      listed("arpClock", 16, "kArpClock"),
      listed("arpDirection", 16, "kArpDirection"),
      listed("arpSortOrder", 16, "kArpSortOrder"),
      listed("arpVeloMode", 16, "kArpVelocityMode"),
      listed("arpStepDisplay", 16, "kArpPattern%02dStep*16"),
      listed("arpTiming", 16, "kArpPattern%02dTiming*16"),
      listed("arpAccent", 16, "kArpPattern%02dAccent*16"),
      listed("arpStepLength", 16, "kArpPattern%02dStepLen*16"),
      listed("envelopeMode", 16, "kFilterEnvMode kAmpEnvMode kEnvelope3Mode kEnvelope4Mode"),
      listed("envelopeTrigger", 16, "kFilterEnvTrigger kAmpEnvTrigger kEnv3Trigger kEnv4Trigger"),
      listed("startPhase", 16, "kLFO%dStartphase*3"),
      listed("sampleRate", 16, "kFX1TripleFXSampleHold kFX2TripleFXSampleHold"),
      {"Negative [1]| [25]", 16,
       "kFX1FlangerPolarity kFX1PhaserPolarity kFX2FlangerPolarity kFX2PhaserPolarity "
       "kFX2DelayPolarity"},
      {"0% [1]|19% [25]", 16,
       "kFX1FlangerFeedBack kFX1PhaserFeedback kFX2FlangerFeedBack kFX2PhaserFeedback "
       "kFX2DelayFeedback"},
      {"ON [1]| [25]", 16,
       "kArpPattern%02dGlide*16 kOscillator2SyncToOsc3 kOscillatorGlideOnOffSwitch "
       "kOsc1UseSampleMemory kOsc2UseSampleMemory kLFO%dSyncOnOff*3 kLFO%dClock*3 "
       "kArpSameNoteOverlap kArpPatternReset kFilterLinkSwitch kPartLock kSectionLockOsc%d*3 "
       "kSectionLockMixer kSectionLockPitchMod kSectionLockUnisono kSectionLockNoiseExt "
       "kSectionLockFilter1 kSectionLockFilter2 kSectionLockFilterEnv kSectionLockAmp "
       "kSectionLockAmpEnv kSectionLockFX1 kSectionLockFX2 kSectionLockArp kSectionLockEnv3 "
       "kSectionLockEnv4 kSectionLockLFO%d*3 kSectionLockM%dF*8 kSectionLockM%dS*8"},
      {"ON [1]| [25]", 1,
       "kSectionLockGlobal kGlobalLocalControl kKeepSelectedBank kControlProgBank "
       "kControlLibrary kDisableMIDIFromSynth kDisableMIDIFromDAW"},
  };
}

std::vector<int> idsOf(const std::string& names) {
  std::vector<int> ids;
  std::istringstream words(names);
  for (std::string name; words >> name;) {
    const size_t star = name.find('*');
    if (star == std::string::npos) {
      ids.push_back(idOf(name));
      continue;
    }
    for (int n = 1; n <= std::stoi(name.substr(star + 1)); ++n) {
      char buffer[64];
      std::snprintf(buffer, sizeof(buffer), name.substr(0, star).c_str(), n);
      ids.push_back(idOf(buffer));
    }
  }
  return ids;
}

TEST_F(ControlDisplayTest, EveryIndexReachesTheRuleItsIdentifierNamesAndOnlyTheRestFallBack) {
  std::map<int, std::string> expected;
  for (const Expectation& row : expectations()) {
    if (!row.list.empty()) host.addList(row.list, 26);
    for (int id : idsOf(row.ids))
      for (int p = 0; p < row.width; ++p)
        EXPECT_TRUE(expected.emplace(id + p, row.outcome).second) << nameOf(id + p) << " twice";
  }
  for (int p = 0; p < 16; ++p)
    for (int clock : {kLFO1Clock, kLFO2Clock, kLFO3Clock}) host.params[clock + p].Set(1.0);

  for (int idx = 0; idx < numParams; ++idx) {
    const double stored = host.params[idx].Value();
    std::string outcome;
    for (double value : {1.0, 25.0}) {
      host.nameLine->SetTextFromPlug("-");
      host.valueDisplay->SetTextFromPlug("-");
      const std::string shown = show(idx, value);
      EXPECT_EQ(nameText() == "-", shown == "-") << "lines apart at " << nameOf(idx);
      outcome += (outcome.empty() ? "" : "|") + shown;
    }
    host.params[idx].Set(stored);
    const auto it = expected.find(idx);
    EXPECT_EQ(outcome, it == expected.end() ? "1|25" : it->second) << nameOf(idx);
  }
}

}  // namespace
