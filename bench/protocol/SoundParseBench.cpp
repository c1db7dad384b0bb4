// One sound dump from the synthesizer into a part's parameters, through the manager's SysEx
// input and the plug-in seam (a test double that keeps the values).
#include <benchmark/benchmark.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

void BM_IncomingSoundDumpIntoAPart(benchmark::State& state) {
  Engine engine;
  engine.realDispatch();
  Bytes dump = namedDump(false, "Bench Sound", 0x7F, 3);
  for (int i = 8; i < 366; ++i) dump[i] = static_cast<unsigned char>(i % 100);
  for (auto _ : state) {
    engine.manager->dumpRouting = true;
    engine.fromDevice(dump);
  }
  if (engine.plugin.values[kLFO1Speed + 3] != 168 % 100) state.SkipWithError("not parsed");
}
BENCHMARK(BM_IncomingSoundDumpIntoAPart)->Unit(benchmark::kMicrosecond);

}  // namespace
