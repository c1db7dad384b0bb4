#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/editor/DisplayHost.h"
#include "toolkit/log.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ITextControl.h"

// The plug-in as the value display sees it: every parameter unbounded at 0, both display controls
// built, start-up complete, program changes filtered, no samples file. Tests change what they need.
template <class Host = DisplayHost>
class FakeHostOf : public Host {
 public:
  struct Log : TK_LogSink {
    std::vector<std::string> lines;
    void Write(const char* tag, const std::string& message) override {
      lines.push_back(tag + message);
    }
  };

  const IParam* displayParam(int paramIdx) const override {
    return paramIdx >= 0 && paramIdx < numParams ? &params[paramIdx] : nullptr;
  }
  ITextControl* displayNameControl() const override { return nameLine.get(); }
  ITextControl* displayValueControl() const override { return valueDisplay.get(); }
  bool startupComplete() const override { return started; }
  bool programChangeSwitchState() const override { return programChangeSwitch; }
  int currentPart() const override { return part; }
  const std::vector<std::string>& valueList(const std::string& name) const override {
    static const std::vector<std::string> none;
    const auto it = lists.find(name);
    return it == lists.end() ? none : it->second;
  }
  const std::vector<std::string>& sampleNames() const override { return samples; }
  bool samplesFileRead() const override { return samplesRead; }
  TK_LogSink* debugLog() const override { return &log; }

  // A list whose entry n reads "<name>:<n>".
  void addList(const std::string& name, int count) {
    std::vector<std::string>& texts = lists[name];
    texts.clear();
    for (int n = 0; n < count; ++n) texts.push_back(name + ":" + std::to_string(n));
  }
  static std::string textOf(const ITextControl* control) {
    TK_String text;
    control->GetTextForPlug(&text);
    return text.Get();
  }

  std::unique_ptr<IParam[]> params{new IParam[numParams]};
  std::unique_ptr<ITextControl> nameLine{new ITextControl(nullptr, IRECT(), nullptr)};
  std::unique_ptr<ITextControl> valueDisplay{new ITextControl(nullptr, IRECT(), nullptr)};
  bool started = true;
  bool programChangeSwitch = true;
  int part = 0;
  std::map<std::string, std::vector<std::string>> lists;
  std::vector<std::string> samples;
  bool samplesRead = false;
  mutable Log log;
};

using FakeDisplayHost = FakeHostOf<>;
