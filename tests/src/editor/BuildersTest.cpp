#include <algorithm>
#include <cmath>
#include <string>

#include "BuilderTestSupport.h"
#include "FakeDisplayHost.h"
#include "src/config/ParameterIds.h"

namespace {

using builder_test::Builders;

const LinkInfo noLink;

TEST_F(Builders, GeometryIsScaledAndCutTowardZeroBitmapsComeScaled) {
  const struct {
    double scale;
    std::vector<IRECT> knobFaderButtonRadio;
  } cases[] = {
      {0.85, {{85, 34, 136, 85}, {85, 170, 102, 238}, {8, 17, 42, 42}, {8, 17, 110, 34}}},
      // The double nearest to 1.15 makes 100 x 1.15 fall just below 115.
      {1.15, {{114, 46, 183, 115}, {114, 229, 137, 321}, {11, 23, 57, 57}, {11, 23, 149, 46}}},
  };
  for (const auto& c : cases) {
    builder_test::BuilderPlug plug;
    EditorConfigManager config;
    config.setLog(this);
    config.readUIConfig(plug.graphics, &plug, nullptr, 0, c.scale);
    // Bitmaps come at the GUI scale: a 60 x 3780 strip of 63 frames is a 51-pixel knob at 0.85.
    config.preloadImage(plug.graphics, 9001, "KNOB", "60x3780", 63, false);
    config.preloadImage(plug.graphics, 9006, "HANDLE", "20x30", 1, false);
    config.preloadImage(plug.graphics, 9002, "SWITCH", "40x60", 2, false);
    config.preloadImage(plug.graphics, 9003, "RADIO", "120x40", 2, false);
    IGraphics* g = plug.graphics;
    config.createCCKnobControl(1, 0, "K", 0, 100, 40, "KNOB", 0, 0, 127, 1, noLink, -1, nullptr,
                               "");
    config.createCCSliderControl(2, 0, "F", 1, 100, 200, 80, "HANDLE", 0, 0, 127, noLink, -1,
                                 nullptr, "", kSliderVertical, false);
    config.createBoolControl("B", 2, 0, 10, 20, "SWITCH", -1, nullptr, "");
    config.createRadioControl("R", 3, 10, 20, "RADIO", 4, -1, nullptr, "", false);
    std::vector<IRECT> rects;
    for (int i = 0; i < g->NControls(); ++i) rects.push_back(g->GetControl(i)->GetRECT());
    EXPECT_EQ(rects, c.knobFaderButtonRadio) << c.scale;
  }
}

// A button stays on once pressed; a switch (also the auto-off kind) comes back on release.
TEST_F(Builders, AButtonStaysOnASwitchComesBackOnRelease) {
  read(1.0);
  for (int kind = 0; kind < 3; ++kind) {
    const int y = 20 + 50 * kind;
    if (kind == 0) config.createBoolControl("B", kind, 0, 10, y, "SWITCH", -1, nullptr, "");
    if (kind == 1) config.createSwitchControl("S", kind, 0, 10, y, "SWITCH", -1, nullptr, "");
    if (kind == 2) config.createAutoOffSwitchControl("A", kind, 10, y, "SWITCH", -1, nullptr, "");
    IControl* button = lastControl();
    IMouseMod left(true);
    plug.graphics->OnMouseDown(20, y + 5, &left);
    EXPECT_EQ(button->GetValue(), 1.0) << kind;
    plug.graphics->OnMouseUp(20, y + 5, &left);
    EXPECT_EQ(button->GetValue(), kind == 0 ? 1.0 : 0.0) << kind;
  }
}

TEST_F(Builders, CCKindsKeyTheirControlByPartOrChannel) {
  read(1.0);
  const struct {
    const char* kind;
    int part, channel;
    const char *name, *group;
    int key, subKey;
  } cases[] = {
      {"knob", 15, 9, "[16] Cut", "Part 16:Filter", 16, 0},
      {"knob", -1, 3, "Cut", "Filter", 3, 1},
      {"slider", 3, 9, "[4] Cut", "Part 4:Filter", 4, 0},
      {"button", -1, 5, "Cut", "Filter", 5, 0},
  };
  // Knobs and sliders keep the link they are given (moving one moves its partner); buttons take
  // none.
  const LinkInfo link{kFilter2Cutoff, kFilter1Keytrack, 2};
  int index = kFilter1Cutoff;
  for (const auto& c : cases) {
    const std::string kind = c.kind;
    const int cc = 70 + index - kFilter1Cutoff;
    if (kind == "knob")
      config.createCCKnobControl(cc, c.channel, "Cut", index, 0, 0, "KNOB", 64, 0, 127, 1, link,
                                 c.part, nullptr, "Filter");
    else if (kind == "slider")
      config.createCCSliderControl(cc, c.channel, "Cut", index, 0, 0, 50, "HANDLE", 64, 0, 127,
                                   link, c.part, nullptr, "Filter", kSliderHorizontal, false);
    else
      config.createCCBoolControl(cc, c.channel, "Cut", index, 0, 0, "SWITCH", 0, 0, 127, link,
                                 c.part, nullptr, "Filter");
    IControl* control = lastControl();
    EXPECT_STREQ(param(index)->GetNameForHost(), c.name);
    EXPECT_STREQ(param(index)->GetParamGroupForHost(), c.group);
    const ControlAction& a = action(index);
    EXPECT_EQ(a.messageType, kind == "button" ? kMessageCCOffOn : kMessageCC) << c.name;
    EXPECT_EQ(a.ccNumber, cc);
    EXPECT_EQ(a.channelKey, c.key);
    EXPECT_EQ(a.subKey, c.subKey);
    EXPECT_EQ(a.link, kind == "button" ? noLink : link) << c.name;
    EXPECT_EQ(config.ccControls().findControl(c.key, cc, c.subKey), control) << c.name;
    EXPECT_EQ(config.ccControls().findControl(c.key, cc, 1 - c.subKey), nullptr) << c.name;
    ++index;
  }
  // The button's two values; the knob's step is its fourth bound, cut toward zero.
  EXPECT_EQ(action(kFilter1Cutoff + 3).ccOffValue + action(kFilter1Cutoff + 3).ccOnValue, 127);
  config.createCCKnobControl(1, 0, "Step", kFilter2Cutoff, 0, 0, "KNOB", 0, 0, 127, 2.9, noLink, -1,
                             nullptr, "");
  EXPECT_EQ(param(kFilter2Cutoff)->GetStep(), 2.0);
  // Names and groups past what a host takes are cut to 54 characters.
  const std::string name(60, 'n');
  config.createCCKnobControl(74, 0, name, kFilter1Cutoff + 15, 0, 0, "KNOB", 0, 0, 127, 1, noLink,
                             15, nullptr, name);
  EXPECT_EQ(std::string(param(kFilter1Cutoff + 15)->GetNameForHost()),
            ("[16] " + name).substr(0, 54));
  EXPECT_EQ(std::string(param(kFilter1Cutoff + 15)->GetParamGroupForHost()).size(), 54u);
}

// The value byte of every message of a parameter's table.
std::vector<int> valueBytes(const ControlAction& a, size_t entry = 7) {
  std::vector<int> values;
  for (size_t k = 0; k < a.sysexMessages.messages.size(); ++k)
    values.push_back(a.sysexMessages.messages[k][entry]);
  return values;
}

TEST_F(Builders, SysExKindsPrecomputeOneMessagePerValue) {
  read(1.0);
  // A knob from -1 (its zero offset is the slider's only): the template itself first, then the
  // template's value again, with the part.
  config.createSysExKnobControl("Cut", kFilter1Cutoff + 3, 0, 0, "KNOB", 0, -1, 2, 1, 64, 0, 8, 3,
                                noLink, nullptr, "");
  const SysExMessageTable& fromMinusOne = action(kFilter1Cutoff + 3).sysexMessages.messages;
  EXPECT_EQ(action(kFilter1Cutoff + 3).messageType, kMessageSysEx);
  ASSERT_EQ(fromMinusOne.size(), 4u);
  EXPECT_EQ(fromMinusOne[0], (std::vector<int>{0x3E, 0x13, 0, 0x20, 3, 1, 0x0A, 0}));
  EXPECT_EQ(fromMinusOne[1], fromMinusOne[0]);
  EXPECT_EQ(fromMinusOne[3][7], 2);

  // A slider from -64 with the zero offset 64 sends 0..127; its table is found by its own values.
  config.createSysExSliderControl("Pan", kFilter1Resonance, 0, 0, 80, "HANDLE", 0, -64, 63, 0, 64,
                                  0, 8, -1, noLink, nullptr, "", kSliderVertical, false);
  const ControlAction& slider = action(kFilter1Resonance);
  std::vector<int> message;
  ASSERT_TRUE(slider.sysexMessages.messageFor(63, message));
  EXPECT_EQ(message[7], 127);
  for (double none : {64.0, -65.0, std::nan("")})
    EXPECT_FALSE(slider.sysexMessages.messageFor(none, message)) << none;
  ASSERT_TRUE(slider.sysexMessages.messageFor(-0.5, message));  // cut toward zero: value 0
  EXPECT_EQ(message[7], 64);

  // A button: off and on, whatever its zero offset; its own message type.
  config.createSysExBoolControl("On", kFilter1Keytrack, 0, 0, "SWITCH", 1, 64, 0, 8, 5, noLink,
                                nullptr, "");
  const ControlAction& button = action(kFilter1Keytrack);
  EXPECT_EQ(button.messageType, kMessageSysExOne);
  EXPECT_EQ(valueBytes(button), (std::vector<int>{0, 1}));
  EXPECT_EQ(valueBytes(button, 4), (std::vector<int>{5, 5}));
}

// The multi-effect knob: the element's name without a part prefix, its part's group, step 1,
// and no binding or lookup at all.
TEST_F(Builders, ANoValueKnobKeepsItsNameAndBindsNothing) {
  read(1.0);
  const int idx = kFX1ChorusDepth + 2;
  config.createNoValKnobControl("Depth", idx, 10, 20, "KNOB", 64, 0, 99, 5, 2, nullptr, "Fx");
  const IParam* p = param(idx);
  EXPECT_STREQ(p->GetNameForHost(), "Depth");
  EXPECT_STREQ(p->GetParamGroupForHost(), "Part 3:Fx");
  EXPECT_EQ(std::vector<double>({p->GetDefault(), p->GetMin(), p->GetMax(), p->GetStep()}),
            std::vector<double>({64, 0, 99, 1}));
  EXPECT_EQ(lastControl()->ParamIdx(), idx);
  EXPECT_EQ(lastControl()->GetRECT(), IRECT(10, 20, 70, 80));
  EXPECT_EQ(config.getControlAction(idx), nullptr);
}

// Text displays by style, white flag and parameter; name fields take their length limit.
TEST_F(Builders, DisplaysTakeTheirColourByStyleNameFieldsTheirLength) {
  const IColor yellow(255, 241, 243, 33), white(255, 255, 255, 255), black(255, 0, 0, 0);
  const struct {
    int style;
    bool white;
    int paramIdx;
    IColor colour;
  } cases[] = {
      {0, true, kControlDisplayName, yellow},   {0, false, kControlDisplayBuild, white},
      {1, true, kControlDisplayName, black},    {1, false, kControlDisplayCC, black},
      {1, false, kControlDisplayBuild, yellow}, {2, true, kControlDisplayBuild, white},
  };
  for (const auto& c : cases) {
    builder_test::BuilderPlug plug;
    EditorConfigManager config;
    config.setLog(this);
    config.readUIConfig(plug.graphics, &plug, nullptr, c.style, 1.0);
    config.createControlDisplay("Display", c.paramIdx, 0, 0, 100, 14, -1, nullptr, "", c.white);
    IControl* display = plug.graphics->GetControl(plug.graphics->NControls() - 1);
    EXPECT_EQ(display->GetText()->mColor, c.colour) << c.style << c.white << c.paramIdx;
  }
  read(1.0, "<uiconfig/>", 1);
  for (int nameLen : {0, 16}) {
    config.createNameDisplay("Name", kPatchName + nameLen / 16, 0, 0, 80, 13, nameLen, -1, nullptr,
                             "");
    EXPECT_EQ(lastControl()->GetTextEntryLength(), nameLen);
    EXPECT_EQ(lastControl()->GetText()->mColor, IColor(255, 187, 187, 187)) << "in every style";
  }
  // The text a name field starts with, and the grey of the librarian's two entry fields.
  const struct {
    int paramIdx;
    const char* text;
    IColor colour;
  } names[] = {{kPatchRename, "New Name", IColor(255, 225, 225, 225)},
               {kPatchSearchString, "search...", IColor(255, 225, 225, 225)},
               {kMultiName, "Init Multi", IColor(255, 187, 187, 187)},
               {kPatchName + 15, "-- INIT --", IColor(255, 187, 187, 187)},
               {kCategoryName, "INIT", IColor(255, 187, 187, 187)}};
  for (const auto& n : names) {
    config.createNameDisplay("Name", n.paramIdx, 0, 0, 80, 13, 16, -1, nullptr, "");
    EXPECT_STREQ(param(n.paramIdx)->GetDisplayText(0), n.text) << n.paramIdx;
    EXPECT_EQ(lastControl()->GetText()->mColor, n.colour) << n.paramIdx;
    EXPECT_FALSE(lastControl()->IsPromptDisabled()) << "a click opens its text entry";
  }
}

TEST_F(Builders, ElementsThatCannotBeBuiltAreSkippedTheRestBuilds) {
  read(1.0, R"(<uiconfig>
<knobcontrol type="seKnob" paramId="kFilter1Cutoff" sysexIndex="9" changingByte="8"/>
<knobcontrol type="seKnob" paramId="kFilter1Resonance" sysexIndex="0" changingByte="9"/>
<buttoncontrol type="seButton" paramId="kFilter2Resonance" sysexIndex="3" changingByte="5"/>
<knobcontrol type="seKnob" paramId="kFilter2Keytrack" imageId="NONE" valueBounds="3,0,7"
             changingByte="8"/>
</uiconfig>)");
  // What the walk wrote, after the reading sequence's own lines.
  const auto walk = std::find(lines.rbegin(), lines.rend(), "CONFIG READER: Completed!").base();
  ASSERT_NE(walk, lines.begin());
  lines.erase(lines.begin(), walk);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "CONFIG READER: no SysEx template at index 9; knobcontrol at line 2 "
                       "skipped!",
                       "CONFIG READER: SysEx template \"3E 13 00 20 00 01 0A 00\" has no entry "
                       "at its changing byte; knobcontrol at line 3 skipped!",
                       "CONFIG READER: SysEx template \"3E 13 00 20 00\" gives no message to "
                       "find the control by; buttoncontrol at line 4 skipped!",
                       "CONFIG READER: Image NONE MISSING!",
                   }));
  for (int skipped : {kFilter1Cutoff, kFilter1Resonance, kFilter2Resonance}) {
    EXPECT_EQ(config.getControlAction(skipped), nullptr) << skipped;
    EXPECT_EQ(param(skipped)->Type(), IParam::kTypeNone) << skipped;
  }
  // Without its image the knob is an empty rectangle; its parameter keeps range and binding.
  ASSERT_EQ(plug.graphics->NControls(), 1);
  EXPECT_EQ(lastControl()->GetRECT(), IRECT());
  EXPECT_EQ(param(kFilter2Keytrack)->GetMax(), 7);
  EXPECT_EQ(action(kFilter2Keytrack).sysexMessages.messages.size(), 8u);
  EXPECT_EQ(config.sysexControls().findControl(0x20, 0, 1, 0x0A, 0), lastControl());
}

// A menu of fewer than no values or of more than 4096 is skipped and logged; 4096 are built.
TEST_F(Builders, MenusOfMoreThan4096ValuesOrFewerThanNoneAreSkipped) {
  read(1.0, R"(<uiconfig>
<menucontrol type="ccMenu" paramId="kFilter1Type" valueBounds="0,5,2"/>
<menucontrol type="ccMenu" paramId="kFilter2Type" valueBounds="0,0,4097"/>
<menucontrol type="ccMenu" paramId="kLFO1Shape" valueBounds="0,0,4096"/>
<menucontrol type="ccMenu" paramId="kLFO2Shape" valueBounds="0,3,3"/>
</uiconfig>)");
  const auto walk = std::find(lines.rbegin(), lines.rend(), "CONFIG READER: Completed!").base();
  ASSERT_NE(walk, lines.begin());
  lines.erase(lines.begin(), walk);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "CONFIG READER: a menu of -3 values; menucontrol at line 2 skipped!",
                       "CONFIG READER: a menu of 4097 values; menucontrol at line 3 skipped!"}));
  EXPECT_EQ(param(kFilter1Type)->Type(), IParam::kTypeNone);
  EXPECT_EQ(param(kFilter2Type)->Type(), IParam::kTypeNone);
  EXPECT_EQ(param(kLFO1Shape)->GetMax(), 4095);  // values 0 .. 4095
  EXPECT_EQ(param(kLFO2Shape)->Type(), IParam::kTypeEnum);
}

TEST_F(Builders, MenusShowTheListElseTheNumbersElseNothing) {
  FakeDisplayHost host;
  host.samples = {"Saw", "Sine"};
  config.setDisplayHost(&host);
  read(1.0);
  const std::vector<std::string> three{"a", "b", "c"};
  const struct {
    char kind;  // c: CC menu, s: SysEx menu, n: multi-effect menu
    int paramIdx;
    std::vector<std::string> list;
    int first, last;
    bool samplesRead;
    const char* texts;  // null: no menu made
  } cases[] = {
      // values 2 to 6: four entries
      {'c', kFilter1Type + 1, three, 1, 16, false, "1|2|3|4"},
      {'s', kFilter1Type + 3, three, 5, 9, false, "5|6|7|8"},
      {'s', kFilter1Type + 4, three, 3, 3, false, nullptr},
      {'n', kOscillator1Sample + 2, {}, 1, 4, true, "Saw|Sine||"},  // a short samples file
      {'n', kOscillator2Sample + 15, {}, 1, 4, false, "Sample A1|Sample A2|Sample A3|Sample A4"},
      {'n', kMultiPartPatch + 1, {}, 98, 99, false, "098|099|100|101"},
  };
  for (const auto& c : cases) {
    host.samplesRead = c.samplesRead;
    const int before = plug.graphics->NControls();
    if (c.kind == 'c')
      config.createMultiSelectionCCControl(7, 1, "M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first,
                                           c.last, c.list, 0, nullptr, "");
    else if (c.kind == 's')
      config.createMultiSelectionSysExControl("M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first,
                                              c.last, c.list, 0, 0, 0, 8, 5, nullptr, "", false);
    else
      config.createNoValDropDown("M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first, c.last, 1, c.list,
                                 -1, nullptr, "", false);
    EXPECT_EQ(plug.graphics->NControls() - before, c.texts ? 1 : 0) << c.paramIdx;
    EXPECT_EQ(builder_test::textsOf(param(c.paramIdx)), c.texts ? c.texts : "") << c.paramIdx;
    EXPECT_EQ(config.getControlAction(c.paramIdx) != nullptr, c.texts && c.kind != 'n');
  }
  // The SysEx menu has a message more than values; its first value sends its minimum.
  const ControlActionSysExMessage& sysex = action(kFilter1Type + 3).sysexMessages;
  std::vector<int> message;
  EXPECT_EQ(sysex.messages.size(), 5u);
  ASSERT_TRUE(sysex.messageFor(0, message));
  EXPECT_EQ(message, (std::vector<int>{0x3E, 0x13, 0, 0x20, 5, 1, 0x0A, 2}));
}

}  // namespace
