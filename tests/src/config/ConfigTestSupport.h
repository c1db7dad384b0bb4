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
// tree of records, each builder call as one line "kind(argument,argument,...)". The MIDI-bound
// builders bind their parameter (as the editor's do), so that the part step shows.
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

  void initImages(IGraphics*) override;
  void preloadImage(IGraphics*, int, const char*, const char*, int, bool) override {}
  IBitmap getImageByName(IGraphics*, std::string) override;
  void ClearImageCache(bool) override {}

  void createNoValKnobControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                              double defaultValue, double minValue, double maxValue, double fourth,
                              int part, ControlLayer* layer, std::string group) override;
  void createCCKnobControl(int ccNumber, int channel, std::string name, int paramIdx, int x, int y,
                           std::string imageId, double defaultValue, double minValue,
                           double maxValue, double step, LinkInfo link, int part,
                           ControlLayer* layer, std::string group) override;
  void createSysExKnobControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                              double defaultValue, double minValue, double maxValue, double fourth,
                              int msgZeroVal, int sysexIndex, int changingByte, int part,
                              LinkInfo link, ControlLayer* layer, std::string group) override;
  void createCCSliderControl(int ccNumber, int channel, std::string name, int paramIdx, int x,
                             int y, int length, std::string imageId, double defaultValue,
                             double minValue, double maxValue, LinkInfo link, int part,
                             ControlLayer* layer, std::string group, EDirection direction,
                             bool flag) override;
  void createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                std::string imageId, double defaultValue, double minValue,
                                double maxValue, double fourth, int msgZeroVal, int sysexIndex,
                                int changingByte, int part, LinkInfo link, ControlLayer* layer,
                                std::string group, EDirection direction, bool flag) override;
  void createBoolControl(std::string name, int paramIdx, int defaultOn, int x, int y,
                         std::string imageId, int part, ControlLayer* layer,
                         std::string group) override;
  void createSwitchControl(std::string name, int paramIdx, int defaultOn, int x, int y,
                           std::string imageId, int part, ControlLayer* layer,
                           std::string group) override;
  IControl* createAutoOffSwitchControl(std::string name, int paramIdx, int x, int y,
                                       std::string imageId, int part, ControlLayer* layer,
                                       std::string group) override;
  void createCCBoolControl(int ccNumber, int channel, std::string name, int paramIdx, int x, int y,
                           std::string imageId, double defaultOn, double offValue, double onValue,
                           LinkInfo link, int part, ControlLayer* layer,
                           std::string group) override;
  void createSysExBoolControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                              double defaultOn, int msgZeroVal, int sysexIndex, int changingByte,
                              int part, LinkInfo link, ControlLayer* layer,
                              std::string group) override;
  void createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                          int buttons, int part, ControlLayer* layer, std::string group,
                          bool horizontal) override;
  void createMultiSelectionCCControl(int ccNumber, int channel, std::string name, int paramIdx,
                                     int x, int y, int w, int h, int defaultValue, int minValue,
                                     int maxValue, int firstNumber, int lastNumber,
                                     std::vector<std::string> texts, int part, ControlLayer* layer,
                                     std::string group) override;
  void createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y, int w, int h,
                                        int defaultValue, int minValue, int maxValue,
                                        int firstNumber, int lastNumber,
                                        std::vector<std::string> texts, int msgZeroVal, int color,
                                        int sysexIndex, int changingByte, int part,
                                        ControlLayer* layer, std::string group,
                                        bool white) override;

  using UIConfigManager::bindControlAction;
  using UIConfigManager::precomputeSysEx;

 protected:
  ControlLayer* newLayer(int id, const std::string& name) override;
  void attachLayer(ControlLayer* layer, ControlLayer* parent) override;
  void setLayerOverlay(ControlLayer* layer, bool overlay) override;

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
