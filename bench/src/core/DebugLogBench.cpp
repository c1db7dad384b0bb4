#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "src/core/detail/DebuggerOutput.h"

namespace {

// A switched-on log opens, appends and closes for every line, also on the
// audio thread; this is what one line costs.
void BM_PrintDebugInfo(benchmark::State& state) {
  char path[] = "/tmp/kroma-log-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  const std::string message = std::string(DebuggerOutput::kProcessorTag) + "transport started";
  for (auto _ : state) DebuggerOutput::printDebugInfo(path, message);
  std::remove(path);
}
BENCHMARK(BM_PrintDebugInfo);

}  // namespace
