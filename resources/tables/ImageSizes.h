#pragma once

#include <string>

// The size at scale 1.0 of one frame of each picture the layout names, and its frame count.
// The layout places its controls and labels by these sizes; the drawn image set keeps them.
namespace layout_tables {

struct ImageSize {
  int w = 0;
  int h = 0;
  int frames = 0;  // 0: the layout knows no picture of that name
};

ImageSize imageSize(const std::string& name);

}  // namespace layout_tables
