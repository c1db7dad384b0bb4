#include "src/config/UIConfigManager.h"

namespace {

// The attributes of a MIDI-bound control element, read in one order whatever its type.
struct ControlAttributes {
  ControlAttributes(const LayoutElement& e, const UIConfigManager& config);

  std::string name;
  int x = 0, y = 0, w = 0;
  int length;
  // Default, minimum, maximum and a fourth number (a CC knob's step); what the layout leaves
  // out is a 0..127 range with step 1.
  double bounds[4] = {0, 0, 127, 1};
  int changingByte;
  LinkInfo link;
  int a = -1, b = -1;  // the numbers of "valueDisplay"
  std::string valueList;
  int ccNumber;
  int channel;
  int sysexIndex;
  int msgZeroVal;
  int color;
  bool white;
};

ControlAttributes::ControlAttributes(const LayoutElement& e, const UIConfigManager& config)
    : name(e.text("name")) {
  int position[3] = {0, 0, 0};
  e.list("position", position, 3);
  x = position[0];
  y = position[1];
  w = position[2];
  length = e.integer("length");
  int values[4] = {0, 0, 127, 1};
  e.list("valueBounds", values, 4);
  for (int i = 0; i < 4; ++i) bounds[i] = values[i];
  changingByte = e.integer("changingByte") & 0xFF;
  int l[3];
  config.getBiDirectLinkValues(e.text("biDirectLink"), l, e.part);
  link = LinkInfo{l[0], l[1], l[2]};
  e.valueDisplay(a, b);
  valueList = e.text("valueList");
  ccNumber = e.integer("ccNumber");
  channel = e.integer("channel");
  sysexIndex = e.integer("sysexIndex");
  msgZeroVal = e.integer("msgZeroVal");
  color = e.integer("color");
  white = e.integer("white") != 0;
}

// The height of the menu kinds before scaling.
constexpr int menuHeight = 13;

using Build = void (*)(UIConfigManager&, const LayoutElement&, const ControlAttributes&);

void seSlider(UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c,
              EDirection direction) {
  m.createSysExSliderControl(c.name, e.paramIdx, c.x, c.y, c.length, e.imageId, c.bounds[0],
                             c.bounds[1], c.bounds[2], c.bounds[3], c.msgZeroVal, c.sysexIndex,
                             c.changingByte, e.part, c.link, e.layer, e.paramGroup, direction,
                             false);
}

void ccSlider(UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c,
              EDirection direction) {
  m.createCCSliderControl(c.ccNumber, c.channel, c.name, e.paramIdx, c.x, c.y, c.length, e.imageId,
                          c.bounds[0], c.bounds[1], c.bounds[2], c.link, e.part, e.layer,
                          e.paramGroup, direction, false);
}

const struct {
  const char* type;
  Build build;
} controlKinds[] = {
    {"seKnob",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createSysExKnobControl(c.name, e.paramIdx, c.x, c.y, e.imageId, c.bounds[0], c.bounds[1],
                                c.bounds[2], c.bounds[3], c.msgZeroVal, c.sysexIndex,
                                c.changingByte, e.part, c.link, e.layer, e.paramGroup);
     }},
    {"seSliderVer", [](UIConfigManager& m, const LayoutElement& e,
                       const ControlAttributes& c) { seSlider(m, e, c, kSliderVertical); }},
    {"seSliderHor", [](UIConfigManager& m, const LayoutElement& e,
                       const ControlAttributes& c) { seSlider(m, e, c, kSliderHorizontal); }},
    {"seButton",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createSysExBoolControl(c.name, e.paramIdx, c.x, c.y, e.imageId, c.bounds[0], c.msgZeroVal,
                                c.sysexIndex, c.changingByte, e.part, c.link, e.layer,
                                e.paramGroup);
     }},
    {"ccSliderVer", [](UIConfigManager& m, const LayoutElement& e,
                       const ControlAttributes& c) { ccSlider(m, e, c, kSliderVertical); }},
    {"ccSliderHor", [](UIConfigManager& m, const LayoutElement& e,
                       const ControlAttributes& c) { ccSlider(m, e, c, kSliderHorizontal); }},
    {"ccKnob",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createCCKnobControl(c.ccNumber, c.channel, c.name, e.paramIdx, c.x, c.y, e.imageId,
                             c.bounds[0], c.bounds[1], c.bounds[2], c.bounds[3], c.link, e.part,
                             e.layer, e.paramGroup);
     }},
    {"ccButton",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createCCBoolControl(c.ccNumber, c.channel, c.name, e.paramIdx, c.x, c.y, e.imageId,
                             c.bounds[0], c.bounds[1], c.bounds[2], c.link, e.part, e.layer,
                             e.paramGroup);
     }},
    {"seMenu",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createMultiSelectionSysExControl(
           c.name, e.paramIdx, c.x, c.y, c.w, menuHeight, static_cast<int>(c.bounds[0]),
           static_cast<int>(c.bounds[1]), static_cast<int>(c.bounds[2]), c.a, c.b,
           m.getValueList(c.valueList), c.msgZeroVal, c.color, c.sysexIndex, c.changingByte, e.part,
           e.layer, e.paramGroup, c.white);
     }},
    {"ccMenu",
     [](UIConfigManager& m, const LayoutElement& e, const ControlAttributes& c) {
       m.createMultiSelectionCCControl(c.ccNumber, c.channel, c.name, e.paramIdx, c.x, c.y, c.w,
                                       menuHeight, static_cast<int>(c.bounds[0]),
                                       static_cast<int>(c.bounds[1]), static_cast<int>(c.bounds[2]),
                                       c.a, c.b, m.getValueList(c.valueList), e.part, e.layer,
                                       e.paramGroup);
     }},
};

}  // namespace

void UIConfigManager::processControlElement(const LayoutElement& e) {
  const ControlAttributes attributes(e, *this);
  const std::string type = e.text("type");
  for (const auto& kind : controlKinds) {
    if (type != kind.type) continue;
    if (e.paramIdx < 0) {
      logSkipped("no parameter given");
      return;
    }
    kind.build(*this, e, attributes);
    return;
  }
}
