// The shipped layout built by the real interpreter and builders: what they make of it must be
// what the layout means.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "src/config/ParameterIds.h"
#include "tests/resources/BuiltLayout.h"
#include "tests/resources/LayoutExpectations.h"
#include "tests/resources/LayoutWalk.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "tools/layoutgen/tables/SysExTable.h"

namespace {

using layout_check::BuiltLayout;
using layout_check::Control;

const layout_check::Layout& walk() {
  return layout_check::shippedLayout();
}

// The shipped layout as the builders make it, once for the test program.
BuiltLayout& built() {
  static const std::unique_ptr<BuiltLayout> layout =
      std::make_unique<BuiltLayout>(BUILT_BUNDLE, 0, 1.0);
  return *layout;
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

// The builders' rectangles are the ones the layout checks reckon with.
TEST(BuiltShippedLayout, ControlsStandWhereTheLayoutPutsThem) {
  int compared = 0;
  for (const Control& c : walk().controls()) {
    if (c.index < 0) continue;
    const ControlAction* action = built().config.getControlAction(c.index);
    if (!action) continue;
    std::vector<const Control*> expected = walk().controlsOf(c.index);
    for (const IControl* made : action->controls) {
      const IRECT& r = made->GetRECT();
      const bool found = std::any_of(expected.begin(), expected.end(), [&](const Control* e) {
        return e->rect.l == r.L && e->rect.t == r.T && e->rect.r == r.R && e->rect.b == r.B;
      });
      EXPECT_TRUE(found) << c.where() << " built at " << r.L << "," << r.T << "-" << r.R << ","
                         << r.B;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000);
}

// Every SysEx control sends its dump byte's address with its part, and an incoming change of
// that address (under the effect type's variant) finds it.
TEST(BuiltShippedLayout, SysExControlsAreFoundByTheAddressTheySend) {
  int found = 0;
  for (const Control& c : walk().controls()) {
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
