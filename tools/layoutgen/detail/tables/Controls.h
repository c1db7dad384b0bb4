#pragma once

#include <string>
#include <vector>

#include "tools/layoutgen/detail/Element.h"

// Builders of layout elements for the page tables. Positions are window pixels at scale 1.0.
// Each control carries, besides the attributes the interpreter reads, the text printed beside
// it on its page ("label") and where ("labelBounds"); the interpreter passes both over.
namespace layout_tables {

using layout::Element;

// The index of an identifier, optionally followed by "+" and an offset; -1 when unknown.
int paramIndex(const std::string& paramId);

// A number of two digits, as the numbered identifiers and layer names write it ("07").
std::string twoDigits(int n);

// The knob strip whose frames fall evenly on `values` values (the normal knob for 128).
std::string knobImage(int values);

struct At {
  int x;
  int y;
};

// A titled section of a page picture, in window pixels: its title band, then its plate.
struct Box {
  int x, y, w, h;
};
constexpr int kTitleBand = 24;
// A point of a section's plate, from the plate's top-left corner.
constexpr At inPlate(const Box& s, int dx, int dy) {
  return {s.x + dx, s.y + kTitleBand + dy};
}

// What every control names: its parameter, its name for the host and the value display, and
// the short label printed on the page.
struct Param {
  std::string id;
  std::string name;
  std::string label;
};

// Where a control's label goes relative to the control.
enum class LabelSide { kBelow, kAbove, kRight, kLeft, kNone };

// SysEx-bound controls, sent through the parameter's SysEx index (changing byte 8).
Element seKnob(const Param& p, At at, int values, int def, const std::string& image = "",
               LabelSide side = LabelSide::kBelow);
Element seMenu(const Param& p, At at, int width, const std::string& list, int def = 0,
               LabelSide side = LabelSide::kAbove);
// A menu of numbered entries first..first + values - 1 instead of a list.
Element seNumberMenu(const Param& p, At at, int width, int values, int first, int def = 0);
Element seButton(const Param& p, At at, const std::string& image, int def = 0,
                 LabelSide side = LabelSide::kAbove);
// A fader over 0..values-1 that sends value + zeroVal.
Element seSlider(const Param& p, At at, int length, int values, int def, int zeroVal,
                 bool vertical = false);

// Controller-bound controls on the part's MIDI channel.
Element ccKnob(const Param& p, At at, int values, int def, int cc);
Element ccNumberMenu(const Param& p, At at, int width, int values, int first, int cc,
                     LabelSide side = LabelSide::kAbove);

// Controls without a MIDI binding of their own.
Element dropMenu(const Param& p, At at, int width, int height, const std::string& list, int def = 0,
                 LabelSide side = LabelSide::kAbove);
Element textMenu(const Param& p, At at, int width, int height, LabelSide side = LabelSide::kAbove);
// A knob of 0..values-1 without a MIDI binding of its own (the small knob).
Element noValueKnob(const Param& p, At at, int values, int def, LabelSide side = LabelSide::kBelow);
Element deviceMenu(const Param& p, At at, int width, int height, bool input);
Element nameField(const Param& p, At at, int width, int height, int nameLength,
                  LabelSide side = LabelSide::kAbove);
Element onOff(const Param& p, At at, const std::string& image, int def = 0,
              LabelSide side = LabelSide::kRight);
Element momentary(const Param& p, At at, const std::string& image,
                  LabelSide side = LabelSide::kRight);
// A momentary button whose picture is the label itself.
Element trigger(const Param& p, At at);
Element radio(const Param& p, At at, const std::string& image, int buttons);
Element display(const std::string& paramId, const std::string& label, At at, int width, int height,
                bool white = false);
Element background(const std::string& image, At at);

// Containers.
Element layer(const std::string& name, int id, std::vector<Element> children);
Element multilayer(const std::string& name, std::vector<Element> children);
// A layer shown over a page (a dialog, a panel, a field that comes and goes): once hidden, the
// area of its first control is drawn anew, so that first control must cover the layer.
Element overlayLayer(const std::string& name, int id, std::vector<Element> children);
// A framed and titled area of a page, for the drawn page picture; the interpreter skips it.
Element section(const std::string& title, const Box& box);
// A framed area without a title.
Element plate(const Box& box);
// The lock of a section of the sound (kPartLock and the section locks): a switch the librarian
// and the dump transfers read, in the section's top right corner.
Element sectionLock(const std::string& paramId, const std::string& name, At at);
// Text of the page picture that labels a row or column of controls; skipped likewise.
Element caption(const std::string& text, At at, int width);

}  // namespace layout_tables
