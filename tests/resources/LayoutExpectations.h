#pragma once

#include <string>
#include <vector>

// What the rest of the plug-in expects of its layout, written down from the places that rely
// on it: the layers and controls the plug-in core and the tab
// switching look up, the lists the value display reads, the controllers the device protocol
// maps and where the plug-in core puts controls of its own.
namespace layout_check {

// Layers taken from the layer map by name.
const std::vector<std::string>& lookedUpLayers();
// Parameters whose first control (or binding) the plug-in core keeps, and those whose changes by
// the user its dispatch acts on.
const std::vector<std::string>& lookedUpControls();

// Value lists the value display, the clock and the menus read by name.
const std::vector<std::string>& requiredLists();

// Controller numbers of the oscillators' octave, semitone and wave (sample choice).
extern const int kOctaveCC[3];
extern const int kSemitoneCC[3];
extern const int kSampleCC[2];

// Member layer ids the tab switching shows inside every part panel of a sound page.
std::vector<int> memberIds(const std::string& page);

// Places the plug-in core fills with controls of its own, and the main tabs they show on. A
// folder menu lies over the display of its list's selection, which the layout puts there.
struct CorePlace {
  const char* what;
  int l, t, r, b;
  unsigned tabs;  // bit n: main tab n
  const char* display = "";
};
std::vector<CorePlace> corePlaces();

}  // namespace layout_check
