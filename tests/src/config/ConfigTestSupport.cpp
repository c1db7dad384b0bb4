#include "ConfigTestSupport.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "toolkit/plugin/editor/IDrawTypes.h"

namespace config_test {

TestBundle::TestBundle() : mEnv("KROMA_BUNDLE_DIR", mDir.path().c_str()) {
  mkdir(mDir.file("resources").c_str(), 0755);
}

void TestBundle::writeEnciphered(const std::string& name, const std::string& text) {
  writeRaw(name, encipher(text));
}

void TestBundle::writeRaw(const std::string& name, const std::string& bytes) {
  std::ofstream(mDir.file("resources/" + name), std::ios::binary) << bytes;
}

bool LoggedManager::logged(const std::string& part) const {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

namespace {

template <typename T>
void put(std::ostream& out, const T& value) {
  out << value;
}
void put(std::ostream& out, const LinkInfo& link) {
  out << '[' << link.linked << ' ' << link.linkSwitch << ' ' << link.offset << ']';
}
void put(std::ostream& out, ControlLayer* layer) {
  out << (layer ? RecordingConfig::layerOf(layer)->name : std::string("-"));
}
void put(std::ostream& out, const std::vector<std::string>& texts) {
  out << '{';
  for (size_t i = 0; i < texts.size(); ++i) out << (i ? "|" : "") << texts[i];
  out << '}';
}

void putTree(std::ostream& out, const std::vector<RecordingConfig::Layer*>& layers) {
  for (size_t i = 0; i < layers.size(); ++i) {
    const RecordingConfig::Layer& l = *layers[i];
    out << (i ? "," : "") << l.name << '#' << l.id << (l.overlay ? "!" : "") << '{';
    putTree(out, l.children);
    out << '}';
  }
}

}  // namespace

template <typename... Args>
void RecordingConfig::record(const char* kind, int paramIdx, int messageType, const Args&... args) {
  std::ostringstream line;
  line << std::boolalpha << kind << '(';
  bool first = true;
  ((line << (first ? "" : ","), put(line, args), first = false), ...);
  line << ')';
  calls.push_back(line.str());
  bindControlAction(paramIdx, messageType);
}

std::string RecordingConfig::tree() const {
  std::ostringstream out;
  putTree(out, mTopLevel);
  return out.str();
}

IBitmap RecordingConfig::getImageByName(IGraphics*, std::string) {
  return IBitmap();
}

ControlLayer* RecordingConfig::newLayer(int id, const std::string& name) {
  mLayers.push_back(std::make_unique<Layer>(Layer{id, name, false, {}}));
  return reinterpret_cast<ControlLayer*>(mLayers.back().get());
}

void RecordingConfig::attachLayer(ControlLayer* layer, ControlLayer* parent) {
  (parent ? layerOf(parent)->children : mTopLevel).push_back(layerOf(layer));
}

}  // namespace config_test
