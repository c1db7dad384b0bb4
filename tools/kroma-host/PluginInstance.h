#pragma once

#include <string>
#include <vector>

#include "platform/vst2/aeffect.h"

// The loaded plug-in library: dlopen once, find the entry.
class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return mEntry != nullptr; }
  const std::string& error() const { return mError; }
  // Calls the entry with the host's callback; null when the plug-in refused.
  AEffect* create() const;

 private:
  using Entry = AEffect* (*)(audioMasterCallback);
  void* mHandle = nullptr;
  Entry mEntry = nullptr;
  std::string mError;
};

enum class ProcessKind { kAccumulating, kReplacing, kDouble };

// One plug-in instance as the host sees it: its record and the dispatcher.
class PluginInstance {
 public:
  PluginInstance(AEffect* effect, int number);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  AEffect* effect() const { return mEffect; }
  // Calls the dispatcher; the caller prints the result.
  VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f);
  // Sends effClose; the instance is gone afterwards.
  void close();

  // One block through the chosen call: inputs hold 0.25 × (channel + 1),
  // outputs start at 1.0. Returns the first and last value of each output.
  std::vector<std::pair<double, double>> process(ProcessKind kind, int frames);

 private:
  template <class T>
  std::vector<std::pair<double, double>> runBlock(ProcessKind kind, int frames);

  AEffect* mEffect;
};
