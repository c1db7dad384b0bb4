#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/detail/IncomingSysEx.h"
#include "toolkit/plugin/midi/IMidiMsg.h"
#include "tools/corvane-sim/Simulator.h"

namespace protocol_test {

using Bytes = std::vector<unsigned char>;

// A pause moves the time on at once, hands the answers that have fallen due to `deliver` as the
// MIDI input would, then calls `onPause` with the pause's number. Only the running job and, between
// jobs, the test touch it.
class VirtualClock : public LaneClock {
 public:
  bool pause(int ms) override {
    if (mStopped) return false;
    now += ms;
    pauses.push_back(ms);
    if (deliver) deliver(simTime());
    if (onPause) onPause(static_cast<int>(pauses.size()));
    return !mStopped;
  }
  void stop() override { mStopped = true; }
  corvane_sim::Clock::time_point simTime() const {
    return corvane_sim::Clock::time_point(std::chrono::milliseconds(now));
  }

  long long now = 0;
  std::vector<int> pauses;
  std::function<void(corvane_sim::Clock::time_point)> deliver;
  std::function<void(int)> onPause;

 private:
  std::atomic<bool> mStopped{false};
};

// The plug-in side: parameters (unbounded unless `ranges` holds theirs; a missing range reads as
// 0..127), a MIDI output into the simulator (or `output`), and a record of what the engine
// showed, sent and asked for, written under `mutex` and read once a job ended.
class FakePlugin : public ProtocolPlugin {
  using Lock = std::lock_guard<std::mutex>;

 public:
  double getValue(int index) const override { return values.at(index); }
  void setParameterFromPlug(int index, double value) override { setStoredValue(index, value); }
  std::string getDisplayText(int index) const override {
    return names.count(index) ? names.at(index) : std::string();
  }
  void setDisplayText(int index, const std::string& text) override { names[index] = text; }
  void setStoredValue(int index, double value) override {
    Lock l(mutex);
    auto range = ranges.find(index);
    if (range != ranges.end()) value = std::clamp(value, range->second.min, range->second.max);
    values.at(index) = value;
  }
  Range paramRange(int i) const override { return ranges.count(i) ? ranges.at(i) : Range{0, 127}; }
  int getSysexControl(int type, int location, int high, int low, int variant) const override {
    const std::array<int, 5> key{type, location, high, low, variant};
    return controls.count(key) ? controls.at(key) : -1;
  }
  // Stored as the control would store it; a value not marked as the synthesizer's says so.
  void setValueFromHardware(int param, double normalised) override {
    const Range range = paramRange(param);
    setStoredValue(param, range.min + normalised * (range.max - range.min));
    call("hw", param, manager->hardwareSet ? "" : " unmarked");
  }
  void OnParamChange(int index) override { call("OnParamChange", index); }
  void OnParamChange2(int index) override { call("OnParamChange2", index); }
  void setLocalControl(bool on) override { localControlOn = on; }
  int partSound(int p, PartSound which) const override { return partSounds[int(which)].at(p); }
  void setPartSound(int p, PartSound which, int v) override { partSounds[int(which)].at(p) = v; }
  void linkLossTold() override { ++lossTold; }
  bool sysExReceived() const override { return received; }
  void setSysExReceived(bool on) override { received = on; }
  bool projectPushPending() const override { return pushPending; }
  void synthesizerAnswered() override { ++answered; }
  void synthesizerInStep() override { ++inStep; }
  void setDeviceId(int value) override { id = value; }
  bool midiOutSet() const override { return midiOut; }
  bool outputLinkLost() override { return linkLost; }
  void AllSoundsOff(int p, bool) override { call("AllSoundsOff", p); }
  bool BankChangeMessage(int p) override { return call("BankChangeMessage", p), true; }
  void sendPatchToDeviceFromLibrarian(int slot, int, int p) override {
    call("play", slot, " on " + std::to_string(p));
  }
  void selectLibrarianSlot(int slot) override { call("select", slot); }
  void mainTabSwitch(int tab, int p) override {
    call("mainTabSwitch", tab, " " + std::to_string(p));
  }
  void setCurrentPart(int p) override { part = p; }
  int lowerListKind() const override { return listKind; }
  bool programControl() const override { return true; }
  bool sendGlobalFirst() const override { return globalFirst; }
  void clearMultiPushFlags() override { withMulti = globalFirst = false; }
  void setMultiSend(bool on) override { call(on ? "multi-send on" : "multi-send off"); }
  void MIDIOutRoutingSwitch(const IMidiMsg* msg) override {
    Lock l(mutex);
    routed.push_back({msg->mStatus, msg->mData1, msg->mData2});
  }
  void sendRealTimeByte(unsigned char byte) override {
    Lock l(mutex);
    sent.push_back({byte});
    if (onByte) onByte(byte);
  }
  int getCCControls(int channelKey, int cc, int) const override {
    return ccControls.count({channelKey, cc}) ? ccControls.at({channelKey, cc}) : -1;
  }
  bool midiKindBlocked(int kind, bool fromDevice) const override {
    return blockedKinds.count({kind, fromDevice}) > 0;
  }
  void showIncomingActivity(int channel) override { call("led", channel); }
  bool localControl() const override { return localControlOn; }
  bool libraryControl() const override { return values.at(kControlLibrary) == 1.0; }
  int activeLibrarianList() const override { return 1; }
  bool sendClockPointer() const override { return clockPointer; }
  bool sendClockInfo() const override { return clockInfo; }
  void setSendClockInfo(bool on) override { clockInfo = on; }
  const std::vector<std::string>& valueList(const std::string& name) const override {
    return name == "tempoValues" ? tempoValues : noList;
  }
  void SendMidiSysex(const unsigned char* data, int length) override {
    Bytes bytes(data, data + length);
    if (bytes.front() != 0xF0) bytes.insert(bytes.begin(), 0xF0), bytes.push_back(0xF7);
    Lock l(mutex);
    sent.push_back(bytes);
    sentAt.push_back(clock ? clock->now : 0);
    if (output)
      output(bytes);
    else if (sim && clock)
      sim->receive(bytes.data(), bytes.size(), clock->simTime());
  }
  void checksumCheckAndSend(unsigned char* data, int length) override {
    if (!midiOut) return setTextDisplay(kControlDisplayName, "Set MIDI I/O First!");
    sysex::applySendChecksum(data, length);
    SendMidiSysex(data, length);
  }
  // As the plug-in's input: collector-done becomes SysEx-received.
  void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) override {
    manager->ProcessSysEx(data, length, fromDevice);
    if (manager->dumpComplete) received = true;
  }
  void DisplayProcessingIndicator(bool show) override {
    Lock l(mutex);
    overlay = show;
    if (!show) manager->dumpRouting = false;
  }
  void setTextDisplay(int display, const std::string& text) override {
    Lock l(mutex);
    shown[display].push_back(text);
  }
  void requestLayerHidden(const std::string& name, bool hidden) override {
    Lock l(mutex);
    layers.emplace_back(name, hidden);
  }
  void requestGrayOut(int param, bool grayed) override {
    Lock l(mutex);
    grayedOut[param] = grayed;
  }
  void markLibrarianViewDirty() override {}
  void refillLibrarianList(int list) override {
    Lock l(mutex);
    refills.push_back(list);
  }
  void setNameSlot(int slot, const std::string& text) override {
    Lock l(mutex);
    nameSlots[slot] = text;
  }
  int currentPart() const override { return part; }
  // What the engine asked of the plug-in, in order: a name, a number and a remark.
  void call(const std::string& what, int number = -1, const std::string& more = "") {
    Lock l(mutex);
    calls.push_back(what + (number < 0 ? "" : " " + std::to_string(number)) + more);
  }
  int deviceId() const override { return id; }
  bool multiMode() const override { return multi; }
  bool sendPartSounds() const override { return withMulti; }

  std::vector<std::string>& status() { return shown[kControlDisplayName]; }
  std::string last(int display = kControlDisplayName) {
    return shown[display].empty() ? std::string() : shown[display].back();
  }
  bool showed(const std::string& text) {
    return std::find(status().begin(), status().end(), text) != status().end();
  }

  std::mutex mutex;
  std::vector<double> values = std::vector<double>(numParams, 0.0);
  std::map<int, std::string> names;
  std::vector<Bytes> sent;
  std::vector<long long> sentAt;
  std::map<int, std::vector<std::string>> shown;
  bool overlay = false;
  int listKind = 0;  // what the lower librarian list shows
  std::vector<std::pair<std::string, bool>> layers;
  std::map<int, bool> grayedOut;
  std::vector<int> refills;
  std::map<int, std::string> nameSlots;
  std::map<int, Range> ranges;
  std::map<std::array<int, 5>, int> controls;  // type, location, high, low, variant: parameter
  std::vector<std::string> calls;
  std::array<int, 16> partSounds[2] = {};  // banks, programs
  std::atomic<int> part{0}, id{0};
  std::atomic<int> answered{0}, inStep{0}, lossTold{0};  // the hooks' calls
  std::atomic<bool> multi{false}, withMulti{false}, midiOut{true}, globalFirst{false};
  std::atomic<bool> localControlOn{false}, received{false}, pushPending{false};
  std::atomic<bool> linkLost{false};              // the output's link to the synthesizer
  std::vector<Bytes> routed;                      // channel messages routed towards the synthesizer
  std::map<std::pair<int, int>, int> ccControls;  // channel key, CC: parameter
  std::set<std::pair<int, bool>> blockedKinds;    // kind, from the synthesizer
  const std::vector<std::string> noList;
  std::vector<std::string> tempoValues;
  std::atomic<bool> clockPointer{true}, clockInfo{true};
  std::function<void(unsigned char)> onByte;
  MIDIMessageManager* manager = nullptr;
  std::function<void(const Bytes&)> output;
  corvane_sim::Simulator* sim = nullptr;
  VirtualClock* clock = nullptr;
};

class LogLines : public TK_LogSink {
 public:
  void Write(const char*, const std::string& message) override {
    std::lock_guard<std::mutex> l(mutex);
    lines.push_back(message);
  }
  std::mutex mutex;
  std::vector<std::string> lines;
};

// The editor's dump parsers as far as a wait sees them: while routed, a whole dump counts as
// parsed; any dump ends the routing.
class FakeDispatch : public IncomingSysExDispatch {
 public:
  explicit FakeDispatch(MIDIMessageManager& manager) : mManager(manager) {}
  void dispatch(const unsigned char* data, int size) override {
    if (size < 60 || !mManager.dumpRouting) return;
    for (unsigned char type : {sysex::kSoundDump, sysex::kMultiDump, sysex::kGlobalDump})
      if (sysex::hasDumpHeader(data, size, type == sysex::kGlobalDump ? 80 : 390, type)) {
        ++parsed;
        mManager.dumpComplete = true;
      }
    mManager.dumpRouting = false;
  }
  std::atomic<int> parsed{0};

 private:
  MIDIMessageManager& mManager;
};

// A checksummed dump of either kind named `name`, addressed to `bank` and `program`.
inline Bytes namedDump(bool multi, const std::string& name, int bank, int program) {
  Bytes dump = multi ? Bytes(sysex::multiSendTemplate().begin(), sysex::multiSendTemplate().end())
                     : Bytes(sysex::soundDumpTemplate().begin(), sysex::soundDumpTemplate().end());
  dump[5] = static_cast<unsigned char>(bank);
  dump[6] = static_cast<unsigned char>(program);
  sysex::writeNameField(dump.data() + (multi ? 7 : 370), name);
  dump[dump.size() - 2] = sysex::dumpChecksum(dump.data(), static_cast<int>(dump.size()));
  return dump;
}

// What the simulator holds: sounds "b.p" and Multis "M p"; the librarian's slots: "Slot p".
inline std::string simSound(int bank, int program) {
  return std::to_string(bank) + "." + std::to_string(program);
}
inline std::string slotName(int slot) {
  return "Slot " + std::to_string(slot);
}
// A name as a slot keeps it: 16 characters.
inline std::string field(const std::string& name) {
  return name + std::string(16 - name.size(), ' ');
}

// 128 slots "Slot n", each with a dump of its kind.
inline std::unique_ptr<PatchFile> bankOf(bool multi) {
  auto bank = std::make_unique<PatchFile>();
  bank->type = multi;
  for (int slot = 0; slot < 128; ++slot)
    bank->records.push_back(
        {slotName(slot), "", {PatchSysexMessage{namedDump(multi, slotName(slot), 0, slot)}}});
  return bank;
}

// The engine on virtual time, the simulator answering, a sound bank and a Multi bank.
class Engine {
 public:
  explicit Engine(int syncTimer = 2) : clock(new VirtualClock) {
    librarian.soundFiles.push_back(bankOf(false));
    librarian.multiFiles.push_back(bankOf(true));
    for (int program = 0; program < 128; ++program) {
      for (int bank = 0; bank < 8; ++bank)
        toSim(namedDump(false, simSound(bank, program), bank, program));
      toSim(namedDump(true, "M " + std::to_string(program), 0, program));
    }
    for (int part = 0; part < 16; ++part)
      toSim(namedDump(false, "Edit " + std::to_string(part), 0x7F, part));
    toSim(namedDump(true, "M Edit", 0x7F, 0));
    sim.clearReceived();
    plugin.values[kLibSyncTimer] = syncTimer;
    manager = std::make_unique<MIDIMessageManager>(plugin, librarian, &log,
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

  // Starts the job and waits until it has ended.
  bool run(const SenderJob& job, const std::function<void()>& prepare = nullptr) {
    return manager->startJob(job, prepare) && idle();
  }
  // Waits (bounded) until the transfer lane is idle.
  bool idle() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (manager->isLaneRunning(Lane::kTransfer) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    return !manager->isLaneRunning(Lane::kTransfer);
  }
  LibrarianPatch& slot(int index, bool multi = false) {
    return (multi ? librarian.multiFiles : librarian.soundFiles)[0]->records.at(index);
  }
  void mode(bool multi) {
    plugin.multi = multi;
    librarian.type = multi;
  }
  // The editor's own parsers and parameter rules instead of the stand-in.
  void realDispatch() { manager->setIncomingDispatch(&manager->incoming()); }
  void fromDevice(const Bytes& message) {
    plugin.ProcessSysEx(message.data(), static_cast<int>(message.size()), true);
  }

  corvane_sim::Simulator sim;
  LogLines log;
  FakePlugin plugin;
  PatchLibrarian librarian;
  VirtualClock* clock;  // owned by the manager
  std::unique_ptr<MIDIMessageManager> manager;
  std::unique_ptr<FakeDispatch> dispatch;

 private:
  void toSim(const Bytes& dump) { sim.receive(dump.data(), dump.size(), {}); }
};

inline SenderJob job(int code, int part = 0, bool flag = false, int bank = 0) {
  SenderJob job;
  job.code = code;
  job.part = part;
  job.toEditor = job.editBuffer = job.toLibrarian = flag;
  job.bank = bank;
  return job;
}

}  // namespace protocol_test
