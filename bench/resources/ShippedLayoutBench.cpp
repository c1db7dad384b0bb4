// Start-up cost of the shipped layout: its resource deciphered, parsed and every control built,
// at scale 1.0, with the pictures already in the image cache.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/bundle/Bundle.h"
#include "src/config/ParameterIds.h"
#include "src/editor/EditorConfigManager.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

struct QuietLog : TK_LogSink {
  bool IsOn() const override { return false; }
  void Write(const char*, const std::string&) override {}
};

class Plug : public HostlessPlugin, public UIConfigPlugin {
 public:
  Plug()
      : HostlessPlugin(numParams, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true,
                       true, kAPIVST2) {
    initialize(0, numParams, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true,
               true);
    graphics = new IGraphicsMac(this, 1500, 757);
    graphics->SetBundleID(kBundleID);
    AttachGraphics(graphics);
  }
  IPluginBase* configPluginBase() override { return this; }
  IGraphicsMac* graphics;
};

// A plug-in whose manager has read the SysEx value list and the pictures, as the constructor
// has them before the layout is read.
struct Instance {
  explicit Instance(const Bundle::LoadedFile& sysex) {
    config.setLog(&log);
    const Bundle::LoadedFile empty{{'\0'}, 1};
    config.setResourceLoader([&sysex, empty](int id, const char*) {
      return std::optional<Bundle::LoadedFile>(id == 101 ? sysex : empty);
    });
    config.readUIConfig(plug.graphics, &plug, nullptr, 0, 1.0);
  }
  QuietLog log;
  Plug plug;
  EditorConfigManager config;
};

void BM_ReadShippedLayout(benchmark::State& state) {
  setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
  const std::optional<Bundle::LoadedFile> layout = Bundle::loadResource("uiconfig.tea");
  const std::optional<Bundle::LoadedFile> sysex = Bundle::loadResource("sysex.tea");
  if (!layout || !sysex) {
    state.SkipWithError("no built bundle");
    return;
  }
  std::unique_ptr<Instance> instance;
  int controls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    instance.reset();
    instance = std::make_unique<Instance>(*sysex);
    state.ResumeTiming();
    std::string text;
    UIConfigManager::decrypt(reinterpret_cast<const char*>(layout->bytes.data()), layout->size,
                             text);
    tinyxml2::XMLDocument document;
    document.Parse(text.c_str());
    instance->config.readReasources(&document);
    instance->config.processXMLElement(document.FirstChildElement("uiconfig")->FirstChild(),
                                       nullptr, -1);
  }
  for (int i = 0; i < numParams; ++i)
    if (const ControlAction* action = instance->config.getControlAction(i))
      controls += static_cast<int>(action->controls.size());
  state.counters["controls"] = controls;
  state.counters["layout_KiB"] = static_cast<double>(layout->size) / 1024;
}
BENCHMARK(BM_ReadShippedLayout)->Unit(benchmark::kMillisecond);

}  // namespace
