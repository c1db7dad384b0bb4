#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "tools/corvane-sim/Simulator.h"

// The protocol engine against the simulator in process, on virtual time. Shared by the
// protocol tests and the benchmarks.
namespace protocol_test {

using Bytes = std::vector<unsigned char>;

// Virtual time: a pause moves the clock on at once, then hands the answers that have fallen due
// to `deliver`, as the MIDI input would, and calls `onPause` with the pause's number (from 1).
class VirtualClock : public LaneClock {
 public:
  bool pause(int milliseconds) override {
    if (mStopped) return false;
    int number;
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mNow += milliseconds;
      mPauses.push_back(milliseconds);
      number = static_cast<int>(mPauses.size());
    }
    if (deliver) deliver(now());
    if (onPause) onPause(number);
    return !mStopped;
  }
  void stop() override { mStopped = true; }

  corvane_sim::Clock::time_point now() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return corvane_sim::Clock::time_point(std::chrono::milliseconds(mNow));
  }
  long long nowMs() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mNow;
  }
  std::vector<int> pauses() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mPauses;
  }
  void clearPauses() {
    std::lock_guard<std::mutex> lock(mMutex);
    mPauses.clear();
  }

  // Set before a job starts.
  std::function<void(corvane_sim::Clock::time_point)> deliver;
  std::function<void(int)> onPause;

 private:
  mutable std::mutex mMutex;
  long long mNow = 0;
  std::vector<int> mPauses;
  std::atomic<bool> mStopped{false};
};

struct SentMessage {
  long long timeMs;
  Bytes bytes;
};

// The plug-in as the engine sees it: parameters, a MIDI output into the simulator, and a record
// of every text, overlay change, layer request and name it is given. Safe from any thread.
class FakePlugin : public ProtocolPlugin {
 public:
  double getValue(int index) const override {
    std::lock_guard<std::mutex> lock(mMutex);
    return mValues.at(index);
  }
  void setParameterFromPlug(int index, double value) override { setStoredValue(index, value); }
  std::string getDisplayText(int index) const override {
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mTexts.find(index);
    return it == mTexts.end() ? std::string() : it->second;
  }
  void setDisplayText(int index, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mTexts[index] = text;
  }
  void setTextDisplay(int display, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mDisplays[display].push_back(text);
  }
  void setStoredValue(int index, double value) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mValues.at(index) = value;
  }

  void SendMidiSysex(const unsigned char* data, int length) override {
    Bytes bytes(data, data + length);
    if (bytes.empty() || bytes.front() != sysex::kStart) {
      bytes.insert(bytes.begin(), sysex::kStart);
      bytes.push_back(sysex::kEnd);
    }
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mSent.push_back({clock ? clock->nowMs() : 0, bytes});
    }
    if (output)
      output(bytes);
    else if (sim && clock)
      sim->receive(bytes.data(), bytes.size(), clock->now());
  }
  void checksumCheckAndSend(unsigned char* data, int length) override {
    if (!midiOut) {
      setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
      return;
    }
    sysex::applySendChecksum(data, length);
    SendMidiSysex(data, length);
  }
  void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) override {
    if (manager) manager->ProcessSysEx(data, length, fromDevice);
  }

  void DisplayProcessingIndicator(bool show) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mOverlayShown = show;
    ++(show ? mOverlayShows : mOverlayHides);
    if (!show && manager) manager->dumpRouting = false;
  }
  void requestLayerHidden(const std::string& layer, bool hidden) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mLayers.emplace_back(layer, hidden);
  }
  void requestGrayOut(int param, bool grayed) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mGrayed[param] = grayed;
  }
  void markLibrarianViewDirty() override { ++viewDirty; }
  void refillLibrarianList(int list) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mRefills.push_back(list);
  }
  void setNameSlot(int slot, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mNameSlots[slot] = text;
  }

  int currentPart() const override { return part; }
  int deviceId() const override { return id; }
  bool multiMode() const override { return multi; }
  bool sendPartSounds() const override { return withMulti; }

  // --- What the test reads ---
  std::vector<std::string> texts(int display = kControlDisplayName) const {
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mDisplays.find(display);
    return it == mDisplays.end() ? std::vector<std::string>() : it->second;
  }
  std::string lastText(int display = kControlDisplayName) const {
    const std::vector<std::string> all = texts(display);
    return all.empty() ? std::string() : all.back();
  }
  bool showed(const std::string& text) const {
    const std::vector<std::string> all = texts();
    return std::find(all.begin(), all.end(), text) != all.end();
  }
  std::vector<SentMessage> sent() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mSent;
  }
  void clearRecords() {
    std::lock_guard<std::mutex> lock(mMutex);
    mSent.clear();
    mDisplays.clear();
    mLayers.clear();
    mRefills.clear();
    mOverlayShows = mOverlayHides = 0;
  }
  bool overlayShown() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mOverlayShown;
  }
  int overlayShows() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mOverlayShows;
  }
  std::vector<std::pair<std::string, bool>> layers() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mLayers;
  }
  bool grayed(int param) const {
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mGrayed.find(param);
    return it != mGrayed.end() && it->second;
  }
  std::vector<int> refills() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mRefills;
  }
  std::string nameSlot(int slot) const {
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mNameSlots.find(slot);
    return it == mNameSlots.end() ? std::string() : it->second;
  }

  std::atomic<int> part{0};
  std::atomic<int> id{0};
  std::atomic<bool> multi{false};
  std::atomic<bool> withMulti{false};
  std::atomic<bool> midiOut{true};
  std::atomic<int> viewDirty{0};
  MIDIMessageManager* manager = nullptr;
  // Where sent messages go: `output` when set, else the simulator at the clock's time.
  std::function<void(const Bytes&)> output;
  corvane_sim::Simulator* sim = nullptr;
  VirtualClock* clock = nullptr;

 private:
  mutable std::mutex mMutex;
  std::vector<double> mValues = std::vector<double>(numParams, 0.0);
  std::map<int, std::string> mTexts;
  std::map<int, std::vector<std::string>> mDisplays;
  std::vector<SentMessage> mSent;
  bool mOverlayShown = false;
  int mOverlayShows = 0, mOverlayHides = 0;
  std::vector<std::pair<std::string, bool>> mLayers;
  std::map<int, bool> mGrayed;
  std::vector<int> mRefills;
  std::map<int, std::string> mNameSlots;
};

// Stands in for the editor's dump parsers: while dump routing is on, a whole dump of a known kind
// counts as parsed; every dump ends the routing, as the Global parser's end does.
class FakeDispatch : public IncomingSysExDispatch {
 public:
  explicit FakeDispatch(MIDIMessageManager& manager) : mManager(manager) {}
  void dispatch(const unsigned char* data, int size) override {
    if (size < 60 || !mManager.dumpRouting) return;
    if (sysex::hasDumpHeader(data, size, sysex::kSoundDumpSize, sysex::kSoundDump) ||
        sysex::hasDumpHeader(data, size, sysex::kMultiDumpSize, sysex::kMultiDump) ||
        (size == sysex::kGlobalDumpSize &&
         sysex::hasDumpHeader(data, size, size, sysex::kGlobalDump))) {
      std::lock_guard<std::mutex> lock(mMutex);
      mParsed.emplace_back(data, data + size);
      mManager.dumpComplete = true;
    }
    mManager.dumpRouting = false;
  }
  std::vector<Bytes> parsed() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mParsed;
  }

 private:
  MIDIMessageManager& mManager;
  mutable std::mutex mMutex;
  std::vector<Bytes> mParsed;
};

// A dump of the simulator's kind with its name, addressed to `bank` and `program`, checksummed.
inline Bytes namedDump(bool multi, const std::string& name, int bank, int program, int id = 0) {
  Bytes dump;
  if (multi) {
    const sysex::MultiDumpBytes& t = sysex::multiSendTemplate();
    dump.assign(t.begin(), t.end());
  } else {
    const sysex::SoundDumpBytes& t = sysex::soundDumpTemplate();
    dump.assign(t.begin(), t.end());
  }
  dump[sysex::kDeviceIdOffset] = static_cast<unsigned char>(id);
  dump[sysex::kBankOffset] = static_cast<unsigned char>(bank);
  dump[sysex::kProgramOffset] = static_cast<unsigned char>(program);
  sysex::writeNameField(dump.data() + (multi ? 7 : 370), name);
  if (!multi) dump[386] = static_cast<unsigned char>(program % 13);
  const int size = static_cast<int>(dump.size());
  dump[size - 2] = sysex::dumpChecksum(dump.data(), size);
  return dump;
}

inline std::string soundName(int bank, int program) {
  return "Sim " + std::to_string(bank) + " " + std::to_string(program);
}
inline std::string multiName(int number) {
  return "Sim Multi " + std::to_string(number);
}
inline std::string editName(int part) {
  return "Sim Edit " + std::to_string(part);
}
inline std::string slotName(int slot) {
  return "Slot " + std::to_string(slot);
}

// A bank of 128 named slots, each holding one dump of its kind.
inline PatchFile* bankOf(bool multi) {
  auto* file = new PatchFile;
  file->type = multi ? 1 : 0;
  for (int slot = 0; slot < sysex::kProgramsPerBank; ++slot) {
    LibrarianPatch record;
    record.name = slotName(slot);
    record.messages.push_back({namedDump(multi, slotName(slot), 0, slot)});
    file->records.push_back(record);
  }
  return file;
}

// The engine wired to the simulator, a sound bank and a Multi bank in the librarian.
class Engine {
 public:
  explicit Engine(int syncTimer = 2) : clock(new VirtualClock) {
    librarian.soundFiles.push_back(bankOf(false));
    librarian.multiFiles.push_back(bankOf(true));
    for (int bank = 0; bank < sysex::kStoredSoundBanks; ++bank)
      for (int program = 0; program < sysex::kProgramsPerBank; ++program)
        storeInSim(namedDump(false, soundName(bank, program), bank, program));
    for (int number = 0; number < sysex::kProgramsPerBank; ++number)
      storeInSim(namedDump(true, multiName(number), 0, number));
    for (int part = 0; part < sysex::kParts; ++part)
      storeInSim(namedDump(false, editName(part), sysex::kEditBufferBank, part));
    storeInSim(namedDump(true, "Sim Multi Edit", sysex::kEditBufferBank, 0));
    sim.clearReceived();
    plugin.setStoredValue(kLibSyncTimer, syncTimer);
    manager = std::make_unique<MIDIMessageManager>(plugin, librarian, nullptr,
                                                   std::unique_ptr<LaneClock>(clock));
    dispatch = std::make_unique<FakeDispatch>(*manager);
    manager->setIncomingDispatch(dispatch.get());
    plugin.manager = manager.get();
    plugin.sim = &sim;
    plugin.clock = clock;
    clock->deliver = [this](corvane_sim::Clock::time_point now) {
      for (const Bytes& answer : sim.takeDue(now))
        plugin.ProcessSysEx(answer.data(), static_cast<int>(answer.size()), true);
    };
  }
  ~Engine() { manager.reset(); }

  // Starts the job and waits (bounded) until its lane is idle again; false when it did not start
  // or did not end.
  bool run(const SenderJob& job, const std::function<void()>& prepare = nullptr) {
    return manager->startJob(job, prepare) && waitIdle();
  }
  bool waitIdle(Lane lane = Lane::kTransfer) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (manager->isLaneRunning(lane)) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }
  const LibrarianPatch& slot(int index, bool multi = false) {
    return (multi ? librarian.multiFiles : librarian.soundFiles)[0]->records.at(index);
  }
  // Requests as the simulator received them.
  std::vector<Bytes> requests() const {
    std::vector<Bytes> all;
    for (const corvane_sim::ReceivedMessage& m : sim.received()) all.push_back(m.bytes);
    return all;
  }

  corvane_sim::Simulator sim;
  FakePlugin plugin;
  PatchLibrarian librarian;
  VirtualClock* clock;  // owned by the manager
  std::unique_ptr<MIDIMessageManager> manager;
  std::unique_ptr<FakeDispatch> dispatch;

 private:
  void storeInSim(const Bytes& dump) { sim.receive(dump.data(), dump.size(), {}); }
};

inline SenderJob jobOf(int code) {
  SenderJob job;
  job.code = code;
  return job;
}

}  // namespace protocol_test
