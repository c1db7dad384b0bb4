#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/view/headless/HeadlessView.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace editor_test {

// A plug-in base whose parameter 0 is a double 0..1 and that records what reaches it: "change i",
// "echo i", "begin i", "end i" and "automate i".
class RecordingPlug : public HostlessPlugin {
 public:
  RecordingPlug(int nHostParams, int nParams)
      : HostlessPlugin(nParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010203, 1, 2, 0, true,
                       true, true, kAPIVST2) {
    initialize(nHostParams, nParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010203, 1, 2, 0,
               true, true, true);
    // The others keep no kind, so that a test can give them one (a kind once
    // set stays).
    GetParam(0)->InitDouble("Param", 0.0, 0.0, 1.0, 0.001);
  }

  void OnParamChange(int idx) override { record("change " + std::to_string(idx)); }
  void OnParamChange2(int idx) override { record("echo " + std::to_string(idx)); }
  void BeginInformHostOfParamChange(int idx) override { record("begin " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double) override {
    record("automate " + std::to_string(idx));
  }
  void EndInformHostOfParamChange(int idx) override { record("end " + std::to_string(idx)); }

  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    return mCalls;
  }
  void clearCalls() {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    mCalls.clear();
  }

 private:
  void record(std::string call) {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    mCalls.push_back(std::move(call));
  }
  std::mutex mCallsMutex;
  std::vector<std::string> mCalls;
};

// A control that fills its rectangle with its colour and logs its events as
// "<name> down", "<name> drag dX dY" and so on.
class Probe : public IControl {
 public:
  Probe(IPluginBase* plug, IRECT rect, int paramIdx, const char* name,
        std::vector<std::string>* log, IColor color = COLOR_RED)
      : IControl(plug, rect, paramIdx), mName(name), mLog(log), mColor(color) {}

  bool Draw(IGraphics* graphics) override {
    ++mDraws;
    return graphics->FillIRect(&mColor, &mRECT, &mBlend);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    log("down");
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int, int, IMouseMod*) override { log("up"); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override {
    log("drag " + std::to_string(dX) + " " + std::to_string(dY));
    mValue = mValue + dX * 0.01;
    SetDirty(true);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override {
    log("dblclick");
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override {
    log("wheel " + std::to_string(d));
    IControl::OnMouseWheel(x, y, mod, d);
  }
  void OnMouseOver(int, int, IMouseMod*) override { log("over"); }
  void OnMouseOut() override { log("out"); }
  bool OnKeyDown(int, int, int key) override {
    log("key " + std::to_string(key));
    return true;
  }

  std::atomic<int> mDraws{0};

 private:
  void log(const std::string& what) {
    if (mLog) mLog->push_back(mName + " " + what);
  }
  std::string mName;
  std::vector<std::string>* mLog;
  IColor mColor;
};

// Bitmaps whose pixel (x, y) is GFX_Pixel(255, x, y, 0) and whose name
// "WxH" gives the size; counts the loads.
class TestGraphics : public IGraphicsMac {
 public:
  TestGraphics(IPluginBase* plug, int w, int h) : IGraphicsMac(plug, w, h) {}
  GFX_IBitmap* OSLoadBitmap(int, const char* name) override {
    ++mLoads;
    int w = 0, h = 0;
    if (std::sscanf(name, "%dx%d", &w, &h) != 2) return nullptr;
    GFX_MemBitmap* bitmap = new GFX_MemBitmap(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        bitmap->getBits()[y * bitmap->getRowSpan() + x] = GFX_Pixel(255, x, y, 0);
    return bitmap;
  }
  int mLoads = 0;
};

// Opens the editor as a host that announced views does, and returns the kit's view.
inline VIEW_HeadlessView* OpenCocoaView(IGraphicsMac* graphics) {
  graphics->OpenWindow(nullptr);
  return VIEW_HeadlessView::of(graphics->KitView());
}

// Opens the editor in a window, as every other host does.
inline VIEW_HeadlessView* OpenCarbonView(IGraphicsMac* graphics) {
  graphics->OpenWindow(nullptr, nullptr, 0, 0);
  return VIEW_HeadlessView::of(graphics->KitView());
}

}  // namespace editor_test
