// The dump codecs on the paths users wait on: a Multi with its sixteen part sounds built for
// sending, and the same taken back into the editor.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/protocol/GlobalDump.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"

namespace {

class Parameters : public ParameterAccess {
 public:
  Parameters() {
    for (int i = 0; i < numParams; ++i) mValues[i] = i % 8;
  }
  double getValue(int index) const override { return mValues[index]; }
  void setParameterFromPlug(int index, double value) override { mValues[index] = value; }
  std::string getDisplayText(int) const override { return "Bench Sound"; }
  void setDisplayText(int, const std::string&) override {}

 private:
  std::vector<double> mValues = std::vector<double>(numParams);
};

void BM_BuildSixteenSoundDumps(benchmark::State& state) {
  Parameters params;
  for (auto _ : state)
    for (int part = 0; part < 16; ++part)
      benchmark::DoNotOptimize(sound_dump::buildSoundDump(params, part, 0x7F, part));
}
BENCHMARK(BM_BuildSixteenSoundDumps);

void BM_ApplySixteenSoundDumps(benchmark::State& state) {
  Parameters params;
  const sysex::SoundDumpBytes dump = sound_dump::buildSoundDump(params, 0, 0x7F, 0);
  for (auto _ : state)
    for (int part = 0; part < 16; ++part)
      sound_dump::applySoundData(dump.data(), static_cast<int>(dump.size()), part, params);
}
BENCHMARK(BM_ApplySixteenSoundDumps);

void BM_MultiDumpRoundTrip(benchmark::State& state) {
  Parameters params;
  multi_dump::PartSounds sounds;
  multi_dump::ParsedMulti parsed;
  for (auto _ : state) {
    const sysex::MultiDumpBytes dump = multi_dump::buildMultiDump(params, sounds);
    benchmark::DoNotOptimize(multi_dump::parseMultiDump(dump.data(), 425, params, parsed));
  }
}
BENCHMARK(BM_MultiDumpRoundTrip);

void BM_GlobalDumpRoundTrip(benchmark::State& state) {
  Parameters params;
  bool localControl = false;
  for (auto _ : state) {
    const sysex::GlobalDumpBytes dump = global_dump::buildGlobalDump(params, 0);
    benchmark::DoNotOptimize(global_dump::parseGlobalDump(dump.data(), 80, params, localControl));
  }
}
BENCHMARK(BM_GlobalDumpRoundTrip);

}  // namespace
