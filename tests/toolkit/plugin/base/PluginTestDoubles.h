#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "HostlessPlugin.h"
#include "toolkit/plugin/base/IPluginBase.h"

namespace plugin_test {

const int kUniqueID = 0x65736763;

// Records what the base asks of its editor; answers file prompts from a script.
class FakeGraphics : public IPluginGraphics {
 public:
  struct Push {
    double value;
    bool normalized;
  };
  struct Prompt {
    std::string proposed;
    EFileAction action;
    std::string folder;
    std::string extensions;
  };
  void SetParameterFromPlug(int, double value, bool normalized) override {
    mPushes.push_back({value, normalized});
  }
  void PrepDraw() override { mPrepared.push_back(mPushes.size()); }
  void PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                     const char* extensions) override {
    mPrompts.push_back({fileName->Get(), action, folder->Get(), extensions});
    fileName->Set(mAnswer.c_str());
    if (!mAnswer.empty()) folder->Set(mAnswer.substr(0, mAnswer.rfind('/') + 1).c_str());
  }

  // The plain values of the last n pushes, or nothing when one of them was normalised.
  std::vector<double> lastPlainValues(size_t n) const {
    std::vector<double> values;
    for (size_t i = mPushes.size() < n ? 0 : mPushes.size() - n; i < mPushes.size(); ++i) {
      if (mPushes[i].normalized) return {};
      values.push_back(mPushes[i].value);
    }
    return values;
  }

  std::vector<Push> mPushes;
  std::vector<size_t> mPrepared;  // how many pushes there were at each drawing preparation
  std::vector<Prompt> mPrompts;
  std::string mAnswer;  // empty: the user cancels
};

// A plug-in on the base with every host call recorded.
class TestPlugin : public HostlessPlugin {
 public:
  TestPlugin(int nHostParams, int nParams, const char* channelIO = "2-2", int nPresets = 0,
             bool chunks = true, int uniqueID = kUniqueID)
      : HostlessPlugin(nParams, channelIO, nPresets, "Effect", "Product", "Maker", 0x00010203,
                       uniqueID, 0x51625331, 128, true, chunks, true, kAPIVST2) {
    initialize(nHostParams, nParams, channelIO, nPresets, "Effect", "Product", "Maker", 0x00010203,
               uniqueID, 0x51625331, 128, true, chunks, true);
  }
  void Reset() override { mCalls.push_back("Reset"); }
  void OnParamChange(int idx) override { mCalls.push_back("change " + std::to_string(idx)); }
  void PresetsChangedByHost() override { mCalls.push_back("presets"); }
  void InformHostOfParamChange(int idx, double) override { mInformed.push_back(idx); }
  double GetTempo() override { return mTempo; }
  bool SendMidiMsg(IMidiMsg* msg) override {
    mSent.push_back(*msg);
    return msg->mStatus != 0;
  }

  std::vector<std::string> mCalls;
  std::vector<int> mInformed;
  std::vector<IMidiMsg> mSent;
  double mTempo = 120.0;
};

// Every parameter's value finite and inside its range: what damaged input must leave behind.
inline bool valuesInRange(IPluginBase& plug) {
  for (int i = 0; i < plug.NParams(); ++i) {
    const double v = plug.GetParam(i)->Value();
    if (!std::isfinite(v) || v < plug.GetParam(i)->GetMin() || v > plug.GetParam(i)->GetMax())
      return false;
  }
  return true;
}

}  // namespace plugin_test
