#include "src/protocol/SoundRandomizer.h"

#include <chrono>
#include <initializer_list>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"

namespace {

using sound_dump::ByteRule;

enum class Kind {
  kPlain,       // the parameter
  kUnison,      // unisono and mono/poly from one draw
  kPacked,      // the draw unpacked by the byte rule of the sound dump (envelope mode, routing)
  kArpStep,     // likewise, drawn in the range of part 0's filter-1 cutoff
  kEffectSlot,  // a positional effect parameter, then the effect-type views of its byte
};

// The effect-type views that take a positional parameter's draw: those of parameters 1..9.
constexpr int kEffectSlotsWithViews = 9;

const ByteRule* ruleAt(int offset) {
  for (const ByteRule& row : sound_dump::soundByteRules())
    if (row.offset == offset) return &row;
  return nullptr;
}

}  // namespace

struct SoundRandomizer::Item {
  Kind kind;
  int param;  // whose range the entry is brought into
  int entry;
  const ByteRule* row;
};

namespace {

struct Section {
  int lock;
  std::vector<SoundRandomizer::Item> items;
};

class SectionList {
 public:
  void section(int lock) { mSections.push_back({lock, {}}); }
  void add(Kind kind, int param, int entry, const ByteRule* row = nullptr) {
    mSections.back().items.push_back({kind, param, entry, row});
  }
  // Parameters drawn from consecutive entries.
  void run(int entry, std::initializer_list<int> params) {
    for (int param : params) add(Kind::kPlain, param, entry++);
  }
  void effect(int lock, int entry, int mode, int mix, int firstParam, int firstOffset) {
    section(lock);
    run(entry, {mode, mix});
    for (int n = 0; n < sound_dump::kEffectParams; ++n)
      add(Kind::kEffectSlot, firstParam + 16 * n, entry + 2 + n,
          n < kEffectSlotsWithViews ? ruleAt(firstOffset + n) : nullptr);
  }
  std::vector<Section> take() { return std::move(mSections); }

 private:
  std::vector<Section> mSections;
};

void addOscillators(SectionList& s) {
  s.section(kSectionLockOsc1);
  s.run(0, {kOscillator1Octave, kOscillator1Semitone, kOscillator1Detune, kOscillator1BendRange,
            kOscillator1Keytrack, kOscillator1FMSource, kOscillator1FMAmount, kOscillator1Shape,
            kOscillator1Pulsewidth, kOscillator1PWMSource, kOscillator1PWMAmount,
            kOscillator1LimitWT, kOscillator1Brilliance});
  s.run(286, {kOsc1UseSampleMemory, kOscillator1Sample});
  s.section(kSectionLockOsc2);
  s.run(13, {kOscillator2Octave, kOscillator2Semitone, kOscillator2Detune, kOscillator2BendRange,
             kOscillator2Keytrack, kOscillator2FMSource, kOscillator2FMAmount, kOscillator2Shape,
             kOscillator2Pulsewidth, kOscillator2PWMSource, kOscillator2PWMAmount,
             kOscillator2LimitWT, kOscillator2Brilliance, kOscillator2SyncToOsc3});
  s.run(288, {kOsc2UseSampleMemory, kOscillator2Sample});
  s.section(kSectionLockOsc3);
  s.run(27, {kOscillator3Octave, kOscillator3Semitone, kOscillator3Detune, kOscillator3BendRange,
             kOscillator3Keytrack, kOscillator3FMSource, kOscillator3FMAmount, kOscillator3Shape,
             kOscillator3Pulsewidth, kOscillator3PWMSource, kOscillator3PWMAmount});
  s.run(56, {kOscillator3Brilliance});
  s.section(kSectionLockPitchMod);
  s.run(38, {kOscillatorPitchSource, kOscillatorPitchAmount, kOscillatorGlideOnOffSwitch,
             kOscillatorGlideMode, kOscillatorGlideRate});
  s.section(kSectionLockUnisono);
  s.add(Kind::kUnison, kOscillatorUnisono, 43);
  s.run(44, {kOscillatorUniDetune});
}

void addMixerAndFilters(SectionList& s) {
  s.section(kSectionLockMixer);
  s.run(45, {kOscillator1Level, kOscillator1Balance, kOscillator2Level, kOscillator2Balance,
             kOscillator3Level, kOscillator3Balance, kNoiseLevel, kNoiseBalance,
             kRingModulationLevel, kRingModulationBalance});
  s.section(kSectionLockNoiseExt);
  s.run(55, {kNoiseColour});
  // The noise colour and the filter-1 type share entry 55, the oscillator-3 brilliance and the
  // filter-1 cutoff entry 56. The routing switches follow the routing drawn (entry 70 unused).
  s.section(kSectionLockFilter1);
  s.run(55, {kFilter1Type, kFilter1Cutoff, kFilter1Resonance, kFilter1Drive, kFilter1Keytrack,
             kFilter1EnvAmount, kFilter1EnvVelocity, kFilter1ModSource, kFilter1ModAmount,
             kFilter1FMSource, kFilter1FMAmount, kFilter1Panning, kFilter1PanSource,
             kFilter1PanAmount});
  s.add(Kind::kPacked, kFilterRouting, 69, ruleAt(124));
  s.section(kSectionLockFilter2);
  s.run(71, {kFilter2Type, kFilter2Cutoff, kFilter2Resonance, kFilter2Drive, kFilter2Keytrack,
             kFilter2EnvAmount, kFilter2EnvVelocity, kFilter2ModSource, kFilter2ModAmount,
             kFilter2FMSource, kFilter2FMAmount, kFilter2Panning, kFilter2PanSource,
             kFilter2PanAmount});
  s.section(kSectionLockAmp);
  s.run(85, {kAmpLevel, kAmpLevelVelocity, kAmpModSource, kAmpModAmount});
}

void addLfosAndEnvelopes(SectionList& s) {
  const int lfos[3][8] = {{kLFO1Shape, kLFO1Speed, kLFO1SyncOnOff, kLFO1Clock, kLFO1Startphase,
                           kLFO1Delay, kLFO1Fade, kLFO1Keytrack},
                          {kLFO2Shape, kLFO2Speed, kLFO2SyncOnOff, kLFO2Clock, kLFO2Startphase,
                           kLFO2Delay, kLFO2Fade, kLFO2Keytrack},
                          {kLFO3Shape, kLFO3Speed, kLFO3SyncOnOff, kLFO3Clock, kLFO3Startphase,
                           kLFO3Delay, kLFO3Fade, kLFO3Keytrack}};
  const int lfoLocks[3] = {kSectionLockLFO1, kSectionLockLFO2, kSectionLockLFO3};
  for (int i = 0; i < 3; ++i) {
    s.section(lfoLocks[i]);
    const int* l = lfos[i];
    s.run(121 + 8 * i, {l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7]});
  }
  // Per envelope: its lock, the offset of its mode byte in the sound dump, its stages.
  const int envelopes[4][9] = {
      {kSectionLockFilterEnv, 203, kFilterEnvAttack, kFilterAttackLevel, kFilterEnvDecay,
       kFilterEnvSustain, kFilterEnvDecay2, kFilterEnvSustain2, kFilterEnvRelease},
      {kSectionLockAmpEnv, 215, kAmpEnvAttack, kAmpAttackLevel, kAmpEnvDecay, kAmpEnvSustain,
       kAmpEnvDecay2, kAmpEnvSustain2, kAmpEnvRelease},
      {kSectionLockEnv3, 227, kEnv3Attack, kEnv3AttackLevel, kEnv3Decay, kEnv3Sustain, kEnv3Decay2,
       kEnv3Sustain2, kEnv3Release},
      {kSectionLockEnv4, 239, kEnv4Attack, kEnv4AttackLevel, kEnv4Decay, kEnv4Sustain, kEnv4Decay2,
       kEnv4Sustain2, kEnv4Release}};
  for (int i = 0; i < 4; ++i) {
    const int* e = envelopes[i];
    const ByteRule* modeByte = ruleAt(e[1]);
    s.section(e[0]);
    s.add(Kind::kPacked, modeByte->params[1], 145 + 8 * i, modeByte);
    s.run(146 + 8 * i, {e[2], e[3], e[4], e[5], e[6], e[7], e[8]});
  }
}

void addModulationAndArp(SectionList& s) {
  for (int m = 0; m < 4; ++m) {
    s.section(kSectionLockMod1 + 16 * m);
    const int first = kModifier1Source1 + 64 * m;
    s.run(177 + 4 * m, {first, first + 16, first + 32, first + 48});
  }
  // Slots 1..8 and 9..16 under locks of their own; per slot source, destination, amount.
  for (int slot = 1; slot <= 16; ++slot) {
    s.section(slot <= 8 ? kSectionLockM1F + 16 * (slot - 1) : kSectionLockM1S + 16 * (slot - 9));
    const int source = kModulation01Source + 48 * (slot - 1);
    s.run(190 + 3 * slot, {source, source + 32, source + 16});
  }
  s.section(kSectionLockArp);
  s.run(241, {kArpMode, kArpPattern});
  s.run(244,
        {kArpClock, kArpNoteLength, kArpOctRange, kArpDirection, kArpSortOrder, kArpVelocityMode,
         kArpTimeFactor, kArpSameNoteOverlap, kArpPatternReset, kArpPatternLength});
  // Every step's glide, step and accent before the first step's length and timing.
  for (int step = 0; step < 16; ++step)
    s.add(Kind::kArpStep, kFilter1Cutoff, 254 + step, ruleAt(334 + step));
  for (int step = 0; step < 16; ++step)
    s.add(Kind::kArpStep, kFilter1Cutoff, 270 + step, ruleAt(350 + step));
}

// The sections in the order they are walked.
const std::vector<Section>& sections() {
  static const std::vector<Section> list = [] {
    SectionList s;
    addOscillators(s);
    addMixerAndFilters(s);
    s.effect(kSectionLockFX1, 89, kEffect1Mode, kEffect1Mix, kEffect1Param01,
             sound_dump::kEffect1ParamOffset);
    s.effect(kSectionLockFX2, 105, kEffect2Mode, kEffect2Mix, kEffect2Param01,
             sound_dump::kEffect2ParamOffset);
    addLfosAndEnvelopes(s);
    addModulationAndArp(s);
    return s.take();
  }();
  return list;
}

}  // namespace

SoundRandomizer::SoundRandomizer(ProtocolPlugin& plugin)
    : mPlugin(plugin),
      mGenerator(
          static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count())) {
  mSource = [this] { return static_cast<unsigned>(mGenerator()); };
}

void SoundRandomizer::randomGenerator() {
  for (int& entry : mTable) entry = static_cast<int>(mSource() % 256);
}

int SoundRandomizer::randomizer(int param, int entry) const {
  const ProtocolPlugin::Range range = mPlugin.paramRange(param);
  const int maximum = sysex::truncateValue(range.max);
  const int span = sysex::truncateValue(range.max - range.min);
  // A maximum of 0 or less would never bring a large entry down.
  if (maximum <= 0) return kSkipped;
  const int step = maximum == 1 ? 2 : maximum;
  int value = mTable[entry];
  while (value > span) value -= step;
  return value;
}

void SoundRandomizer::randomizePatchSettings(int part) {
  if (part < 0 || part >= sysex::kParts) return;
  std::vector<bool> free;
  for (const Section& section : sections())
    free.push_back(mPlugin.getValue(section.lock + part) == 0.0);
  for (size_t i = 0; i < sections().size(); ++i)
    if (free[i])
      for (const Item& item : sections()[i].items) apply(item, part);
}

void SoundRandomizer::apply(const Item& item, int part) {
  switch (item.kind) {
    case Kind::kPlain:
      set(item.param, item.entry, part);
      break;
    case Kind::kEffectSlot:
      set(item.param, item.entry, part);
      if (item.row != nullptr)
        for (int view : item.row->views) {
          if (view < 0) break;
          set(view, item.entry, part);
        }
      break;
    case Kind::kUnison: {
      const int value = randomizer(item.param + part, item.entry);
      if (value == kSkipped) break;
      const bool poly = value > 5;
      mPlugin.setParameterFromPlug(kOscillatorUnisono + part, poly ? value - 1 : value);
      mPlugin.setParameterFromPlug(kOscillatorMonoPolyMode + part, poly ? 1.0 : 0.0);
      break;
    }
    case Kind::kPacked:
    case Kind::kArpStep: {
      const bool arp = item.kind == Kind::kArpStep;
      const int value = randomizer(arp ? item.param : item.param + part, item.entry);
      if (value < 0 || value > 255) break;
      // A step byte of 128 or more carries no low nibble.
      const int byte = arp && value >= 128 ? value & 0xF0 : value;
      sound_dump::applyByte(*item.row, static_cast<unsigned char>(byte), part, mPlugin);
      break;
    }
  }
}

void SoundRandomizer::set(int param, int entry, int part) {
  const int value = randomizer(param + part, entry);
  if (value != kSkipped) mPlugin.setParameterFromPlug(param + part, value);
}
