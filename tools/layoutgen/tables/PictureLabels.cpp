#include "tools/layoutgen/detail/tables/PictureLabels.h"

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

struct Picture {
  int order;
  Chain chain;
  std::string image;
  Rect rect;
};

// What a picture prints, in the order it is drawn: sections, the wells of menus that draw
// nothing themselves, fields under text menus, fader grooves, then texts (control labels and
// captions).
enum class Kind { kSection, kWell, kField, kGroove, kLabel };
const char* const kKindTags[] = {"section", "well", "field", "groove", "label"};

struct Text {
  int order;
  Chain chain;
  Kind kind;
  std::string text;
  Rect box;
};

// A text menu's field: a little larger than the menu, whose height its builders fix.
constexpr int kMenuHeight = 13;
Rect fieldOf(const Element& menu) {
  const std::vector<int> at = numbers(menu.get("position"));
  return {at[0] - 2, at[1] - 1, at[2] + 4, kMenuHeight + 2};
}

// Menus whose text colour follows the style: black on the light style, grey on the dark.
bool printsByStyle(const Element& e) {
  return e.get("type") == "seMenu" || e.get("type") == "ccMenu";
}

// Drop menus print light texts whatever the style: a dark well with the menu's mark under them.
bool dropsDown(const Element& e) {
  return e.tag() == "dropMenu" && e.get("type") != "nameSelection";
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
      // The bank view draws its picture under its lists, and what lies on it is printed there.
      if (child.tag() == "background" || child.tag() == "patchBrowser") {
        const ImageSize size = imageSize(child.get("imageId"));
        const std::vector<int> at =
            numbers(child.get(child.tag() == "background" ? "position" : "bounds"));
        pictures.push_back({mNext++, chain, child.get("imageId"), {at[0], at[1], size.w, size.h}});
      } else if (child.tag() == "label") {
        texts.push_back(
            {mNext++, chain, Kind::kLabel, child.get("text"), rectOf(child.get("bounds"))});
      } else if (child.tag() == "section") {
        texts.push_back(
            {mNext++, chain, Kind::kSection, child.get("title"), rectOf(child.get("bounds"))});
      } else if (child.tag() == "well") {
        texts.push_back(
            {mNext++, chain, Kind::kWell, child.get("text"), rectOf(child.get("bounds"))});
      } else {
        if (child.tag() == "slidercontrol")
          texts.push_back({mNext, chain, Kind::kGroove, "", grooveOf(child)});
        if (printsByStyle(child)) texts.push_back({mNext, chain, Kind::kField, "", fieldOf(child)});
        if (dropsDown(child)) {
          const Rect menu = rectOf(child.get("bounds"));
          texts.push_back(
              {mNext, chain, Kind::kWell, "", {menu.x - 2, menu.y - 1, menu.w + 4, menu.h + 2}});
        }
        if (!child.get("labelBounds").empty())
          texts.push_back(
              {mNext, chain, Kind::kLabel, child.get("label"), rectOf(child.get("labelBounds"))});
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
  // A field reads by the style: the picture under it must be drawn for each style.
  if (t.kind == Kind::kField && isCommonImage(carrier->image))
    throw std::logic_error("a menu at " + std::to_string(t.box.x) + "," + std::to_string(t.box.y) +
                           " prints by style on the shared picture " + carrier->image);
  return *carrier;
}

}  // namespace

std::vector<Element> pictureLabels(const Element& uiconfig) {
  Walk walk;
  for (const Element& top : uiconfig.children())
    if (isContainer(top)) walk.layer(top, {});
  // Per picture: what it prints, by kind and place.
  std::map<std::string, std::map<std::tuple<Kind, int, int, int, int>, std::string>> labels;
  for (const Text& t : walk.texts) {
    const Picture& p = carrierOf(t, walk.pictures);
    const auto place =
        std::make_tuple(t.kind, t.box.y - p.rect.y, t.box.x - p.rect.x, t.box.w, t.box.h);
    auto [it, added] = labels[p.image].emplace(place, t.text);
    if (!added && it->second != t.text)
      throw std::logic_error(p.image + " would print " + t.text + " over " + it->second);
  }
  // Fields of menus that take turns (members of a decade) cannot share a picture.
  for (const Text& a : walk.texts)
    for (const Text& b : walk.texts)
      if (&a < &b && a.kind == Kind::kField && b.kind == Kind::kField && a.box.overlaps(b.box) &&
          &carrierOf(a, walk.pictures) == &carrierOf(b, walk.pictures))
        throw std::logic_error("two menu fields overlap at " + std::to_string(a.box.x) + "," +
                               std::to_string(a.box.y));
  std::vector<Element> out;
  for (const auto& picture : labels) {
    Element list("pictureLabels");
    list.attr("imageId", picture.first);
    for (const auto& label : picture.second) {
      const auto& [kind, y, x, w, h] = label.first;
      Element e(kKindTags[static_cast<int>(kind)]);
      if (kind == Kind::kSection) e.attr("title", label.second);
      if (kind == Kind::kLabel || kind == Kind::kWell) e.attr("text", label.second);
      list.add(std::move(e.attr("bounds", {x, y, w, h})));
    }
    out.push_back(std::move(list));
  }
  return out;
}

}  // namespace layout_tables
