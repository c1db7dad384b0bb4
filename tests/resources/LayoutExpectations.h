#pragma once

#include <string>
#include <vector>

// What the rest of the plug-in expects of its layout, written down from the places that rely
// on it: the layers and controls the plug-in core and the tab switching look up, and the
// controllers the device protocol maps.
namespace layout_check {

// Layers taken from the layer map by name.
const std::vector<std::string>& lookedUpLayers();
// Parameters whose first control (or binding) the plug-in core keeps, and those whose changes by
// the user its dispatch acts on.
const std::vector<std::string>& lookedUpControls();

// Controller numbers of the oscillators' octave and semitone.
extern const int kOctaveCC[3];
extern const int kSemitoneCC[3];

}  // namespace layout_check
