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

// A hostless plug-in with a stand-in identity (two inputs, two outputs, VST 2), for tests that need
// a plug-in to hang an editor or a cache on.
class StandInPlugin : public HostlessPlugin {
 public:
  explicit StandInPlugin(int version = 0x10000)
      : HostlessPlugin(1, "2-2", 0, "Effect", "Product", "Maker", version, 1, 2, 0, true, true,
                       true, kAPIVST2) {
    initialize(0, 1, "2-2", 0, "Effect", "Product", "Maker", version, 1, 2, 0, true, true, true);
  }
};
