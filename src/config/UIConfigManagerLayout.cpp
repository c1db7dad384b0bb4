#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

namespace {

// A decimal integer at the start of the text, as a stream reads it; 0 when there is none.
int leadingInt(const std::string& text) {
  std::istringstream stream(text);
  int value = 0;
  stream >> value;
  return value;
}

}  // namespace

std::string LayoutElement::text(const char* attribute) const {
  const char* value = xml.Attribute(attribute);
  return value ? value : "";
}

int LayoutElement::integer(const char* attribute, int fallback) const {
  int value = fallback;
  xml.QueryIntAttribute(attribute, &value);
  return value;
}

bool LayoutElement::boolean(const char* attribute, bool fallback) const {
  bool value = fallback;
  xml.QueryBoolAttribute(attribute, &value);
  return value;
}

void LayoutElement::list(const char* attribute, int* values, int count) const {
  UIConfigManager::getCSValues(text(attribute), values, count);
}

void LayoutElement::valueDisplay(int& a, int& b) const {
  a = b = -1;
  std::vector<std::string> pieces;
  UIConfigManager::Tokenize(text("valueDisplay"), pieces, ":");
  if (pieces.size() != 2) return;
  a = leadingInt(pieces[0]);
  b = leadingInt(pieces[1]);
}

std::string LayoutElement::where() const {
  return std::string(name) + " at line " + std::to_string(line);
}

void UIConfigManager::processXMLElement(const XMLNode* node, ControlLayer* layer, int part) {
  for (; node; node = node->NextSibling())
    if (const XMLElement* element = node->ToElement()) processElement(*element, layer, part);
}

void UIConfigManager::processElement(const XMLElement& xml, ControlLayer* layer, int part) {
  using Handler = void (UIConfigManager::*)(const LayoutElement&);
  static const struct {
    const char* name;
    Handler handler;
  } handlers[] = {
      {"patchBrowser", &UIConfigManager::processPatchBrowser},
      {"layer", &UIConfigManager::processLayer},
      {"fxlayer", &UIConfigManager::processLayer},
      {"multifxlayer", &UIConfigManager::processLayer},
      {"envelopelayer", &UIConfigManager::processLayer},
      {"oscillator1layer", &UIConfigManager::processLayer},
      {"oscillator2layer", &UIConfigManager::processLayer},
      {"modlayer", &UIConfigManager::processLayer},
      {"banklayer", &UIConfigManager::processLayer},
      {"multilayer", &UIConfigManager::processMultiLayer},
      {"background", &UIConfigManager::processBackground},
      {"display", &UIConfigManager::processDisplay},
      {"switch", &UIConfigManager::processSwitch},
      {"autooff", &UIConfigManager::processAutoOff},
      {"dropMenu", &UIConfigManager::processDropMenu},
      {"multiFx", &UIConfigManager::processMultiFx},
      {"radio", &UIConfigManager::processRadio},
      {"knobcontrol", &UIConfigManager::processControlElement},
      {"buttoncontrol", &UIConfigManager::processControlElement},
      {"menucontrol", &UIConfigManager::processControlElement},
      {"slidercontrol", &UIConfigManager::processControlElement},
  };

  LayoutElement e{xml, xml.Value(), xml.GetLineNum(), layer, part, "", "", -1, 0};
  e.imageId = e.text("imageId");
  e.paramGroup = e.text("paramGroup");
  e.channel = e.integer("channel");

  Handler handler = nullptr;
  for (const auto& entry : handlers)
    if (std::strcmp(e.name, entry.name) == 0) handler = entry.handler;
  const bool container =
      handler == &UIConfigManager::processLayer || handler == &UIConfigManager::processMultiLayer;

  const LayoutElement* outer = mElement;
  mElement = &e;
  const std::string fault = resolveParamIdx(e);
  if (fault.empty() || container) {
    // A container's parameter serves only the part step: its contents are built without it.
    if (!fault.empty()) log(fault + "; " + e.where() + " is built without it!");
    if (handler) (this->*handler)(e);
    closeElement(e);
  } else {
    logSkipped(fault);
  }
  mElement = outer;
}

std::string UIConfigManager::resolveParamIdx(LayoutElement& e) const {
  const std::string id = e.text("paramId");
  if (id.empty()) return "";
  std::vector<std::string> pieces;
  Tokenize(id, pieces, "+");
  const int base = pieces.empty() ? -1 : findParam(pieces[0]);
  // An unknown identifier stays unknown: adding the part to -1 would name another parameter.
  if (base < 0) return "parameter " + (pieces.empty() ? id : pieces[0]) + " NOT FOUND";
  long long index = static_cast<long long>(base) + std::max(e.part, 0);
  if (pieces.size() >= 2) index += leadingInt(pieces[1]);
  if (index < 0 || index >= numParams)
    return "parameter " + id + " names no parameter (index " + std::to_string(index) + ")";
  e.paramIdx = static_cast<int>(index);
  return "";
}

void UIConfigManager::closeElement(const LayoutElement& e) {
  if (ControlAction* action = getControlAction(e.paramIdx))
    action->part = e.part >= 0 ? e.part : e.channel - 1;
}

void UIConfigManager::processLayer(const LayoutElement& e) {
  const std::string name = e.text("name");
  ControlLayer* layer = newLayer(e.integer("id"), name);
  attachLayer(layer, e.layer);
  layerMap[name] = layer;
  processXMLElement(e.xml.FirstChild(), layer, e.part);
  // After the contents, so that the flag reaches every layer inside.
  setLayerOverlay(layer, e.text("overlay") == "true");
}

void UIConfigManager::processMultiLayer(const LayoutElement& e) {
  const int copies = e.integer("create");
  const std::string base = e.text("name");
  for (int i = 0; i < copies; ++i) {
    const std::string name = base + std::to_string(i);
    ControlLayer* copy = newLayer(i, name);
    processXMLElement(e.xml.FirstChild(), copy, i);
    layerMap[name] = copy;
    attachLayer(copy, e.layer);
  }
}

ControlLayer* UIConfigManager::getLayer(const std::string& name) const {
  const auto it = layerMap.find(name);
  return it == layerMap.end() ? nullptr : it->second;
}
