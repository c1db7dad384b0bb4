// The editor's idle cost and a full redraw.
#include <benchmark/benchmark.h>

#include "BenchGraphics.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

class BenchPlug : public HostlessPlugin {
 public:
  BenchPlug()
      : HostlessPlugin(8, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true,
                       kAPIVST2) {
    initialize(0, 8, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true, true);
  }
};

// A knob as the editor's builders make it: one frame of a strip, with the
// source's alpha.
class BitmapKnob : public IControl {
 public:
  BitmapKnob(IPluginBase* plug, IRECT rect, const IBitmap& bitmap)
      : IControl(plug, rect, -1, IChannelBlend(IChannelBlend::kBlendNone)), mBitmap(bitmap) {}
  bool Draw(IGraphics* graphics) override {
    const int frame = 1 + (int)(mValue * (mBitmap.N - 1) + 0.5);
    return graphics->DrawBitmap(&mBitmap, &mRECT, frame, &mBlend);
  }

 private:
  IBitmap mBitmap;
};

void BM_IsDirtyNoneDirty(benchmark::State& state) {
  BenchPlug plug;
  BenchGraphics* graphics = new BenchGraphics(&plug);
  plug.AttachGraphics(graphics);
  graphics->AttachBackground(1, "1500x757");
  const IBitmap knob = graphics->LoadIBitmap(2, "40x1600", 1.0, 40);
  // 2,000 in the flat list and 5,000 in 50 layers of 100, half of them shown.
  for (int i = 0; i < 2000; ++i)
    graphics->AttachControl(new BitmapKnob(
        &plug, IRECT(i % 37 * 40, i % 18 * 40, i % 37 * 40 + 40, i % 18 * 40 + 40), knob));
  for (int l = 0; l < 50; ++l) {
    ControlLayer* layer = new ControlLayer(l, "layer");
    for (int i = 0; i < 100; ++i)
      layer->controls.Add(
          new BitmapKnob(&plug, IRECT(i * 10, l * 10, i * 10 + 40, l * 10 + 40), knob));
    graphics->AttachLayer(layer);
    layer->Hide(l % 2 == 0);
  }
  for (int pass = 0; pass < 2; ++pass) {
    IRECT all(0, 0, kWidth, kHeight);
    graphics->Draw(&all);
  }
  for (auto _ : state) {
    IRECT region;
    benchmark::DoNotOptimize(graphics->IsDirty(&region));
  }
}
BENCHMARK(BM_IsDirtyNoneDirty)->Unit(benchmark::kMicrosecond);

void BM_FullRedraw500Bitmaps(benchmark::State& state) {
  BenchPlug plug;
  BenchGraphics* graphics = new BenchGraphics(&plug);
  plug.AttachGraphics(graphics);
  graphics->AttachBackground(3, "1500x757");
  const IBitmap knob = graphics->LoadIBitmap(4, "48x4800", 1.0, 100);
  for (int i = 0; i < 500; ++i) {
    const int x = i % 30 * 50;
    const int y = i / 30 * 45;
    BitmapKnob* control = new BitmapKnob(&plug, IRECT(x, y, x + 48, y + 48), knob);
    graphics->AttachControl(control);
    control->SetValueFromPlug((i % 100) / 99.0);
  }
  IRECT all(0, 0, kWidth, kHeight);
  for (auto _ : state) {
    graphics->SetAllControlsDirty();
    graphics->Draw(&all);
  }
}
BENCHMARK(BM_FullRedraw500Bitmaps)->Unit(benchmark::kMillisecond);

}  // namespace
