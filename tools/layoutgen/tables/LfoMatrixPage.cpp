#include "tools/layoutgen/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections.
constexpr Box kLfo[3] = {{90, 80, 560, 176}, {90, 264, 560, 176}, {90, 448, 560, 176}};
constexpr Box kMatrix{660, 80, 830, 372};
constexpr Box kModifiers{660, 460, 830, 164};

constexpr int kSlotsPerColumn = 8;
constexpr int kColumnWidth = 404;
constexpr int kSlotPitch = 40;
constexpr int kMatrixTop = 24;
constexpr int kModifierTop = 24;
constexpr int kModifierPitch = 56;

std::vector<Element> lfo(int n) {
  const Box& s = kLfo[n - 1];
  const std::string id = "kLFO" + std::to_string(n);
  const std::string name = "LFO " + std::to_string(n) + " ";
  auto p = [&](const std::string& setting, const std::string& what, const std::string& label) {
    return Param{id + setting, name + what, label};
  };
  return {
      seMenu(p("Shape", "Shape", "SHAPE"), inPlate(s, 10, 56), 100, "lfoShape"),
      seKnob(p("Speed", "Speed", "SPEED"), inPlate(s, 124, 36), 128, 64),
      seButton(p("Clock", "Clocked", "CLOCK"), inPlate(s, 192, 54), "BTN_OFFON_ID"),
      seButton(p("SyncOnOff", "Key Sync", "SYNC"), inPlate(s, 246, 54), "BTN_OFFON_ID"),
      seKnob(p("Startphase", "Start Phase", "PHASE"), inPlate(s, 306, 36), 128, 0),
      seKnob(p("Delay", "Delay", "DELAY"), inPlate(s, 370, 36), 128, 0),
      seKnob(p("Fade", "Fade", "FADE"), inPlate(s, 434, 36), 128, 64),
      // Greyed while the LFO follows the clock.
      layer("lfo" + std::to_string(n) + "Free", 10 * n,
            {seKnob(p("Keytrack", "Keytrack", "KEYTRACK"), inPlate(s, 498, 36), 128, 64)}),
  };
}

At slotAt(int slot) {
  const int column = (slot - 1) / kSlotsPerColumn, row = (slot - 1) % kSlotsPerColumn;
  return inPlate(kMatrix, 10 + kColumnWidth * column, kMatrixTop + kSlotPitch * row);
}

std::vector<Element> matrix() {
  std::vector<Element> out;
  for (int n = 1; n <= 16; ++n) {
    const At at = slotAt(n);
    const std::string id = "kModulation" + twoDigits(n);
    const std::string name = "Mod " + std::to_string(n) + " ";
    out.push_back(seMenu({id + "Source", name + "Source", std::to_string(n)},
                         {at.x + 24, at.y + 13}, 150, "modulationSources", 0, LabelSide::kLeft));
    out.push_back(seKnob({id + "Amount", name + "Amount", "AMOUNT"}, {at.x + 182, at.y}, 128, 64,
                         "IKNOBROTATERCONTROL_ID3", LabelSide::kNone));
    out.push_back(seMenu({id + "Destination", name + "Destination", "DESTINATION"},
                         {at.x + 230, at.y + 13}, 170, "modulationDestinations", 0,
                         LabelSide::kNone));
  }
  return out;
}

At modifierAt(int m) {
  const int column = (m - 1) / 2, row = (m - 1) % 2;
  return inPlate(kModifiers, 10 + kColumnWidth * column, kModifierTop + kModifierPitch * row);
}

std::vector<Element> modifiers() {
  std::vector<Element> out;
  for (int m = 1; m <= 4; ++m) {
    const At at = modifierAt(m);
    const std::string id = "kModifier" + std::to_string(m);
    const std::string name = "Modifier " + std::to_string(m) + " ";
    out.push_back(seMenu({id + "Source1", name + "Source 1", std::to_string(m)},
                         {at.x + 24, at.y + 13}, 120, "modulationSources", 0, LabelSide::kLeft));
    out.push_back(seMenu({id + "SourceType", name + "Operator", "OPERATOR"},
                         {at.x + 152, at.y + 13}, 90, "modifierOperators", 0, LabelSide::kNone));
    out.push_back(seMenu({id + "Source2", name + "Source 2", "SOURCE 2"}, {at.x + 250, at.y + 13},
                         110, "modifier2Sources", 0, LabelSide::kNone));
    out.push_back(seKnob({id + "SourceAmount", name + "Amount", "AMOUNT"}, {at.x + 366, at.y}, 128,
                         64, "IKNOBROTATERCONTROL_ID3", LabelSide::kNone));
  }
  return out;
}

// Column headings of the matrix and the modifiers, above each column of slots.
std::vector<Element> headings() {
  std::vector<Element> out;
  for (int column = 0; column < 2; ++column) {
    const At slot = slotAt(1 + kSlotsPerColumn * column);
    out.push_back(caption("SOURCE", {slot.x + 24, slot.y - 14}, 150));
    out.push_back(caption("AMOUNT", {slot.x + 174, slot.y - 14}, 56));
    out.push_back(caption("DESTINATION", {slot.x + 230, slot.y - 14}, 170));
    const At modifier = modifierAt(1 + 2 * column);
    out.push_back(caption("SOURCE 1", {modifier.x + 24, modifier.y - 14}, 120));
    out.push_back(caption("OPERATOR", {modifier.x + 152, modifier.y - 14}, 90));
    out.push_back(caption("SOURCE 2", {modifier.x + 250, modifier.y - 14}, 110));
    out.push_back(caption("AMOUNT", {modifier.x + 358, modifier.y - 14}, 56));
  }
  return out;
}

}  // namespace

Element lfoModMatrixPage() {
  std::vector<Element> panel;
  for (int n = 1; n <= 3; ++n)
    for (Element& e : lfo(n)) panel.push_back(std::move(e));
  for (Element& e : matrix()) panel.push_back(std::move(e));
  for (Element& e : modifiers()) panel.push_back(std::move(e));

  std::vector<Element> page = {background("LFO_MODMATRIX_ID", kPageOrigin)};
  for (int n = 1; n <= 3; ++n) page.push_back(section("LFO " + std::to_string(n), kLfo[n - 1]));
  page.push_back(section("MODULATION MATRIX", kMatrix));
  page.push_back(section("MODIFIERS", kModifiers));
  for (Element& e : headings()) page.push_back(std::move(e));
  page.push_back(multilayer("lfoModMatrixPart", std::move(panel)));
  return layer("lfoModMatrix", 4, std::move(page));
}

}  // namespace layout_tables
