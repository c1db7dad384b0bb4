#include "tools/genimages/detail/LayoutLabels.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kLabelSize = 10;
constexpr int kSmallestSize = 8;

const char* textOf(const tinyxml2::XMLElement* e, const char* name) {
  const char* value = e->Attribute(name);
  return value ? value : "";
}

bool kindOf(const char* tag, PrintedLabel::Kind& kind) {
  static const std::pair<const char*, PrintedLabel::Kind> kKinds[] = {
      {"section", PrintedLabel::kSection},
      {"well", PrintedLabel::kWell},
      {"field", PrintedLabel::kField},
      {"groove", PrintedLabel::kGroove},
      {"label", PrintedLabel::kLabel}};
  for (const auto& k : kKinds)
    if (std::strcmp(tag, k.first) == 0) {
      kind = k.second;
      return true;
    }
  return false;
}

void print(Canvas& c, const look::Palette& p, const PrintedLabel& l) {
  switch (l.kind) {
    case PrintedLabel::kSection:
      if (l.text.empty())
        look::plate(c, p, l.x, l.y, l.w, l.h);
      else
        look::section(c, p, l.text.c_str(), l.x, l.y, l.w, l.h);
      return;
    case PrintedLabel::kWell:
      look::menuWell(c, l.x, l.y, l.w, l.h, l.text.c_str());
      return;
    case PrintedLabel::kField:
      look::field(c, p, l.x, l.y, l.w, l.h);
      return;
    case PrintedLabel::kGroove:
      c.roundRect(l.x, l.y, l.w, l.h, 2, hex(0x0C0D0F));
      return;
    case PrintedLabel::kLabel: {
      int size = kLabelSize;
      while (size > kSmallestSize && c.textWidth(l.text.c_str(), size, true) > l.w) --size;
      c.text(l.text.c_str(), l.x, l.y, l.w, l.h, size, true, look::kInkDim);
    }
  }
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
      PrintedLabel label{PrintedLabel::kLabel, "", 0, 0, 0, 0};
      if (!kindOf(l->Name(), label.kind)) continue;
      label.text = textOf(l, label.kind == PrintedLabel::kSection ? "title" : "text");
      if (std::sscanf(textOf(l, "bounds"), "%d,%d,%d,%d", &label.x, &label.y, &label.w, &label.h) ==
          4)
        labels.push_back(label);
    }
  }
  return true;
}

void printLabels(Canvas& c, const look::Palette& p, const std::vector<PrintedLabel>& labels) {
  for (PrintedLabel::Kind kind : {PrintedLabel::kSection, PrintedLabel::kWell, PrintedLabel::kField,
                                  PrintedLabel::kGroove, PrintedLabel::kLabel})
    for (const PrintedLabel& l : labels)
      if (l.kind == kind) print(c, p, l);
}
