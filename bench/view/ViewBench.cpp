#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/X11Surface.h"
#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

constexpr int kEditorWidth = 1500, kEditorHeight = 757;

// A connection for the length of one benchmark, or a skip without a server.
struct Connection {
  explicit Connection(benchmark::State& state) : display(X11Display::acquire()) {
    if (!display) state.SkipWithError("no X server (DISPLAY)");
  }
  ~Connection() {
    if (display) display->release();
  }
  X11Display* display;
};

// The whole back buffer to the server, the way a full redraw sends it:
// through shared memory (argument 1) or inside the request (0).
void BM_BackBufferToServer(benchmark::State& state) {
  Connection connection(state);
  if (!connection.display) return;
  const bool shm = state.range(0) != 0;
  const bool had = connection.display->hasShm();
  if (!shm) connection.display->setShm(false);
  X11Surface surface(connection.display, 0, 0, 0, kEditorWidth, kEditorHeight, 0, false);
  GFX_SysBitmap buffer(kEditorWidth, kEditorHeight);
  XMapWindow(connection.display->display(), surface.window());
  for (auto _ : state) {
    surface.put(buffer.getBits(), buffer.getRowSpan(), 0, 0, kEditorWidth, kEditorHeight);
    XSync(connection.display->display(), False);
  }
  connection.display->setShm(had);
  state.counters["shm"] = surface.usesShm();
  state.SetBytesProcessed(state.iterations() * (int64_t)kEditorWidth * kEditorHeight * 4);
}
BENCHMARK(BM_BackBufferToServer)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The copy blit of the same picture, to set beside it.
void BM_BackBufferCopyBlit(benchmark::State& state) {
  GFX_MemBitmap src(kEditorWidth, kEditorHeight, 4);
  GFX_SysBitmap dest(kEditorWidth, kEditorHeight);
  for (auto _ : state) {
    GFX_Blit(&dest, &src, 0, 0, 0, 0, kEditorWidth, kEditorHeight, 1.f, GFX_MODE_COPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BackBufferCopyBlit)->Unit(benchmark::kMillisecond);

class IdleControl : public IControl {
 public:
  IdleControl(IPluginBase* plug, IRECT rect) : IControl(plug, rect, -1) {}
  bool Draw(IGraphics* graphics) override { return graphics->FillIRect(&COLOR_GRAY, &mRECT); }
};

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return (double)now.tv_sec + now.tv_nsec * 1e-9;
}

// An open editor of 2000 controls with nothing to redraw, pumped as a host's
// idle calls pump it (every 10 ms) for a second: "cpu_percent" is the share
// of one core it takes at 25 frames a second. Argument 0 runs the host's
// idle loop alone, without the editor, as the yardstick.
void BM_IdleOpenEditor(benchmark::State& state) {
  Connection connection(state);
  if (!connection.display) return;
  HostlessPlugin plug(1, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true,
                      kAPIVST2);
  plug.initialize(0, 1, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true);
  IGraphicsMac* graphics = MakeGraphics(&plug, kEditorWidth, kEditorHeight);
  plug.AttachGraphics(graphics);
  graphics->AttachPanelBackground(&COLOR_BLACK);
  for (int i = 0; i < 2000; ++i) {
    const int x = (i % 50) * 30, y = (i / 50) * 18;
    graphics->AttachControl(new IdleControl(&plug, IRECT(x, y, x + 28, y + 16)));
  }
  graphics->OpenWindow(nullptr, nullptr, 0, 0);
  const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < settle) graphics->PumpEvents();  // first frame out
  double busy = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < end) {
      if (state.range(0)) graphics->PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    busy += CpuSeconds() - start;
  }
  state.counters["cpu_percent"] = 100.0 * busy / (double)state.iterations();
  graphics->CloseWindow();
}
BENCHMARK(BM_IdleOpenEditor)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
