#include "src/protocol/detail/IncomingSysEx.h"

#include "src/config/ParameterIds.h"
#include "src/protocol/SysExFormat.h"

namespace {

using sysex::truncateValue;
using PartSound = ProtocolPlugin::PartSound;

constexpr int kDumpMinSize = 60;
constexpr int kShortForm = 9;
constexpr int kLongForm = 10;
constexpr int kEffectAddressHigh = 1;
constexpr int kLastEffectLow = 31;
constexpr int kFirstEffect2Low = 16;
constexpr int kPackedAddressHigh = 2;
constexpr int kGlobalTransposeHigh = 6;
constexpr int kGlobalTuningHigh = 5;
constexpr unsigned kPartChangeAfterMs = 1000;
constexpr int kBankChangePauseMs = 20;
constexpr int kSoundDataBase = 7;

// Effect variants by effect mode: effect 1 modes 0..5; effect 2 adds the delays (6, 7) and the
// reverb (8). -1: no variant of its own.
int effectVariant(bool effect2, int mode) {
  constexpr int kEffect2Variants[] = {0, 1, 2, 3, 4, 5, 6, 6, 7};
  if (mode < 0 || mode > (effect2 ? 8 : 5)) return -1;
  return effect2 ? kEffect2Variants[mode] : mode;
}

bool inBlock(int param, int first) {
  return param >= first && param < first + sysex::kParts;
}

// Where a raw byte and its parameter differ, the parameter blocks and what each takes off.
struct ByteOffset {
  int block;
  int offset;
};
constexpr ByteOffset kByteOffsets[] = {
    {kOscillator1BendRange, 40}, {kOscillator2BendRange, 40}, {kOscillator3BendRange, 40},
    {kMultiPartTranspose, 16},   {kMultiPartVeloLow, 1},      {kMultiPartVeloHigh, 1},
};

bool isEnvelopeMode(const sound_dump::ByteRule& row) {
  return row.rule == sound_dump::Rule::kEnvelopeMode;
}

}  // namespace

IncomingSysEx::IncomingSysEx(MIDIMessageManager& manager, ProtocolPlugin& plugin,
                             PatchLibrarian& librarian, LaneClock& clock, TK_LogSink* log)
    : mManager(manager), mPlugin(plugin), mLibrarian(librarian), mClock(clock), mLog(log) {
  using sound_dump::Rule;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    if (row.rule == Rule::kUnison || row.rule == Rule::kEnvelopeMode ||
        row.rule == Rule::kArpStep || row.rule == Rule::kArpTiming)
      mPackedByAddress[row.offset - kSoundDataBase] = &row;
}

void IncomingSysEx::dispatch(const unsigned char* data, int size) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (size >= kDumpMinSize) {
    if (mManager.dumpRouting) routeDump(data, size);
  } else if (!mManager.dumpRouting) {
    mManager.unhandled = false;
    mManager.refreshQuickTab = false;
    if (size == kLongForm || size == kShortForm) {
      const bool tenBytes = size == kLongForm;
      parameterChange(data + (tenBytes ? 4 : 3), tenBytes);
    }
  }
  if (mManager.refreshQuickTab) mPlugin.OnParamChange2(kQuickTab);
}

void IncomingSysEx::routeDump(const unsigned char* data, int size) {
  sysexPatchParse(data, size);
  sysexMultiParse(data, size);
  sysexSettingsParse(data, size);
  if (mManager.dumpCancelsQuickTabRefresh) mManager.refreshQuickTab = false;
}

void IncomingSysEx::parameterChange(const unsigned char* fields, bool tenBytes) {
  const int type = fields[0], location = fields[1], high = fields[2], low = fields[3];
  const int value = fields[4];
  // The location is the part; beyond 15 it would address other parameter families.
  if (location >= sysex::kParts) {
    TK_Log(mLog, "MIDI MESSAGE MANAGER: ",
           "parameter change for location " + std::to_string(location) + " ignored");
    return;
  }
  if (!tenBytes) {
    addressLookup(type, location, high, low, value);
  } else if (type == sysex::kSoundParameter && high == kEffectAddressHigh &&
             low <= kLastEffectLow) {
    effectParameter(type, location, high, low, value);
  } else if (type == sysex::kGlobalParameter) {
    globalParameter(type, location, high, low, value);
  } else if (high == kPackedAddressHigh && type != sysex::kSoundParameter) {
    mManager.unhandled = true;
  } else {
    // The unison and envelope bytes follow their rule whatever the type; the arpeggiator's lie
    // at address high 2, which only a sound parameter reaches here.
    auto packed = mPackedByAddress.find(high * 128 + low);
    if (packed == mPackedByAddress.end()) {
      addressLookup(type, location, high, low, value);
    } else {
      // A byte of 128 or more carries no low nibble.
      const int byte = value >= 128 ? value & 0xF0 : value;
      sound_dump::applyByte(*packed->second, static_cast<unsigned char>(byte), location, mPlugin);
      if (isEnvelopeMode(*packed->second)) mPlugin.OnParamChange(kQuickTab);
    }
  }
  if (!mManager.unhandled) return;
  // Once more by the plain address; applied once, marked as from the synthesizer.
  const int param = mPlugin.getSysexControl(type, location, high, low, 0);
  if (param >= 0)
    processSysExToUI(param, value, false, true);
  else
    mManager.unhandled = true;
}

void IncomingSysEx::effectParameter(int type, int part, int high, int low, int value) {
  const bool effect2 = low >= kFirstEffect2Low;
  const int mode = truncateValue(mPlugin.getValue((effect2 ? kEffect2Mode : kEffect1Mode) + part));
  const int variant = effectVariant(effect2, mode);
  int param = variant > 0 ? mPlugin.getSysexControl(type, part, high, low, variant) : -1;
  if (param < 0) param = mPlugin.getSysexControl(type, part, high, low, 0);
  processSysExToUI(param, value, false, true);
}

void IncomingSysEx::globalParameter(int type, int location, int high, int low, int value) {
  if (high == kGlobalTransposeHigh) {
    value = (value - 52) & 0xFF;
  } else if (high == kGlobalTuningHigh) {
    value = (value - 54) & 0xFF;
  } else {
    mManager.unhandled = true;
    return;
  }
  addressLookup(type, location, high, low, value);
}

void IncomingSysEx::addressLookup(int type, int location, int high, int low, int value) {
  mManager.getNormalControl(type, location, high, low, value, true);
}

void IncomingSysEx::processSysExToUI(int param, int value, bool refreshQuickTab,
                                     bool fromHardware) {
  if (param < 0) return;
  // A lane applies an answering id through here too.
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mManager.hardwareSet = false;
  mManager.dumpRouting = false;
  int v = value;
  for (const ByteOffset& each : kByteOffsets)
    if (inBlock(param, each.block)) v = value - each.offset;
  if (inBlock(param, kEffect2Mode) && value >= 32) v = value - 22;
  if (param == kGlobalLocalControl) mPlugin.setLocalControl(value != 0);

  const bool soundOfPart = inBlock(param, kMultiPartBank) || inBlock(param, kMultiPartPatch);
  const uint32_t now = mManager.tickCount();
  const bool partChange =
      soundOfPart && mManager.programChangeTime.load() < now - kPartChangeAfterMs;
  const PartSound which = inBlock(param, kMultiPartBank) ? PartSound::kBank : PartSound::kProgram;
  const int part = param - (which == PartSound::kBank ? kMultiPartBank : kMultiPartPatch);
  if (partChange) {
    mPlugin.setParameterFromPlug(param, v);
    mPlugin.setPartSound(part, which, v);
  }

  const ProtocolPlugin::Range range = mPlugin.paramRange(param);
  // A parameter without a range takes its minimum rather than a division by zero.
  const double normalised =
      range.max == range.min ? 0.0 : (v - range.min) / (range.max - range.min);
  if (inBlock(param, kEffect1Mode)) refreshQuickTab = true;
  if (inBlock(param, kEffect2Mode)) {
    mManager.hardwareSet = true;
    mPlugin.setValueFromHardware(param, normalised);
    mManager.hardwareSet = false;
    mPlugin.OnParamChange(kMainTab);
  }
  if (fromHardware) mManager.hardwareSet = true;
  mPlugin.setValueFromHardware(param, normalised);
  if (refreshQuickTab) mPlugin.OnParamChange2(kQuickTab);
  mManager.hardwareSet = false;
  if (partChange) followPartChange(part, which, v);
}

void IncomingSysEx::followPartChange(int part, ProtocolPlugin::PartSound which, int value) {
  if (mPlugin.getValue(kPartLock + part) == 1.0) return;
  const int program =
      which == PartSound::kProgram ? value : mPlugin.partSound(part, PartSound::kProgram);
  if (program < 0 || program >= sysex::kProgramsPerBank) {
    TK_Log(mLog, "MIDI MESSAGE MANAGER: ", "program " + std::to_string(program) + " has no slot");
    return;
  }
  if (mPlugin.getValue(kControlLibrary) == 1.0) {
    mPlugin.setCurrentPart(part);
    mPlugin.selectLibrarianSlot(program);
    mLibrarian.selectedProgram = program;
    mPlugin.sendPatchToDeviceFromLibrarian(program, 0, part);
    mManager.refreshQuickTab = true;
    return;
  }
  if (mPlugin.getValue(kGlobalRxProgramChange) < 1.0) return;
  mPlugin.AllSoundsOff(part, false);
  mClock.pause(kBankChangePauseMs);
  if (mPlugin.BankChangeMessage(part) && mPlugin.programControl()) {
    SenderJob request;
    request.code = kSendPartRequest;
    request.part = part;
    request.toEditor = true;
    mManager.startJob(request, [this] { mManager.dumpRouting = true; });
  }
  mPlugin.selectLibrarianSlot(program);
  mLibrarian.selectedProgram = program;
  // The next dump goes to the editor even when no request was started.
  mManager.dumpRouting = true;
  mManager.refreshQuickTab = true;
}
