// Start-up cost of the layout resource: decipher and parse 400 KB.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <string>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"
#include "src/config/UIConfigManager.h"

namespace {

constexpr size_t layoutSize = 400 * 1024;

// A layout of the usual shape: value lists, then layers full of control elements.
std::string layoutText() {
  std::string text = "<?xml version=\"1.0\"?>\n<uiconfig>\n<valueLists>\n";
  for (int l = 0; l < 44; ++l) {
    text += "<list name=\"list" + std::to_string(l) + "\">";
    for (int v = 0; v < 64; ++v) text += "<value>Value " + std::to_string(v) + "</value>";
    text += "</list>\n";
  }
  text += "</valueLists>\n";
  for (int layer = 0; text.size() < layoutSize - 200; ++layer) {
    text += "<layer name=\"layer" + std::to_string(layer) + "\">\n";
    for (int c = 0; c < 20; ++c)
      text +=
          "  <knobcontrol name=\"Cutoff\" paramId=\"kFilter1Cutoff\" imageId=\"knob\" "
          "position=\"10,20\" valueBounds=\"64,0,127\" sysexIndex=\"12\" changingByte=\"8\"/>\n";
    text += "</layer>\n";
  }
  return text + "</uiconfig>\n";
}

Bundle::LoadedFile enciphered(std::string text) {
  text.resize((text.size() + 7) / 8 * 8, '\0');
  unsigned int key[4];
  configKeyWords(key);
  Bundle::LoadedFile file;
  file.bytes.assign(text.begin(), text.end());
  for (size_t i = 0; i < file.bytes.size(); i += 8) Tea::simpleencrypt(&file.bytes[i], key);
  file.size = static_cast<int>(file.bytes.size());
  return file;
}

void BM_DecipherLayout(benchmark::State& state) {
  const Bundle::LoadedFile layout = enciphered(layoutText());
  for (auto _ : state) {
    std::string text;
    UIConfigManager::decrypt(reinterpret_cast<const char*>(layout.bytes.data()), layout.size, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * layout.size);
}
BENCHMARK(BM_DecipherLayout)->Unit(benchmark::kMillisecond);

void BM_ParseLayout(benchmark::State& state) {
  const std::string text = layoutText();
  for (auto _ : state) {
    tinyxml2::XMLDocument document;
    document.Parse(text.c_str());
    benchmark::DoNotOptimize(document.RootElement());
  }
}
BENCHMARK(BM_ParseLayout)->Unit(benchmark::kMillisecond);

}  // namespace
