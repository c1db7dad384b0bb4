#include "src/protocol/SoundDump.h"

#include <algorithm>
#include <initializer_list>

#include "src/config/ParameterIds.h"

namespace sound_dump {
namespace {

using sysex::toDataByte;
using sysex::truncateValue;

constexpr int kModifiers = 4;
constexpr int kModulationSlots = 16;
constexpr int kArpSteps = 16;

class RuleTable {
 public:
  // The lock of the rows added from here on.
  void section(int lockParam) { mLock = lockParam; }
  void add(int offset, Rule rule, std::initializer_list<int> params, int add = 0) {
    ByteRule row{offset, rule, {-1, -1, -1, -1}, add, mLock, {-1, -1, -1, -1, -1, -1, -1}};
    std::copy(params.begin(), params.end(), row.params);
    mRows.push_back(row);
  }
  void plain(int offset, int param) { add(offset, Rule::kPlain, {param}); }
  // Consecutive bytes from `first`, one parameter each.
  void plainRun(int first, std::initializer_list<int> params) {
    for (int param : params) plain(first++, param);
  }
  void views(int offset, std::initializer_list<int> params) {
    auto row = std::find_if(mRows.begin(), mRows.end(),
                            [offset](const ByteRule& r) { return r.offset == offset; });
    std::copy(params.begin(), params.end(), row->views);
  }
  std::vector<ByteRule> sorted() {
    std::sort(mRows.begin(), mRows.end(),
              [](const ByteRule& a, const ByteRule& b) { return a.offset < b.offset; });
    return mRows;
  }

 private:
  std::vector<ByteRule> mRows;
  int mLock = -1;
};

struct OscillatorIds {
  int octave, semitone, detune, bend, keytrack, fmSource, fmAmount, pulsewidth, pwmSource,
      pwmAmount;
};

// Bytes base .. base + 10 alike for the three oscillators; base + 7, the wave, differs.
void addOscillator(RuleTable& t, int base, const OscillatorIds& o) {
  t.add(base, Rule::kOctave, {o.octave});
  t.add(base + 1, Rule::kOffset, {o.semitone}, 52);
  t.plain(base + 2, o.detune);
  t.add(base + 3, Rule::kOffset, {o.bend}, 40);
  t.plainRun(base + 4, {o.keytrack, o.fmSource, o.fmAmount});
  t.plainRun(base + 8, {o.pulsewidth, o.pwmSource, o.pwmAmount});
}

void addOscillators(RuleTable& t) {
  t.section(kSectionLockOsc1);
  addOscillator(
      t, 8,
      {kOscillator1Octave, kOscillator1Semitone, kOscillator1Detune, kOscillator1BendRange,
       kOscillator1Keytrack, kOscillator1FMSource, kOscillator1FMAmount, kOscillator1Pulsewidth,
       kOscillator1PWMSource, kOscillator1PWMAmount});
  t.add(15, Rule::kWave,
        {kOsc1UseSampleMemory, kOscillator1Sample, kOscillator1Shape, kOscillator1Wavetable});
  t.plainRun(21, {kOscillator1LimitWT, kOsc1UseSampleMemory, kOscillator1Brilliance});
  t.section(kSectionLockOsc2);
  addOscillator(
      t, 24,
      {kOscillator2Octave, kOscillator2Semitone, kOscillator2Detune, kOscillator2BendRange,
       kOscillator2Keytrack, kOscillator2FMSource, kOscillator2FMAmount, kOscillator2Pulsewidth,
       kOscillator2PWMSource, kOscillator2PWMAmount});
  t.add(31, Rule::kWave,
        {kOsc2UseSampleMemory, kOscillator2Sample, kOscillator2Shape, kOscillator2Wavetable});
  t.plainRun(37, {kOscillator2LimitWT, kOsc2UseSampleMemory, kOscillator2Brilliance});
  t.plain(56, kOscillator2SyncToOsc3);
  t.section(kSectionLockOsc3);
  addOscillator(
      t, 40,
      {kOscillator3Octave, kOscillator3Semitone, kOscillator3Detune, kOscillator3BendRange,
       kOscillator3Keytrack, kOscillator3FMSource, kOscillator3FMAmount, kOscillator3Pulsewidth,
       kOscillator3PWMSource, kOscillator3PWMAmount});
  t.plain(47, kOscillator3Shape);
  t.plain(55, kOscillator3Brilliance);
  t.section(kSectionLockPitchMod);
  t.plainRun(57, {kOscillatorPitchSource, kOscillatorPitchAmount});
  t.plain(60, kOscillatorGlideOnOffSwitch);
  t.plainRun(63, {kOscillatorGlideMode, kOscillatorGlideRate});
  t.section(kSectionLockUnisono);
  t.add(65, Rule::kUnison, {kOscillatorUnisono, kOscillatorMonoPolyMode});
  t.plain(66, kOscillatorUniDetune);
}

void addMixer(RuleTable& t) {
  t.section(kSectionLockMixer);
  t.plainRun(68, {kOscillator1Level, kOscillator1Balance, kOscillator2Level, kOscillator2Balance,
                  kOscillator3Level, kOscillator3Balance, kNoiseLevel, kNoiseBalance});
  t.plainRun(78, {kRingModulationLevel, kRingModulationBalance});
  t.section(kSectionLockNoiseExt);
  t.plain(76, kNoiseColour);
}

struct FilterIds {
  int type, cutoff, resonance, drive, driveCurve, keytrack, envAmount, envVelocity, modSource,
      modAmount, fmSource, fmAmount, panning, panSource, panAmount;
};

void addFilter(RuleTable& t, int base, const FilterIds& f) {
  t.plainRun(base, {f.type, f.cutoff});
  t.plainRun(base + 3, {f.resonance, f.drive, f.driveCurve});
  t.plainRun(base + 9, {f.keytrack, f.envAmount, f.envVelocity, f.modSource, f.modAmount,
                        f.fmSource, f.fmAmount, f.panning, f.panSource, f.panAmount});
}

void addFiltersAndAmp(RuleTable& t) {
  t.section(kSectionLockFilter1);
  addFilter(t, 84,
            {kFilter1Type, kFilter1Cutoff, kFilter1Resonance, kFilter1Drive, kFilter1DriveCurve,
             kFilter1Keytrack, kFilter1EnvAmount, kFilter1EnvVelocity, kFilter1ModSource,
             kFilter1ModAmount, kFilter1FMSource, kFilter1FMAmount, kFilter1Panning,
             kFilter1PanSource, kFilter1PanAmount});
  t.add(124, Rule::kFilterRouting, {kFilterRouting, kFilterRoutingSerial, kFilterRoutingParallel});
  t.section(kSectionLockFilter2);
  addFilter(t, 104,
            {kFilter2Type, kFilter2Cutoff, kFilter2Resonance, kFilter2Drive, kFilter2DriveCurve,
             kFilter2Keytrack, kFilter2EnvAmount, kFilter2EnvVelocity, kFilter2ModSource,
             kFilter2ModAmount, kFilter2FMSource, kFilter2FMAmount, kFilter2Panning,
             kFilter2PanSource, kFilter2PanAmount});
  t.section(kSectionLockAmp);
  t.plainRun(128, {kAmpLevel, kAmpLevelVelocity, kAmpModSource, kAmpModAmount});
}

void addEffect(RuleTable& t, int lock, int base, int mode, int mix, int firstParam) {
  t.section(lock);
  t.plainRun(base, {mode, mix});
  for (int n = 0; n < kEffectParams; ++n) t.plain(base + 2 + n, firstParam + 16 * n);
}

// The effect-type parameters that show a positional effect byte.
void addEffectViews(RuleTable& t) {
  t.views(137, {kFX1ChorusSpeed, kFX1FlangerSpeed, kFX1PhaserSpeed, kFX1TripleFXSpeed});
  t.views(138, {kFX1ChorusDepth, kFX1FlangerDepht, kFX1PhaserDepth, kFX1OverdriveDrive,
                kFX1TripleFXDepth});
  t.views(139, {kFX1OverdrivePostGain});
  t.views(140, {kFX1TripleFXChorusMix});
  t.views(141, {kFX1FlangerFeedBack, kFX1PhaserFeedback, kFX1TripleFXSampleHold});
  t.views(142, {kFX1PhaserCenter, kFX1OverdriveCutoff, kFX1TripleFXOverdrive});
  t.views(143, {kFX1PhaserSpacing});
  t.views(145, {kFX1FlangerPolarity, kFX1PhaserPolarity});
  t.views(146, {kFX1OverdriveCurve});
  t.views(153,
          {kFX2ChorusSpeed, kFX2FlangerSpeed, kFX2PhaserSpeed, kFX2TripleFXSpeed, kFX2ReverbSize});
  t.views(154, {kFX2ChorusDepth, kFX2FlangerDepht, kFX2PhaserDepth, kFX2OverdriveDrive,
                kFX2TripleFXDepth, kFX2ReverbShape});
  t.views(155, {kFX2DelaySpread, kFX2OverdrivePostGain, kFX2ReverbDecay});
  t.views(156, {kFX2DelayLength, kFX2TripleFXChorusMix});
  t.views(157,
          {kFX2FlangerFeedBack, kFX2PhaserFeedback, kFX2DelayFeedback, kFX2TripleFXSampleHold});
  t.views(158, {kFX2PhaserCenter, kFX2DelayCutoff, kFX2OverdriveCutoff, kFX2TripleFXOverdrive,
                kFX2ReverbLowppass});
  t.views(159, {kFX2PhaserSpacing, kFX2ReverbHighPass});
  t.views(160, {kFX2ReverbDiffusion});
  t.views(161, {kFX2FlangerPolarity, kFX2PhaserPolarity, kFX2DelayPolarity, kFX2ReverbDamping});
  t.views(162, {kFX2DelaySpread, kFX2OverdriveCurve});
  t.views(163, {kFX2DelayLengthClock});
}

struct LfoIds {
  int shape, speed, sync, clock, startphase, delay, fade, keytrack;
};

void addLfo(RuleTable& t, int lock, int base, const LfoIds& l) {
  t.section(lock);
  t.plainRun(base, {l.shape, l.speed});
  t.plainRun(base + 3, {l.sync, l.clock, l.startphase, l.delay, l.fade});
  t.plain(base + 10, l.keytrack);
}

void addLfos(RuleTable& t) {
  addLfo(t, kSectionLockLFO1, 167,
         {kLFO1Shape, kLFO1Speed, kLFO1SyncOnOff, kLFO1Clock, kLFO1Startphase, kLFO1Delay,
          kLFO1Fade, kLFO1Keytrack});
  addLfo(t, kSectionLockLFO2, 179,
         {kLFO2Shape, kLFO2Speed, kLFO2SyncOnOff, kLFO2Clock, kLFO2Startphase, kLFO2Delay,
          kLFO2Fade, kLFO2Keytrack});
  addLfo(t, kSectionLockLFO3, 191,
         {kLFO3Shape, kLFO3Speed, kLFO3SyncOnOff, kLFO3Clock, kLFO3Startphase, kLFO3Delay,
          kLFO3Fade, kLFO3Keytrack});
}

// Mode byte at base, the seven stages from base + 3.
void addEnvelope(RuleTable& t, int lock, int base, int trigger, int mode,
                 std::initializer_list<int> stages) {
  t.section(lock);
  t.add(base, Rule::kEnvelopeMode, {trigger, mode});
  t.plainRun(base + 3, stages);
}

void addEnvelopes(RuleTable& t) {
  addEnvelope(t, kSectionLockFilterEnv, 203, kFilterEnvTrigger, kFilterEnvMode,
              {kFilterEnvAttack, kFilterAttackLevel, kFilterEnvDecay, kFilterEnvSustain,
               kFilterEnvDecay2, kFilterEnvSustain2, kFilterEnvRelease});
  addEnvelope(t, kSectionLockAmpEnv, 215, kAmpEnvTrigger, kAmpEnvMode,
              {kAmpEnvAttack, kAmpAttackLevel, kAmpEnvDecay, kAmpEnvSustain, kAmpEnvDecay2,
               kAmpEnvSustain2, kAmpEnvRelease});
  addEnvelope(t, kSectionLockEnv3, 227, kEnv3Trigger, kEnvelope3Mode,
              {kEnv3Attack, kEnv3AttackLevel, kEnv3Decay, kEnv3Sustain, kEnv3Decay2, kEnv3Sustain2,
               kEnv3Release});
  addEnvelope(t, kSectionLockEnv4, 239, kEnv4Trigger, kEnvelope4Mode,
              {kEnv4Attack, kEnv4AttackLevel, kEnv4Decay, kEnv4Sustain, kEnv4Decay2, kEnv4Sustain2,
               kEnv4Release});
}

void addModulation(RuleTable& t) {
  // Per modifier: source 1, source 2, type, amount, 16 indices apart.
  for (int m = 0; m < kModifiers; ++m) {
    t.section(kSectionLockMod1 + 16 * m);
    for (int k = 0; k < 4; ++k) t.plain(252 + 4 * m + k, kModifier1Source1 + 64 * m + 16 * k);
  }
  // Per slot the bytes run source, destination, amount; the indices source, amount, destination.
  // Slots 1..8 and 9..16 have a lock each, in two runs.
  for (int n = 0; n < kModulationSlots; ++n) {
    t.section(n < 8 ? kSectionLockM1F + 16 * n : kSectionLockM1S + 16 * (n - 8));
    const int source = kModulation01Source + 48 * n;
    t.plainRun(268 + 3 * n, {source, source + 32, source + 16});
  }
}

void addArpeggiator(RuleTable& t) {
  t.section(kSectionLockArp);
  t.plainRun(318, {kArpMode, kArpPattern});
  t.plainRun(
      321, {kArpClock, kArpNoteLength, kArpOctRange, kArpDirection, kArpSortOrder, kArpVelocityMode,
            kArpTimeFactor, kArpSameNoteOverlap, kArpPatternReset, kArpPatternLength});
  for (int n = 0; n < kArpSteps; ++n) {
    const int glide = kArpPattern01Glide + 80 * n;
    t.add(334 + n, Rule::kArpStep, {glide, glide + 16, glide + 32});
    const int timing = kArpPattern01Timing + 80 * n;
    t.add(350 + n, Rule::kArpTiming, {timing, timing + 16});
  }
}

std::vector<ByteRule> makeRules() {
  RuleTable t;
  addOscillators(t);
  addMixer(t);
  addFiltersAndAmp(t);
  addEffect(t, kSectionLockFX1, 135, kEffect1Mode, kEffect1Mix, kEffect1Param01);
  addEffect(t, kSectionLockFX2, 151, kEffect2Mode, kEffect2Mix, kEffect2Param01);
  addEffectViews(t);
  addLfos(t);
  addEnvelopes(t);
  addModulation(t);
  addArpeggiator(t);
  return t.sorted();
}

const char* const kCategoryTexts[kCategoryCount] = {"Init", "Arp",  "Atmo", "Bass", "Drum",
                                                    "FX",   "Keys", "Lead", "Mono", "Pad",
                                                    "Perc", "Poly", "Seq"};

}  // namespace

int sectionOf(int lockParam) {
  return (lockParam - kSectionLockOsc1) / 16;
}

const std::vector<ByteRule>& soundByteRules() {
  static const std::vector<ByteRule> rules = makeRules();
  return rules;
}

unsigned char encodeByte(const ByteRule& row, const ParameterAccess& params, int part) {
  auto v = [&](int slot) { return truncateValue(params.getValue(row.params[slot] + part)); };
  switch (row.rule) {
    case Rule::kOffset:
      return toDataByte(v(0) + row.add);
    case Rule::kOctave:
      return toDataByte(12 * v(0) + 16);
    case Rule::kWave:
      if (v(0) == 1) return toDataByte(v(1));
      return toDataByte(v(2) + (v(2) >= 7 ? v(3) : 0));
    case Rule::kUnison:
      return toDataByte(16 * v(0) + v(1));
    case Rule::kEnvelopeMode:
      return toDataByte(32 * v(0) + v(1));
    case Rule::kArpStep:
      return toDataByte((v(0) == 1 ? 8 : v(0)) + v(1) + 16 * v(2));
    case Rule::kArpTiming:
      return toDataByte(v(0) + 16 * v(1));
    default:  // plain, filter routing
      return toDataByte(v(0));
  }
}

void applyByte(const ByteRule& row, unsigned char b, int part, ParameterAccess& params) {
  auto set = [&](int slot, int value) {
    params.setParameterFromPlug(row.params[slot] + part, value);
  };
  switch (row.rule) {
    case Rule::kOffset:
      set(0, b - row.add);
      break;
    case Rule::kOctave:
      set(0, (b - 16) / 12);
      break;
    case Rule::kWave:
      set(1, b);
      set(2, b < 7 ? b : 7);
      set(3, b < 7 ? 0 : b - 7);
      break;
    case Rule::kUnison: {
      const bool poly = b % 16 != 0 || b > 80;
      set(0, poly ? (b - 1) / 16 : b / 16);
      set(1, poly ? 1 : 0);
      break;
    }
    case Rule::kEnvelopeMode:
      set(1, b < 32 ? b : b - 32);
      set(0, b < 32 ? 0 : 1);
      break;
    case Rule::kArpStep:
      set(0, (b >> 3) & 1);
      set(2, b >> 4);
      set(1, b & 7);
      break;
    case Rule::kArpTiming:
      set(1, b >> 4);
      set(0, b & 15);
      break;
    case Rule::kFilterRouting:
      set(0, b);
      set(2, b == 0 ? 1 : 0);
      set(1, b == 0 ? 0 : 1);
      break;
    default:
      set(0, b);
      break;
  }
  for (int view : row.views) {
    if (view < 0) break;
    params.setParameterFromPlug(view + part, b);
  }
}

sysex::SoundDumpBytes buildSoundDump(const ParameterAccess& params, int part, int bank,
                                     int program) {
  sysex::SoundDumpBytes dump = sysex::soundDumpTemplate();
  dump[sysex::kDeviceIdOffset] = toDataByte(truncateValue(params.getValue(kGlobalSysExID)));
  dump[sysex::kBankOffset] = toDataByte(bank);
  dump[sysex::kProgramOffset] = toDataByte(program);
  for (const ByteRule& row : soundByteRules()) dump[row.offset] = encodeByte(row, params, part);
  sysex::writeNameField(dump.data() + kNameOffset, params.getDisplayText(kPatchName + part));
  dump[kCategoryOffset] = toDataByte(truncateValue(params.getValue(kCategoryName + part)));
  return dump;
}

void applySoundData(const unsigned char* dump, int size, int part, ParameterAccess& params,
                    const SectionLocks& locked) {
  // A program byte of a stored sound is no part: its indices would land in other families.
  if (part < 0 || part >= sysex::kParts) return;
  for (const ByteRule& row : soundByteRules()) {
    if (row.offset >= size) break;
    if (!locked[sectionOf(row.lock)]) applyByte(row, dump[row.offset], part, params);
  }
}

std::string soundName(const unsigned char* dump) {
  return sysex::readNameField(dump + kNameOffset);
}

int soundCategory(const unsigned char* dump) {
  return dump[kCategoryOffset];
}

std::string categoryText(int category) {
  if (category < 0 || category >= kCategoryCount) return std::string();
  return kCategoryTexts[category];
}

}  // namespace sound_dump
