#pragma once

#include <cstdio>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

constexpr int kWidth = 1500;
constexpr int kHeight = 757;

// Bitmaps named "WxH", with an alpha ramp so that blending does work.
class BenchGraphics : public IGraphicsMac {
 public:
  explicit BenchGraphics(IPluginBase* plug) : IGraphicsMac(plug, kWidth, kHeight) {}
  GFX_IBitmap* OSLoadBitmap(int, const char* name) override {
    int w = 0, h = 0;
    if (std::sscanf(name, "%dx%d", &w, &h) != 2) return nullptr;
    GFX_MemBitmap* bitmap = new GFX_MemBitmap(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        bitmap->getBits()[y * bitmap->getRowSpan() + x] = GFX_Pixel((x * 5) & 255, x, y, x ^ y);
    return bitmap;
  }
};
