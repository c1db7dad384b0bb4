#pragma once

#include "toolkit/plugin/base/IPluginBase.h"

// A plug-in base that no host drives: the host calls do nothing, the hardware
// send fails and the host's clock stands at 120 beats a minute in 4/4. Test
// doubles and benchmarks derive from it and override only what they watch.
class HostlessPlugin : public IPluginBase {
 public:
  using IPluginBase::IPluginBase;

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* num, int* den) override { *num = *den = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiVST(IMidiMsg*) override { return false; }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};
