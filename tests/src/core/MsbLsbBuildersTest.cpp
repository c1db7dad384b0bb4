// The MSB/LSB builders on the plug-in's own configuration manager, found again through the
// plug-in's NRPN lookup.
#include <gtest/gtest.h>

#include <string>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/KromaProbe.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

using MsbLsbBuilders = PluginFixture;

TEST_F(MsbLsbBuilders, TheLayerDecidesTheKeysEveryKindFindsItsControlAndLinksBack) {
  enum Kind { kKnob, kSwitch, kMenu };
  const struct {
    Kind kind;
    const char* layer;  // null: none
    int part, paramIdx, partner;
    const char* name;
    int channelKey, subKey;
  } cases[] = {
      {kKnob, "miniMixer", -1, kMultiPartStatus + 5, kMultiPartStatus + 6, "Level", 9, 1},
      {kKnob, "elsewhere", 3, kFilter1Cutoff + 3, kFilter1Resonance + 3, "[4] Level", 4, 0},
      // Switches know the additional-settings layers too, and keep sub-key 0 there.
      {kSwitch, "additionalSettingsPart3", 2, kFilter1Keytrack + 2, kFilter2Keytrack + 2,
       "[3] Level", 9, 0},
      {kSwitch, "elsewhere", -1, kFilter2Cutoff, kFilter2Resonance, "Level", 0, 0},
      // Menus know only the mixers: off the pages they take part + 1 as switches do.
      {kMenu, "additionalSettingsPart3", 0, kArpMode, -1, "[1] Level", 1, 0},
      {kMenu, nullptr, 0, kArpMode + 1, -1, "[1] Level", 1, 0},
  };
  Kroma* plug = open();
  UIConfigManager& config = *KromaProbe(plug).parts.mUIConfigManager;
  int cc = 20;
  for (const auto& c : cases) {
    ControlLayer* layer = nullptr;
    if (c.layer) {
      layer = config.getLayer(c.layer);
      if (!layer) {
        layer = new ControlLayer(0, c.layer);
        plug->graphics()->AttachLayer(layer);
      }
    }
    const LinkInfo link{c.partner, kFilter1Keytrack, 7};
    const int n1 = cc + 1, n2 = cc + 2, n3 = cc + 3;
    switch (c.kind) {
      case kKnob:
        config.createMsbLsbKnobControl(cc, n1, n2, n3, 9, "Level", c.paramIdx, 10, 10, "", 64, 0,
                                       127, 5, link, c.part, layer, "Mixer");
        break;
      case kSwitch:
        config.createMsbLsbBoolControl(cc, n1, n2, n3, 9, "Level", c.paramIdx, 10, 10, "", 1, 0.9,
                                       127.9, link, c.part, layer, "Mixer");
        break;
      case kMenu:
        config.createMsbLsbSelectionCCControl(cc, n1, n2, n3, 9, "Level", c.paramIdx, 10, 10, 40,
                                              13, 0, 0, 3, 1, 9, {}, c.part, layer, "Mixer");
        break;
    }
    const ControlAction* action = config.getControlAction(c.paramIdx);
    ASSERT_NE(action, nullptr) << c.name;
    const std::string row = std::to_string(c.kind) + " on " + (c.layer ? c.layer : "none");
    EXPECT_EQ(action->messageType, kMessageNRPN) << row;
    EXPECT_EQ(std::vector<int>({action->ccNumber, action->nrpnNumber1, action->nrpnNumber2,
                                action->nrpnNumber3, action->channelKey, action->subKey}),
              std::vector<int>({cc, n1, n2, n3, c.channelKey, c.subKey}))
        << row;
    EXPECT_STREQ(plug->GetParam(c.paramIdx)->GetNameForHost(), c.name) << row;
    IControl* control = action->controls.back();
    EXPECT_EQ(control->ParamIdx(), c.paramIdx);
    EXPECT_EQ(plug->getMsbLsbControl(c.channelKey, n1, n2, n3, c.subKey), control) << row;
    EXPECT_EQ(plug->getMsbLsbControl(c.channelKey, n1, n2, n3, 1 - c.subKey), nullptr) << row;
    EXPECT_EQ(plug->getMsbLsbControl(c.channelKey, cc, n1, n2, c.subKey), nullptr)
        << row << ": the CC number is no key";
    if (c.partner >= 0) {
      EXPECT_EQ(action->link, link) << row;
      const ControlAction* partner = config.getControlAction(c.partner);
      ASSERT_NE(partner, nullptr) << row;
      EXPECT_EQ(partner->link, (LinkInfo{c.paramIdx, kFilter1Keytrack, -1})) << row;
    } else {
      EXPECT_EQ(action->link, LinkInfo()) << row << ": menus link nothing";
    }
    cc += 4;
  }
  // The switch's off and on values are its bounds cut toward zero; its default is on.
  const ControlAction* button = config.getControlAction(kFilter1Keytrack + 2);
  EXPECT_EQ(button->ccOffValue, 0);
  EXPECT_EQ(button->ccOnValue, 127);
  EXPECT_EQ(plug->GetParam(kFilter1Keytrack + 2)->GetDefault(), 1.0);
  // The menu: numbered texts from the first number, its fixed colour, a click opens it.
  const IParam* menu = plug->GetParam(kArpMode + 1);
  EXPECT_STREQ(menu->GetDisplayText(2), "3");
  IControl* caption = config.getControlAction(kArpMode + 1)->controls.back();
  EXPECT_EQ(caption->GetText()->mColor, IColor(254, 255, 173, 0));
  EXPECT_FALSE(caption->IsPromptDisabled());
  EXPECT_STREQ(plug->GetParam(kFilter1Cutoff + 3)->GetParamGroupForHost(), "Part 4:Mixer");
  EXPECT_EQ(plug->GetParam(kFilter1Cutoff + 3)->GetStep(), 1.0) << "the fourth bound is no step";
}

}  // namespace
