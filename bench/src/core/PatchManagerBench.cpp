#include <benchmark/benchmark.h>

#include <vector>

#include "src/core/detail/PatchManager.h"

namespace {

// The start-up state body is about 63 kB; a project save and load carry it.
constexpr int kStateBodyBytes = 63036;

void fill(PatchManager& manager) {
  ByteChunk body;
  std::vector<uint8_t> bytes(kStateBodyBytes, 0x5A);
  body.AppendBytes(bytes.data(), (int)bytes.size());
  manager.init(body);
  for (int slot = 0; slot < Patch::kNameSlots; ++slot) manager.setName(slot, "Some Sound Name");
}

void BM_SaveAllToChunk(benchmark::State& state) {
  PatchManager manager(nullptr);
  fill(manager);
  for (auto _ : state) {
    ByteChunk chunk;
    benchmark::DoNotOptimize(manager.saveAllToChunk(&chunk));
  }
}
BENCHMARK(BM_SaveAllToChunk);

void BM_LoadAllFromChunk(benchmark::State& state) {
  PatchManager source(nullptr);
  fill(source);
  ByteChunk chunk;
  source.saveAllToChunk(&chunk);
  PatchManager target(nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(target.loadAllFromChunk(&chunk, 0));
}
BENCHMARK(BM_LoadAllFromChunk);

}  // namespace
