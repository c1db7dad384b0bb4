// One update of the central display: rule lookup by index, the rule, and the text into the value
// display. Values alternate so that every update changes the text.
#include <benchmark/benchmark.h>

#include "src/editor/ControlDisplay.h"
#include "tests/src/editor/FakeDisplayHost.h"

namespace {

void update(benchmark::State& state, FakeDisplayHost& host, int paramIdx, double a, double b,
            bool playing = false) {
  ControlDisplay display;
  bool flip = false;
  for (auto _ : state) {
    const double value = (flip = !flip) ? a : b;
    host.params[paramIdx].Set(value);
    display.controlDisplay(&host, paramIdx, value, playing);
  }
  benchmark::DoNotOptimize(FakeDisplayHost::textOf(host.valueDisplay.get()));
}

void BM_ValueListWord(benchmark::State& state) {
  FakeDisplayHost host;
  host.addList("modulationDestinations", 128);
  update(state, host, kModulation16Destination + 15, 100, 101);
}
BENCHMARK(BM_ValueListWord);

void BM_ComputedText(benchmark::State& state) {
  FakeDisplayHost host;
  update(state, host, kMultiPartPanning + 7, 30, 100);
}
BENCHMARK(BM_ComputedText);

void BM_BareNumber(benchmark::State& state) {
  FakeDisplayHost host;
  update(state, host, kFilter1Cutoff, 63, 64);
}
BENCHMARK(BM_BareNumber);

void BM_WhileTheHostPlays(benchmark::State& state) {
  FakeDisplayHost host;
  host.part = 11;
  host.params[kFilter2Cutoff + 11].InitDouble("[12] Filter 2 Cutoff", 0, 0, 127, 1);
  update(state, host, kFilter2Cutoff + 11, 63, 64, true);
}
BENCHMARK(BM_WhileTheHostPlays);

}  // namespace
