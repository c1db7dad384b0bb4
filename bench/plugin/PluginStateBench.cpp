#include <benchmark/benchmark.h>

#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/plugin/base/IPluginBase.h"

namespace {

const int kParams = 8456;

// The base alone; the host calls are never made here.
class StatePlugin : public HostlessPlugin {
 public:
  explicit StatePlugin(int nHostParams)
      : HostlessPlugin(kParams, "2-2", 0, "Bench", "Bench", "Bench", 0x00010000, 1, 1, 0, true,
                       true, true, kAPIVST2) {
    initialize(nHostParams, kParams, "2-2", 0, "Bench", "Bench", "Bench", 0x00010000, 1, 1, 0, true,
               true, true);
    for (int i = 0; i < kParams; ++i) {
      IParam* param = GetParam(i);
      if (!param) continue;
      param->InitDouble("p", 0.0, 0.0, 127.0, 0.01);
      param->Set(i % 128);
    }
  }
};

// What the host's chunk request costs: header and every parameter's value.
void BM_SerializeState(benchmark::State& state) {
  StatePlugin plug(kParams);
  ByteChunk chunk;
  for (auto _ : state) {
    plug.InitChunkWithPluginVer(&chunk);
    benchmark::DoNotOptimize(plug.SerializeState(&chunk));
  }
  state.SetBytesProcessed(state.iterations() * chunk.Size());
}

void BM_UnserializeState(benchmark::State& state) {
  StatePlugin plug(kParams);
  ByteChunk chunk;
  plug.InitChunkWithPluginVer(&chunk);
  plug.SerializeState(&chunk);
  for (auto _ : state) {
    int pos = 0;
    plug.GetPluginVerFromChunk(&chunk, &pos);
    benchmark::DoNotOptimize(plug.UnserializeState(&chunk, pos));
  }
  state.SetBytesProcessed(state.iterations() * chunk.Size());
}

// The same values as the non-automated tail, the way the plug-in stores them.
void BM_SerializeNonAutomatedParams(benchmark::State& state) {
  StatePlugin plug(0);
  ByteChunk chunk;
  for (auto _ : state) {
    chunk.Clear();
    benchmark::DoNotOptimize(plug.SerializeNonAutomatedParams(&chunk, kParams));
  }
}

void BM_UnserializeNonAutomatedParams(benchmark::State& state) {
  StatePlugin plug(0);
  ByteChunk chunk;
  plug.SerializeNonAutomatedParams(&chunk, kParams);
  for (auto _ : state)
    benchmark::DoNotOptimize(plug.UnserializeNonAutomatedParams(&chunk, 0, kParams));
}

}  // namespace

BENCHMARK(BM_SerializeState)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnserializeState)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SerializeNonAutomatedParams)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnserializeNonAutomatedParams)->Unit(benchmark::kMicrosecond);
