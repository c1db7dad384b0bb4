#include "tools/genimages/LayoutLabels.h"

#include <tinyxml2.h>

#include <cstdio>

#include "tools/genimages/Look.h"

namespace {

constexpr int kLabelSize = 10;
constexpr int kSmallestSize = 8;

const char* textOf(const tinyxml2::XMLElement* e, const char* name) {
  const char* value = e->Attribute(name);
  return value ? value : "";
}

}  // namespace

bool readPictureLabels(const char* layoutPath, PictureLabels& out) {
  tinyxml2::XMLDocument doc;
  if (doc.LoadFile(layoutPath) != tinyxml2::XML_SUCCESS) return false;
  const tinyxml2::XMLElement* root = doc.FirstChildElement("uiconfig");
  if (!root) return false;
  for (const tinyxml2::XMLElement* list = root->FirstChildElement("pictureLabels"); list;
       list = list->NextSiblingElement("pictureLabels")) {
    std::vector<PrintedLabel>& labels = out[textOf(list, "imageId")];
    for (const tinyxml2::XMLElement* l = list->FirstChildElement(); l;
         l = l->NextSiblingElement()) {
      PrintedLabel label{textOf(l, "text"), 0, 0, 0, 0};
      if (std::sscanf(textOf(l, "bounds"), "%d,%d,%d,%d", &label.x, &label.y, &label.w, &label.h) ==
          4)
        labels.push_back(label);
    }
  }
  return true;
}

void printLabels(Canvas& c, const std::vector<PrintedLabel>& labels) {
  for (const PrintedLabel& l : labels) {
    if (l.text.empty()) {
      c.roundRect(l.x, l.y, l.w, l.h, 2, hex(0x0C0D0F));
      continue;
    }
    int size = kLabelSize;
    while (size > kSmallestSize && c.textWidth(l.text.c_str(), size, true) > l.w) --size;
    c.text(l.text.c_str(), l.x, l.y, l.w, l.h, size, true, look::kInkDim);
  }
}
