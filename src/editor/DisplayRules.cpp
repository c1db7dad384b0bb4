#include "src/editor/DisplayRules.h"

#include <vector>

#include "src/config/ParameterIds.h"

namespace {

constexpr int kPerPart = 16;
constexpr int kSingle = 1;

// Identifiers a fixed distance apart, such as the 16 slots of the modulation matrix.
struct IdRun {
  IdRun(int id) : first(id) {}  // implicit: a lone identifier is a run of one
  IdRun(int first, int next, int count) : first(first), step(next - first), count(count) {}
  int first;
  int step = 0;
  int count = 1;
};

// One rule and the identifiers it serves; each identifier covers `width` indices from its own.
struct RuleRow {
  DisplayRule rule;
  int width;
  std::vector<IdRun> ids;
};

DisplayRule ruleOfKind(DisplayRuleKind kind) {
  DisplayRule rule;
  rule.kind = kind;
  return rule;
}

DisplayRule offset(int centre, const char* centreText, int top) {
  DisplayRule rule = ruleOfKind(DisplayRuleKind::signedOffset);
  rule.centre = centre;
  rule.centreText = centreText;
  rule.top = top;
  return rule;
}

DisplayRule list(const char* name) {
  DisplayRule rule = ruleOfKind(DisplayRuleKind::valueList);
  rule.list = name;
  return rule;
}

template <int N>
DisplayRule texts(const char* const (&table)[N]) {
  DisplayRule rule = ruleOfKind(DisplayRuleKind::fixedTexts);
  rule.texts = table;
  rule.textCount = N;
  return rule;
}

const char* const kSwitchTexts[] = {"OFF", "ON"};
const char* const kGlideModeTexts[] = {"PORTAMENTO", "FINGERED PORTA", "GLISSANDO",
                                       "FINGERED GLISS"};
const char* const kMonoPolyTexts[] = {"POLY", "MONO"};
const char* const kRoutingTexts[] = {"Parallel", "Serial"};
const char* const kPolarityTexts[] = {"Positive", "Negative"};

std::vector<RuleRow> ruleRows() {
  using K = DisplayRuleKind;
  const DisplayRule excluded = ruleOfKind(K::excluded);
  DisplayRule lfoSpeed = ruleOfKind(K::lfoSpeed);
  lfoSpeed.list = "clockedValues";
  return {
      // Never shown: names, selections, triggers and the displays themselves.
      {excluded,
       kPerPart,
       {kPatchName, kCategoryName, kMultiPartSettings, kPatchUp, kPatchDown,
        kTriggerOscillator1Samples, kTriggerOscillator2Samples, kTriggerOscillator1LimitWT,
        kTriggerOscillator2LimitWT, kTriggerOscillator2SyncToOsc3,
        kTriggerOscillatorGlideOnOffSwitch, kTriggerOscillatorMonoPolyMode, kFilterLinkTrigger,
        kTriggerFilterRouting}},
      {excluded,
       kPerPart,
       {kTriggerFX2DelayPolarity, kTriggerFX2FlangerPolarity, kTriggerFX2PhaserPolarity,
        kTriggerFX1FlangerPolarity, kTriggerFX1PhaserPolarity, kTriggerLFO1SyncOnOff,
        kTriggerLFO2SyncOnOff, kTriggerLFO3SyncOnOff, kTriggerLFO1Clock, kTriggerLFO2Clock,
        kTriggerLFO3Clock, kTriggerFilterEnvTrigger, kTriggerAmpEnvTrigger, kTriggerEnv3Trigger,
        kTriggerEnv4Trigger}},
      // Of these two only part 0; kExitAboutWindow only its first index.
      {excluded,
       kSingle,
       {kTriggerArpNoteOverlap, kTriggerArpPatternReset, kExitAboutWindow, kDisplayAboutWindow,
        kViewMIDIFilterSettings, kFirstRunExit, kMainTab, kQuickTab, kControlDisplayName,
        kControlDisplayValue, kControlDisplayCC, kControlDisplayCategory, kControlDisplayPatch,
        kDeviceOutSelection, kDeviceInSelection, kOverrideTempo, kOverrideSettings}},
      {excluded,
       kSingle,
       {kBankSelection, kPatchSelection, kMultiName, kPatchRename, kDatatype, kCategorySelection,
        kPatchSearchString, kPatchSearch, kPatchSelectionListUpper, kPatchSelectionListLower,
        kLibUpperPreviousBank, kLibLowerPreviousBank, kLibUpperNextBank, kLibLowerNextBank,
        kLibrarianArea, kLibSyncTimer, kRefreshFolders}},
      {excluded,
       kSingle,
       {kTriggerProgControl, kTriggerGlobalLocalKBDControl, kTriggerMidiFromSynth,
        kTriggerMidiFromDaw, kTriggerLibControl, kOverwriteBank, kRequestFromBank, kRequestTempData,
        kDiscardBankData, kPushArrangement, kCancelDataRequest}},

      // Signed offsets.
      {offset(64, "0", 127),
       kPerPart,
       {kOscillator1PWMAmount, kOscillator1Detune, kOscillator2PWMAmount, kOscillator2Detune,
        kOscillator3PWMAmount, kOscillator3Detune, kOscillatorPitchAmount, kNoiseColour, kLFO1Fade,
        kLFO2Fade, kLFO3Fade, kFX2DelaySpread, kMultiPartDetune,
        IdRun(kModulation01Amount, kModulation02Amount, 16),
        IdRun(kModifier1SourceAmount, kModifier2SourceAmount, 4)}},
      {offset(64, "0", 127),
       kPerPart,
       {kFilter1EnvAmount, kFilter1EnvVelocity, kFilter1ModAmount, kFilter1PanAmount,
        kFilter2EnvAmount, kFilter2EnvVelocity, kFilter2ModAmount, kFilter2PanAmount,
        kAmpLevelVelocity, kAmpModAmount}},
      {offset(12, "0", 24), kSingle, {kGlobalTranspose}},
      {offset(12, "+0", 25),
       kPerPart,
       {kOscillator1Semitone, kOscillator2Semitone, kOscillator3Semitone}},
      {offset(24, "0", 49),
       kPerPart,
       {kOscillator1BendRange, kOscillator2BendRange, kOscillator3BendRange}},
      {offset(48, "+0", 97), kPerPart, {kMultiPartTranspose}},

      // Oscillators, mixer, panning and LFO speed.
      {ruleOfKind(K::octaveFootage),
       kPerPart,
       {kOscillator1Octave, kOscillator2Octave, kOscillator3Octave}},
      {ruleOfKind(K::pulseWidth),
       kPerPart,
       {kOscillator1Pulsewidth, kOscillator2Pulsewidth, kOscillator3Pulsewidth}},
      {ruleOfKind(K::filterBalance),
       kPerPart,
       {kOscillator1Balance, kOscillator2Balance, kOscillator3Balance, kRingModulationBalance,
        kNoiseBalance}},
      {ruleOfKind(K::panning), kPerPart, {kFilter1Panning, kFilter2Panning, kMultiPartPanning}},
      {list("oscillator12shape"), kPerPart, {kOscillator1Shape, kOscillator2Shape}},
      {list("oscillator3shape"), kPerPart, {kOscillator3Shape}},
      {list("oscillatorWavetable"), kPerPart, {kOscillator1Wavetable, kOscillator2Wavetable}},
      {list("keytrackValues"),
       kPerPart,
       {kFilter1Keytrack, kFilter2Keytrack, kOscillator1Keytrack, kOscillator2Keytrack,
        kOscillator3Keytrack, kLFO1Keytrack, kLFO2Keytrack, kLFO3Keytrack}},
      {ruleOfKind(K::sampleName), kPerPart, {kOscillator1Sample, kOscillator2Sample}},
      {lfoSpeed, kPerPart, {kLFO1Speed, kLFO2Speed, kLFO3Speed}},

      // Modulation sources, destinations and modifiers.
      {list("modulationSources"),
       kPerPart,
       {kOscillator1PWMSource, kOscillator2PWMSource, kOscillator3PWMSource, kOscillatorPitchSource,
        kAmpModSource, IdRun(kModulation01Source, kModulation02Source, 16),
        IdRun(kModifier1Source1, kModifier2Source1, 4)}},
      {list("fmSources"),
       kPerPart,
       {kOscillator1FMSource, kOscillator2FMSource, kOscillator3FMSource, kFilter1FMSource,
        kFilter2FMSource}},
      {list("modifier2Sources"), kPerPart, {IdRun(kModifier1Source2, kModifier2Source2, 4)}},
      {list("modifierOperators"), kPerPart, {IdRun(kModifier1SourceType, kModifier2SourceType, 4)}},
      {list("modulationDestinations"),
       kPerPart,
       {IdRun(kModulation01Destination, kModulation02Destination, 16)}},

      // Voice modes, filters, LFO shapes and effects.
      {texts(kGlideModeTexts), kPerPart, {kOscillatorGlideMode}},
      {texts(kMonoPolyTexts), kPerPart, {kOscillatorMonoPolyMode}},
      {texts(kRoutingTexts), kPerPart, {kFilterRoutingSerial}},
      {list("filter1Type"), kPerPart, {kFilter1Type, kFilter2Type}},
      {list("lfoShape"), kPerPart, {kLFO1Shape, kLFO2Shape, kLFO3Shape}},
      {list("fx1Mode"), kPerPart, {kEffect1Mode}},
      {list("fx2Mode"), kPerPart, {kEffect2Mode}},
      {list("fxOverdriveCurve"), kPerPart, {kFX1OverdriveCurve, kFX2OverdriveCurve}},
      {list("clockedDelayValues"), kPerPart, {kFX2DelayLengthClock}},
      {list("reverbSize"), kPerPart, {kFX2ReverbSize}},

      // Global and multi settings.
      {list("keyVelocityCurve"), kSingle, {kGlobalVelocityCurve}},
      {list("globalChannel"), kSingle, {kGlobalMidiChannel}},
      {list("globalClock"), kSingle, {kGlobalClock}},
      {list("controllerSend"), kSingle, {kGlobalControlSend}},
      {list("controllerReceive"), kSingle, {kGlobalReceive}},
      {list("controlList"),
       kSingle,
       {kGlobalControlW, kGlobalControlX, kGlobalControlY, kGlobalControlZ}},
      {list("programChange"), kSingle, {kGlobalRxProgramChange, kGlobalTxProgramChange}},
      {list("globalTuning"), kSingle, {kGlobalTuning}},
      {list("globalPopupTime"), kSingle, {kGlobalPopupTime}},
      {list("tempoValues"), kSingle, {kMultiTempo}},
      {list("keyList"), kPerPart, {kMultiPartKeyLow, kMultiPartKeyHigh}},
      {list("partStatus"), kPerPart, {kMultiPartStatus}},
      {ruleOfKind(K::midiChannel), kPerPart, {kMultiPartMIDICh}},

      // Arpeggiator; kArpPattern's block is 32 wide, its list serves the first 16.
      {list("arpMode"), kPerPart, {kArpMode}},
      {list("arpNoteLengthClock"), kPerPart, {kArpNoteLength}},
      {ruleOfKind(K::countFromOne), kPerPart, {kArpOctRange, kArpPatternLength}},
      {list("arpPattern"), kPerPart, {kArpPattern}},
      {list("arpClock"), kPerPart, {kArpClock}},
      {list("arpDirection"), kPerPart, {kArpDirection}},
      {list("arpSortOrder"), kPerPart, {kArpSortOrder}},
      {list("arpVeloMode"), kPerPart, {kArpVelocityMode}},
      {list("arpStepDisplay"), kPerPart, {IdRun(kArpPattern01Step, kArpPattern02Step, 16)}},
      {list("arpTiming"), kPerPart, {IdRun(kArpPattern01Timing, kArpPattern02Timing, 16)}},
      {list("arpAccent"), kPerPart, {IdRun(kArpPattern01Accent, kArpPattern02Accent, 16)}},
      {texts(kSwitchTexts), kPerPart, {IdRun(kArpPattern01Glide, kArpPattern02Glide, 16)}},
      {list("arpStepLength"), kPerPart, {IdRun(kArpPattern01StepLen, kArpPattern02StepLen, 16)}},

      // Envelopes, LFO phase and effects.
      {list("envelopeMode"),
       kPerPart,
       {kFilterEnvMode, kAmpEnvMode, kEnvelope3Mode, kEnvelope4Mode}},
      {list("envelopeTrigger"),
       kPerPart,
       {kFilterEnvTrigger, kAmpEnvTrigger, kEnv3Trigger, kEnv4Trigger}},
      {list("startPhase"), kPerPart, {kLFO1Startphase, kLFO2Startphase, kLFO3Startphase}},
      {list("sampleRate"), kPerPart, {kFX1TripleFXSampleHold, kFX2TripleFXSampleHold}},
      {texts(kPolarityTexts),
       kPerPart,
       {kFX1FlangerPolarity, kFX1PhaserPolarity, kFX2FlangerPolarity, kFX2PhaserPolarity,
        kFX2DelayPolarity}},
      {ruleOfKind(K::feedback),
       kPerPart,
       {kFX1FlangerFeedBack, kFX1PhaserFeedback, kFX2FlangerFeedBack, kFX2PhaserFeedback,
        kFX2DelayFeedback}},

      // Switches; the part lock and the 36 section locks up to kSectionLockM8S are adjacent.
      {texts(kSwitchTexts),
       kPerPart,
       {kOscillator2SyncToOsc3, kOscillatorGlideOnOffSwitch, kOsc1UseSampleMemory,
        kOsc2UseSampleMemory, kLFO1SyncOnOff, kLFO2SyncOnOff, kLFO3SyncOnOff, kLFO1Clock,
        kLFO2Clock, kLFO3Clock, kArpSameNoteOverlap, kArpPatternReset, kFilterLinkSwitch,
        IdRun(kPartLock, kSectionLockOsc1, (kSectionLockM8S - kPartLock) / kPerPart + 1)}},
      {texts(kSwitchTexts),
       kSingle,
       {kSectionLockGlobal, kGlobalLocalControl, kKeepSelectedBank, kControlProgBank,
        kControlLibrary, kDisableMIDIFromSynth, kDisableMIDIFromDAW}},
  };
}

std::vector<const DisplayRule*> ruleIndex() {
  static const std::vector<RuleRow> rows = ruleRows();
  static const DisplayRule fallback;
  std::vector<const DisplayRule*> index(numParams, &fallback);
  for (const RuleRow& row : rows)
    for (const IdRun& run : row.ids)
      for (int k = 0; k < run.count; ++k)
        for (int p = 0; p < row.width; ++p) index[run.first + k * run.step + p] = &row.rule;
  return index;
}

}  // namespace

const DisplayRule& displayRuleOf(int paramIdx) {
  static const std::vector<const DisplayRule*> index = ruleIndex();
  static const DisplayRule outside = ruleOfKind(DisplayRuleKind::excluded);
  return paramIdx >= 0 && paramIdx < numParams ? *index[paramIdx] : outside;
}
