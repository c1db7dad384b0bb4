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
  IMouseMod left{true};
};

TEST_F(ControlTest, FirstValueFromThePlugInBecomesTheDefaultAndADoubleClickRestoresIt) {
  knob->OnMouseDblClick(15, 15, &left);  // no default known yet
  EXPECT_THAT(plug.calls(), IsEmpty());
  knob->SetClean();
  knob->SetValueFromPlug(0.3);
  EXPECT_FALSE(knob->IsDirty());
  knob->SetValueFromPlug(0.6);  // a later value only redraws, for one more frame after a draw
  knob->SetClean();
  EXPECT_TRUE(knob->IsDirty());
  knob->SetClean();
  EXPECT_FALSE(knob->IsDirty());
  knob->SetValueFromPlug(0.6);  // the value it shows already: nothing to redraw
  EXPECT_FALSE(knob->IsDirty());
  EXPECT_THAT(plug.calls(), IsEmpty());

  knob->OnMouseDblClick(15, 15, &left);
  EXPECT_EQ(knob->GetValue(), 0.3);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0"));
  EXPECT_DOUBLE_EQ(paramValue(0), 0.3);
  knob->GrayOut(true);
  knob->SetValueFromUserInput(0.9);
  plug.clearCalls();
  knob->OnMouseDblClick(15, 15, &left);
  EXPECT_EQ(knob->GetValue(), 0.9);
  EXPECT_THAT(plug.calls(), IsEmpty());
}

// A control whose first value was 0 goes back to 0: 0 is a default like any other.
TEST_F(ControlTest, DoubleClickRestoresADefaultOfZero) {
  auto* fader = new Probe(&plug, IRECT(40, 40, 60, 60), 1, "fader", &log);
  graphics->AttachControl(fader);
  fader->SetValueFromPlug(0.0);
  fader->SetValueFromPlug(0.4);  // a later value is no new default
  fader->SetValueFromUserInput(0.7);
  plug.clearCalls();
  fader->OnMouseDblClick(50, 50, &left);
  EXPECT_EQ(fader->GetValue(), 0.0);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 1", "change 1"));
  EXPECT_DOUBLE_EQ(paramValue(1), 0.0);
}

TEST_F(ControlTest, ValuesAndNaNsAreClampedBeforeTheHandlerSeesThem) {
  knob->SetValueFromUserInput(1.2);
  EXPECT_DOUBLE_EQ(paramValue(0), 1.0);
  graphics->ClampControl(0, 0.25, 0.5, true);
  knob->SetValueFromUserInput(0.1);
  EXPECT_EQ(knob->GetValue(), 0.25);
  plug.clearCalls();
  knob->SetValueFromUserInput(0.25);  // unchanged
  EXPECT_THAT(plug.calls(), IsEmpty());
  knob->SetValueFromUserInput(std::nan(""));
  EXPECT_EQ(knob->GetValue(), 0.25);
  knob->SetValueFromPlug(0.4);  // the first value: taken as the default
  knob->SetValueFromHardware(std::nan(""));
  EXPECT_EQ(knob->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(paramValue(0), 0.25);
  // The parameter already holds 0.25: the host hears it, no handler does.
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "automate 0"));
}

TEST_F(ControlTest, WheelStepsAreFinerWithShiftAndWorkWhileGreyed) {
  knob->SetValueFromPlug(0.5);
  knob->SetClean();
  knob->GrayOut(true);
  EXPECT_EQ(knob->GetBlend()->mWeight, 0.5f);
  EXPECT_TRUE(knob->IsDirty());
  IMouseMod shift(true, false, true);
  knob->OnMouseWheel(15, 15, &shift, 1);
  EXPECT_NEAR(knob->GetValue(), 0.501, 1e-9);
  knob->OnMouseWheel(15, 15, &left, -2);
  EXPECT_NEAR(knob->GetValue(), 0.481, 1e-9);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0", "automate 0", "change 0"));
  knob->GrayOut(false);
  EXPECT_EQ(knob->GetBlend()->mWeight, 1.0f);
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
  EXPECT_TRUE(value->TextEquals("0.500"));
  EXPECT_TRUE(name->TextEquals("Param"));
  value->SetClean();
  name->SetClean();
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
