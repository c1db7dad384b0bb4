// A parameter change turned into the MIDI the synthesizer understands: a CC on the part's
// channel, a precomputed SysEx parameter message, or a whole Multi or Global dump.
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "src/config/ControlAction.h"
#include "src/core/Kroma.h"
#include "src/core/detail/KromaDispatch.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

using namespace dispatch;

namespace {

// Parameter messages are kept without F0: 3E 13, then the device id.
constexpr size_t kDeviceEntry = sysex::kDeviceIdOffset - 1;

bool within(int idx, int first, int last) {
  return idx >= first && idx <= last;
}

bool inBlocks(int idx, std::initializer_list<int> blocks) {
  for (int block : blocks)
    if (isPartOf(idx, block)) return true;
  return false;
}

// The CC data byte of kind 1: the oscillators' octaves and semitones in the synthesizer's own
// steps.
int ccByte(int idx, int v) {
  if (inBlocks(idx, {kOscillator1Semitone, kOscillator2Semitone, kOscillator3Semitone}))
    return v + 52;
  if (inBlocks(idx, {kOscillator1Octave, kOscillator2Octave, kOscillator3Octave}))
    return 12 * v + 16;
  return v;
}

// Arpeggiator steps: per part a stretch of 80 indices, the 16 steps' glide, accent, step,
// timing and step length.
constexpr int kArpStretch = 80;
constexpr int kArpEnd = kArpPattern01Glide + partCount * kArpStretch;
enum ArpRow { kGlideRow, kAccentRow, kStepRow, kTimingRow, kStepLenRow };

int arpRow(int idx) {
  return within(idx, kArpPattern01Glide, kArpEnd - 1)
             ? (idx - kArpPattern01Glide) % kArpStretch / partCount
             : -1;
}

// The byte several parameters share, by the row the edited one belongs to; -1 when its value
// byte stands alone.
int packedByte(const Kroma& plug, int idx) {
  auto P = [&plug](int i) { return sysex::truncateValue(plug.getValue(i)); };
  const int row = arpRow(idx);
  if (row >= kGlideRow && row <= kStepRow) {
    const int glide = idx - row * partCount;
    return 16 * P(glide + 2 * partCount) + 8 * P(glide) + P(glide + partCount);
  }
  if (row >= kTimingRow) {
    const int timing = idx - (row - kTimingRow) * partCount;
    return P(timing) + 16 * P(timing + partCount);
  }
  if (isPartOf(idx, kOscillatorMonoPolyMode)) return P(idx) + 16 * P(idx + partCount);
  if (isPartOf(idx, kOscillatorUnisono)) return P(idx - partCount) + 16 * P(idx);
  const struct {
    int trigger, mode;
  } envelopes[] = {{kFilterEnvTrigger, kFilterEnvMode},
                   {kAmpEnvTrigger, kAmpEnvMode},
                   {kEnv3Trigger, kEnvelope3Mode},
                   {kEnv4Trigger, kEnvelope4Mode}};
  for (const auto& e : envelopes) {
    if (isPartOf(idx, e.trigger)) return 32 * P(idx) + P(idx - e.trigger + e.mode);
    if (isPartOf(idx, e.mode)) return 32 * P(idx - e.mode + e.trigger) + P(idx);
  }
  return -1;
}

bool multiParameter(int idx) {
  return within(idx, kMultiPartMIDICh, kMultiPartVeloHigh + partCount - 1) ||
         within(idx, kReceiveMIDI, kMultiTempo);
}

bool globalParameter(int idx) {
  return within(idx, kGlobalVelocityCurve, kGlobalTranspose);
}

void activity(Change& c, const std::string& text) {
  if (c.widgets.mCCDisplayControl) c.widgets.mCCDisplayControl->SetTextFromPlug(text.c_str());
}

// The message of a value, with the device id in place; false for a value that has none.
bool messageOf(Change& c, const ControlAction& action, double value, std::vector<int>& message) {
  if (!action.sysexMessages.messageFor(value, message)) {
    TK_Log(c.plug.GetLog(), "", "no SysEx message for value " + std::to_string(value));
    return false;
  }
  if (c.routing.mDeviceID >= 0 && message.size() > kDeviceEntry)
    message[kDeviceEntry] = sysex::toDataByte(c.routing.mDeviceID);
  return true;
}

void sendSysEx(Change& c, const std::vector<int>& message) {
  if (!fromSynthesizer(c.routing, c.parts)) c.parts.mMIDIMessageManager->sendSysexMessage(message);
}

void sendCC(Change& c, const ControlAction& action, int byte) {
  activity(c, "CC|" + std::to_string(action.ccNumber));
  const int channel = ccChannel(c.plug, action.part);
  if (channel < 0 || action.ccNumber < 0 || action.ccNumber > 127 ||
      fromSynthesizer(c.routing, c.parts))
    return;
  IMidiMsg msg(0, static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(action.ccNumber),
               sysex::toDataByte(byte));
  c.plug.MIDIOutRoutingSwitch(&msg);
}

// Messages kept as lists run through the same steps one by one.
void sendMessageList(Change& c, const ControlAction& action, double value) {
  const ControlActionSysExMessage& table = action.sysexMessages;
  const double entry = std::trunc(value) - table.firstValue;
  if (!(entry >= 0 && entry < static_cast<double>(table.messageLists.size()))) return;
  for (std::vector<int> message : table.messageLists[static_cast<size_t>(entry)]) {
    if (c.routing.mDeviceID >= 0 && message.size() > kDeviceEntry)
      message[kDeviceEntry] = sysex::toDataByte(c.routing.mDeviceID);
    activity(c, "SysEx");
    if (!c.routing.mEchoFromHardware) sendSysEx(c, message);
  }
}

// A Multi or Global setting goes out as the whole dump, after all notes off of the enabled
// parts. While the mouse button or Shift is down it waits for the audio callback, so that a
// knob's drag sends once. A value from the synthesizer sends nothing back.
void wholeDumpOrDefer(Change& c, bool global) {
  if (fromSynthesizer(c.routing, c.parts)) return;
  {
    TK_MutexReleased unlocked(c.plug.GetMutex());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (GetAsyncKeyState(VK_SHIFT) || GetAsyncKeyState(VK_LBUTTON))
    (global ? c.clock.mGlobalSendPending : c.clock.mMultiSendPending) = true;
  else
    c.plug.sendWholeDump(global, true);
}

}  // namespace

void Kroma::processControlAction(ControlAction* action, int paramIdx, double newValue) {
  IParam* param = GetParam(paramIdx);
  if (!action || !param) return;
  if (mRouting.mLinkInProgress) param->SetClamped(newValue);
  for (IControl* control : action->controls) control->SetValueFromPlug(param->GetNormalized());
  // The effect's position bytes follow its edit with or without a port: the sound dump is built
  // from them. A new effect type shows them.
  const int v = sysex::truncateValue(newValue);
  mParts.mMIDIMessageManager->SetFX1ParameterChangesToDefaultParameters(paramIdx, v);
  mParts.mMIDIMessageManager->SetFX2ParameterChangesToDefaultParameters(paramIdx, v);
  mParts.mMIDIMessageManager->showEffectPositions(paramIdx);
  if (!mRouting.mMIDIOutSet) {
    // A page turned sends nothing, and would write over a notice of two lines (a split bank's).
    const bool quiet = paramIdx == kDeviceOutSelection || paramIdx == kDeviceInSelection ||
                       paramIdx == kGlobalSysExID || paramIdx == kMainTab ||
                       !mParts.mStartupComplete;
    // Over the value of the edit just shown, which stays.
    if (!quiet) setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    return;
  }
  Change c = changeOf(paramIdx, newValue, action);
  action->value = v;

  std::vector<int> message;
  switch (action->messageType) {
    case kMessageCC:
      sendCC(c, *action, ccByte(paramIdx, v));
      break;
    case kMessageCCOffOn:
      sendCC(c, *action, newValue == 0.0 ? action->ccOffValue : action->ccOnValue);
      break;
    case kMessageSysExOne:
      if (!messageOf(c, *action, newValue, message)) break;
      if (arpRow(paramIdx) == kGlideRow)
        message[action->sysexMessages.messages.valueEntry()] =
            sysex::toDataByte(packedByte(*this, paramIdx));
      if (isPartOf(paramIdx, kMultiPartStatus)) {
        wholeDumpOrDefer(c, false);
      } else if (!mRouting.mEchoFromHardware) {
        activity(c, "SysEx");
        sendSysEx(c, message);
      }
      break;
    case kMessageSysEx:
      if (action->sysexMessages.multiMessage) {
        sendMessageList(c, *action, newValue);
      } else if (messageOf(c, *action, newValue, message)) {
        const int packed = arpRow(paramIdx) == kGlideRow ? -1 : packedByte(*this, paramIdx);
        if (packed >= 0)
          message[action->sysexMessages.messages.valueEntry()] = sysex::toDataByte(packed);
        if (multiParameter(paramIdx) || globalParameter(paramIdx)) {
          wholeDumpOrDefer(c, globalParameter(paramIdx));
        } else if (!mRouting.mEchoFromHardware) {
          activity(c, "SysEx");
          sendSysEx(c, message);
        }
      }
      break;
    default:
      break;
  }
}
