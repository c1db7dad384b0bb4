#pragma once

#include <string>
#include <vector>

#include "src/config/UIConfigManager.h"
#include "src/editor/ImageCache.h"
#include "toolkit/plugin/editor/IDrawTypes.h"

class DisplayHost;
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
  // What a menu the plug-in fills shows while it holds no entry.
  static constexpr const char* kEmptyMenuText = "----";

  // The plug-in as the value display reads it: the sample menus take the samples file's names
  // from it, and the name fields say on its name line what they refuse. Set before readUIConfig;
  // without one the samples are numbered and a refusal goes unsaid.
  void setDisplayHost(const DisplayHost* host) { mHost = host; }
  // A MIDI port menu's parameter over `ports` ("OFF", then the port names): entry i is the text
  // of value i; the value goes to 0.
  static void setPortMenuEntries(IParam& param, const std::vector<std::string>& ports);

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
  void createMsbLsbKnobControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3, int mixerChannel,
                               std::string name, int paramIdx, int x, int y, std::string imageId,
                               double defaultValue, double minValue, double maxValue, double fourth,
                               LinkInfo link, int part, ControlLayer* layer,
                               std::string group) override;
  void createMsbLsbBoolControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3, int mixerChannel,
                               std::string name, int paramIdx, int x, int y, std::string imageId,
                               double defaultOn, double offValue, double onValue, LinkInfo link,
                               int part, ControlLayer* layer, std::string group) override;
  void createMsbLsbSelectionCCControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                      int mixerChannel, std::string name, int paramIdx, int x,
                                      int y, int w, int h, int defaultValue, int minValue,
                                      int maxValue, int firstNumber, int lastNumber,
                                      std::vector<std::string> texts, int part, ControlLayer* layer,
                                      std::string group) override;
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
                                     const std::vector<std::string>& texts, int part,
                                     ControlLayer* layer, std::string group) override;
  void createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y, int w, int h,
                                        int defaultValue, int minValue, int maxValue,
                                        int firstNumber, int lastNumber,
                                        const std::vector<std::string>& texts, int msgZeroVal,
                                        int color, int sysexIndex, int changingByte, int part,
                                        ControlLayer* layer, std::string group,
                                        bool white) override;
  void createDropDownMenu(std::string name, int paramIdx, int x, int y, int w, int h, int part,
                          ControlLayer* layer, std::string group) override;
  void createDropDownMenu2(std::string name, int paramIdx, int x, int y, int w, int h,
                           int defaultValue, int minValue, int maxValue,
                           const std::vector<std::string>& texts, int part, ControlLayer* layer,
                           std::string group) override;
  void createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y, int w, int h,
                                        int inputDev, int part, ControlLayer* layer,
                                        std::string group) override;
  void createNoValDropDown(std::string name, int paramIdx, int x, int y, int w, int h,
                           int defaultValue, int minValue, int maxValue, int firstNumber,
                           int lastNumber, int visible, const std::vector<std::string>& texts,
                           int part, ControlLayer* layer, std::string group, bool white) override;
  void createControlDisplay(std::string name, int paramIdx, int x, int y, int w, int h, int part,
                            ControlLayer* layer, std::string group, bool white) override;
  void createNameDisplay(std::string name, int paramIdx, int x, int y, int w, int h, int nameLen,
                         int part, ControlLayer* layer, std::string group) override;
  void createBackground(std::string imageId, int x, int y, ControlLayer* layer) override;
  LibrarianViewControl* createLibrarianView(std::string imageId, int x, int y, int w, int h,
                                            ControlLayer* layer) override;

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
  // Places the control, then finds or makes the binding of its parameter (of paramIdx for a
  // control without one) with the message type and appends the control to it.
  ControlAction& placeAndBind(IControl* control, ControlLayer* layer, int messageType);
  ControlAction& placeAndBind(IControl* control, ControlLayer* layer, int paramIdx,
                              int messageType);
  // The MSB/LSB kinds' keys by the control's layer (see UIConfigManager): `switchPages` for the
  // switch's wider set of pages and its sub-key 0 on them.
  void bindMsbLsb(ControlAction& action, const MsbLsbNumbers& numbers, int mixerChannel, int part,
                  const ControlLayer* layer, bool switchPages, IControl* control);
  // The scaled rectangle of a layout's x, y, w, h.
  IRECT scaledRect(int x, int y, int w, int h) const;
  // A text field's style: its font at the scaled height h, in the colour.
  IText textStyle(int h, const IColor& colour) const;
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
  // The menu steps: the enumeration of maxValue - minValue values (null, logged, for a count
  // no menu has) ...
  IParam* initMenu(const std::string& paramName, int paramIdx, int defaultValue, int minValue,
                   int maxValue, int part, const std::string& group);
  // ... its texts (EditorConfigManagerMenus.cpp) and the caption over it at the scaled place, not
  // yet placed; a click opens the menu unless `prompt` is false.
  IControl* makeCaption(int paramIdx, int x, int y, int w, int h, const IColor& colour,
                        bool prompt);
  // Entry i of the multi-effect menu of the parameter, numbered from firstNumber.
  std::string noValEntryText(int paramIdx, int i, int firstNumber) const;

  ImageCache mImages;
  const DisplayHost* mHost = nullptr;
};
