#include <cstdio>

#include "resources/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kLeftX = 200;
constexpr int kLeftW = 640;
constexpr int kLfoH = 100;
constexpr int kModifiersY = 436;
constexpr int kModifiersH = 280;
constexpr int kMatrixX = 850;
constexpr int kMatrixW = 630;
constexpr int kMatrixH = 604;
constexpr int kSlots = 16;
constexpr int kSlotPitch = 34;

int lfoY(int lfo) {
  return 112 + (kLfoH + 8) * (lfo - 1);
}

std::vector<Element> lfo(int n) {
  const int x = kLeftX, y = lfoY(n);
  const std::string id = "kLFO" + std::to_string(n);
  const std::string name = "LFO " + std::to_string(n) + " ";
  auto p = [&](const std::string& setting, const std::string& what, const std::string& label) {
    return Param{id + setting, name + what, label};
  };
  return {
      seMenu(p("Shape", "Shape", "SHAPE"), {x + 12, y + 44}, 90, "lfoShape"),
      seKnob(p("Speed", "Speed", "SPEED"), {x + 116, y + 26}, 128, 64),
      seButton(p("SyncOnOff", "Sync", "SYNC"), {x + 176, y + 44}, "BTN_OFFON_ID"),
      seButton(p("Clock", "Clocked", "CLOCK"), {x + 226, y + 44}, "BTN_OFFON_ID"),
      seKnob(p("Startphase", "Start Phase", "START PHASE"), {x + 280, y + 26}, 128, 0),
      seKnob(p("Delay", "Delay", "DELAY"), {x + 346, y + 26}, 128, 0),
      seKnob(p("Fade", "Fade", "FADE"), {x + 408, y + 26}, 128, 64),
      // Greyed while the LFO follows the clock.
      layer("lfo" + std::to_string(n) + "Free", 10 * n,
            {seKnob(p("Keytrack", "Keytrack", "KEYTRACK"), {x + 470, y + 26}, 128, 64)}),
  };
}

int modifierY(int m) {
  return kModifiersY + 36 + 58 * (m - 1);
}

constexpr int kMatrixTop = 112 + 40;

std::vector<Element> modifiers() {
  std::vector<Element> out;
  for (int m = 1; m <= 4; ++m) {
    const int y = modifierY(m);
    const std::string id = "kModifier" + std::to_string(m);
    const std::string name = "Modifier " + std::to_string(m) + " ";
    out.push_back(seMenu({id + "Source1", name + "Source 1", "SOURCE 1"}, {kLeftX + 40, y}, 110,
                         "modulationSources"));
    out.push_back(seMenu({id + "SourceType", name + "Operator", "OPERATOR"}, {kLeftX + 164, y}, 90,
                         "modifierOperators"));
    out.push_back(seMenu({id + "Source2", name + "Source 2", "SOURCE 2"}, {kLeftX + 268, y}, 110,
                         "modifier2Sources"));
    out.push_back(
        seKnob({id + "SourceAmount", name + "Amount", "AMOUNT"}, {kLeftX + 400, y - 16}, 128, 64));
  }
  return out;
}

std::vector<Element> matrix() {
  const int x = kMatrixX, top = kMatrixTop;
  std::vector<Element> out;
  for (int n = 1; n <= kSlots; ++n) {
    const int y = top + kSlotPitch * (n - 1);
    char slot[3];
    std::snprintf(slot, sizeof slot, "%02d", n);
    const std::string id = std::string("kModulation") + slot;
    const std::string name = "Mod " + std::to_string(n) + " ";
    out.push_back(seMenu({id + "Source", name + "Source", std::to_string(n)}, {x + 40, y + 7}, 130,
                         "modulationSources", 0, LabelSide::kLeft));
    out.push_back(seKnob({id + "Amount", name + "Amount", "AMOUNT"}, {x + 186, y + 1}, 128, 64,
                         "IKNOBROTATERCONTROL_ID3", LabelSide::kNone));
    out.push_back(seMenu({id + "Destination", name + "Destination", "DESTINATION"},
                         {x + 230, y + 7}, 170, "modulationDestinations", 0, LabelSide::kNone));
  }
  return out;
}

}  // namespace

Element lfoModMatrixPage() {
  std::vector<Element> panel;
  for (int n = 1; n <= 3; ++n)
    for (Element& e : lfo(n)) panel.push_back(std::move(e));
  for (Element& e : modifiers()) panel.push_back(std::move(e));
  for (Element& e : matrix()) panel.push_back(std::move(e));

  std::vector<Element> page = {background("LFO_MODMATRIX_ID", kPageOrigin)};
  for (int n = 1; n <= 3; ++n)
    page.push_back(section("LFO " + std::to_string(n), {kLeftX, lfoY(n)}, kLeftW, kLfoH));
  page.push_back(section("MODIFIERS", {kLeftX, kModifiersY}, kLeftW, kModifiersH));
  for (int m = 1; m <= 4; ++m)
    page.push_back(caption(std::to_string(m), {kLeftX + 12, modifierY(m) + 1}, 20));
  page.push_back(section("MODULATION MATRIX", {kMatrixX, 112}, kMatrixW, kMatrixH));
  page.push_back(caption("SOURCE", {kMatrixX + 40, kMatrixTop - 14}, 130));
  page.push_back(caption("AMOUNT", {kMatrixX + 174, kMatrixTop - 14}, 50));
  page.push_back(caption("DESTINATION", {kMatrixX + 230, kMatrixTop - 14}, 170));
  page.push_back(multilayer("lfoModMatrixPart", std::move(panel)));
  return layer("lfoModMatrix", 4, std::move(page));
}

}  // namespace layout_tables
