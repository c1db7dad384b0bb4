#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "toolkit/plugin/editor/IStockControls.h"

// A plug-in and a graphics object without a window: controls are drawn into the back buffer
// and the prompts, links and file panels they ask for are recorded.
namespace controls_test {

// Parameters of the test plug-in.
enum {
  kDouble = 0,  // 0..1
  kInt,         // 0..127, label "Hz"
  kEnum,        // three display texts
  kNParams
};

// Frame k of a test strip is filled with red = k, green = kFrameGreen.
const int kFrameGreen = 100;

inline int red(unsigned int p) {
  return (p >> 8) & 0xff;
}
inline int green(unsigned int p) {
  return (p >> 16) & 0xff;
}

class TestGraphics : public IGraphicsMac {
 public:
  TestGraphics(IPluginBase* plug, int w, int h) : IGraphicsMac(plug, w, h) {}

  IPopupMenu* CreateIPopupMenu(IPopupMenu*, IRECT*) override {
    ++mMenus;
    return nullptr;
  }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char* text, IParam*) override {
    mEntries.push_back(text);
  }
  bool OpenURL(const char* url, const char*, const char*, const char*) override {
    mURLs.push_back(url);
    return !mFailingURLs.count(url);
  }
  void PromptForFile(TK_String* file, EFileAction action, TK_String* folder,
                     const char* extensions) override {
    mFilePrompts.push_back({action, folder->Get(), extensions});
    file->Set(mFileAnswer.c_str());
  }

  // Draws every visible control over the whole editor.
  void Render() {
    IRECT all(0, 0, Width(), Height());
    Draw(&all);
  }
  unsigned int Pixel(int x, int y) { return GFX_GetPixel(GetBackBuffer(), x, y); }
  // The frame of a test strip drawn at the point, or 0 when none is.
  int FrameAt(int x, int y) {
    const unsigned int p = Pixel(x, y);
    return green(p) == kFrameGreen ? red(p) : 0;
  }

  struct FilePrompt {
    EFileAction action;
    std::string folder, extensions;
  };
  int mMenus = 0;
  std::vector<std::string> mEntries;
  std::vector<std::string> mURLs;
  std::set<std::string> mFailingURLs;
  std::vector<FilePrompt> mFilePrompts;
  std::string mFileAnswer;
};

class TestPlugin : public HostlessPlugin {
 public:
  struct Report {
    int idx;
    double value;
  };

  TestPlugin(int w, int h)
      : HostlessPlugin(kNParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 0x54455354,
                       0x4d414b52, 0, false, false, true, kAPIVST2) {
    initialize(kNParams, kNParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 0x54455354,
               0x4d414b52, 0, false, false, true);
    GetParam(kDouble)->InitDouble("Level", 0.0, 0.0, 1.0, 0.01);
    GetParam(kInt)->InitInt("Rate", 64, 0, 127, "Hz");
    GetParam(kEnum)->InitEnum("Wave", 1, 3);
    GetParam(kEnum)->SetDisplayText(0, "Saw");
    GetParam(kEnum)->SetDisplayText(1, "Sine");
    GetParam(kEnum)->SetDisplayText(2, "Square");
    mGraphics = new TestGraphics(this, w, h);
    AttachGraphics(mGraphics);
    IColor black(255, 0, 0, 0);
    mGraphics->AttachPanelBackground(&black);
  }

  void SetParameterFromGUI(int idx, double value) override {
    mReports.push_back({idx, value});
    IPluginBase::SetParameterFromGUI(idx, value);
  }

  TestGraphics* mGraphics;
  std::vector<Report> mReports;
};

// A bitmap of n frames of w x h, frame k filled with red = k (see FrameAt).
class FrameStrip {
 public:
  FrameStrip(int w, int h, int n, bool horizontal = false)
      : mPixels(horizontal ? w * n : w, horizontal ? h : h * n) {
    for (int k = 1; k <= n; ++k)
      GFX_FillRect(&mPixels, horizontal ? (k - 1) * w : 0, horizontal ? 0 : (k - 1) * h, w, h,
                   GFX_Pixel(255, k, kFrameGreen, 0), 1.f, 0);
    mBitmap = IBitmap(&mPixels, mPixels.getWidth(), mPixels.getHeight(), n, horizontal);
  }
  IBitmap* Get() { return &mBitmap; }
  GFX_MemBitmap* Pixels() { return &mPixels; }

 private:
  GFX_MemBitmap mPixels;
  IBitmap mBitmap;
};

class ControlsTest : public ::testing::Test {
 protected:
  static const int kWidth = 300, kHeight = 200;

  // Attaches the control (the graphics object owns it) and returns it.
  template <class C>
  C* Attach(C* control) {
    g->AttachControl(control);
    return control;
  }
  void Click(int x, int y, IMouseMod mod = IMouseMod(true)) {
    g->OnMouseDown(x, y, &mod);
    g->OnMouseUp(x, y, &mod);
  }
  std::vector<double> ReportedValues() const {
    std::vector<double> values;
    for (const auto& report : plug.mReports) values.push_back(report.value);
    return values;
  }

  TestPlugin plug{kWidth, kHeight};
  TestGraphics* g = plug.mGraphics;
};

}  // namespace controls_test
