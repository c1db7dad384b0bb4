#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "EditorDoubles.h"
#include "platform/view/headless/Script.h"
#include "toolkit/plugin/editor/ITextControl.h"

using namespace editor_test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ControlTest : public ::testing::Test {
 protected:
  ControlTest() : plug(4, 4) {
    for (int i = 1; i < 4; ++i) plug.GetParam(i)->InitDouble("Other", 0.0, 0.0, 1.0, 0.001);
    graphics = new TestGraphics(&plug, 100, 100);
    plug.AttachGraphics(graphics);
    knob = new Probe(&plug, IRECT(10, 10, 30, 30), 0, "knob", &log);
    graphics->AttachControl(knob);
    plug.clearCalls();
  }
  double paramValue(int idx) { return plug.GetParam(idx)->Value(); }

  RecordingPlug plug;
  TestGraphics* graphics;
  Probe* knob;
  std::vector<std::string> log;
};

TEST_F(ControlTest, FirstValueFromThePlugInBecomesTheDefaultAndADoubleClickRestoresIt) {
  knob->SetClean();
  knob->SetValueFromPlug(0.3);
  EXPECT_EQ(knob->GetDefaultValue(), 0.3);
  EXPECT_FALSE(knob->IsDirty());
  knob->SetValueFromPlug(0.6);  // a later value only redraws
  EXPECT_TRUE(knob->IsDirty());
  EXPECT_THAT(plug.calls(), IsEmpty());

  IMouseMod mod(true);
  knob->OnMouseDblClick(15, 15, &mod);
  EXPECT_EQ(knob->GetValue(), 0.3);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0"));
  EXPECT_DOUBLE_EQ(paramValue(0), 0.3);
}

TEST_F(ControlTest, DoubleClickWithoutKnownDefaultOrWhileGreyedDoesNothing) {
  IMouseMod mod(true);
  knob->OnMouseDblClick(15, 15, &mod);
  knob->SetValueFromPlug(0.2);
  knob->GrayOut(true);
  knob->SetValueFromUserInput(0.9);
  plug.clearCalls();
  knob->OnMouseDblClick(15, 15, &mod);
  EXPECT_EQ(knob->GetValue(), 0.9);
  EXPECT_THAT(plug.calls(), IsEmpty());
}

TEST_F(ControlTest, HardwareValuesReachTheEchoHandlerOnlyWhenTheyChange) {
  knob->SetValueFromHardware(0.5);  // the first value is taken as the default
  EXPECT_THAT(plug.calls(), IsEmpty());
  knob->SetValueFromHardware(0.5);
  EXPECT_THAT(plug.calls(), IsEmpty());
  knob->SetValueFromHardware(0.75);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "echo 0"));
  EXPECT_DOUBLE_EQ(paramValue(0), 0.75);
}

TEST_F(ControlTest, UserInputIsClampedBeforeTheHandlerSeesIt) {
  knob->SetValueFromUserInput(1.2);
  EXPECT_DOUBLE_EQ(paramValue(0), 1.0);
  EXPECT_EQ(knob->GetValue(), 1.0);
  graphics->ClampControl(0, 0.25, 0.5, true);
  knob->SetValueFromUserInput(0.1);
  EXPECT_EQ(knob->GetValue(), 0.25);
  plug.clearCalls();
  knob->SetValueFromUserInput(0.25);  // unchanged
  EXPECT_THAT(plug.calls(), IsEmpty());
}

TEST_F(ControlTest, ANaNValueIsHeldToTheLowClampBeforeAnyoneSeesIt) {
  graphics->ClampControl(0, 0.25, 0.5, true);
  knob->SetValueFromUserInput(std::nan(""));
  EXPECT_EQ(knob->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(paramValue(0), 0.25);
  knob->SetValueFromPlug(0.4);  // the first value: taken as the default
  knob->SetValueFromHardware(std::nan(""));
  EXPECT_EQ(knob->GetValue(), 0.25);
  // The parameter already holds 0.25: no echo.
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0", "automate 0"));
}

TEST_F(ControlTest, WheelStepsAreFinerWithShiftOrControlAndWorkWhileGreyed) {
  knob->SetValueFromPlug(0.5);
  knob->GrayOut(true);
  IMouseMod shift(true, false, true);
  knob->OnMouseWheel(15, 15, &shift, 1);
  EXPECT_NEAR(knob->GetValue(), 0.501, 1e-9);
  IMouseMod plain(true);
  knob->OnMouseWheel(15, 15, &plain, -2);
  EXPECT_NEAR(knob->GetValue(), 0.481, 1e-9);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0", "automate 0", "change 0"));
}

TEST_F(ControlTest, GreyingHalvesTheBlendAndRedrawsWithoutReporting) {
  knob->SetClean();
  knob->GrayOut(true);
  EXPECT_TRUE(knob->IsGrayed());
  EXPECT_EQ(knob->GetBlend()->mWeight, 0.5f);
  EXPECT_TRUE(knob->IsDirty());
  knob->GrayOut(false);
  EXPECT_EQ(knob->GetBlend()->mWeight, 1.0f);
  EXPECT_THAT(plug.calls(), IsEmpty());
}

TEST_F(ControlTest, RedrawKeepsTheControlDirtyForExactlyOneMoreFrame) {
  knob->SetValueFromPlug(0.1);
  knob->SetValueFromPlug(0.2);
  knob->SetClean();
  EXPECT_TRUE(knob->IsDirty());
  knob->SetClean();
  EXPECT_FALSE(knob->IsDirty());
}

TEST_F(ControlTest, AuxParamsFollowTheirParametersAndReportInOrder) {
  knob->AddAuxParam(2);
  knob->AddAuxParam(3);
  EXPECT_EQ(knob->AuxParamIdx(3), 1);
  EXPECT_EQ(knob->AuxParamIdx(0), -1);
  graphics->SetParameterFromPlug(3, 0.4, true);
  EXPECT_EQ(knob->GetAuxParam(1)->mValue, 0.4);
  knob->SetAllAuxParamsFromGUI();
  // Parameter 2 already holds the aux value: the host hears it, the handler does not.
  EXPECT_THAT(plug.calls(), ElementsAre("automate 2", "automate 3", "change 3"));
}

TEST_F(ControlTest, DisplaysShowTheParameterAndAreNotDirtiedAgainByTheSameText) {
  IText style;
  ITextControl* value = new ITextControl(&plug, IRECT(0, 50, 50, 60), &style);
  ITextControl* name = new ITextControl(&plug, IRECT(50, 50, 100, 60), &style);
  graphics->AttachControl(value);
  graphics->AttachControl(name);
  knob->SetValueDisplayControl(value);
  knob->SetNameDisplayControl(name);
  knob->SetValueFromUserInput(0.5);
  TK_String text;
  value->GetTextForPlug(&text);
  EXPECT_STREQ(text.Get(), "0.500");
  EXPECT_TRUE(name->TextEquals("Param"));

  value->SetClean();
  name->SetClean();
  plug.GetParam(0)->Set(0.5);
  knob->SetDirty(true);
  EXPECT_FALSE(value->IsDirty());
  EXPECT_FALSE(name->IsDirty());
}

TEST_F(ControlTest, UnboundControlsNeverCallThePlugInNorPrompt) {
  Probe* free = new Probe(&plug, IRECT(40, 40, 50, 50), -1, "free", &log);
  graphics->AttachControl(free);
  free->DisablePrompt(false);
  free->SetValueFromUserInput(0.7);
  free->PromptUserInput();
  EXPECT_THAT(plug.calls(), IsEmpty());
  EXPECT_THAT(VIEW_Script::instance().menusShown(), IsEmpty());
}
