#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"

namespace {

bool positionOf(const sound_dump::ByteRule& row, int firstOffset) {
  return row.offset >= firstOffset && row.offset < firstOffset + sound_dump::kEffectParams;
}

// Copies an effect-type parameter into the positional parameter of its byte: the views of the
// sound dump's positional effect bytes, read the other way round.
void copyToPositional(ProtocolPlugin& plugin, int firstOffset, int index, int value) {
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules()) {
    if (!positionOf(row, firstOffset)) continue;
    for (int view : row.views) {
      if (view < 0) break;
      if (index >= view && index < view + sysex::kParts)
        plugin.setStoredValue(row.params[0] + index - view, value);
    }
  }
}

// The part's position bytes of one effect read back into their views.
void showPositions(ProtocolPlugin& plugin, int firstOffset, int part) {
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    if (positionOf(row, firstOffset))
      sound_dump::applyByte(row, sound_dump::encodeByte(row, plugin, part), part, plugin);
}

}  // namespace

void MIDIMessageManager::SetFX1ParameterChangesToDefaultParameters(int index, int value) {
  copyToPositional(mPlugin, sound_dump::kEffect1ParamOffset, index, value);
}

void MIDIMessageManager::SetFX2ParameterChangesToDefaultParameters(int index, int value) {
  copyToPositional(mPlugin, sound_dump::kEffect2ParamOffset, index, value);
}

void MIDIMessageManager::showEffectPositions(int index) {
  if (isPartOf(index, kEffect1Mode))
    showPositions(mPlugin, sound_dump::kEffect1ParamOffset, index - kEffect1Mode);
  else if (isPartOf(index, kEffect2Mode))
    showPositions(mPlugin, sound_dump::kEffect2ParamOffset, index - kEffect2Mode);
}

void MIDIMessageManager::sendSysexMessage(const std::vector<int>& message) {
  if (!mPlugin.midiOutSet()) {
    mPlugin.setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");  // over the edit's value
    return;
  }
  if (message.empty()) return;
  std::vector<unsigned char> bytes;
  for (int value : message) bytes.push_back(static_cast<unsigned char>(value & 0xFF));
  mPlugin.SendMidiSysex(bytes.data(), static_cast<int>(bytes.size()));
}

bool MIDIMessageManager::randomize(double value) {
  const double tab = mPlugin.getValue(kMainTab);
  if (sysex::truncateValue(value) != 1 || !(tab > 0.0)) return false;
  const int part = mPlugin.currentPart();
  mRandomizer.randomGenerator();
  mRandomizer.randomizePatchSettings(part);
  mPlugin.mainTabSwitch(sysex::truncateValue(tab), part);
  mPlugin.AllSoundsOff(part, false);
  SenderJob send;
  send.code = kSendPartToDevice;
  send.part = part;
  startJob(send, [this] { soundSendBusy = true; });
  mDisplays.showStatus("Part Randomized");
  mPlugin.setParameterFromPlug(kRandomize, 0.0);
  return true;
}
