#pragma once

#include <memory>
#include <string>
#include <vector>

#include "src/editor/EditorConfigManager.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

// The shipped layout built by the real configuration manager and builders, with the bundle's
// pictures, on a plug-in of the full parameter table and a graphics object without a window.
namespace layout_check {

class BuiltLayout : public HostlessPlugin, public UIConfigPlugin, public TK_LogSink {
 public:
  BuiltLayout(const std::string& bundleDir, int style, double scale);

  IPluginBase* configPluginBase() override { return this; }
  void Write(const char* tag, const std::string& message) override {
    lines.push_back(tag + message);
  }

  IGraphicsMac* graphics;
  EditorConfigManager config;
  std::vector<std::string> lines;  // what the reader logged
};

}  // namespace layout_check
