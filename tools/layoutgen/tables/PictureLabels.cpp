#include "tools/layoutgen/tables/PictureLabels.h"

#include <map>
#include <stdexcept>
#include <tuple>

#include "tools/layoutgen/tables/ImageSizes.h"

namespace layout_tables {
namespace {

using layout::Element;
using Chain = std::vector<const Element*>;

struct Rect {
  int x, y, w, h;
  bool overlaps(const Rect& o) const {
    return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
  }
};

struct Picture {
  int order;
  Chain chain;
  std::string image;
  Rect rect;
};

// A text, or a fader's groove when the text is empty.
struct Text {
  int order;
  Chain chain;
  std::string text;
  Rect box;
};

std::vector<int> numbers(const std::string& list) {
  std::vector<int> out;
  size_t start = 0;
  while (start < list.size()) {
    const size_t comma = list.find(',', start);
    out.push_back(std::stoi(list.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

Rect rectOf(const std::string& list) {
  const std::vector<int> n = numbers(list);
  return {n.at(0), n.at(1), n.at(2), n.at(3)};
}

constexpr int kGroove = 4;

// The groove under a fader's handle, along its travel.
Rect grooveOf(const Element& slider) {
  const std::vector<int> at = numbers(slider.get("position"));
  const int length = std::stoi(slider.get("length"));
  const ImageSize handle = imageSize(slider.get("imageId"));
  if (slider.get("type").find("Ver") != std::string::npos)
    return {at[0] + (handle.w - kGroove) / 2, at[1], kGroove, length};
  return {at[0], at[1] + (handle.h - kGroove) / 2, length, kGroove};
}

bool isContainer(const Element& e) {
  return e.tag() == "layer" || e.tag() == "multilayer";
}

// Walks the layers in drawing order: a layer's own controls, then its child layers. Part panels
// are alike, so a multilayer is walked once.
class Walk {
 public:
  void layer(const Element& e, Chain chain) {
    chain.push_back(&e);
    for (const Element& child : e.children()) {
      if (isContainer(child)) continue;
      if (child.tag() == "background") {
        const ImageSize size = imageSize(child.get("imageId"));
        const std::vector<int> at = numbers(child.get("position"));
        pictures.push_back({mNext++, chain, child.get("imageId"), {at[0], at[1], size.w, size.h}});
      } else if (child.tag() == "label") {
        texts.push_back({mNext++, chain, child.get("text"), rectOf(child.get("bounds"))});
      } else {
        if (child.tag() == "slidercontrol") texts.push_back({mNext, chain, "", grooveOf(child)});
        if (!child.get("labelBounds").empty())
          texts.push_back({mNext, chain, child.get("label"), rectOf(child.get("labelBounds"))});
        ++mNext;
      }
    }
    for (const Element& child : e.children())
      if (isContainer(child)) layer(child, chain);
  }

  std::vector<Picture> pictures;
  std::vector<Text> texts;

 private:
  int mNext = 0;
};

bool startsWith(const Chain& chain, const Chain& prefix) {
  return prefix.size() <= chain.size() && std::equal(prefix.begin(), prefix.end(), chain.begin());
}

const Picture& carrierOf(const Text& t, const std::vector<Picture>& pictures) {
  const Picture* carrier = nullptr;
  for (const Picture& p : pictures)
    if (p.order < t.order && startsWith(t.chain, p.chain) && p.rect.overlaps(t.box)) carrier = &p;
  if (!carrier) throw std::logic_error("label '" + t.text + "' lies on no picture");
  return *carrier;
}

}  // namespace

std::vector<Element> pictureLabels(const Element& uiconfig) {
  Walk walk;
  for (const Element& top : uiconfig.children())
    if (isContainer(top)) walk.layer(top, {});
  // Per picture: the texts by their place on it.
  std::map<std::string, std::map<std::tuple<int, int, int, int>, std::string>> labels;
  for (const Text& t : walk.texts) {
    const Picture& p = carrierOf(t, walk.pictures);
    const auto place = std::make_tuple(t.box.y - p.rect.y, t.box.x - p.rect.x, t.box.w, t.box.h);
    auto [it, added] = labels[p.image].emplace(place, t.text);
    if (!added && it->second != t.text)
      throw std::logic_error(p.image + " would print " + t.text + " over " + it->second);
  }
  std::vector<Element> out;
  for (const auto& picture : labels) {
    Element list("pictureLabels");
    list.attr("imageId", picture.first);
    for (const auto& label : picture.second) {
      const auto& [y, x, w, h] = label.first;
      if (label.second.empty())
        list.add(Element("groove").attr("bounds", {x, y, w, h}));
      else
        list.add(Element("label").attr("text", label.second).attr("bounds", {x, y, w, h}));
    }
    out.push_back(std::move(list));
  }
  return out;
}

}  // namespace layout_tables
