// Checks the shipped layout (the enciphered resources of the built bundle) against what the
// plug-in relies on: one walk over every control, a row of checks per kind of mistake; then the
// layout as the real interpreter and builders make it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "src/config/ParameterIds.h"
#include "src/editor/DisplayRules.h"
#include "src/editor/ImageTable.h"
#include "src/protocol/SoundDump.h"
#include "tests/resources/LayoutWalk.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "tools/layoutgen/tables/SysExTable.h"

namespace {

using layout_check::Control;
using layout_check::Layer;
using layout_check::Rect;

const layout_check::Layout& layout() {
  return layout_check::shippedLayout();
}

bool isMenu(const Control& c) {
  return c.type == "seMenu" || c.type == "ccMenu" || c.type == "dropSelection";
}
bool isSysEx(const Control& c) {
  return c.type.rfind("se", 0) == 0;
}
bool isKnob(const Control& c) {
  return c.type == "seKnob" || c.type == "ccKnob" || (c.tag == "multiFx" && c.type == "Knob");
}

// The image table's row of a picture for a style; null when the style has none.
const ImageRow* imageRow(const std::string& name, int style) {
  for (ImageRows rows : {commonImageRows(), styleImageRows(style)})
    for (const ImageRow& row : rows)
      if (name == row.name) return &row;
  return nullptr;
}

// Wrong or missing pictures, lists and frames, misplaced controls and wrong messages; part
// panels but the first are alike and checked once.
void checkControl(const Control& c) {
  const UIConfigManager& config = layout().config();
  const std::vector<int> bounds = c.list("valueBounds");
  const std::string image = c.attr("imageId");
  if (!(c.tag == "background" && image == "MAIN_BG_ID")) {
    EXPECT_FALSE(c.rect.empty()) << c.where();
    EXPECT_TRUE(c.rect.within({0, 0, 1500, 757})) << c.where();
  }
  EXPECT_TRUE(!c.hasLabelBox || c.labelBox.within({0, 0, 1500, 757})) << c.where();
  EXPECT_TRUE(c.decoration || !c.attr("label").empty()) << c.where() << " has no label";
  EXPECT_TRUE(c.attr("paramId").empty() || c.index >= 0) << c.where();
  if (!image.empty()) {
    EXPECT_TRUE(imageRow(image, 0) && imageRow(image, 1)) << c.where() << " " << image;
  }
  if (isMenu(c)) {
    ASSERT_GE(bounds.size(), 3u) << c.where();
    const int values = bounds[2] - bounds[1];
    EXPECT_TRUE(values > 0 && bounds[0] >= bounds[1] && bounds[0] < bounds[2]) << c.where();
    const std::string list = c.attr("valueList");
    if (!list.empty() || c.type == "dropSelection") {
      EXPECT_EQ(static_cast<int>(config.getValueList(list).size()), values) << c.where();
    } else {
      std::vector<std::string> range;
      UIConfigManager::Tokenize(c.attr("valueDisplay"), range, ":");
      ASSERT_EQ(range.size(), 2u) << c.where();
      EXPECT_EQ(std::stoi(range[1]) - std::stoi(range[0]) + 1, values) << c.where();
    }
  }
  if (isKnob(c)) {
    const ImageRow* row = imageRow(image, 0);
    ASSERT_TRUE(row && bounds.size() >= 3 && bounds[2] > bounds[1]) << c.where();
    EXPECT_EQ((row->frames - 1) % (bounds[2] - bounds[1]), 0) << c.where() << " " << row->frames;
  }
  if (c.index >= 0) {
    const DisplayRule& rule = displayRuleOf(c.index);
    if (rule.kind == DisplayRuleKind::valueList || rule.kind == DisplayRuleKind::lfoSpeed) {
      ASSERT_GE(bounds.size(), 3u) << c.where();
      EXPECT_GT(static_cast<int>(config.getValueList(rule.list).size()),
                isMenu(c) ? bounds[2] - 1 : bounds[2])
          << c.where() << " shows " << rule.list;
    }
  }
  if (isSysEx(c)) {
    std::string text;
    ASSERT_TRUE(config.getSysexTemplate(c.intAttr("sysexIndex", -1), text)) << c.where();
    // The ten-byte parameter change; tables are read from the lowest value, which must be 0.
    EXPECT_EQ(UIConfigManager::convertStringSysextoVector(text).size(), 8u) << c.where();
    const int changing = c.intAttr("changingByte") & 0xFF;
    EXPECT_TRUE(changing >= 6 && changing <= 8) << c.where();
    EXPECT_EQ(bounds.at(1), 0) << c.where();
  }
}

TEST(ShippedLayout, EveryControlIsWhole) {
  EXPECT_TRUE(layout().problems().empty()) << layout().problems().front();
  EXPECT_GT(layout().controls().size(), 4000u);
  for (const Control& c : layout().controls())
    if (c.part <= 0) checkControl(c);
}

// Controls of one layer are always seen together: none may lie on another.
TEST(ShippedLayout, NoTwoControlsOfALayerOverlap) {
  std::map<const Layer*, std::vector<const Control*>> byLayer;
  for (const Control& c : layout().controls())
    if (!c.decoration && c.part <= 0 && c.tag != "patchBrowser") byLayer[c.layer].push_back(&c);
  for (const auto& layer : byLayer)
    for (size_t i = 0; i < layer.second.size(); ++i)
      for (size_t j = i + 1; j < layer.second.size(); ++j)
        EXPECT_FALSE(layer.second[i]->rect.overlaps(layer.second[j]->rect))
            << layer.second[i]->where() << " overlaps " << layer.second[j]->where();
}

// Layer names are unique but for members of part panels, which the switching finds by id.
TEST(ShippedLayout, WhatTheCodeLooksUpExistsOnce) {
  std::map<std::string, int> outside;
  for (const Layer& l : layout().layers())
    if (!l.inCopy || l.copy) ++outside[l.name];
  for (const auto& n : outside) EXPECT_EQ(n.second, 1) << n.first;
  for (const std::string& id : layout_check::lookedUpControls()) {
    const size_t plus = id.find('+');
    const int base = layout().config().getParamByName(id.substr(0, plus));
    const int index = plus == std::string::npos ? base : base + std::stoi(id.substr(plus + 1));
    EXPECT_FALSE(layout().controlsOf(index).empty()) << id;
  }
}

// The parameters one row of the sound dump carries that have a control of their own; the
// positional effect settings are shown through the effect type's views.
std::vector<int> shownParams(const sound_dump::ByteRule& row) {
  using sound_dump::Rule;
  if (row.rule == Rule::kOctave || row.rule == Rule::kOffset) return {row.params[0]};
  if (row.rule == Rule::kFilterRouting) return {row.params[1]};
  if (row.rule == Rule::kWave) return {row.params[1], row.params[2], row.params[3]};
  std::vector<int> out;
  for (int p : row.params) {
    const bool positional = (p >= kEffect1Param01 && p < kEffect1Param01 + 14 * 16) ||
                            (p >= kEffect2Param01 && p < kEffect2Param01 + 14 * 16);
    if (p >= 0 && !positional) out.push_back(p);
  }
  for (int v = 0; v < 7 && row.views[v] >= 0; ++v) out.push_back(row.views[v]);
  return out;
}

// One control per part, the second effect's (the first part's) only once, the delay's shared
// settings on both delay panels.
TEST(ShippedLayout, EverySoundParameterHasOneControlPerPart) {
  std::set<int> checked;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    for (int param : shownParams(row)) {
      if (!checked.insert(param).second) continue;
      const bool shared = param == kFX2DelaySpread || param == kFX2DelayFeedback ||
                          param == kFX2DelayPolarity || param == kFX2DelayCutoff;
      for (int part = 0; part < 16; ++part) {
        const size_t expected = row.offset >= 151 && row.offset <= 166 && part ? 0 : shared ? 2 : 1;
        EXPECT_EQ(layout().controlsOf(param + part).size(), expected)
            << "dump byte " << row.offset << ", parameter " << param + part;
      }
    }
}

using layout_check::BuiltLayout;

BuiltLayout& built() {
  return layout_check::builtLayout();
}

bool contains(const std::string& line, const char* part) {
  return line.find(part) != std::string::npos;
}

// The effect type a knob of an effect-type setting belongs to, as the SysEx lookup keys it.
int effectVariant(const std::string& id) {
  if (id.rfind("kFX", 0) != 0) return 0;
  const std::pair<const char*, int> types[] = {{"TripleFX", 5}, {"Chorus", 1},    {"Flanger", 2},
                                               {"Phaser", 3},   {"Overdrive", 4}, {"Reverb", 7}};
  for (const auto& t : types)
    if (contains(id, t.first)) return t.second;
  return id == "kFX2DelayLengthClock" ? 0 : 6;
}

// Settings packed into one dump byte share its address; the control built last answers for it.
// Sound entries name part 0's parameters, Multi entries each part's.
bool packed(int first, int second, int part) {
  for (const layout_tables::SysExEntry& entry : layout_tables::sysexEntries()) {
    const int shift = entry.type == layout_tables::kSoundChange ? part : 0;
    if (std::count(entry.params.begin(), entry.params.end(), first - shift) &&
        std::count(entry.params.begin(), entry.params.end(), second - shift))
      return true;
  }
  return false;
}

TEST(BuiltShippedLayout, BuildsWithoutSkippingAnythingOrMissingAPicture) {
  for (const std::string& line : built().lines)
    EXPECT_FALSE(contains(line, "skip") || contains(line, "MISSING") || contains(line, "NOT FOUND"))
        << line;
  for (const std::string& name : layout_check::lookedUpLayers())
    EXPECT_NE(built().config.getLayer(name), nullptr) << name;
}

// Every SysEx control sends its dump byte's address with its part, and an incoming change of
// that address (under the effect type's variant) finds it.
TEST(BuiltShippedLayout, SysExControlsAreFoundByTheAddressTheySend) {
  int found = 0;
  for (const Control& c : layout().controls()) {
    if (c.attr("changingByte").empty() || c.index < 0) continue;
    const ControlAction* action = built().config.getControlAction(c.index);
    if (!action) continue;  // a kind the builders do not make yet
    ASSERT_FALSE(action->sysexMessages.messages.empty()) << c.where();
    const std::vector<int> first = action->sysexMessages.messages[0];
    const int part = std::max(c.part, 0);
    EXPECT_EQ(action->part, c.part) << c.where();
    EXPECT_EQ(first[3] == 0x20 ? first[4] : part, part) << c.where();
    const std::string id = c.attr("paramId");
    const IControl* control = built().config.sysexControls().findControl(
        first[3], first[4], first[5], first[6], effectVariant(id.substr(0, id.find('+'))));
    ASSERT_NE(control, nullptr) << c.where();
    if (control->ParamIdx() != c.index && packed(control->ParamIdx(), c.index, part)) continue;
    EXPECT_EQ(control->ParamIdx(), c.index) << c.where();
    ++found;
  }
  EXPECT_GT(found, 2500);
}

// Octave and semitone knobs send and answer controllers on their part's channel.
TEST(BuiltShippedLayout, ControllerKnobsAnswerTheirPartsChannel) {
  for (int osc = 0; osc < 3; ++osc)
    for (const auto& [name, cc] :
         {std::pair<std::string, int>{"Octave", layout_check::kOctaveCC[osc]},
          {"Semitone", layout_check::kSemitoneCC[osc]}})
      for (int part = 0; part < 16; ++part) {
        const std::string id = "kOscillator" + std::to_string(osc + 1) + name;
        const int index = built().config.getParamByName(id) + part;
        const ControlAction* action = built().config.getControlAction(index);
        ASSERT_NE(action, nullptr) << id << " part " << part;
        EXPECT_TRUE(action->messageType == kMessageCC && action->ccNumber == cc &&
                    action->part == part)
            << id << " part " << part;
        const IControl* control = built().config.ccControls().findControl(part + 1, cc, 0);
        EXPECT_TRUE(control && control->ParamIdx() == index) << id << " part " << part;
      }
}

}  // namespace
