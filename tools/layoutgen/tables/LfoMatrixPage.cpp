#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections.
constexpr int kLfoHeight = (kPageBottom - 8 - kTopRow - 16) / 3;
constexpr Box kLfo[3] = {{90, kTopRow, 560, kLfoHeight},
                         {90, kTopRow + kLfoHeight + 8, 560, kLfoHeight},
                         {90, kTopRow + 2 * (kLfoHeight + 8), 560, kLfoHeight}};
constexpr Box kMatrix{660, kTopRow, 830, 406};
constexpr Box kModifiers{660, kTopRow + 414, 830, kPageBottom - 8 - kTopRow - 414};

constexpr int kSlotsPerColumn = 8;
constexpr int kColumnWidth = 404;
constexpr int kSlotPitch = 44;
constexpr int kMatrixTop = 26;
constexpr int kModifierTop = 30;
constexpr int kModifierPitch = 60;

// The lock in a section's top right corner.
At lockAt(const Box& s) {
  return inPlate(s, s.w - 30, 6);
}

// Each modulation slot and modifier has a lock of its own at the end of its row.
std::string slotLock(int n) {
  return n <= 8 ? "kSectionLockM" + std::to_string(n) + "F"
                : "kSectionLockM" + std::to_string(n - 8) + "S";
}

std::vector<Element> lfo(int n) {
  const Box& s = kLfo[n - 1];
  const std::string id = "kLFO" + std::to_string(n);
  const std::string name = "LFO " + std::to_string(n) + " ";
  auto p = [&](const std::string& setting, const std::string& what, const std::string& label) {
    return Param{id + setting, name + what, label};
  };
  return {
      seMenu(p("Shape", "Shape", "SHAPE"), inPlate(s, 10, 74), 96, "lfoShape"),
      seKnob(p("Speed", "Speed", "SPEED"), inPlate(s, 118, 52), 128, 64),
      seButton(p("Clock", "Clocked", "CLOCK"), inPlate(s, 186, 70), "BTN_OFFON_ID"),
      seButton(p("SyncOnOff", "Key Sync", "SYNC"), inPlate(s, 238, 70), "BTN_OFFON_ID"),
      seKnob(p("Startphase", "Start Phase", "PHASE"), inPlate(s, 290, 52), 128, 0),
      seKnob(p("Delay", "Delay", "DELAY"), inPlate(s, 352, 52), 128, 0),
      seKnob(p("Fade", "Fade", "FADE"), inPlate(s, 414, 52), 128, 64),
      sectionLock("kSectionLockLFO" + std::to_string(n), name + "Lock", lockAt(s)),
      // Greyed while the LFO follows the clock.
      layer("lfo" + std::to_string(n) + "Free", 10 * n,
            {seKnob(p("Keytrack", "Keytrack", "KEYTRACK"), inPlate(s, 476, 52), 128, 64)}),
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
                         {at.x + 230, at.y + 13}, 140, "modulationDestinations", 0,
                         LabelSide::kNone));
    out.push_back(sectionLock(slotLock(n), name + "Lock", {at.x + 376, at.y + 9}));
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
                         {at.x + 24, at.y + 13}, 108, "modulationSources", 0, LabelSide::kLeft));
    out.push_back(seMenu({id + "SourceType", name + "Operator", "OPERATOR"},
                         {at.x + 140, at.y + 13}, 80, "modifierOperators", 0, LabelSide::kNone));
    out.push_back(seMenu({id + "Source2", name + "Source 2", "SOURCE 2"}, {at.x + 228, at.y + 13},
                         96, "modifier2Sources", 0, LabelSide::kNone));
    out.push_back(seKnob({id + "SourceAmount", name + "Amount", "AMOUNT"}, {at.x + 330, at.y}, 128,
                         64, "IKNOBROTATERCONTROL_ID3", LabelSide::kNone));
    out.push_back(
        sectionLock("kSectionLockMod" + std::to_string(m), name + "Lock", {at.x + 376, at.y + 9}));
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
    out.push_back(caption("DESTINATION", {slot.x + 230, slot.y - 14}, 140));
    const At modifier = modifierAt(1 + 2 * column);
    out.push_back(caption("SOURCE 1", {modifier.x + 24, modifier.y - 14}, 108));
    out.push_back(caption("OPERATOR", {modifier.x + 140, modifier.y - 14}, 80));
    out.push_back(caption("SOURCE 2", {modifier.x + 228, modifier.y - 14}, 96));
    out.push_back(caption("AMOUNT", {modifier.x + 322, modifier.y - 14}, 56));
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
