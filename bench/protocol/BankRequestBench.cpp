// A bank request of 128 sounds against the simulator in process on virtual time: the CPU the
// engine spends apart from the pauses, which take no time here.
#include <benchmark/benchmark.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

void BM_BankRequestOf128Sounds(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) {
    if (!engine.run(job(kSendAllPatchRequest, 0, false, 5)))
      state.SkipWithError("the request did not end");
    state.PauseTiming();
    if (engine.slot(127).name != field(simSound(5, 127)))
      state.SkipWithError("the bank was not filled");
    engine.sim.clearReceived();
    engine.plugin.sent.clear();
    engine.plugin.sentAt.clear();
    engine.plugin.shown.clear();
    engine.clock->pauses.clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BankRequestOf128Sounds)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
