#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SoundDump.h"

namespace {

// The patch manager's name slots of part 0; part p adds p.
constexpr int kPatchNameSlot = 1;
constexpr int kCategorySlot = 19;
constexpr int kSettleMs = 150;

std::string orSetName(const std::string& text) {
  return text.empty() ? "Set Name" : text;
}

}  // namespace

void MIDIMessageSender::sendPartToDevice(int part, bool toLibrarian, bool) {
  if (part < 0 || part >= sysex::kParts || (toLibrarian && !bankToFill(false))) {
    mManager.soundSendBusy = false;
    return;
  }
  const bool withMulti = mPlugin.sendPartSounds();
  if (!withMulti) mPlugin.DisplayProcessingIndicator(true);
  sysex::SoundDumpBytes dump =
      sound_dump::buildSoundDump(mPlugin, part, sysex::kEditBufferBank, part);
  // A DEVICE ID whose Global dump has not gone out yet is not the synthesizer's.
  dump[sysex::kDeviceIdOffset] = sysex::toDataByte(deviceId());
  const std::string name = mPlugin.getDisplayText(kPatchName + part);
  const std::string category =
      sound_dump::categoryText(sysex::truncateValue(mPlugin.getValue(kCategoryName + part)));
  if (!withMulti) {
    PluginDisplays& displays = mManager.displays();
    mPlugin.setNameSlot(kPatchNameSlot + part, orSetName(name));
    displays.setLibrarianViewDirty();
    mPlugin.setNameSlot(kCategorySlot + part, orSetName(category));
    displays.setLibrarianViewDirty();
    if (part == mPlugin.currentPart()) {
      displays.displayPatchName(name);
      displays.displayCategoryName(category);
    }
  }
  const int size = static_cast<int>(dump.size());
  if (toLibrarian) {
    dump[sysex::kBankOffset] =
        sysex::toDataByte(sysex::truncateValue(mPlugin.getValue(kMultiPartBank + part)));
    dump[sysex::kProgramOffset] = sysex::toDataByte(mLibrarian.selectedProgram);
    putIntoSelectedSlot(std::vector<unsigned char>(dump.begin(), dump.end()));
  } else {
    mPlugin.checksumCheckAndSend(dump.data(), size);
    pause(kSettleMs);
  }
  mPlugin.DisplayProcessingIndicator(false);
  mManager.soundSendBusy = false;
}
