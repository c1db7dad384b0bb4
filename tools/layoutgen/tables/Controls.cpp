#include "tools/layoutgen/detail/tables/Controls.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "src/config/ParameterIds.h"
#include "tools/layoutgen/detail/tables/ValueLists.h"
#include "tools/layoutgen/tables/ImageSizes.h"
#include "tools/layoutgen/tables/SysExTable.h"

namespace layout_tables {
namespace {

constexpr int kLabelHeight = 11;
// Menus of the MIDI-bound kinds are this high whatever the layout says.
constexpr int kMenuHeight = 13;

// The width the page picture's label font takes, about 7 pixels a capital.
int textWidth(const std::string& text) {
  return 7 * static_cast<int>(text.size()) + 4;
}

ImageSize sizeOf(const std::string& image) {
  const ImageSize size = imageSize(image);
  if (size.frames == 0) throw std::logic_error("no size for picture " + image);
  return size;
}

Element& withLabel(Element& e, const std::string& label, Box control, LabelSide side) {
  e.attr("label", label);
  if (side == LabelSide::kNone || label.empty()) return e;
  const int tw = textWidth(label);
  Box box{};
  switch (side) {
    case LabelSide::kBelow: {
      const int w = std::max(tw, control.w);
      box = {control.x + (control.w - w) / 2, control.y + control.h + 1, w, kLabelHeight};
      break;
    }
    case LabelSide::kAbove: {
      const int w = std::max(tw, control.w);
      box = {control.x + (control.w - w) / 2, control.y - kLabelHeight - 1, w, kLabelHeight};
      break;
    }
    case LabelSide::kLeft:
      box = {control.x - tw - 4, control.y + (control.h - kLabelHeight) / 2, tw, kLabelHeight};
      break;
    default:
      box = {control.x + control.w + 4, control.y + (control.h - kLabelHeight) / 2, tw,
             kLabelHeight};
      break;
  }
  return e.attr("labelBounds", {box.x, box.y, box.w, box.h});
}

Element control(const std::string& tag, const std::string& type, const Param& p) {
  Element e(tag);
  if (!type.empty()) e.attr("type", type);
  return e.attr("name", p.name).attr("paramId", p.id);
}

int sysexIndexFor(const Param& p) {
  const int index = sysexIndexOf(paramIndex(p.id));
  if (index < 0) throw std::logic_error(p.id + " sends no SysEx");
  return index;
}

Element& withSysEx(Element& e, const Param& p) {
  return e.attr("changingByte", kChangingByte).attr("sysexIndex", sysexIndexFor(p));
}

int listEntries(const std::string& list) {
  const int n = listSize(list);
  if (n == 0) throw std::logic_error("no value list " + list);
  return n;
}

Box imageBox(const std::string& image, At at) {
  const ImageSize s = sizeOf(image);
  return {at.x, at.y, s.w, s.h};
}

std::string range(int first, int values) {
  return std::to_string(first) + ":" + std::to_string(first + values - 1);
}

}  // namespace

int paramIndex(const std::string& paramId) {
  const size_t plus = paramId.find('+');
  const std::string name = paramId.substr(0, plus);
  const int offset = plus == std::string::npos ? 0 : std::stoi(paramId.substr(plus + 1));
  for (int i = 0; i < paramIdCount; ++i)
    if (name == paramIdTable[i].name) return paramIdTable[i].index + offset;
  return -1;
}

std::string twoDigits(int n) {
  char text[12];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string knobImage(int values) {
  static const int strips[] = {97, 49, 25, 12, 9, 8, 6, 5};
  if (values == 128) return "IKNOBROTATERCONTROL_ID2";
  for (int frames : strips)
    if (frames == values) return "IKNOBROTATERCONTROL_ID" + std::to_string(frames);
  // No strip of that many frames: the smallest whose frames still fall evenly on the values.
  for (auto it = std::rbegin(strips); it != std::rend(strips); ++it)
    if (values > 1 && (*it - 1) % (values - 1) == 0)
      return "IKNOBROTATERCONTROL_ID" + std::to_string(*it);
  throw std::logic_error("no knob strip for " + std::to_string(values) + " values");
}

Element seKnob(const Param& p, At at, int values, int def, const std::string& image,
               LabelSide side) {
  const std::string picture = image.empty() ? knobImage(values) : image;
  Element e = control("knobcontrol", "seKnob", p);
  e.attr("imageId", picture).attr("position", {at.x, at.y, 0});
  e.attr("valueBounds", {def, 0, values - 1, 1});
  withSysEx(e, p);
  return withLabel(e, p.label, imageBox(picture, at), side);
}

Element seMenu(const Param& p, At at, int width, const std::string& list, int def, LabelSide side) {
  Element e = control("menucontrol", "seMenu", p);
  e.attr("position", {at.x, at.y, width});
  e.attr("valueBounds", {def, 0, listEntries(list), 0}).attr("valueList", list);
  withSysEx(e, p);
  return withLabel(e, p.label, {at.x, at.y, width, kMenuHeight}, side);
}

Element seNumberMenu(const Param& p, At at, int width, int values, int first, int def) {
  Element e = control("menucontrol", "seMenu", p);
  e.attr("position", {at.x, at.y, width});
  e.attr("valueBounds", {def, 0, values, 0}).attr("valueDisplay", range(first, values));
  withSysEx(e, p);
  return withLabel(e, p.label, {at.x, at.y, width, kMenuHeight}, LabelSide::kAbove);
}

Element seButton(const Param& p, At at, const std::string& image, int def, LabelSide side) {
  Element e = control("buttoncontrol", "seButton", p);
  e.attr("imageId", image).attr("position", {at.x, at.y, 0}).attr("valueBounds", {def, 0, 1, 0});
  withSysEx(e, p);
  return withLabel(e, p.label, imageBox(image, at), side);
}

Element seSlider(const Param& p, At at, int length, int values, int def, int zeroVal,
                 bool vertical) {
  const std::string handle = vertical ? "SLIDER_PYSTY" : "SLIDER_VAAKA";
  Element e = control("slidercontrol", vertical ? "seSliderVer" : "seSliderHor", p);
  e.attr("imageId", handle).attr("position", {at.x, at.y, 0}).attr("length", length);
  e.attr("valueBounds", {def, 0, values - 1, 0}).attr("msgZeroVal", zeroVal);
  withSysEx(e, p);
  const ImageSize h = sizeOf(handle);
  return vertical ? withLabel(e, p.label, {at.x, at.y, h.w, length}, LabelSide::kBelow)
                  : withLabel(e, p.label, {at.x, at.y, length, h.h}, LabelSide::kAbove);
}

Element ccKnob(const Param& p, At at, int values, int def, int cc) {
  const std::string picture = knobImage(values);
  Element e = control("knobcontrol", "ccKnob", p);
  e.attr("imageId", picture).attr("position", {at.x, at.y, 0}).attr("ccNumber", cc);
  e.attr("valueBounds", {def, 0, values - 1, 1});
  return withLabel(e, p.label, imageBox(picture, at), LabelSide::kBelow);
}

Element ccNumberMenu(const Param& p, At at, int width, int values, int first, int cc,
                     LabelSide side) {
  Element e = control("menucontrol", "ccMenu", p);
  e.attr("position", {at.x, at.y, width}).attr("ccNumber", cc);
  e.attr("valueBounds", {0, 0, values, 0}).attr("valueDisplay", range(first, values));
  return withLabel(e, p.label, {at.x, at.y, width, kMenuHeight}, side);
}

Element dropMenu(const Param& p, At at, int width, int height, const std::string& list, int def,
                 LabelSide side) {
  Element e = control("dropMenu", "dropSelection", p);
  e.attr("bounds", {at.x, at.y, width, height});
  e.attr("valueBounds", {def, 0, listEntries(list)}).attr("valueList", list);
  return withLabel(e, p.label, {at.x, at.y, width, height}, side);
}

Element textMenu(const Param& p, At at, int width, int height, LabelSide side) {
  Element e = control("dropMenu", "textSelection", p);
  e.attr("bounds", {at.x, at.y, width, height});
  return withLabel(e, p.label, {at.x, at.y, width, height}, side);
}

Element noValueKnob(const Param& p, At at, int values, int def, LabelSide side) {
  const std::string picture = "IKNOBROTATERCONTROL_ID3";
  if (values != imageSize(picture).frames) throw std::logic_error(p.id + ": frames and values");
  Element e = control("multiFx", "Knob", p);
  e.attr("imageId", picture).attr("position", {at.x, at.y});
  e.attr("valueBounds", {def, 0, values - 1, 1});
  return withLabel(e, p.label, imageBox(picture, at), side);
}

Element deviceMenu(const Param& p, At at, int width, int height, bool input) {
  Element e = control("dropMenu", "deviceSelection", p);
  e.attr("bounds", {at.x, at.y, width, height}).attr("inputDev", {input ? 1 : 0, 0});
  return withLabel(e, p.label, {at.x, at.y, width, height}, LabelSide::kRight);
}

Element nameField(const Param& p, At at, int width, int height, int nameLength, LabelSide side) {
  Element e = control("dropMenu", "nameSelection", p);
  e.attr("bounds", {at.x, at.y, width, height}).attr("nameLen", nameLength);
  return withLabel(e, p.label, {at.x, at.y, width, height}, side);
}

Element onOff(const Param& p, At at, const std::string& image, int def, LabelSide side) {
  Element e = control("switch", "", p);
  e.attr("imageId", image).attr("position", {at.x, at.y}).attr("valueBounds", {def, 0, 1});
  return withLabel(e, p.label, imageBox(image, at), side);
}

Element momentary(const Param& p, At at, const std::string& image, LabelSide side) {
  Element e = control("autooff", "", p);
  e.attr("imageId", image).attr("position", {at.x, at.y});
  return withLabel(e, p.label, imageBox(image, at), side);
}

Element trigger(const Param& p, At at) {
  Element e = momentary(p, at, "ID_TRIGGER", LabelSide::kNone);
  const Box box = imageBox("ID_TRIGGER", at);
  return e.attr("labelBounds", {box.x, box.y, box.w, box.h});
}

Element radio(const Param& p, At at, const std::string& image, int buttons) {
  Element e = control("radio", "", p);
  e.attr("imageId", image).attr("position", {at.x, at.y}).attr("buttons", buttons);
  return e.attr("horizontal", "false").attr("label", p.label);
}

Element display(const std::string& paramId, const std::string& label, At at, int width, int height,
                bool white) {
  Element e("display");
  e.attr("paramId", paramId).attr("bounds", {at.x, at.y, width, height});
  if (white) e.attr("white", 1);
  return e.attr("label", label);
}

Element background(const std::string& image, At at) {
  sizeOf(image);
  return Element("background").attr("imageId", image).attr("position", {at.x, at.y});
}

Element layer(const std::string& name, int id, std::vector<Element> children) {
  Element e("layer");
  e.attr("name", name).attr("id", id);
  return e.add(std::move(children));
}

Element overlayLayer(const std::string& name, int id, std::vector<Element> children) {
  return layer(name, id, std::move(children)).attr("overlay", "true");
}

Element multilayer(const std::string& name, std::vector<Element> children) {
  Element e("multilayer");
  e.attr("name", name).attr("create", 16);
  return e.add(std::move(children));
}

Element section(const std::string& title, const Box& box) {
  return Element("section").attr("title", title).attr("bounds", {box.x, box.y, box.w, box.h});
}

Element plate(const Box& box) {
  return section("", box);
}

Element sectionLock(const std::string& paramId, const std::string& name, At at) {
  return onOff({paramId, name, "LOCK"}, at, "BUTTON_LOCK_ID", 0, LabelSide::kNone);
}

Element caption(const std::string& text, At at, int width) {
  return Element("label").attr("text", text).attr("bounds", {at.x, at.y, width, kLabelHeight});
}

}  // namespace layout_tables
