// The library as every instance meets it at start-up: the scan and load of a Patches folder of 0,
// 100 and 1,000 banks of 128 sounds, in a fresh process (as a host's first instance) and again in
// a warm one, and the resident memory the loaded library holds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "bench/support/PatchesFolder.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/log.h"

namespace {

const char* const kChildVariable = "KROMA_BENCH_SCAN_CHILD";

// The plug-in's debug log while its file does not exist: nothing is written.
struct OffLog : TK_LogSink {
  bool IsOn() const override { return false; }
  void Write(const char*, const std::string&) override {}
} gOffLog;

long residentKB() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A fresh process (this program run again) scans the folder named by the variable and prints
// the scan's milliseconds and the resident kilobytes it added; the library stays loaded.
struct ScanChild {
  ScanChild() {
    const char* patches = std::getenv(kChildVariable);
    if (!patches) return;
    const long before = residentKB();
    const auto start = std::chrono::steady_clock::now();
    PatchLibrarian* librarian = new PatchLibrarian;
    librarian->setLog(&gOffLog);
    librarian->loadPatchesFromFilesystem(patches);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%f %ld %zu\n", ms, residentKB() - before, librarian->soundFiles.size());
    std::fflush(stdout);
    std::_Exit(0);
  }
} gScanChild;

const PatchesFolder& folderOf(int banks) {
  static std::map<int, std::unique_ptr<PatchesFolder>> folders;
  std::unique_ptr<PatchesFolder>& folder = folders[banks];
  if (!folder) folder = std::make_unique<PatchesFolder>(banks);
  return *folder;
}

struct ChildFigures {
  double ms = 0;
  long residentKB = 0;
  size_t banks = 0;
};

bool scanInChild(const std::string& patches, ChildFigures* figures) {
  char self[4096] = {};
  if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return false;
  ::setenv(kChildVariable, patches.c_str(), 1);
  FILE* child = ::popen(("exec '" + std::string(self) + "'").c_str(), "r");
  ::unsetenv(kChildVariable);
  if (!child) return false;
  const int read =
      std::fscanf(child, "%lf %ld %zu", &figures->ms, &figures->residentKB, &figures->banks);
  return ::pclose(child) == 0 && read == 3;
}

// Time is the child's own scan; the resident figures are the library's, per instance.
void BM_FirstScanFreshProcess(benchmark::State& state) {
  const int banks = (int)state.range(0);
  const std::string patches = folderOf(banks).patches();
  double residentMB = 0;
  for (auto _ : state) {
    ChildFigures figures;
    if (!scanInChild(patches, &figures) || figures.banks != (size_t)banks) {
      state.SkipWithError("the child did not load the folder");
      return;
    }
    state.SetIterationTime(figures.ms / 1000.0);
    residentMB = figures.residentKB / 1024.0;
  }
  state.counters["resident_MB"] = residentMB;
  state.counters["bank_file_MB"] = banks * 128.0 * DumpLayout::kSoundSize / (1024.0 * 1024.0);
}
BENCHMARK(BM_FirstScanFreshProcess)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The next instance in a process that has loaded (and freed) a library before.
void BM_ScanWarmProcess(benchmark::State& state) {
  const int banks = (int)state.range(0);
  const std::string patches = folderOf(banks).patches();
  for (auto _ : state) {
    std::unique_ptr<PatchLibrarian> librarian(new PatchLibrarian);
    librarian->setLog(&gOffLog);
    librarian->loadPatchesFromFilesystem(patches);
    if (librarian->soundFiles.size() != (size_t)banks) state.SkipWithError("banks missing");
    state.PauseTiming();
    librarian.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ScanWarmProcess)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
