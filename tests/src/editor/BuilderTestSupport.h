#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/editor/EditorConfigManager.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "tests/toolkit/plugin/editor/ControlsTestSupport.h"
#include "tests/toolkit/plugin/editor/EditorDoubles.h"
#include "toolkit/log.h"

// The editor's configuration manager on a plug-in with the full parameter table and a graphics
// object without a window, read from small resources written in the tests.
namespace builder_test {

// Bitmaps named "WxH" whose pixel (x, y) has red x and green y, so that a drawn pixel tells
// which pixel of the strip it came from.
class BuilderGraphics : public editor_test::TestGraphics {
 public:
  using TestGraphics::TestGraphics;
  // Draws every visible control over the whole editor.
  void Render();
  unsigned int Pixel(int x, int y) { return GFX_GetPixel(GetBackBuffer(), x, y); }
};

class BuilderPlug : public HostlessPlugin, public UIConfigPlugin {
 public:
  BuilderPlug();
  IPluginBase* configPluginBase() override { return this; }
  void SetParameterFromGUI(int idx, double value) override;

  BuilderGraphics* graphics;
  std::vector<double> reports;  // values the controls reported
};

// The SysEx value list of the tests: entry 0 and 1 plain parameters, 2 an effect parameter,
// 3 a template too short to be found by.
extern const char* const sysexText;

// A parameter's display texts in value order, joined by "|".
std::string textsOf(const IParam* param);

class Builders : public testing::Test, public TK_LogSink {
 protected:
  Builders() { config.setLog(this); }
  // Preloads the test images and reads the resources at the GUI scale and style.
  void read(double scale, const std::string& layout = "<uiconfig/>", int style = 0);
  void Write(const char* tag, const std::string& message) override;

  IParam* param(int index) { return plug.GetParam(index); }
  ControlAction& action(int index);
  // The control made last onto the graphics object.
  IControl* lastControl();

  BuilderPlug plug;
  EditorConfigManager config;
  std::vector<std::string> lines;
};

}  // namespace builder_test
