#pragma once

#include <string>
#include <vector>

#include "src/config/UIConfigManager.h"
#include "src/editor/ImageCache.h"
#include "toolkit/plugin/editor/IDrawTypes.h"

class IParam;
class IPluginBase;

// The configuration manager the plug-in creates: the reader and layout walk of UIConfigManager
// with the editor side defined here. It owns the image cache and forwards to it, makes the layer
// tree, and holds the control builders, one family per file: EditorConfigManagerKnobs,
// ...Sliders, ...Buttons (with ICustomRadioButtonsControl) and ...Menus.
//
// readUIConfig needs the graphics object and the plug-in; the builders take the parameters from
// the plug-in and attach controls without a layer to the graphics object.
class EditorConfigManager final : public UIConfigManager {
 public:
  // Loads the image table at the GUI style and scale that readUIConfig keeps.
  void initImages(IGraphics* graphics) override;
  void preloadImage(IGraphics* graphics, int id, const char* name, const char* file, int frames,
                    bool framesHorizontal) override {
    mImages.preloadImage(graphics, id, name, file, frames, framesHorizontal);
  }
  IBitmap getImageByName(IGraphics* graphics, std::string name) override {
    return mImages.getImageByName(graphics, name);
  }
  void ClearImageCache(bool reload) override { mImages.ClearImageCache(reload); }

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

 protected:
  ControlLayer* newLayer(int id, const std::string& name) override;
  void attachLayer(ControlLayer* layer, ControlLayer* parent) override;
  void setLayerOverlay(ControlLayer* layer, bool overlay) override;

 private:
  // Steps the builders share.
  IPluginBase* plug() const;
  // The parameter at the index; null, with a log line, when the plug-in has none there.
  IParam* parameter(int paramIdx) const;
  // "[part + 1] name" inside a part, the name alone outside every part.
  static std::string partName(const std::string& name, int part);
  // A layout coordinate or length at the GUI scale, truncated toward zero.
  int scaled(int value) const;
  // A bounds value as the whole number the builders count with (cut toward zero, held within
  // the int range).
  static int whole(double value);
  // The number of whole values from minValue to maxValue.
  static int valueCount(double minValue, double maxValue);
  // One frame of a strip stacked top to bottom, at the scaled position: the extent of switches.
  IRECT frameRect(int x, int y, const IBitmap& bitmap) const;
  // Puts the control into the layer, or onto the graphics object without one; the receiver owns
  // it from then on.
  void place(IControl* control, ControlLayer* layer);
  // Places the control, then finds or makes the parameter's binding with the message type and
  // appends the control to it.
  ControlAction& placeAndBind(IControl* control, ControlLayer* layer, int messageType);
  // The first steps of a family: the image, the parameter initialised under paramName (and
  // the group text of the part), and the control at the scaled place, not yet placed. Null when
  // the index names no parameter.
  IControl* makeKnob(const std::string& paramName, int paramIdx, int x, int y,
                     const std::string& imageId, double defaultValue, double minValue,
                     double maxValue, double step, int part, const std::string& group);
  IControl* makeFader(const std::string& paramName, int paramIdx, int x, int y, int length,
                      const std::string& imageId, double defaultValue, double minValue,
                      double maxValue, int part, const std::string& group, EDirection direction);
  // A latching switch or a momentary button over a bool parameter, one frame in size.
  IControl* makeSwitch(bool momentary, const std::string& paramName, int paramIdx, bool defaultOn,
                       int x, int y, const std::string& imageId, int part,
                       const std::string& group);
  // Seam: the menu builders are built later; until then they log and build nothing.
  void menuNotBuiltYet(const std::string& name, int paramIdx) const;

  ImageCache mImages;
};
