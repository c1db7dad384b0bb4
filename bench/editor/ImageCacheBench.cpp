// Loading the editor's pictures for one style, as the plug-in does when it builds its editor.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "src/editor/ImageCache.h"
#include "src/editor/ImageTable.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

class BenchPlug : public HostlessPlugin {
 public:
  BenchPlug()
      : HostlessPlugin(1, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true,
                       kAPIVST2) {
    initialize(0, 1, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true);
  }
};

class SilentLog : public TK_LogSink {
 public:
  bool IsOn() const override { return false; }
  void Write(const char*, const std::string&) override {}
};

// Empties the process-wide cache of the style's pictures at the scale, so that every run
// decodes (and scales) them all again.
void releaseAll(IGraphics& graphics, int style, double scale) {
  for (ImageRows rows : {commonImageRows(), styleImageRows(style)})
    for (const ImageRow& row : rows) {
      IBitmap bitmap = graphics.getImageById(row.id, scale);
      graphics.ReleaseBitmap(&bitmap);
    }
}

void BM_InitImages(benchmark::State& state) {
  setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
  const int style = (int)state.range(0);
  const double scale = state.range(1) == 85 ? 0.85 : state.range(1) == 115 ? 1.15 : 1.0;
  BenchPlug plug;
  IGraphicsMac graphics(&plug, 1500, 757);
  graphics.SetBundleID(kBundleID);  // as the plug-in does: lookups go to this bundle
  SilentLog log;
  ImageCache cache;
  cache.setLog(&log);
  cache.setStyle(style);
  cache.setScale(scale);
  for (auto _ : state) {
    state.PauseTiming();
    cache.ClearImageCache(false);
    releaseAll(graphics, style, scale);
    state.ResumeTiming();
    cache.initImages(&graphics);
  }
  if (cache.images().size() != 105) state.SkipWithError("pictures are missing");
}
BENCHMARK(BM_InitImages)
    ->ArgNames({"style", "scale%"})
    ->Args({0, 100})
    ->Args({0, 115})
    ->Args({0, 85})
    ->Args({1, 100})
    ->Args({1, 115})
    ->Args({1, 85})
    ->Unit(benchmark::kMillisecond);

}  // namespace
