#pragma once

#include "tools/genimages/Look.h"

// One frame to draw: its box, which frame (0-based) of how many, and the art's own number and
// text (a part number, a key's label).
struct Frame {
  int x, y, w, h;
  int frame, frames;
  int variant;
  const char* label;
};

using Painter = void (*)(Canvas& c, const look::Palette& p, const Frame& f);

// The size of one frame of a picture and what draws it.
struct Art {
  int w, h;
  Painter paint;
  int variant = 0;
  const char* label = "";
};

// The art of a bundle file, by its name without folder and extension; null for an unknown one.
const Art* artFor(const char* stem);
