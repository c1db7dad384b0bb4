#include "src/protocol/IncomingChannel.h"

#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"

namespace {

using sysex::truncateValue;
using PartSound = ProtocolPlugin::PartSound;

constexpr int kBankSelect = 0;
constexpr int kBankSelectLSB = 32;
constexpr int kOsc1SampleCC = 31;
constexpr int kOsc2SampleCC = 39;
// The shape position that stands for the wavetables.
constexpr int kWavetableShape = 7;

// Controllers whose bytes carry an offset: the octave byte is 16 + 12 x octave over 8 octaves,
// the semitone byte 52 + semitone over 24 semitones.
bool isOctaveCC(int cc) {
  return cc == 27 || cc == 35 || cc == 42;
}
bool isSemitoneCC(int cc) {
  return cc == 28 || cc == 36 || cc == 43;
}
// Controllers whose page shows further parameters of the part.
bool refreshesQuickTab(int cc) {
  return cc == 46 || cc == 68 || cc == 79;
}

bool inBlock(int param, int first) {
  return param >= first && param < first + sysex::kParts;
}

}  // namespace

IncomingChannel::IncomingChannel(MIDIMessageManager& manager, ProtocolPlugin& plugin,
                                 PatchLibrarian& librarian)
    : mManager(manager), mPlugin(plugin), mLibrarian(librarian) {}

int IncomingChannel::partOnChannel(const ParameterAccess& params, int channel) {
  for (int part = 0; part < sysex::kParts; ++part)
    if (truncateValue(params.getValue(kMultiPartMIDICh + part)) - 2 == channel) return part;
  return -1;
}

bool IncomingChannel::isBankLSB(const IMidiMsg& msg) {
  const int value = msg.mData2;
  return msg.ControlChangeIdx() == kBankSelectLSB &&
         (value == 64 || value == 66 || value == 80 || value == 96);
}

void IncomingChannel::ProcessMidiMsgFromDevice(const IMidiMsg& msg) {
  mManager.fromDAW = false;
  const IMidiMsg::EStatusMsg kind = msg.StatusMsg();
  const int channel = msg.Channel();
  bool forward = kind != IMidiMsg::kNone;
  if (forward && mPlugin.midiKindBlocked(kind, true)) return;
  if (kind == IMidiMsg::kControlChange) {
    if (msg.ControlChangeIdx() == kBankSelect && msg.mData2 == 0) {
      mBankSelectPairing = true;
      return;
    }
    if (isBankLSB(msg) && mBankSelectPairing.exchange(false)) return;
    getLegacyCCparam(msg.ControlChangeIdx(), channel + 1, msg.mData2, false, true);
  } else if (kind == IMidiMsg::kProgramChange) {
    const int part = partOnChannel(mPlugin, channel);
    if (part >= 0) mPlugin.setPartSound(part, PartSound::kProgram, msg.mData1);
    MakeProgramChangeMessages(part >= 0 ? part : 0, msg);
  }
  finish(msg, forward && !mPlugin.localControl());
}

void IncomingChannel::ProcessMidiMsgFromDAW(const IMidiMsg& msg, int part) {
  if (!mPlugin.midiOutSet()) return;
  mManager.fromDAW = true;
  const IMidiMsg::EStatusMsg kind = msg.StatusMsg();
  if (kind == IMidiMsg::kNone || mPlugin.midiKindBlocked(kind, false)) return;
  if (kind == IMidiMsg::kControlChange) {
    if (isBankLSB(msg) || (msg.ControlChangeIdx() == kBankSelect && msg.mData2 == 0)) return;
    getLegacyCCparam(msg.ControlChangeIdx(), msg.Channel() + 1, msg.mData2, false, false);
  } else if (kind == IMidiMsg::kProgramChange) {
    MakeProgramChangeMessages(part, msg);
  }
  finish(msg, true);
}

void IncomingChannel::finish(const IMidiMsg& msg, bool forward) {
  mPlugin.showIncomingActivity(msg.Channel());
  if (forward) mPlugin.MIDIOutRoutingSwitch(&msg);
}

void IncomingChannel::getLegacyCCparam(int cc, int channelKey, int value, bool refreshQuickTab,
                                       bool fromDevice) {
  const int param = mPlugin.getCCControls(channelKey, cc, 0);
  if (param < 0) {
    if (cc == kBankSelect) {
      const int part = partOnChannel(mPlugin, channelKey - 1);
      setBank(part >= 0 ? part : 0, value);
    }
    return;
  }
  mManager.hardwareSet = false;
  const ProtocolPlugin::Range range = mPlugin.paramRange(param);
  double span = range.max - range.min;
  int v = value;
  if (isOctaveCC(cc)) {
    v = (value - 16) / 12;
    span = 8;
  } else if (isSemitoneCC(cc)) {
    v = value - 52;
    span = 24;
  } else if (cc == kOsc1SampleCC || cc == kOsc2SampleCC) {
    const int part = param - (cc == kOsc1SampleCC ? kOscillator1Sample : kOscillator2Sample);
    if (part >= 0 && part < sysex::kParts) oscillatorSample(cc, part, value, refreshQuickTab);
  } else if (refreshesQuickTab(cc)) {
    refreshQuickTab = true;
  }
  // The bound control takes v over the span, its minimum not taken off; no span, no division.
  const double normalised = span == 0.0 ? 0.0 : v / span;
  if (fromDevice) mManager.hardwareSet = true;
  if (fromDevice && inBlock(param, kFilterRoutingParallel))
    filterRouting(param - kFilterRoutingParallel, value);
  else
    mPlugin.setValueFromHardware(param, normalised);
  if (refreshQuickTab) mPlugin.OnParamChange2(kQuickTab);
  mManager.hardwareSet = false;
}

void IncomingChannel::setBank(int part, int bank) {
  mPlugin.setPartSound(part, PartSound::kBank, bank);
  for (int param : {kMultiPartBank + part, kCurrentBank + part, int(kRequestFromBank)})
    mPlugin.setParameterFromPlug(param, bank);
}

// CC 31 and 39 choose an oscillator's sample: below 8 one of its shapes, from 8 on a wavetable.
void IncomingChannel::oscillatorSample(int cc, int part, int value, bool& refreshQuickTab) {
  const bool osc1 = cc == kOsc1SampleCC;
  const int shape = (osc1 ? kOscillator1Shape : kOscillator2Shape) + part;
  const int wavetable = (osc1 ? kOscillator1Wavetable : kOscillator2Wavetable) + part;
  refreshQuickTab = true;
  if (osc1 && mPlugin.getValue(kOsc1UseSampleMemory + part) == 1.0) return;
  if (value >= 8) {
    mPlugin.setParameterFromPlug(wavetable, value - 7);
    mPlugin.setParameterFromPlug(shape, kWavetableShape);
    mPlugin.OnParamChange2(wavetable);
    refreshQuickTab = osc1;
  } else if (osc1) {
    mPlugin.setParameterFromPlug(shape, value);
    mPlugin.setParameterFromPlug(wavetable, 0);
    mPlugin.OnParamChange2(shape);
  } else {
    mPlugin.setParameterFromPlug(wavetable, 0);
  }
}

// The filters' routing is a pair of switches: 0 parallel, anything else serial.
void IncomingChannel::filterRouting(int part, int value) {
  mPlugin.setParameterFromPlug(kFilterRoutingSerial + part, value == 0 ? 0 : 1);
  mPlugin.setParameterFromPlug(kFilterRoutingParallel + part, value == 0 ? 1 : 0);
  mPlugin.OnParamChange(kFilterRoutingSerial + part);
}

void IncomingChannel::MakeProgramChangeMessages(int part, const IMidiMsg& msg) {
  if (mPlugin.getValue(kPartLock + part) == 1.0) return;
  mManager.programChangeTime = mManager.tickCount();
  const int program = sysex::toDataByte(msg.mData1);
  if (mPlugin.libraryControl()) {
    mPlugin.selectLibrarianSlot(program);
    mLibrarian.selectedProgram = program;
    mManager.SetLibrarianRequestActive(false);
    mPlugin.sendPatchToDeviceFromLibrarian(program, mPlugin.activeLibrarianList(), part);
    return;
  }
  if (mPlugin.getValue(kGlobalRxProgramChange) != 1.0) return;
  mManager.SetLibrarianRequestActive(false);
  mPlugin.AllSoundsOff(part, false);
  // The message's own part takes the program, whichever part the editor shows.
  mPlugin.setParameterFromPlug(kMultiPartPatch + part, program);
  if (mPlugin.BankChangeMessage(part) && mPlugin.programControl()) {
    SenderJob request;
    request.code = kSendPartRequest;
    request.part = part;
    request.toEditor = true;
    mManager.startJob(request, [this] { mManager.dumpRouting = true; });
  }
  mPlugin.selectLibrarianSlot(program);
  mLibrarian.selectedProgram = program;
}
