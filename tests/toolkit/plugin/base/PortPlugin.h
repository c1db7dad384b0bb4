#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "HostlessPlugin.h"
#include "tests/toolkit/plugin/midi/MidiTestSupport.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

namespace midi_test {

// A plug-in on the base whose hardware sends go to the ports and whose MIDI
// handlers record what the device sent.
class PortPlugin : public HostlessPlugin {
 public:
  PortPlugin()
      : HostlessPlugin(1, "2-2", 0, "Effect", "Product", "Maker", 0x00010203, 0x65736763,
                       0x51625331, 128, true, true, true, kAPIVST2) {
    initialize(1, 1, "2-2", 0, "Effect", "Product", "Maker", 0x00010203, 0x65736763, 0x51625331,
               128, true, true, true);
    auto log = std::make_unique<LogCapture>();
    mLog = log.get();
    SetLog(std::move(log));
  }
  // As the plug-in class does: the input stops before the handlers' data goes.
  ~PortPlugin() override {
    int off = 0;
    setExternalMIDIIn(off, nullptr);
  }

  // Whether the open port of a direction lost its link.
  bool linkLost(bool input) { return input ? mMidiIn->linkLost() : mMidiOut.load()->linkLost(); }
  // Opens the output by the MIDI system's number, which may name no port.
  bool openOutputAt(unsigned port) { return mMidiOut.load()->open(port); }

  struct Short {
    IMidiMsg msg;
    bool fromDevice;
  };

  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override {
    if (mTakeLock) GetMutex().Enter();  // as a value from the hardware does
    {
      std::lock_guard<std::mutex> lock(mRecordMutex);
      mShort.push_back({*msg, fromDevice});
    }
    if (mTakeLock) GetMutex().Leave();
  }
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override {
    std::lock_guard<std::mutex> lock(mRecordMutex);
    mSysEx.emplace_back(sysex->mData, sysex->mData + sysex->mSize);
    mSysExFromDevice = fromDevice && sysex->mOffset == 0;
  }

  // What the plug-in's own log received.
  const LogCapture& log() const { return *mLog; }

  void clear() {
    std::lock_guard<std::mutex> lock(mRecordMutex);
    mShort.clear();
    mSysEx.clear();
  }
  // The short messages as bytes, three per message.
  std::vector<Bytes> shortBytes() const {
    std::vector<Bytes> bytes;
    for (const Short& s : shortMessages())
      bytes.push_back({s.msg.mStatus, s.msg.mData1, s.msg.mData2});
    return bytes;
  }
  std::vector<Short> shortMessages() const { return locked(mShort); }
  std::vector<Bytes> sysExMessages() const { return locked(mSysEx); }
  size_t count() const { return locked(mShort).size() + locked(mSysEx).size(); }
  bool sysExFromDevice() const { return locked(mSysExFromDevice); }
  bool SendMidiMsg(IMidiMsg* msg) override { return sendMidiMsgToDevice(msg); }
  bool SendMidiSysex(unsigned char* data, int size) override {
    return sendMidiSysexToDevice(data, size);
  }
  bool SendPatchSysex(unsigned char* data, int size) override {
    return sendBytesToDevice(data, size);
  }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    return sendBytesToDevice(bytes.data(), (int)bytes.size());
  }

  bool mTakeLock = false;  // set before the input opens

 private:
  template <class T>
  T locked(const T& field) const {
    std::lock_guard<std::mutex> lock(mRecordMutex);
    return field;
  }
  LogCapture* mLog = nullptr;  // owned by the base
  mutable std::mutex mRecordMutex;
  std::vector<Short> mShort;
  std::vector<Bytes> mSysEx;
  bool mSysExFromDevice = false;
};

}  // namespace midi_test
