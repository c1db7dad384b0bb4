#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "toolkit/plugin/midi/IMidiQueue.h"

namespace {

const int kMessages = 1024;

// 1,024 adds and one drain of a block, as the audio callback consumes it.
void addAndDrain(benchmark::State& state, const std::vector<int>& offsets) {
  IMidiQueue queue(1024);
  for (auto _ : state) {
    for (int offset : offsets) {
      IMidiMsg msg(offset, 0xB0, 7, 64);
      queue.Add(&msg);
    }
    int sent = 0;
    while (!queue.Empty()) {
      benchmark::DoNotOptimize(queue.Peek()->mData2);
      queue.Remove();
      ++sent;
    }
    queue.Flush(kMessages);
    benchmark::DoNotOptimize(sent);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

void BM_QueueInOrder(benchmark::State& state) {
  std::vector<int> offsets(kMessages);
  for (int i = 0; i < kMessages; ++i) offsets[i] = i;
  addAndDrain(state, offsets);
}

void BM_QueueOutOfOrder(benchmark::State& state) {
  std::vector<int> offsets(kMessages);
  std::mt19937 random(7);
  for (int& offset : offsets) offset = (int)(random() % kMessages);
  addAndDrain(state, offsets);
}

// Appending in offset order must cost the same per message at any length.
void BM_QueueAppendScaling(benchmark::State& state) {
  const int n = (int)state.range(0);
  IMidiQueue queue(n);
  for (auto _ : state) {
    queue.Clear();
    for (int i = 0; i < n; ++i) {
      IMidiMsg msg(i, 0x90, 60, 100);
      queue.Add(&msg);
    }
    benchmark::DoNotOptimize(queue.Count());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_QueueInOrder);
BENCHMARK(BM_QueueOutOfOrder);
BENCHMARK(BM_QueueAppendScaling)->Arg(1024)->Arg(16384)->Arg(131072);
