#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/vst2/aeffect.h"
#include "platform/vst2/timeinfo.h"

// The host side of the conversation: answers every host opcode a plug-in may
// send and prints each call, so that a reader (or a test) sees what happened.
// One host serves every instance in the process; the callback carries no user
// data, so instances are told apart by their effect record.
class HostCallback {
 public:
  static HostCallback& instance();
  static VstIntPtr callback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                            void* ptr, float opt);

  // Prints one line of the session, whole, even when threads print at once.
  void print(const std::string& line);
  // The calling thread's calls from the plug-in go unprinted while set: the host's own idle
  // and audio loop would drown the session in them.
  static void setThreadQuiet(bool quiet);

  void registerEffect(AEffect* effect, int number);
  void unregisterEffect(AEffect* effect);

  // The calling thread becomes the host's main thread, the one that runs the script.
  void markMainThread() { mMainThread = std::this_thread::get_id(); }
  // The calls an instance made, by opcode: how many, and how many of them from another thread
  // than the host's main one.
  struct Calls {
    int count = 0;
    int otherThreads = 0;
  };
  // The calls of `effect` since the last take (or since it was registered), forgotten then.
  std::map<int32_t, Calls> takeCalls(AEffect* effect);

  void setProduct(const std::string& product) { mProduct = product; }
  void setVendorVersion(int version) { mVendorVersion = version; }
  void setProcessLevel(int level) { mProcessLevel = level; }

  // The transport; with the time record off audioMasterGetTime answers 0.
  VstTimeInfo& time() { return mTime; }
  void setTimeEnabled(bool enabled) { mTimeEnabled = enabled; }
  // Moves the transport on by one processed block.
  void advance(int frames);

 private:
  HostCallback();
  VstIntPtr answer(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                   float opt);
  std::string label(AEffect* effect);
  void printEvents(const std::string& who, const void* ptr);

  std::mutex mPrintMutex;
  std::mutex mEffectsMutex;
  std::map<AEffect*, int> mEffects;
  std::map<AEffect*, std::map<int32_t, Calls>> mCalls;
  std::atomic<std::thread::id> mMainThread{std::this_thread::get_id()};
  std::string mProduct = "kroma-host";
  int mVendorVersion = 10000;
  int mProcessLevel = 1;
  bool mTimeEnabled = false;
  VstTimeInfo mTime{};
};

// The name of a host opcode, or its number when unknown.
std::string hostOpcodeName(int32_t opcode);
