#include "BuilderTestSupport.h"
#include "src/config/ParameterIds.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

// A page of per-part copies and one control outside them, as the shipped layout has them.
const char* const layout = R"(<uiconfig>
<layer name="page" id="3">
  <multilayer name="part" create="16">
    <knobcontrol type="seKnob" name="Cutoff" paramId="kFilter1Cutoff" imageId="KNOB"
                 position="10,20" valueBounds="64,0,127" sysexIndex="0" changingByte="8"/>
    <knobcontrol type="ccKnob" name="Resonance" paramId="kFilter1Resonance" imageId="KNOB"
                 position="80,20" valueBounds="0,0,127,1" ccNumber="74" channel="9"/>
  </multilayer>
  <slidercontrol type="ccSliderVer" name="Volume" paramId="kMultiMasterVolume" imageId="HANDLE"
                 position="300,10" length="100" valueBounds="100,0,127" ccNumber="7" channel="3"/>
</layer>
</uiconfig>)";

class LayoutLookup : public builder_test::Builders {
 protected:
  LayoutLookup() { read(1.0, layout); }
};

TEST_F(LayoutLookup, AnIncomingSysExAddressFindsThePartsControl) {
  for (int part : {0, 5, 15}) {
    // F0 3E 13 device 20 part a b value F7: the address is bytes 4 to 7.
    const unsigned char wire[10] = {0xF0, 0x3E, 0x13, 0x7F, 0x20, (unsigned char)part,
                                    0x01, 0x0A, 0x40, 0xF7};
    IControl* found = config.sysexControls().findControl(wire[4], wire[5], wire[6], wire[7], 0);
    ASSERT_NE(found, nullptr) << part;
    EXPECT_EQ(found->ParamIdx(), kFilter1Cutoff + part);
    // The control sits in its part's copy, and its binding sends on that part.
    ControlLayer* copy = config.getLayer("part" + std::to_string(part));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->controls.Get(0), found);
    EXPECT_EQ(config.getLayer("page")->childLayers.Get(part), copy);
    EXPECT_STREQ(param(kFilter1Cutoff + part)->GetNameForHost(),
                 ("[" + std::to_string(part + 1) + "] Cutoff").c_str());
    const ControlAction& a = action(kFilter1Cutoff + part);
    EXPECT_EQ(a.part, part);
    std::vector<int> message;
    ASSERT_TRUE(a.sysexMessages.messageFor(wire[8], message));
    EXPECT_EQ(message, (std::vector<int>{0x3E, 0x13, 0, 0x20, part, 1, 0x0A, 0x40}));
  }
  EXPECT_EQ(config.sysexControls().findControl(0x20, 16, 1, 0x0A, 0), nullptr);
}

TEST_F(LayoutLookup, AnIncomingCCFindsThePartOfItsChannelOrTheGlobalControl) {
  // The lookup asks with the message's channel (0 to 15) + 1 and sub-key 0.
  for (int channel : {0, 9, 15}) {
    IControl* found = config.ccControls().findControl(channel + 1, 74, 0);
    ASSERT_NE(found, nullptr) << channel;
    EXPECT_EQ(found->ParamIdx(), kFilter1Resonance + channel);
    EXPECT_EQ(action(kFilter1Resonance + channel).part, channel);
  }
  IControl* volume = config.ccControls().findControl(3, 7, 0);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->ParamIdx(), kMultiMasterVolume);
  EXPECT_EQ(action(kMultiMasterVolume).part, 2);
  EXPECT_EQ(config.ccControls().findControl(4, 7, 0), nullptr);
  EXPECT_EQ(config.ccControls().findControl(10, 7, 0), nullptr);
}

}  // namespace
