#include "src/config/UIConfigManager.h"

namespace {

// Up to four numbers of a list attribute; what the layout leaves out reads 0.
struct Numbers {
  Numbers(const LayoutElement& e, const char* attribute, int count) {
    e.list(attribute, values, count);
  }
  int operator[](int i) const { return values[i]; }
  int values[4] = {0, 0, 0, 0};
};

// A builder chosen by the element's "type".
template <class Attributes>
struct Kind {
  const char* type;
  void (*build)(UIConfigManager&, const LayoutElement&, const Attributes&);
};

// Attributes of "dropMenu", read in one order whatever the type.
struct DropMenu {
  explicit DropMenu(const LayoutElement& e)
      : name(e.text("name")),
        bounds(e, "bounds", 4),
        inputDev(e, "inputDev", 2),
        values(e, "valueBounds", 3),
        valueList(e.text("valueList")) {}
  std::string name;
  Numbers bounds, inputDev, values;
  std::string valueList;
};

const Kind<DropMenu> dropMenuKinds[] = {
    {"textSelection",
     [](UIConfigManager& m, const LayoutElement& e, const DropMenu& d) {
       m.createDropDownMenu(d.name, e.paramIdx, d.bounds[0], d.bounds[1], d.bounds[2], d.bounds[3],
                            e.part, e.layer, e.paramGroup);
     }},
    {"deviceSelection",
     [](UIConfigManager& m, const LayoutElement& e, const DropMenu& d) {
       m.createMIDIDeviceSelectionControl("MIDI Setup", e.paramIdx, d.bounds[0], d.bounds[1],
                                          d.bounds[2], d.bounds[3], d.inputDev[0], e.part, e.layer,
                                          e.paramGroup);
     }},
    {"nameSelection",
     [](UIConfigManager& m, const LayoutElement& e, const DropMenu& d) {
       m.createNameDisplay(d.name, e.paramIdx, d.bounds[0], d.bounds[1], d.bounds[2], d.bounds[3],
                           e.integer("nameLen"), e.part, e.layer, e.paramGroup);
     }},
    {"dropSelection",
     [](UIConfigManager& m, const LayoutElement& e, const DropMenu& d) {
       m.createDropDownMenu2(d.name, e.paramIdx, d.bounds[0], d.bounds[1], d.bounds[2], d.bounds[3],
                             d.values[0], d.values[1], d.values[2], m.getValueList(d.valueList),
                             e.part, e.layer, e.paramGroup);
     }},
};

// Attributes of "multiFx" read before the type decides.
struct MultiFx {
  explicit MultiFx(const LayoutElement& e)
      : name(e.text("name")), valueList(e.text("valueList")), position(e, "position", 2) {}
  std::string name, valueList;
  Numbers position;
};

const Kind<MultiFx> multiFxKinds[] = {
    {"Knob",
     [](UIConfigManager& m, const LayoutElement& e, const MultiFx& f) {
       const Numbers v(e, "valueBounds", 4);
       m.createNoValKnobControl(f.name, e.paramIdx, f.position[0], f.position[1], e.imageId, v[0],
                                v[1], v[2], v[3], e.part, e.layer, e.paramGroup);
     }},
    {"Menu",
     [](UIConfigManager& m, const LayoutElement& e, const MultiFx& f) {
       const Numbers rect(e, "position", 4), v(e, "valueBounds", 3), visible(e, "visible", 2);
       int a, b;
       e.valueDisplay(a, b);
       m.createNoValDropDown(f.name, e.paramIdx, rect[0], rect[1], rect[2], rect[3], v[0], v[1],
                             v[2], a, b, visible[0], m.getValueList(f.valueList), e.part, e.layer,
                             e.paramGroup, e.integer("white") != 0);
     }},
};

// The kind of the element's "type"; null for another type, which builds nothing.
template <class Attributes, size_t N>
const Kind<Attributes>* kindOf(const LayoutElement& e, const Kind<Attributes> (&kinds)[N]) {
  const std::string type = e.text("type");
  for (const Kind<Attributes>& kind : kinds)
    if (type == kind.type) return &kind;
  return nullptr;
}

}  // namespace

bool UIConfigManager::hasParam(const LayoutElement& e) const {
  if (e.paramIdx >= 0) return true;
  logSkipped("no parameter given");
  return false;
}

void UIConfigManager::processPatchBrowser(const LayoutElement& e) {
  const Numbers bounds(e, "bounds", 4);
  librarianView =
      createLibrarianView(e.imageId, bounds[0], bounds[1], bounds[2], bounds[3], e.layer);
}

void UIConfigManager::processBackground(const LayoutElement& e) {
  const Numbers position(e, "position", 2);
  createBackground(e.imageId, position[0], position[1], e.layer);
}

void UIConfigManager::processDisplay(const LayoutElement& e) {
  const Numbers bounds(e, "bounds", 4);
  if (hasParam(e))
    createControlDisplay("Display", e.paramIdx, bounds[0], bounds[1], bounds[2], bounds[3], e.part,
                         e.layer, e.paramGroup, e.integer("white") != 0);
}

void UIConfigManager::processSwitch(const LayoutElement& e) {
  const Numbers position(e, "position", 2), values(e, "valueBounds", 3);
  if (hasParam(e))
    createBoolControl(e.text("name"), e.paramIdx, values[0], position[0], position[1], e.imageId,
                      e.part, e.layer, e.paramGroup);
}

void UIConfigManager::processAutoOff(const LayoutElement& e) {
  const Numbers position(e, "position", 2);
  if (hasParam(e))
    createSwitchControl(e.text("name"), e.paramIdx, 0, position[0], position[1], e.imageId, e.part,
                        e.layer, e.paramGroup);
}

void UIConfigManager::processDropMenu(const LayoutElement& e) {
  const DropMenu attributes(e);
  const Kind<DropMenu>* kind = kindOf(e, dropMenuKinds);
  if (kind && hasParam(e)) kind->build(*this, e, attributes);
}

void UIConfigManager::processMultiFx(const LayoutElement& e) {
  const MultiFx attributes(e);
  const Kind<MultiFx>* kind = kindOf(e, multiFxKinds);
  if (kind && hasParam(e)) kind->build(*this, e, attributes);
}

void UIConfigManager::processRadio(const LayoutElement& e) {
  const Numbers position(e, "position", 2);
  if (hasParam(e))
    createRadioControl(e.text("name"), e.paramIdx, position[0], position[1], e.imageId,
                       e.integer("buttons"), e.part, e.layer, e.paramGroup,
                       e.boolean("horizontal"));
}
