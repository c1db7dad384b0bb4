#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/genimages/Canvas.h"

// What the layout has printed on its pictures: control labels and captions, and the grooves of
// its faders (a label without text), listed per picture name in the layout's "pictureLabels"
// elements, boxes relative to the picture.
struct PrintedLabel {
  std::string text;
  int x, y, w, h;
};
using PictureLabels = std::map<std::string, std::vector<PrintedLabel>>;

// Reads the lists of a layout document; false, with nothing read, when it cannot be read.
bool readPictureLabels(const char* layoutPath, PictureLabels& out);

// Prints each text centred in its box, in the label face, smaller where the box is narrow; a
// groove as a dark slot.
void printLabels(Canvas& c, const std::vector<PrintedLabel>& labels);
