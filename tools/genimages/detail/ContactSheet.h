#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/genimages/Canvas.h"

// A review sheet of drawn pictures in three groups (common, light, dark), each labelled: strips
// of more than 16 frames show every 8th frame side by side; pictures wider than 760 pixels are
// shown at half size.
class ContactSheet {
 public:
  void add(int group, const std::string& name, std::unique_ptr<Canvas> picture, int frames,
           bool framesHorizontal);
  bool write(const char* path);

 private:
  struct Item {
    int group;
    std::string name;
    std::unique_ptr<Canvas> thumb;
  };
  std::vector<Item> mItems;
};
