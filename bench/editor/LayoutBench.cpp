// Start-up cost of the editor's layout: the configuration read and every control built, on a
// synthetic layout of the shipped mix; and the memory the precomputed SysEx messages take.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchGraphics.h"
#include "Encipher.h"
#include "src/config/ParameterIds.h"
#include "src/editor/EditorConfigManager.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"

namespace {

class LayoutPlug : public HostlessPlugin, public UIConfigPlugin {
 public:
  LayoutPlug()
      : HostlessPlugin(numParams, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true,
                       true, kAPIVST2) {
    initialize(0, numParams, "2-2", 0, "Bench", "Bench", "Bench", 0x10000, 1, 2, 0, true, true,
               true);
    graphics = new BenchGraphics(this);
    AttachGraphics(graphics);
  }
  IPluginBase* configPluginBase() override { return this; }
  BenchGraphics* graphics;
};

constexpr int sysexEntries = 64;
constexpr int valueLists = 44;

// Per part: SysEx knobs of 128 values, SysEx switches and menus, CC knobs and SysEx sliders;
// above the parts: displays, switches and menus. Each control has a parameter of its own.
std::string layoutText() {
  std::string text = "<?xml version=\"1.0\"?>\n<uiconfig>\n<valueLists>\n";
  for (int l = 0; l < valueLists; ++l) {
    text += "<list name=\"list" + std::to_string(l) + "\">";
    for (int v = 0; v < 64; ++v) text += "<value>Value " + std::to_string(v) + "</value>";
    text += "</list>\n";
  }
  text += "</valueLists>\n<layer name=\"root\">\n";
  int single = 0;
  for (int i = 0; i < paramIdCount && single < 60; ++i) {
    if (paramIdTable[i].length != 1) continue;
    const std::string id = paramIdTable[i].name;
    const std::string kind[] = {"display bounds=\"10,10,200,14\"",
                                "switch imageId=\"SWITCH\" position=\"10,10\"",
                                "dropMenu type=\"dropSelection\" valueList=\"list1\""};
    text += "  <" + kind[single++ % 3] + " paramId=\"" + id + "\"/>\n";
  }
  text += "  <multilayer name=\"part\" create=\"16\">\n";
  int perPart = 0;
  for (int i = 0; i < paramIdCount && perPart < 250; ++i) {
    if (paramIdTable[i].length != 16) continue;
    const std::string id = paramIdTable[i].name;
    const std::string sysex = " sysexIndex=\"" + std::to_string(perPart % sysexEntries) + "\"";
    const int k = perPart++;
    if (k < 150)
      text +=
          "    <knobcontrol type=\"seKnob\" imageId=\"KNOB\" position=\"10,20\" "
          "valueBounds=\"64,0,127\" changingByte=\"8\"" +
          sysex;
    else if (k < 190)
      text +=
          "    <buttoncontrol type=\"seButton\" imageId=\"SWITCH\" position=\"10,20\" "
          "changingByte=\"8\"" +
          sysex;
    else if (k < 220)
      text +=
          "    <menucontrol type=\"seMenu\" position=\"10,20,60\" valueBounds=\"0,0,64\" "
          "changingByte=\"8\" valueList=\"list" +
          std::to_string(k % valueLists) + "\"" + sysex;
    else if (k < 240)
      text +=
          "    <knobcontrol type=\"ccKnob\" imageId=\"KNOB\" position=\"10,20\" "
          "valueBounds=\"0,0,127,1\" ccNumber=\"" +
          std::to_string(k % 128) + "\"";
    else
      text +=
          "    <slidercontrol type=\"seSliderVer\" imageId=\"HANDLE\" position=\"10,20\" "
          "length=\"80\" valueBounds=\"0,-64,63\" msgZeroVal=\"64\" changingByte=\"8\"" +
          sysex;
    text += " name=\"Control " + std::to_string(k) + "\" paramId=\"" + id + "\"/>\n";
  }
  return text + "  </multilayer>\n</layer>\n</uiconfig>\n";
}

std::string sysexText() {
  std::string text = "<sysexlist>";
  for (int e = 0; e < sysexEntries; ++e)
    text += "<sysex><values><value>3E 13 00 20 00 0" + std::to_string(e / 16) + " " +
            std::to_string(10 + e % 16) + " 00</value></values></sysex>";
  return text + "</sysexlist>";
}

Bundle::LoadedFile enciphered(const std::string& text) {
  const std::string bytes = kroma_test::encipher(text);
  Bundle::LoadedFile file;
  file.bytes.assign(bytes.begin(), bytes.end());
  file.size = static_cast<int>(file.bytes.size());
  return file;
}

// The debug switch off, as it is unless the user made the log file.
struct QuietLog : TK_LogSink {
  bool IsOn() const override { return false; }
  void Write(const char*, const std::string&) override {}
};

// A fresh plug-in and manager with the images preloaded, as the constructor has them, and the
// resources to read.
struct Instance {
  Instance(const Bundle::LoadedFile& layout, const Bundle::LoadedFile& sysex) {
    config.setLog(&log);
    config.setResourceLoader([&](int id, const char*) { return id == 100 ? layout : sysex; });
    config.preloadImage(plug.graphics, 101, "KNOB", "48x6144", 128, false);
    config.preloadImage(plug.graphics, 102, "SWITCH", "40x60", 2, false);
    config.preloadImage(plug.graphics, 103, "HANDLE", "20x30", 1, false);
  }
  QuietLog log;
  LayoutPlug plug;
  EditorConfigManager config;
};

void BM_ReadAndBuildLayout(benchmark::State& state) {
  const Bundle::LoadedFile layout = enciphered(layoutText());
  const Bundle::LoadedFile sysex = enciphered(sysexText());
  std::unique_ptr<Instance> instance;
  for (auto _ : state) {
    state.PauseTiming();
    instance.reset();
    instance = std::make_unique<Instance>(layout, sysex);
    state.ResumeTiming();
    instance->config.readUIConfig(instance->plug.graphics, &instance->plug, nullptr, 0, 1.0);
  }

  // What the messages take: as stored, and as whole messages would.
  size_t stored = 0, messages = 0, controls = 0;
  for (int i = 0; i < numParams; ++i) {
    const ControlAction* action = instance->config.getControlAction(i);
    if (!action) continue;
    controls += action->controls.size();
    stored += action->sysexMessages.messages.storageBytes();
    messages += action->sysexMessages.messages.size();
  }
  const size_t whole = messages * (sizeof(std::vector<int>) + 8 * sizeof(int));
  state.counters["controls"] = static_cast<double>(controls);
  state.counters["messages"] = static_cast<double>(messages);
  state.counters["tables_KiB"] = static_cast<double>(stored) / 1024;
  state.counters["whole_messages_KiB"] = static_cast<double>(whole) / 1024;
  state.counters["layout_KiB"] = static_cast<double>(layout.size) / 1024;
}
BENCHMARK(BM_ReadAndBuildLayout)->Unit(benchmark::kMillisecond);

// The walk alone, from the deciphered text: parse, then every layer, parameter and control.
void BM_BuildFromDecipheredText(benchmark::State& state) {
  const std::string text = layoutText();
  const Bundle::LoadedFile sysex = enciphered(sysexText());
  const Bundle::LoadedFile empty = enciphered("<uiconfig/>");
  std::unique_ptr<Instance> instance;
  for (auto _ : state) {
    state.PauseTiming();
    instance.reset();
    instance = std::make_unique<Instance>(empty, sysex);
    instance->config.readUIConfig(instance->plug.graphics, &instance->plug, nullptr, 0, 1.0);
    state.ResumeTiming();
    tinyxml2::XMLDocument document;
    document.Parse(text.c_str());
    instance->config.readReasources(&document);
    instance->config.processXMLElement(document.RootElement()->FirstChild(), nullptr, -1);
  }
}
BENCHMARK(BM_BuildFromDecipheredText)->Unit(benchmark::kMillisecond);

}  // namespace
