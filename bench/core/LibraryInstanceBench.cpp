// The first instance a host makes, in a fresh process each repetition, over a Patches folder of 0,
// 100 and 1,000 banks of 128 sounds: its making time and the resident memory it adds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "bench/librarian/LibraryFolder.h"
#include "src/core/Kroma.h"
#include "src/core/KromaProbe.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

const char* const kChildVariable = "KROMA_BENCH_INSTANCE_CHILD";
const char* const kFiguresTag = "INSTANCE_FIGURES";

long residentKB() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The child's only benchmark: one instance over the data folder the variable names, kept alive.
void ChildInstance(benchmark::State& state) {
  setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
  setenv("KROMA_DATA_DIR", std::getenv(kChildVariable), 1);
  static MidiBackendMemory midi;
  MidiBackend::setCurrent(&midi);
  for (auto _ : state) {
    const long before = residentKB();
    const auto start = std::chrono::steady_clock::now();
    Kroma* kept = new Kroma(IPluginInstanceInfo());
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%s %f %ld %zu\n", kFiguresTag, ms, residentKB() - before,
                 KromaProbe(kept).parts.mPatchLibrarian->soundFiles.size());
  }
}

struct ChildRegistration {
  ChildRegistration() {
    if (std::getenv(kChildVariable))
      benchmark::RegisterBenchmark("ChildInstance", ChildInstance)->Iterations(1);
  }
} gChildRegistration;

const bench_library::LibraryFolder& folderOf(int banks) {
  static std::map<int, std::unique_ptr<bench_library::LibraryFolder>> folders;
  std::unique_ptr<bench_library::LibraryFolder>& folder = folders[banks];
  if (!folder) folder = std::make_unique<bench_library::LibraryFolder>(banks);
  return *folder;
}

// Runs this program again making one instance; false when it gave no figures.
bool instanceInChild(const std::string& data, double* ms, long* kb, size_t* banks) {
  char self[4096] = {};
  if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return false;
  setenv(kChildVariable, data.c_str(), 1);
  const std::string command =
      "exec '" + std::string(self) + "' --benchmark_filter='^ChildInstance' 2>&1 >/dev/null";
  FILE* child = ::popen(command.c_str(), "r");
  unsetenv(kChildVariable);
  if (!child) return false;
  char line[512];
  bool found = false;
  const size_t tag = std::strlen(kFiguresTag);
  while (std::fgets(line, sizeof line, child))
    if (std::strncmp(line, kFiguresTag, tag) == 0)
      found = std::sscanf(line + tag, "%lf %ld %zu", ms, kb, banks) == 3;
  return ::pclose(child) == 0 && found;
}

void BM_FirstInstanceOverLibrary(benchmark::State& state) {
  const int banks = (int)state.range(0);
  const std::string& data = folderOf(banks).root();
  double residentMB = 0;
  for (auto _ : state) {
    double ms = 0;
    long kb = 0;
    size_t loaded = 0;
    if (!instanceInChild(data, &ms, &kb, &loaded) || loaded != (size_t)banks) {
      state.SkipWithError("the child made no instance over the folder");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
    residentMB = kb / 1024.0;
  }
  state.counters["resident_MB"] = residentMB;
}
BENCHMARK(BM_FirstInstanceOverLibrary)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
