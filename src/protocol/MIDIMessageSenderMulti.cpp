#include "src/config/ParameterIds.h"
#include "src/protocol/GlobalDump.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/MultiDump.h"

namespace {

using PartSound = ProtocolPlugin::PartSound;

constexpr int kMultiSettleMs = 2350;
constexpr int kPartRequestMs = 250;
constexpr int kPartSoundMs = 400;
constexpr int kCurrentPartSoundMs = 300;
constexpr unsigned char kChecksumPlaceholder = 0x7F;

// What the Global dump's send needs, from the lane it runs on. Once the dump is out the
// synthesizer answers to the id it carries, and so the editor's messages go there.
class GlobalSend : public TransferServices {
 public:
  GlobalSend(ProtocolPlugin& plugin, LaneClock& clock, std::atomic<bool>& busy)
      : mPlugin(plugin), mClock(clock), mBusy(busy) {}
  void DisplayProcessingIndicator(bool show) override { mPlugin.DisplayProcessingIndicator(show); }
  void checksumCheckAndSend(unsigned char* data, int length) override {
    const bool sent = mPlugin.midiOutSet();
    mPlugin.checksumCheckAndSend(data, length);
    if (!sent) return;
    const int id = data[global_dump::kNewDeviceIdOffset];
    mPlugin.setDeviceId(id);
    mPlugin.setStoredValue(kDeviceID_old, id);
  }
  void pause(int milliseconds) override { mClock.pause(milliseconds); }
  void clearSoundSendBusy() override { mBusy = false; }

 private:
  ProtocolPlugin& mPlugin;
  LaneClock& mClock;
  std::atomic<bool>& mBusy;
};

}  // namespace

void MIDIMessageSender::sendGlobalToDevice() {
  // A new id in the dump takes effect in the synthesizer only once the dump has arrived, so the
  // dump goes to the id it answers to now; the messages after it go to the new one.
  const int answersTo = sysex::truncateValue(mPlugin.getValue(kDeviceID_old)) & 0xFF;
  GlobalSend services(mPlugin, mClock, mManager.soundSendBusy);
  global_dump::sendGlobalToDevice(services, mPlugin, answersTo);
}

bool MIDIMessageSender::partActive(int part) const {
  return mPlugin.getValue(kMultiPartStatus + part) == 1.0;
}

void MIDIMessageSender::sendArrangementToDevice(bool toLibrarian, bool requestParts) {
  if (toLibrarian && !bankToFill(true)) {
    mManager.soundSendBusy = false;
    return;
  }
  mPlugin.DisplayProcessingIndicator(true);
  if (mPlugin.sendGlobalFirst()) sendGlobalToDevice();
  multi_dump::PartSounds sounds;
  for (int part = 0; part < sysex::kParts; ++part) {
    sounds.banks[part] = mPlugin.partSound(part, PartSound::kBank);
    sounds.programs[part] = mPlugin.partSound(part, PartSound::kProgram);
  }
  sysex::MultiDumpBytes dump = multi_dump::buildMultiDump(mPlugin, sounds);
  // A DEVICE ID whose Global dump has not gone out yet is not the synthesizer's.
  dump[sysex::kDeviceIdOffset] = sysex::toDataByte(deviceId());
  const std::string name = mPlugin.getDisplayText(kMultiName).substr(0, sysex::kNameLength);
  mPlugin.setNameSlot(0, name.empty() ? "Set Name" : name);
  mManager.displays().setLibrarianViewDirty();
  const bool sends = !toLibrarian && !requestParts;
  if (toLibrarian) {
    // The synthesizer takes the placeholder when the bank is written to it; the template's
    // checksum place would be refused.
    std::vector<unsigned char> copy(dump.begin(), dump.end());
    copy[copy.size() - 2] = kChecksumPlaceholder;
    putIntoSelectedSlot(std::move(copy));
  } else if (sends && linkLost()) {
    return endLostSend(0, false);
  } else {
    mPlugin.setMultiSend(true);
    mPlugin.checksumCheckAndSend(dump.data(), static_cast<int>(dump.size()));
  }
  bool running = pause(kMultiSettleMs);
  mPlugin.setMultiSend(false);
  if (requestParts) {
    for (int part = 0; running && part < sysex::kParts; ++part) {
      if (!partActive(part)) continue;
      sendPartRequestSysex(part, true);
      running = pause(kPartRequestMs);
    }
  } else if (toLibrarian) {
    // A Multi bank has no slot for the part sounds.
  } else if (mPlugin.sendPartSounds()) {
    mPlugin.setMultiSend(true);
    int sent = 0;
    for (int part = 0; running && part < sysex::kParts; ++part) {
      if (!partActive(part)) continue;
      if (linkLost()) return endLostSend(sent, true);
      mManager.soundSendBusy = true;
      sendPartToDevice(part, false, false);
      ++sent;
      mPlugin.DisplayProcessingIndicator(true);
      running = pause(kPartSoundMs);
    }
  } else if (running) {
    if (linkLost()) return endLostSend(0, true);
    sendPartToDevice(mPlugin.currentPart(), false, false);
    mPlugin.DisplayProcessingIndicator(true);
    pause(kCurrentPartSoundMs);
  }
  mPlugin.DisplayProcessingIndicator(false);
  mManager.soundSendBusy = false;
}

int MIDIMessageSender::soundsSent() const {
  if (!mPlugin.sendPartSounds()) return 1;
  int active = 0;
  for (int part = 0; part < sysex::kParts; ++part) active += partActive(part) ? 1 : 0;
  return active;
}

void MIDIMessageSender::endLostSend(int sent, bool multiSent) {
  reportCutShort("send", true, writtenCount(sent, soundsSent(), false),
                 multiSent ? ", the Multi before them" : ", nor the Multi");
  mPlugin.DisplayProcessingIndicator(false);
  mManager.soundSendBusy = false;
}

int MIDIMessageSender::decryptMultiSettings1Values(int part) const {
  return part >= 0 && part < sysex::kParts ? multi_dump::packFlagByteA(mPlugin, part) : 0;
}

int MIDIMessageSender::decryptMultiSettings2Values(int part) const {
  return part >= 0 && part < sysex::kParts ? multi_dump::packFlagByteB(mPlugin, part) : 0;
}
