#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/genimages/Look.h"

// What the layout has printed on its pictures, listed per picture name in the layout's
// "pictureLabels" elements, boxes relative to the picture: titled sections (a bare plate when
// the title is empty), the wells of menus that draw nothing themselves, the fields under text
// menus, the grooves of its faders, and control labels and captions.
struct PrintedLabel {
  enum Kind { kSection, kWell, kField, kGroove, kLabel };
  Kind kind;
  std::string text;
  int x, y, w, h;
};
using PictureLabels = std::map<std::string, std::vector<PrintedLabel>>;

// Reads the lists of a layout document; false, with nothing read, when it cannot be read.
bool readPictureLabels(const char* layoutPath, PictureLabels& out);

// Draws the sections first, then wells, fields, grooves and texts: a text centred in its box in the
// label face, smaller where the box is narrow; a groove as a dark slot; a field in the style's
// field colour, on which its menu's text reads.
void printLabels(Canvas& c, const look::Palette& p, const std::vector<PrintedLabel>& labels);
