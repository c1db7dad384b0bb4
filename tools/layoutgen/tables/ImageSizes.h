#pragma once

#include <string>

// The size at scale 1.0 of one frame of each picture of the image table, as the drawn image set
// has it, and its frame count. The layout places its controls and labels by these sizes.
namespace layout_tables {

struct ImageSize {
  int w = 0;
  int h = 0;
  int frames = 0;  // 0: no picture of that name
};

ImageSize imageSize(const std::string& name);
// Whether both styles draw the picture from one file.
bool isCommonImage(const std::string& name);

}  // namespace layout_tables
