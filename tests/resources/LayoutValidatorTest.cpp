// Checks the shipped layout (the enciphered resources of the built bundle) against what the
// plug-in relies on. Later layout changes keep these true.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "src/config/ParameterIds.h"
#include "src/editor/DisplayRules.h"
#include "src/editor/ImageTable.h"
#include "src/protocol/SoundDump.h"
#include "tests/resources/LayoutExpectations.h"
#include "tests/resources/LayoutWalk.h"

namespace {

using layout_check::Control;
using layout_check::Layer;
using layout_check::Layout;
using layout_check::Rect;

constexpr Rect kWindow{0, 0, 1500, 757};
constexpr unsigned kAllTabs = 0x3F;

const Layout& layout() {
  return layout_check::shippedLayout();
}

// An identifier with an optional "+offset", as an index.
int indexOf(const std::string& id) {
  const size_t plus = id.find('+');
  const int base = layout().config().getParamByName(id.substr(0, plus));
  return plus == std::string::npos ? base : base + std::stoi(id.substr(plus + 1));
}

bool isKnob(const Control& c) {
  return c.type == "seKnob" || c.type == "ccKnob" || (c.tag == "multiFx" && c.type == "Knob");
}
bool isSysEx(const Control& c) {
  return c.type == "seKnob" || c.type == "seMenu" || c.type == "seButton" ||
         c.type == "seSliderHor" || c.type == "seSliderVer";
}
bool isMenu(const Control& c) {
  return c.type == "seMenu" || c.type == "ccMenu" || c.type == "dropSelection";
}

// The copy index of the part panel holding a layer, -1 outside part panels.
int copyOf(const Layer* layer) {
  for (; layer; layer = layer->parent)
    if (layer->copy) return layer->id;
  return -1;
}

// When a control can be seen: the main tabs, and the choices between alternatives (part
// panels, members of a decade, one of several panels) that must agree for two controls to be
// seen together. Overlay panels are seen alone.
struct Visibility {
  unsigned tabs = kAllTabs;
  std::map<std::string, int> choices;
  std::string overlay;

  bool together(const Visibility& o) const {
    if ((tabs & o.tabs) == 0 || overlay != o.overlay) return false;
    for (const auto& c : choices) {
      auto it = o.choices.find(c.first);
      if (it != o.choices.end() && it->second != c.second) return false;
    }
    return true;
  }
};

// How the tab switching shows the layers beside the root: on which tabs, and as which of the
// alternatives one choice picks between (each name its own). Layers not listed are overlays.
struct TopLayer {
  const char* prefixes;
  unsigned tabs;
  const char* choice;  // "" when always seen on its tabs
};
const TopLayer kTopLayers[] = {
    {"miniMixer", kAllTabs & ~1u, ""},
    {"bankAndProgram", kAllTabs, "bank panel"},
    {"filter1", 1u << 3, "filter1"},
    {"filter2", 1u << 3, "filter2"},
    {"categoryLimit searchField", 1u << 1, "lower list"},
    {"discardChangesLayerRight keepBankOpenLayer", 1u << 1, "keep"},
    {"saveChangesLayer", 1u << 1, ""},
    {"Bypass Chorus Flanger Phaser Overdrive TripleFX Delay Reverb", 1u << 5, "effect 2 panel"},
};

Visibility topLayerVisibility(const std::string& name) {
  Visibility v;
  for (const TopLayer& row : kTopLayers) {
    std::istringstream prefixes(row.prefixes);
    for (std::string prefix; prefixes >> prefix;) {
      if (name.rfind(prefix, 0) != 0) continue;
      v.tabs = row.tabs;
      if (*row.choice) v.choices[row.choice] = static_cast<int>(std::hash<std::string>()(name));
      return v;
    }
  }
  v.overlay = name;
  return v;
}

Visibility visibilityOf(const Control& c) {
  const Layer* top = layout_check::topOf(c.layer);
  if (!top) return {};
  if (top->name != "root") return topLayerVisibility(top->name);
  Visibility v;
  std::vector<const Layer*> chain;
  for (const Layer* l = c.layer; l && l != top; l = l->parent) chain.insert(chain.begin(), l);
  if (chain.empty()) return v;
  const int page = chain.front()->id;
  v.tabs = 1u << page;
  for (const Layer* l : chain) {
    if (l->copy) v.choices["part panel"] = l->id;
    if (l->parent && l->parent->copy) v.choices["decade " + std::to_string(l->id / 10)] = l->id;
  }
  return v;
}

// What a control takes of the window: its rectangle and, when printed, its label.
struct Shape {
  const Control* owner;
  Rect rect;
  bool label;
};

// The pictures of the layout, part panels but the first left out (they are alike).
std::vector<const Control*> picturesOf(const Layout& layout) {
  std::vector<const Control*> pictures;
  for (const Control& c : layout.controls())
    if (c.decoration && copyOf(c.layer) <= 0) pictures.push_back(&c);
  return pictures;
}

bool ownOrAbove(const Layer* picture, const Layer* layer) {
  for (; layer; layer = layer->parent)
    if (layer == picture) return true;
  return false;
}

// The picture a control's label is printed on: the last drawn before the control, in its own
// layer or above, that the label lies on. Null when none.
const Control* carrierOf(const Control& c, const std::vector<const Control*>& pictures) {
  const Control* carrier = nullptr;
  for (const Control* p : pictures)
    if (c.hasLabelBox && ownOrAbove(p->layer, c.layer) && p->rect.overlaps(c.labelBox) &&
        p->drawOrder < c.drawOrder && (!carrier || p->drawOrder > carrier->drawOrder))
      carrier = p;
  return carrier;
}

TEST(ShippedLayout, ReadsWithEveryIdentifierInItsRange) {
  EXPECT_TRUE(layout().problems().empty()) << layout().problems().front();
  EXPECT_GT(layout().controls().size(), 4000u);
  for (const Control& c : layout().controls())
    if (!c.attr("paramId").empty()) {
      EXPECT_GE(c.index, 0) << c.where();
    }
}

// The image table's row of a picture for a style; null when the style has none.
const ImageRow* imageRow(const std::string& name, int style) {
  for (ImageRows rows : {commonImageRows(), styleImageRows(style)})
    for (const ImageRow& row : rows)
      if (name == row.name) return &row;
  return nullptr;
}

TEST(ShippedLayout, EveryPictureIsOneTheImageCacheHoldsInBothStyles) {
  for (const Control& c : layout().controls()) {
    const std::string image = c.attr("imageId");
    if (image.empty()) continue;
    EXPECT_NE(imageRow(image, 0), nullptr) << c.where();
    EXPECT_NE(imageRow(image, 1), nullptr) << c.where();
  }
}

TEST(ShippedLayout, PagesAndPartPanelsSitWhereTheSwitchingFindsThem) {
  const Layer* root = layout().findLayer("root");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->children.size(), 6u);
  const char* const soundPages[] = {"oscillators", "filtersEnvelopes", "lfoModMatrix",
                                    "effectsArp"};
  for (int tab = 0; tab < 6; ++tab) EXPECT_EQ(root->children[tab]->id, tab);
  for (int t = 2; t < 6; ++t) {
    const Layer* page = root->children[t];
    EXPECT_EQ(page->name, soundPages[t - 2]);
    ASSERT_EQ(page->children.size(), 16u) << page->name;
    for (int part = 0; part < 16; ++part) {
      const Layer* panel = page->children[part];
      EXPECT_TRUE(panel->copy);
      EXPECT_EQ(panel->id, part);
      std::vector<int> ids;
      for (const Layer* member : panel->children) ids.push_back(member->id);
      std::sort(ids.begin(), ids.end());
      EXPECT_EQ(ids, layout_check::memberIds(page->name)) << page->name << " part " << part;
    }
  }
}

// Layer names are unique, but for the members of part panels, which the switching finds by id.
TEST(ShippedLayout, LayersHaveOwnNamesAndThoseLookedUpStandWhereTheSwitchingLeavesThem) {
  std::map<std::string, int> outside;
  std::set<std::string> inside;
  for (const Layer& l : layout().layers()) {
    if (l.inCopy && !l.copy)
      inside.insert(l.name);
    else
      ++outside[l.name];
  }
  for (const auto& n : outside) {
    EXPECT_EQ(n.second, 1) << n.first;
    EXPECT_EQ(inside.count(n.first), 0u) << n.first << " also names a layer of a part panel";
  }
  const Layer* root = layout().findLayer("root");
  for (const std::string& name : layout_check::lookedUpLayers()) {
    const Layer* found = layout().findLayer(name);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_FALSE(found->inCopy) << name;
    // A part switch hides every other child of a sound or librarian page.
    for (const Layer* l = found->parent; l; l = l->parent) {
      if (l->parent == root) {
        EXPECT_LT(l->id, 1) << name << " sits inside page " << l->name;
      }
    }
  }
}

TEST(ShippedLayout, EveryControlTheCodeLooksUpExists) {
  for (const std::string& id : layout_check::lookedUpControls())
    EXPECT_FALSE(layout().controlsOf(indexOf(id)).empty()) << id;
  int browsers = 0;
  for (const Control& c : layout().controls()) browsers += c.tag == "patchBrowser";
  EXPECT_EQ(browsers, 1);
}

TEST(ShippedLayout, MenusHaveOneTextPerValue) {
  for (const Control& c : layout().controls()) {
    if (!isMenu(c)) continue;
    const std::vector<int> bounds = c.list("valueBounds");
    ASSERT_GE(bounds.size(), 3u) << c.where();
    const int values = bounds[2] - bounds[1];
    EXPECT_GT(values, 0) << c.where();
    EXPECT_GE(bounds[0], bounds[1]) << c.where();
    EXPECT_LT(bounds[0], bounds[2]) << c.where();
    const std::string list = c.attr("valueList");
    if (!list.empty() || c.type == "dropSelection") {
      EXPECT_EQ(static_cast<int>(layout().config().getValueList(list).size()), values)
          << c.where() << " list " << list;
    } else {
      std::vector<std::string> pieces;
      UIConfigManager::Tokenize(c.attr("valueDisplay"), pieces, ":");
      ASSERT_EQ(pieces.size(), 2u) << c.where();
      EXPECT_EQ(std::stoi(pieces[1]) - std::stoi(pieces[0]) + 1, values) << c.where();
    }
  }
}

TEST(ShippedLayout, DisplayedListsCoverEveryValueOfTheirParameters) {
  const UIConfigManager& config = layout().config();
  for (const std::string& name : layout_check::requiredLists())
    EXPECT_FALSE(config.getValueList(name).empty()) << name;
  for (const std::string& text : config.getValueList("tempoValues"))
    EXPECT_GT(std::atoi(text.c_str()), 0) << text;
  // The lists the value display shows a control's every value by.
  for (const Control& c : layout().controls()) {
    if (c.index < 0) continue;
    const DisplayRule& rule = displayRuleOf(c.index);
    if (rule.kind != DisplayRuleKind::valueList && rule.kind != DisplayRuleKind::lfoSpeed) continue;
    const std::vector<int> bounds = c.list("valueBounds");
    ASSERT_GE(bounds.size(), 3u) << c.where();
    const int top = isMenu(c) ? bounds[2] - 1 : bounds[2];
    EXPECT_GT(static_cast<int>(config.getValueList(rule.list).size()), top)
        << c.where() << " shows " << rule.list;
  }
}

TEST(ShippedLayout, KnobFramesFallOnEveryValue) {
  for (const Control& c : layout().controls()) {
    if (!isKnob(c)) continue;
    const std::vector<int> bounds = c.list("valueBounds");
    ASSERT_GE(bounds.size(), 3u) << c.where();
    const ImageRow* row = imageRow(c.attr("imageId"), 0);
    ASSERT_NE(row, nullptr) << c.where();
    const int frames = row->frames;
    const int steps = bounds[2] - bounds[1];
    ASSERT_GT(frames, 1) << c.where();
    ASSERT_GT(steps, 0) << c.where();
    EXPECT_EQ((frames - 1) % steps, 0) << c.where() << ": " << frames << " frames";
  }
}

TEST(ShippedLayout, SysExTemplatesHoldTheirValueAndPart) {
  const UIConfigManager& config = layout().config();
  ASSERT_FALSE(config.getSysexList().empty());
  for (const Control& c : layout().controls()) {
    if (!isSysEx(c)) continue;
    std::string text;
    ASSERT_TRUE(config.getSysexTemplate(c.intAttr("sysexIndex", -1), text)) << c.where();
    const std::vector<int> message = UIConfigManager::convertStringSysextoVector(text);
    const int changing = c.intAttr("changingByte") & 0xFF;
    // Eight numbers: the ten-byte parameter change, whose address the lookups read alike.
    EXPECT_EQ(message.size(), 8u) << c.where();
    EXPECT_GE(changing, 6) << c.where();
    EXPECT_LE(changing, static_cast<int>(message.size())) << c.where();
    // Message tables start at the lowest value: they are read from the value less that.
    EXPECT_EQ(c.list("valueBounds").at(1), 0) << c.where();
  }
}

TEST(ShippedLayout, ControlsAndLabelsStayInsideTheWindow) {
  for (const Control& c : layout().controls()) {
    if (c.tag == "background" && c.attr("imageId") == "MAIN_BG_ID") continue;
    EXPECT_FALSE(c.rect.empty()) << c.where();
    EXPECT_TRUE(c.rect.within(kWindow)) << c.where() << " " << layout_check::describe(c.rect);
    if (c.hasLabelBox) {
      EXPECT_TRUE(c.labelBox.within(kWindow)) << c.where();
    }
    if (!c.decoration) {
      EXPECT_FALSE(c.attr("label").empty()) << c.where() << " has no label";
    }
  }
}

// A label printed on a picture is seen whenever the picture is.
TEST(ShippedLayout, NothingOverlapsWhatIsSeenWithIt) {
  const std::vector<const Control*> pictures = picturesOf(layout());
  std::vector<Shape> shapes;
  std::vector<Visibility> seen;
  for (const Control& c : layout().controls()) {
    if (c.decoration || copyOf(c.layer) > 0) continue;  // part panels are alike
    for (const Rect& area : layout_check::areasOf(c)) {
      shapes.push_back({&c, area, false});
      seen.push_back(visibilityOf(c));
    }
    if (c.hasLabelBox && !c.labelBox.within(c.rect)) {
      const Control* carrier = carrierOf(c, pictures);
      shapes.push_back({&c, c.labelBox, true});
      seen.push_back(visibilityOf(carrier ? *carrier : c));
    }
  }
  for (size_t i = 0; i < shapes.size(); ++i) {
    for (size_t j = i + 1; j < shapes.size(); ++j) {
      if (shapes[i].owner == shapes[j].owner || !shapes[i].rect.overlaps(shapes[j].rect)) continue;
      if (!seen[i].together(seen[j])) continue;
      ADD_FAILURE() << (shapes[i].label ? "label of " : "") << shapes[i].owner->where()
                    << " overlaps " << (shapes[j].label ? "label of " : "")
                    << shapes[j].owner->where();
    }
    for (const layout_check::CorePlace& place : layout_check::corePlaces()) {
      if (!seen[i].overlay.empty() || (seen[i].tabs & place.tabs) == 0 ||
          (!shapes[i].label && shapes[i].owner->attr("paramId") == place.display))
        continue;
      EXPECT_FALSE(shapes[i].rect.overlaps({place.l, place.t, place.r, place.b}))
          << shapes[i].owner->where() << " covers the core's " << place.what;
    }
  }
}

// A control drawn over by a later picture disappears, and so does a label printed on an earlier
// picture (a label goes on the last picture of its own layer or above that it lies on).
TEST(ShippedLayout, NoPictureCoversAControlOrItsLabel) {
  const std::vector<const Control*> pictures = picturesOf(layout());
  for (const Control& c : layout().controls()) {
    if (c.decoration || copyOf(c.layer) > 0) continue;
    const Visibility v = visibilityOf(c);
    const Control* carrier = carrierOf(c, pictures);
    if (carrier && carrier->layer == c.layer) {
      EXPECT_TRUE(c.labelBox.within(carrier->rect))
          << "label of " << c.where() << " runs off " << carrier->attr("imageId");
    }
    const int printedAt = carrier ? carrier->drawOrder : -1;
    for (const Control* p : pictures) {
      if (!visibilityOf(*p).together(v)) continue;
      if (p->drawOrder > c.drawOrder) {
        EXPECT_FALSE(c.rect.overlaps(p->rect)) << c.where() << " lies under " << p->where();
      }
      if (c.hasLabelBox && p->drawOrder > printedAt) {
        EXPECT_FALSE(c.labelBox.overlaps(p->rect))
            << "label of " << c.where() << " lies under " << p->where();
      }
    }
  }
}

// How the synthesizer takes a sound parameter: a SysEx change of its dump byte (what the change
// carries is checked where it lands, in the simulator), a controller on the part's channel, or a
// message the plug-in core makes itself (any control will do).
struct Binding {
  enum Kind { kSysEx, kEffectKnob, kController, kAny } kind;
  int param;
  int cc = -1;
};

int oscillatorOf(int param, const int (&firsts)[3]) {
  for (int n = 0; n < 3; ++n)
    if (param == firsts[n]) return n;
  return -1;
}

bool isPositionalEffect(int param) {
  return (param >= kEffect1Param01 && param < kEffect1Param01 + 14 * 16) ||
         (param >= kEffect2Param01 && param < kEffect2Param01 + 14 * 16);
}

std::vector<Binding> bindingsOf(const sound_dump::ByteRule& row) {
  using sound_dump::Rule;
  const int p0 = row.params[0];
  switch (row.rule) {
    case Rule::kOctave:
      return {{Binding::kController, p0,
               layout_check::kOctaveCC[oscillatorOf(
                   p0, {kOscillator1Octave, kOscillator2Octave, kOscillator3Octave})]}};
    case Rule::kOffset: {
      const int semitone =
          oscillatorOf(p0, {kOscillator1Semitone, kOscillator2Semitone, kOscillator3Semitone});
      if (semitone >= 0) return {{Binding::kController, p0, layout_check::kSemitoneCC[semitone]}};
      return {{Binding::kSysEx, p0}};
    }
    case Rule::kWave: {
      const int osc = row.params[1] == kOscillator1Sample ? 0 : 1;
      return {{Binding::kSysEx, row.params[2]},
              {Binding::kController, row.params[1], layout_check::kSampleCC[osc]},
              {Binding::kAny, row.params[3]}};
    }
    case Rule::kFilterRouting:
      return {{Binding::kSysEx, row.params[1]}};
    default: {
      std::vector<Binding> out;
      for (int p : row.params)
        if (p >= 0 && !isPositionalEffect(p)) out.push_back({Binding::kSysEx, p});
      for (int v : row.views) {
        if (v < 0) break;
        out.push_back({Binding::kEffectKnob, v});
      }
      return out;
    }
  }
}

// The second effect is the first part's: the switching shows it by the first part's type.
bool firstPartOnly(const sound_dump::ByteRule& row) {
  return row.offset >= 151 && row.offset <= 166;
}

// Both delay panels, plain and clocked, show the delay's other settings.
bool onBothDelayPanels(int param) {
  return param == kFX2DelaySpread || param == kFX2DelayFeedback || param == kFX2DelayPolarity ||
         param == kFX2DelayCutoff;
}

TEST(ShippedLayout, EverySoundParameterHasItsControlBoundAsTheSynthesizerTakesIt) {
  std::set<int> checked;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules()) {
    for (const Binding& b : bindingsOf(row)) {
      if (!checked.insert(b.param).second) continue;
      for (int part = 0; part < 16; ++part) {
        const std::vector<const Control*> controls = layout().controlsOf(b.param + part);
        const size_t expected = firstPartOnly(row) && part > 0 ? 0
                                : onBothDelayPanels(b.param)   ? 2
                                                               : 1;
        const std::string what = "dump byte " + std::to_string(row.offset) + ", parameter " +
                                 std::to_string(b.param + part);
        ASSERT_EQ(controls.size(), expected) << what;
        for (const Control* c : controls) {
          if (b.kind == Binding::kAny) continue;
          if (b.kind == Binding::kController) {
            EXPECT_EQ(c->type.rfind("cc", 0), 0u) << c->where();
            EXPECT_EQ(c->intAttr("ccNumber"), b.cc) << c->where();
            continue;
          }
          ASSERT_TRUE(isSysEx(*c)) << c->where() << " for " << what;
          if (b.kind == Binding::kEffectKnob) {
            EXPECT_EQ(c->type, "seKnob") << c->where();
          }
        }
      }
    }
  }
}

}  // namespace
