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

void put(std::ostream& out, const std::string& text) {
  out << text;
}
void put(std::ostream& out, int value) {
  out << value;
}
void put(std::ostream& out, double value) {
  out << value;
}
void put(std::ostream& out, bool value) {
  out << (value ? "true" : "false");
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
  line << kind << '(';
  bool first = true;
  ((line << (first ? "" : ","), put(line, args), first = false), ...);
  line << ')';
  calls.push_back(line.str());
  if (messageType >= 0) bindControlAction(paramIdx, messageType);
}

std::string RecordingConfig::tree() const {
  std::ostringstream out;
  putTree(out, mTopLevel);
  return out.str();
}

void RecordingConfig::initImages(IGraphics*) {
  calls.push_back("initImages");
  if (atInitImages) atInitImages();
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

void RecordingConfig::setLayerOverlay(ControlLayer* layer, bool overlay) {
  layerOf(layer)->overlay = overlay;
}

void RecordingConfig::createNoValKnobControl(std::string name, int paramIdx, int x, int y,
                                             std::string imageId, double defaultValue,
                                             double minValue, double maxValue, double fourth,
                                             int part, ControlLayer* layer, std::string group) {
  record("noValKnob", paramIdx, -1, name, paramIdx, x, y, imageId, defaultValue, minValue, maxValue,
         fourth, part, layer, group);
}

void RecordingConfig::createCCKnobControl(int ccNumber, int channel, std::string name, int paramIdx,
                                          int x, int y, std::string imageId, double defaultValue,
                                          double minValue, double maxValue, double step,
                                          LinkInfo link, int part, ControlLayer* layer,
                                          std::string group) {
  record("ccKnob", paramIdx, kMessageCC, ccNumber, channel, name, paramIdx, x, y, imageId,
         defaultValue, minValue, maxValue, step, link, part, layer, group);
}

void RecordingConfig::createSysExKnobControl(std::string name, int paramIdx, int x, int y,
                                             std::string imageId, double defaultValue,
                                             double minValue, double maxValue, double fourth,
                                             int msgZeroVal, int sysexIndex, int changingByte,
                                             int part, LinkInfo link, ControlLayer* layer,
                                             std::string group) {
  record("seKnob", paramIdx, kMessageSysEx, name, paramIdx, x, y, imageId, defaultValue, minValue,
         maxValue, fourth, msgZeroVal, sysexIndex, changingByte, part, link, layer, group);
}

void RecordingConfig::createCCSliderControl(int ccNumber, int channel, std::string name,
                                            int paramIdx, int x, int y, int length,
                                            std::string imageId, double defaultValue,
                                            double minValue, double maxValue, LinkInfo link,
                                            int part, ControlLayer* layer, std::string group,
                                            EDirection direction, bool flag) {
  record("ccSlider", paramIdx, kMessageCC, ccNumber, channel, name, paramIdx, x, y, length, imageId,
         defaultValue, minValue, maxValue, link, part, layer, group, static_cast<int>(direction),
         flag);
}

void RecordingConfig::createSysExSliderControl(std::string name, int paramIdx, int x, int y,
                                               int length, std::string imageId, double defaultValue,
                                               double minValue, double maxValue, double fourth,
                                               int msgZeroVal, int sysexIndex, int changingByte,
                                               int part, LinkInfo link, ControlLayer* layer,
                                               std::string group, EDirection direction, bool flag) {
  record("seSlider", paramIdx, kMessageSysEx, name, paramIdx, x, y, length, imageId, defaultValue,
         minValue, maxValue, fourth, msgZeroVal, sysexIndex, changingByte, part, link, layer, group,
         static_cast<int>(direction), flag);
}

void RecordingConfig::createBoolControl(std::string name, int paramIdx, int defaultOn, int x, int y,
                                        std::string imageId, int part, ControlLayer* layer,
                                        std::string group) {
  record("bool", paramIdx, kMessageNone, name, paramIdx, defaultOn, x, y, imageId, part, layer,
         group);
}

void RecordingConfig::createSwitchControl(std::string name, int paramIdx, int defaultOn, int x,
                                          int y, std::string imageId, int part, ControlLayer* layer,
                                          std::string group) {
  record("switch", paramIdx, kMessageNone, name, paramIdx, defaultOn, x, y, imageId, part, layer,
         group);
}

IControl* RecordingConfig::createAutoOffSwitchControl(std::string name, int paramIdx, int x, int y,
                                                      std::string imageId, int part,
                                                      ControlLayer* layer, std::string group) {
  record("autoOff", paramIdx, kMessageNone, name, paramIdx, x, y, imageId, part, layer, group);
  return nullptr;
}

void RecordingConfig::createCCBoolControl(int ccNumber, int channel, std::string name, int paramIdx,
                                          int x, int y, std::string imageId, double defaultOn,
                                          double offValue, double onValue, LinkInfo link, int part,
                                          ControlLayer* layer, std::string group) {
  record("ccButton", paramIdx, kMessageCCOffOn, ccNumber, channel, name, paramIdx, x, y, imageId,
         defaultOn, offValue, onValue, link, part, layer, group);
}

void RecordingConfig::createSysExBoolControl(std::string name, int paramIdx, int x, int y,
                                             std::string imageId, double defaultOn, int msgZeroVal,
                                             int sysexIndex, int changingByte, int part,
                                             LinkInfo link, ControlLayer* layer,
                                             std::string group) {
  record("seButton", paramIdx, kMessageSysExOne, name, paramIdx, x, y, imageId, defaultOn,
         msgZeroVal, sysexIndex, changingByte, part, link, layer, group);
}

void RecordingConfig::createRadioControl(std::string name, int paramIdx, int x, int y,
                                         std::string imageId, int buttons, int part,
                                         ControlLayer* layer, std::string group, bool horizontal) {
  record("radio", paramIdx, kMessageNone, name, paramIdx, x, y, imageId, buttons, part, layer,
         group, horizontal);
}

void RecordingConfig::createMultiSelectionCCControl(int ccNumber, int channel, std::string name,
                                                    int paramIdx, int x, int y, int w, int h,
                                                    int defaultValue, int minValue, int maxValue,
                                                    int firstNumber, int lastNumber,
                                                    std::vector<std::string> texts, int part,
                                                    ControlLayer* layer, std::string group) {
  record("ccMenu", paramIdx, kMessageCC, ccNumber, channel, name, paramIdx, x, y, w, h,
         defaultValue, minValue, maxValue, firstNumber, lastNumber, texts, part, layer, group);
}

void RecordingConfig::createMultiSelectionSysExControl(
    std::string name, int paramIdx, int x, int y, int w, int h, int defaultValue, int minValue,
    int maxValue, int firstNumber, int lastNumber, std::vector<std::string> texts, int msgZeroVal,
    int color, int sysexIndex, int changingByte, int part, ControlLayer* layer, std::string group,
    bool white) {
  record("seMenu", paramIdx, kMessageSysEx, name, paramIdx, x, y, w, h, defaultValue, minValue,
         maxValue, firstNumber, lastNumber, texts, msgZeroVal, color, sysexIndex, changingByte,
         part, layer, group, white);
}

}  // namespace config_test
