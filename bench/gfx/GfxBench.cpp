#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/wsys/Font.h"

namespace {

constexpr int kEditorWidth = 1500, kEditorHeight = 757;

void fillPattern(GFX_IBitmap* b) {
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      b->getBits()[y * b->getRowSpan() + x] = GFX_Pixel((x * 7) & 0xff, x, y, x ^ y);
}

// The editor's background drawn into the back buffer.
void BM_CopyBlitEditor(benchmark::State& state) {
  GFX_MemBitmap src(kEditorWidth, kEditorHeight, 4);
  GFX_SysBitmap dest(kEditorWidth, kEditorHeight);
  fillPattern(&src);
  for (auto _ : state) {
    GFX_Blit(&dest, &src, 0, 0, 0, 0, kEditorWidth, kEditorHeight, 1.f, GFX_MODE_COPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)kEditorWidth * kEditorHeight * 4);
}
BENCHMARK(BM_CopyBlitEditor);

// The copy blit against memcpy of the same bytes: both move the editor
// between the same two bitmaps, every page touched first, by turns in the
// same loop, so that neither gets memory the other has not (other pages,
// other alignment, pages still to fault in, a cache the other filled).
// "ratio" is the blit's time over memcpy's.
void BM_CopyBlitOverMemcpy(benchmark::State& state) {
  GFX_MemBitmap src(kEditorWidth, kEditorHeight, 4);
  GFX_SysBitmap dest(kEditorWidth, kEditorHeight);
  fillPattern(&src);
  const size_t bytes = (size_t)src.getRowSpan() * kEditorHeight * 4;
  std::memcpy(dest.getBits(), src.getBits(), bytes);
  using Clock = std::chrono::steady_clock;
  Clock::duration blit{}, copy{};
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    GFX_Blit(&dest, &src, 0, 0, 0, 0, kEditorWidth, kEditorHeight, 1.f, GFX_MODE_COPY);
    benchmark::ClobberMemory();
    const Clock::time_point middle = Clock::now();
    std::memcpy(dest.getBits(), src.getBits(), bytes);
    benchmark::ClobberMemory();
    blit += middle - start;
    copy += Clock::now() - middle;
  }
  const double n = (double)state.iterations();
  state.counters["blit_us"] = std::chrono::duration<double, std::micro>(blit).count() / n;
  state.counters["memcpy_us"] = std::chrono::duration<double, std::micro>(copy).count() / n;
  state.counters["ratio"] = (double)blit.count() / (double)std::max<long long>(copy.count(), 1);
}
BENCHMARK(BM_CopyBlitOverMemcpy)->Unit(benchmark::kMicrosecond);

// A background scaled to the large GUI size at load time.
void BM_BilinearScaledBlitEditor(benchmark::State& state) {
  GFX_MemBitmap src(1305, 658, 4), dest(kEditorWidth, kEditorHeight, 4);
  fillPattern(&src);
  for (auto _ : state) {
    GFX_ScaledBlit(&dest, &src, 0, 0, kEditorWidth, kEditorHeight, 0, 0, 1305, 658, 1.f,
                   GFX_MODE_BILINEAR);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BilinearScaledBlitEditor)->Unit(benchmark::kMillisecond);

// One knob frame with its soft edges.
void BM_SourceAlphaBlitKnob(benchmark::State& state) {
  GFX_MemBitmap knob(48, 48 * 64, 4);
  GFX_SysBitmap dest(kEditorWidth, kEditorHeight);
  fillPattern(&knob);
  int frame = 0;
  for (auto _ : state) {
    GFX_Blit(&dest, &knob, 700, 300, 0, 48 * frame, 48, 48, 1.f, GFX_MODE_SRCALPHA);
    frame = (frame + 1) & 63;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SourceAlphaBlitKnob)->Unit(benchmark::kMicrosecond);

// A value display's text once its glyphs are cached.
void BM_CachedText16(benchmark::State& state) {
  GFX_CachedFont font;
  font.SetFromHFont(
      CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans"),
      GFX_FONT_OWNS | GFX_FONT_NATIVE);
  font.SetTextColor(GFX_Pixel(255, 240, 240, 240));
  GFX_SysBitmap dest(kEditorWidth, kEditorHeight);
  const char* text = "Cutoff Frequency";
  for (auto _ : state) {
    RECT r = {600, 200, 800, 220};
    font.DrawText(&dest, text, -1, &r, DT_CENTER | DT_VCENTER | DT_NOCLIP);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CachedText16)->Unit(benchmark::kMicrosecond);

}  // namespace
