// What a host meets when it makes the plug-in, each figure from a fresh process (a child that
// loads the module, see StartupChild.cpp): the first instance of the process and the memory it
// holds, the next instance and the memory each further one adds, creation plus the first editor
// frame, and the processor share of an open editor that idles for 10 s. The first argument is
// the number of 128-sound banks in the Patches folder (0, 100, 1,000). The editor figures need
// an X display: the benchmark starts an Xvfb of its own.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/support/PatchesFolder.h"
#include "tests/support/XvfbServer.h"

namespace {

using Figures = std::map<std::string, double>;

const PatchesFolder& patchesFolder(int banks) {
  static std::map<int, std::unique_ptr<PatchesFolder>> folders;
  std::unique_ptr<PatchesFolder>& folder = folders[banks];
  if (!folder) folder = std::make_unique<PatchesFolder>(banks);
  return *folder;
}

const std::string& display() {
  static XvfbServer server;
  return server.display();
}

// Runs the child over the folder of `banks` banks and reads its figures; empty when it failed.
Figures runChild(int banks, const std::string& arguments, bool withDisplay) {
  const std::string command = "KROMA_DATA_DIR='" + patchesFolder(banks).dataFolder() +
                              "' KROMA_BUNDLE_DIR='" BUILT_BUNDLE "' " +
                              (withDisplay ? "DISPLAY=" + display() + " " : "") +
                              "'" STARTUP_CHILD "' '" BUILT_BUNDLE "/KromaEditor.so' " + arguments +
                              " 2>/dev/null";  // the MIDI systems it finds missing say so
  Figures figures;
  FILE* child = popen(command.c_str(), "r");
  if (!child) return figures;
  char name[64];
  double value;
  while (std::fscanf(child, "%63s %lf", name, &value) == 2) figures[name] = value;
  if (pclose(child) != 0) figures.clear();
  return figures;
}

// One child per iteration (one iteration per repetition: the medians are the figures); the
// iteration's time is the figure `timed`, every other figure a counter.
void measure(benchmark::State& state, const std::string& arguments, const char* timed,
             bool withDisplay = false) {
  const int banks = (int)state.range(0);
  if (withDisplay && display().empty()) return state.SkipWithError("no Xvfb");
  patchesFolder(banks);
  for (auto _ : state) {
    const Figures figures = runChild(banks, arguments, withDisplay);
    if (!figures.count(timed)) return state.SkipWithError("the child failed");
    state.SetIterationTime(figures.at(timed) / 1000.0);
    for (const auto& [name, value] : figures)
      if (name != timed) state.counters[name] = value;
  }
}

void BM_FirstInstance(benchmark::State& state) {
  measure(state, "instances 3", "instance1_ms");
}

void BM_EditorFirstFrame(benchmark::State& state) {
  measure(state, "editor", "editor_ms", true);
}

void BM_IdleOpenEditor(benchmark::State& state) {
  measure(state, "idle 10", "idle_ms", true);
}

void banks(benchmark::internal::Benchmark* bench) {
  bench->ArgName("banks")->Arg(0)->Arg(100)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(
      benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_FirstInstance)->Apply(banks)->Repetitions(7);
BENCHMARK(BM_EditorFirstFrame)->Apply(banks)->Repetitions(7);
BENCHMARK(BM_IdleOpenEditor)->Apply(banks)->Repetitions(3);
