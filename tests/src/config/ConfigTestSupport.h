#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "src/config/UIConfigManager.h"
#include "tests/support/Encipher.h"
#include "tests/support/TempDir.h"
#include "toolkit/log.h"

namespace config_test {

// A bundle folder of its own, named by KROMA_BUNDLE_DIR while the object lives.
class TestBundle {
 public:
  TestBundle();
  // Writes the text enciphered the way the build does.
  void writeEnciphered(const std::string& name, const std::string& text);
  void writeRaw(const std::string& name, const std::string& bytes);

 private:
  kroma_test::TempDir mDir;
  kroma_test::ScopedEnv mEnv;
};

using kroma_test::encipher;

// A configuration manager whose editor side records what the walk asks of it: the layers as a
// tree of records, each call of a builder the walk reaches as one line "kind(argument,...)".
// Those builders bind their parameter as the editor's do, so that the part step shows.
class RecordingConfig : public UIConfigManager {
 public:
  struct Layer {
    int id;
    std::string name;
    bool overlay = false;
    std::vector<Layer*> children;
  };
  static Layer* layerOf(ControlLayer* layer) { return reinterpret_cast<Layer*>(layer); }
  // "name#id{child,child}" for every top-level layer, in attach order; "!" marks an overlay.
  std::string tree() const;

  std::vector<std::string> calls;
  std::function<void()> atInitImages;

  void initImages(IGraphics*) override {
    calls.push_back("initImages");
    if (atInitImages) atInitImages();
  }
  void preloadImage(IGraphics*, int, const char*, const char*, int, bool) override {}
  IBitmap getImageByName(IGraphics*, std::string) override;
  void ClearImageCache(bool) override {}

  // No element selects the MSB/LSB kinds: a call shows as a line of its own.
  void createMsbLsbKnobControl(int, int, int, int, int, std::string, int, int, int, std::string,
                               double, double, double, double, LinkInfo, int, ControlLayer*,
                               std::string) override {
    calls.push_back("msbLsbKnob");
  }
  void createMsbLsbBoolControl(int, int, int, int, int, std::string, int, int, int, std::string,
                               double, double, double, LinkInfo, int, ControlLayer*,
                               std::string) override {
    calls.push_back("msbLsbButton");
  }
  void createMsbLsbSelectionCCControl(int, int, int, int, int, std::string, int, int, int, int, int,
                                      int, int, int, int, int, std::vector<std::string>, int,
                                      ControlLayer*, std::string) override {
    calls.push_back("msbLsbMenu");
  }
  // Builders of the fixed-purpose elements: the editor's tests cover them.
  void createNoValKnobControl(std::string, int, int, int, std::string, double, double, double,
                              double, int, ControlLayer*, std::string) override {}
  IControl* createAutoOffSwitchControl(std::string, int, int, int, std::string, int, ControlLayer*,
                                       std::string) override {
    return nullptr;
  }
  void createDropDownMenu(std::string, int, int, int, int, int, int, ControlLayer*,
                          std::string) override {}
  void createDropDownMenu2(std::string, int, int, int, int, int, int, int, int,
                           const std::vector<std::string>&, int, ControlLayer*,
                           std::string) override {}
  void createMIDIDeviceSelectionControl(std::string, int, int, int, int, int, int, int,
                                        ControlLayer*, std::string) override {}
  void createNoValDropDown(std::string, int, int, int, int, int, int, int, int, int, int, int,
                           const std::vector<std::string>&, int, ControlLayer*, std::string,
                           bool) override {}
  void createControlDisplay(std::string, int, int, int, int, int, int, ControlLayer*, std::string,
                            bool) override {}
  void createNameDisplay(std::string, int, int, int, int, int, int, int, ControlLayer*,
                         std::string) override {}
  void createBackground(std::string, int, int, ControlLayer*) override {}
  LibrarianViewControl* createLibrarianView(std::string, int, int, int, int,
                                            ControlLayer*) override {
    return nullptr;
  }

  void createBoolControl(std::string name, int idx, int defaultOn, int x, int y, std::string image,
                         int part, ControlLayer* layer, std::string group) override {
    record("switch", idx, kMessageNone, name, idx, defaultOn, x, y, image, part, layer, group);
  }
  void createSwitchControl(std::string name, int idx, int defaultOn, int x, int y,
                           std::string image, int part, ControlLayer* layer,
                           std::string group) override {
    record("autooff", idx, kMessageNone, name, idx, defaultOn, x, y, image, part, layer, group);
  }
  void createRadioControl(std::string name, int idx, int x, int y, std::string image, int buttons,
                          int part, ControlLayer* layer, std::string group,
                          bool horizontal) override {
    record("radio", idx, kMessageNone, name, idx, x, y, image, buttons, part, layer, group,
           horizontal);
  }
  void createCCKnobControl(int cc, int channel, std::string name, int idx, int x, int y,
                           std::string image, double def, double min, double max, double step,
                           LinkInfo link, int part, ControlLayer* layer,
                           std::string group) override {
    record("ccKnob", idx, kMessageCC, cc, channel, name, idx, x, y, image, def, min, max, step,
           link, part, layer, group);
  }
  void createSysExKnobControl(std::string name, int idx, int x, int y, std::string image,
                              double def, double min, double max, double fourth, int zero,
                              int sysex, int byte, int part, LinkInfo link, ControlLayer* layer,
                              std::string group) override {
    record("seKnob", idx, kMessageSysEx, name, idx, x, y, image, def, min, max, fourth, zero, sysex,
           byte, part, link, layer, group);
  }
  void createCCSliderControl(int cc, int channel, std::string name, int idx, int x, int y,
                             int length, std::string image, double def, double min, double max,
                             LinkInfo link, int part, ControlLayer* layer, std::string group,
                             EDirection direction, bool flag) override {
    record("ccSlider", idx, kMessageCC, cc, channel, name, idx, x, y, length, image, def, min, max,
           link, part, layer, group, static_cast<int>(direction), flag);
  }
  void createSysExSliderControl(std::string name, int idx, int x, int y, int length,
                                std::string image, double def, double min, double max,
                                double fourth, int zero, int sysex, int byte, int part,
                                LinkInfo link, ControlLayer* layer, std::string group,
                                EDirection direction, bool flag) override {
    record("seSlider", idx, kMessageSysEx, name, idx, x, y, length, image, def, min, max, fourth,
           zero, sysex, byte, part, link, layer, group, static_cast<int>(direction), flag);
  }
  void createCCBoolControl(int cc, int channel, std::string name, int idx, int x, int y,
                           std::string image, double def, double off, double on, LinkInfo link,
                           int part, ControlLayer* layer, std::string group) override {
    record("ccButton", idx, kMessageCCOffOn, cc, channel, name, idx, x, y, image, def, off, on,
           link, part, layer, group);
  }
  void createSysExBoolControl(std::string name, int idx, int x, int y, std::string image,
                              double def, int zero, int sysex, int byte, int part, LinkInfo link,
                              ControlLayer* layer, std::string group) override {
    record("seButton", idx, kMessageSysExOne, name, idx, x, y, image, def, zero, sysex, byte, part,
           link, layer, group);
  }
  void createMultiSelectionCCControl(int cc, int channel, std::string name, int idx, int x, int y,
                                     int w, int h, int def, int min, int max, int first, int last,
                                     const std::vector<std::string>& texts, int part,
                                     ControlLayer* layer, std::string group) override {
    record("ccMenu", idx, kMessageCC, cc, channel, name, idx, x, y, w, h, def, min, max, first,
           last, texts, part, layer, group);
  }
  void createMultiSelectionSysExControl(std::string name, int idx, int x, int y, int w, int h,
                                        int def, int min, int max, int first, int last,
                                        const std::vector<std::string>& texts, int zero, int color,
                                        int sysex, int byte, int part, ControlLayer* layer,
                                        std::string group, bool white) override {
    record("seMenu", idx, kMessageSysEx, name, idx, x, y, w, h, def, min, max, first, last, texts,
           zero, color, sysex, byte, part, layer, group, white);
  }

  using UIConfigManager::bindControlAction;

 protected:
  ControlLayer* newLayer(int id, const std::string& name) override;
  void attachLayer(ControlLayer* layer, ControlLayer* parent) override;
  void setLayerOverlay(ControlLayer* layer, bool overlay) override {
    layerOf(layer)->overlay = overlay;
  }

 private:
  template <typename... Args>
  void record(const char* kind, int paramIdx, int messageType, const Args&... args);

  std::vector<std::unique_ptr<Layer>> mLayers;
  std::vector<Layer*> mTopLevel;
};

// A recording manager whose log lines are collected.
struct LoggedManager : TK_LogSink {
  LoggedManager() { manager.setLog(this); }
  bool IsOn() const override { return on; }
  void Write(const char* tag, const std::string& message) override {
    lines.push_back(tag + message);
  }
  bool logged(const std::string& part) const;

  RecordingConfig manager;
  std::vector<std::string> lines;
  bool on = true;
};

}  // namespace config_test
