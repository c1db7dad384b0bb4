#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "EditorDoubles.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/view/headless/Script.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace editor_test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// An editor of 200 x 100: a background, two overlapping flat controls
// ("low" attached before "high") and a layer whose control "top" lies over
// them, with a child layer whose control "child" lies over "top". Parameter 3
// is left without a kind for the tests to choose.
class InputTest : public ::testing::Test {
 protected:
  InputTest() : plug(3, 5) {
    VIEW_Script::instance().reset();
    for (int i : {1, 2, 4}) plug.GetParam(i)->InitDouble("Other", 0.0, 0.0, 1.0, 0.001);
    graphics = new TestGraphics(&plug, 200, 100);
    plug.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_BLACK);
    low = add(new Probe(&plug, IRECT(0, 0, 100, 50), 0, "low", &log));
    high = add(new Probe(&plug, IRECT(50, 0, 150, 50), 1, "high", &log));
    layer = new ControlLayer(1, "page");
    top = new Probe(&plug, IRECT(120, 0, 200, 100), 2, "top", &log);
    layer->controls.Add(top);
    child = new ControlLayer(7, "child");
    childControl = new Probe(&plug, IRECT(180, 80, 200, 100), 4, "child", &log);
    child->controls.Add(childControl);
    layer->childLayers.Add(child);
    layer->selectedChildId = 7;
    graphics->AttachLayer(layer);
    layer->Hide(false);
    view = OpenCocoaView(graphics);
    plug.clearCalls();
  }
  Probe* add(Probe* probe) {
    graphics->AttachControl(probe);
    return probe;
  }

  RecordingPlug plug;
  TestGraphics* graphics;
  Probe* low;
  Probe* high;
  Probe* top;
  Probe* childControl;
  ControlLayer* layer;
  ControlLayer* child;
  VIEW_HeadlessView* view;
  std::vector<std::string> log;
};

TEST_F(InputTest, ClicksGoToTheTopmostControlPassingGreyedFlatOnesAndHiddenLayers) {
  view->mouseDown(60, 10);  // low and high: the later attached wins
  view->mouseUp(60, 10);
  view->mouseDown(130, 10);  // high and the layer's control: the layer wins
  view->mouseDown(190, 90);  // the child layer wins over its parent's control
  high->GrayOut(true);
  top->GrayOut(true);
  view->mouseDown(60, 10);
  view->mouseDown(130, 10);
  layer->Hide(true);
  high->GrayOut(false);
  view->mouseDown(130, 10);
  EXPECT_THAT(log, ElementsAre("high down", "high up", "top down", "child down", "low down",
                               "top down", "high down"));
}

TEST_F(InputTest, DragsFollowTheCapturedControlAndPushUserChanges) {
  view->mouseDown(60, 10);
  view->mouseDrag(60, 10);  // no movement: the control is not called
  view->mouseDrag(70, 12);
  view->mouseDrag(300, 300);  // still the captured control, anywhere (y truncated toward 0)
  view->mouseUp(300, 300);
  view->mouseDrag(80, 10);  // no capture after the release
  EXPECT_THAT(log, ElementsAre("high down", "high drag 10 2", "high drag 230 287", "high up"));
  EXPECT_THAT(plug.calls(),
              ElementsAre("begin 1", "automate 1", "change 1", "automate 1", "change 1", "end 1"));
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 1.0);  // 0.1 + 2.3, clamped
  // The host hears a press and release of the first parameter, none of one it was not offered.
  add(new Probe(&plug, IRECT(0, 60, 20, 80), 3, "first unoffered", &log));
  plug.clearCalls();
  for (auto [x, y] : {std::pair{10, 10}, {190, 90}, {10, 70}}) {
    view->mouseDown(x, y);
    view->mouseUp(x, y);
  }
  EXPECT_THAT(plug.calls(), ElementsAre("begin 0", "end 0"));
}

TEST_F(InputTest, DoubleClicksRestoreDefaultsOrActAsPresses) {
  graphics->SetParameterFromPlug(0, 0.25, true);
  low->SetValueFromUserInput(0.8);
  plug.clearCalls();
  view->mouseDown(10, 10, VIEW_Event::kLeft, {}, 2);
  EXPECT_EQ(low->GetValue(), 0.25);
  EXPECT_THAT(plug.calls(), ElementsAre("automate 0", "change 0"));  // no begin
  view->mouseDown(10, 10, VIEW_Event::kRight, {}, 2);                // right: a press
  high->SetDblAsSingleClick(true);
  view->mouseDown(60, 10, VIEW_Event::kLeft, {}, 2);
  EXPECT_EQ(graphics->GetCapturedControl(), high);
  EXPECT_THAT(log, ElementsAre("low dblclick", "low down", "high down"));
  // Whether the double click became a press, for the platform to follow with the release.
  IMouseMod left(true, false, false, false, false);
  EXPECT_TRUE(graphics->OnMouseDblClick(60, 10, &left));
  EXPECT_FALSE(graphics->OnMouseDblClick(10, 10, &left));
  EXPECT_FALSE(graphics->OnMouseDblClick(500, 500, &left)) << "nothing there";
}

TEST_F(InputTest, KeysGoToTheControlAtTheLastMousePositionOrTheCatcher) {
  view->mouseDown(10, 10);
  view->mouseUp(10, 10);
  view->key('a');
  view->key('#');  // no key number: not passed on
  std::vector<std::string> caught;
  graphics->AttachKeyCatcher(new Probe(&plug, IRECT(), -1, "catcher", &caught));
  EXPECT_FALSE(graphics->OnKeyDown(10, 90, 40));  // the background takes it and declines
  EXPECT_TRUE(caught.empty());
  low->Hide(true);
  high->Hide(true);
  layer->Hide(true);
  graphics->GetControl(0)->Hide(true);
  EXPECT_TRUE(graphics->OnKeyDown(10, 10, 5));
  EXPECT_THAT(log, ElementsAre("low down", "low up", "low key 15"));
  EXPECT_THAT(caught, ElementsAre("catcher key 5"));
}

// A press where no control is lets go of the control pressed before: a drag reaches nothing.
TEST_F(InputTest, APressOnNothingLetsGoOfTheLastControl) {
  graphics->GetControl(0)->Hide(true);
  view->mouseDown(10, 10);
  view->mouseDown(10, 80);
  view->mouseDrag(12, 82);
  view->mouseUp(12, 82);
  EXPECT_THAT(log, ElementsAre("low down"));
}

// A new key catcher replaces and destroys the old one; attaching the same one again keeps it.
TEST_F(InputTest, ANewKeyCatcherReplacesTheOld) {
  // The log outlives the test body: the editor destroys the catcher it holds later.
  auto caught = std::make_shared<std::vector<std::string>>();
  struct Catcher : public Probe {
    Catcher(IPluginBase* plug, const char* name, std::shared_ptr<std::vector<std::string>> log)
        : Probe(plug, IRECT(), -1, name, log.get()), mGone(log), mName(name) {}
    ~Catcher() override { mGone->push_back(mName + " gone"); }
    std::shared_ptr<std::vector<std::string>> mGone;
    std::string mName;
  };
  Catcher* first = new Catcher(&plug, "first", caught);
  Catcher* second = new Catcher(&plug, "second", caught);
  graphics->AttachKeyCatcher(first);
  graphics->AttachKeyCatcher(second);
  graphics->AttachKeyCatcher(second);
  for (int i = 0; i < graphics->NControls(); ++i) graphics->GetControl(i)->Hide(true);
  layer->Hide(true);
  EXPECT_TRUE(graphics->OnKeyDown(10, 10, 5));
  EXPECT_THAT(*caught, ElementsAre("first gone", "second key 5"));
}

TEST_F(InputTest, AutomationLookupRemembersTheLastClickedParameterOnce) {
  EXPECT_EQ(graphics->GetParamIdxForPTAutomation(130, 10), 2);
  EXPECT_EQ(graphics->GetLastClickedParamForPTAutomation(), 2);
  EXPECT_EQ(graphics->GetLastClickedParamForPTAutomation(), -1);
  graphics->GetControl(0)->Hide(true);  // nothing under the point: no parameter
  EXPECT_EQ(graphics->GetParamIdxForPTAutomation(10, 80), -1);
  EXPECT_EQ(graphics->GetLastClickedParamForPTAutomation(), -1);
}

TEST_F(InputTest, ParameterPushesReachHiddenLayersAndConvertPlainValues) {
  Probe* steps = new Probe(&plug, IRECT(0, 0, 10, 10), 3, "steps", &log);
  child->controls.Add(steps);
  layer->Hide(true);
  plug.GetParam(3)->InitInt("Steps", 0, 0, 127);
  graphics->SetParameterFromPlug(3, 0.0, false);  // first value: the default
  graphics->SetParameterFromPlug(3, 64.0, false);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 64.0 / 127.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 64.0);
  EXPECT_THAT(plug.calls(), IsEmpty());
}

// What the editor does to a parameter reaches every control bound to it, and only those; a clamp
// in plain values is taken through the parameter's range.
TEST_F(InputTest, ParameterWideCallsReachEveryControlOfTheParameterOnly) {
  Probe* twin = add(new Probe(&plug, IRECT(0, 60, 10, 70), 0, "twin", &log));
  auto states = [&](bool (IControl::*state)() const) {
    std::string s;
    for (const Probe* c : {low, twin, high}) s += (c->*state)() ? '1' : '0';
    return s;
  };
  graphics->HideControl(0, true);
  EXPECT_EQ(states(&IControl::IsHidden), "110");
  graphics->HideControl(0, false);
  EXPECT_EQ(states(&IControl::IsHidden), "000");
  graphics->GrayOutControl(0, true);
  EXPECT_EQ(states(&IControl::IsGrayed), "110");
  graphics->GrayOutControl(0, false);
  EXPECT_EQ(states(&IControl::IsGrayed), "000");

  graphics->ClampControl(0, 0.2, 0.6, true);
  graphics->SetParameterFromGUI(0, 0.9);
  EXPECT_DOUBLE_EQ(low->GetValue(), 0.6);
  EXPECT_DOUBLE_EQ(twin->GetValue(), 0.6);
  EXPECT_DOUBLE_EQ(high->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.6);
  plug.GetParam(3)->InitInt("Steps", 0, 0, 100);
  Probe* steps = add(new Probe(&plug, IRECT(0, 80, 10, 90), 3, "steps", &log));
  graphics->ClampControl(3, 10.0, 40.0, false);
  graphics->SetParameterFromGUI(3, 0.9);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.4);
  graphics->SetParameterFromGUI(3, 0.05);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.1);

  // By its place among the editor's controls: the background comes first.
  ASSERT_EQ(graphics->GetControl(2), high);
  graphics->SetControlFromPlug(2, 0.3);  // the first value a control gets is its default
  graphics->SetControlFromPlug(2, 0.7);
  EXPECT_DOUBLE_EQ(high->GetValue(), 0.7);
  EXPECT_DOUBLE_EQ(low->GetValue(), 0.6);
}

// ---- Value prompts ----------------------------------------------------------

class PromptTest : public InputTest {
 protected:
  PromptTest() {
    prompted = add(new Probe(&plug, IRECT(0, 60, 20, 80), 3, "prompted", &log));
    prompted->DisablePrompt(false);
    low->DisablePrompt(false);
  }
  void initMode() {
    IParam* mode = plug.GetParam(3);
    mode->InitEnum("Mode", 1, 3);
    mode->SetDisplayText(0, "Off");
    mode->SetDisplayText(1, "Low");
    mode->SetDisplayText(2, "High");
  }
  Probe* prompted;
};

// Dismissed, the value stays; a greyed control opens nothing.
TEST_F(PromptTest, EnumsWithDisplayTextsOpenAMenuOfThem) {
  initMode();
  top->DisablePrompt(false);
  top->GrayOut(true);
  view->mouseDown(130, 10, VIEW_Event::kRight);
  plug.clearCalls();
  view->mouseDown(10, 70, VIEW_Event::kRight);
  VIEW_Script::instance().answerMenu({2});
  view->mouseDown(10, 70, VIEW_Event::kRight);
  ASSERT_EQ(VIEW_Script::instance().menusShown().size(), 2u);
  EXPECT_THAT(VIEW_Script::instance().menusShown()[1], ElementsAre("Off", "Low", "High"));
  EXPECT_FALSE(view->textFieldOpen());
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 2.0);
  EXPECT_THAT(plug.calls(), ElementsAre("change 3"));  // not offered to the host
}

// A typed answer for a choice is found among its display texts; one that is none of them picks
// the first choice.
TEST_F(PromptTest, TypedChoicesAreFoundByTheirTexts) {
  initMode();
  IParam* mode = plug.GetParam(3);
  const struct {
    const char* typed;
    double value;
  } cases[] = {{"High", 2.0}, {"Low", 1.0}, {"Off", 0.0}, {"High", 2.0}, {"Loud", 0.0}};
  for (const auto& c : cases) {
    graphics->SetFromStringAfterPrompt(prompted, mode, c.typed);
    EXPECT_DOUBLE_EQ(mode->Value(), c.value) << c.typed;
  }
}

TEST_F(PromptTest, NumbersAreTypedThroughTheEntryFilter) {
  VIEW_Script::instance().answerText("0.7x5");  // the letter is refused
  low->PromptUserInput();
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.75);
}

TEST_F(PromptTest, EnumsWithoutDisplayTextsOpenATextEntryThatTheWheelCancels) {
  plug.GetParam(3)->InitEnum("Plain", 0, 8);
  prompted->PromptUserInput();
  ASSERT_NE(view->textField(), nullptr);
  view->wheel(10, 10, 1);
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_THAT(VIEW_Script::instance().menusShown(), IsEmpty());
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 0.0);
}

// The field takes the control's alignment, 0.9 of its size and the entry colours, and as many
// characters as the control allows.
TEST_F(PromptTest, EntriesAreLimitedToTheControlsLengthAndTakeTheStyle) {
  IParam* steps = plug.GetParam(3);
  steps->InitInt("Steps", 3, 0, 127);
  IText style(15, &COLOR_RED);
  style.mTextEntryFGColor = COLOR_BLUE;
  style.mTextEntryBGColor = COLOR_YELLOW;
  const int aligns[][2] = {{IText::kAlignNear, VIEW_TextField::kLeft},
                           {IText::kAlignCenter, VIEW_TextField::kCentre},
                           {IText::kAlignFar, VIEW_TextField::kRight},
                           {7, VIEW_TextField::kLeft}};
  for (const auto& a : aligns) {
    style.mAlign = a[0];
    prompted->SetText(style);
    prompted->PromptUserInput();
    ASSERT_NE(view->textField(), nullptr);
    EXPECT_EQ(view->textField()->align, a[1]) << "alignment " << a[0];
    graphics->ForceEndUserEdit();
  }
  prompted->SetTextEntryLength(2);
  prompted->PromptUserInput();
  const VIEW_TextField* field = view->textField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->fontSize, 13);  // 15 x 0.9, truncated
  EXPECT_EQ(field->textColour, COLOR_BLUE.Pack());
  EXPECT_EQ(field->backgroundColour, COLOR_YELLOW.Pack());
  EXPECT_EQ(field->text, "3");
  EXPECT_EQ(field->width, 31);  // the small prompt, one pixel wider as a view rectangle
  view->typeText("a567");       // the letter and a third character are refused
  view->key(VIEW_KEY_RETURN);
  EXPECT_DOUBLE_EQ(steps->Value(), 56.0);
}

// A prompt over a given rectangle opens the entry there; a control that does not prompt opens none.
TEST_F(PromptTest, APromptOverAGivenRectangleOpensTheEntryThere) {
  plug.GetParam(3)->InitInt("Steps", 3, 0, 127);
  IRECT place(30, 60, 90, 75);
  high->PromptUserInput(&place);
  EXPECT_EQ(view->textField(), nullptr);
  prompted->PromptUserInput(nullptr);
  EXPECT_EQ(view->textField(), nullptr);
  prompted->PromptUserInput(&place);
  const VIEW_TextField* field = view->textField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(std::vector<int>({field->x, field->y, field->width, field->height}),
            std::vector<int>({30, 60, 61, 16}));
  EXPECT_EQ(field->text, "3");
}

// The parameter already holds the text: the entry is reported all the same.
TEST_F(PromptTest, TextParametersAlwaysReportTheEntry) {
  IParam* name = plug.GetParam(3);
  name->InitText();
  name->SetDisplayText(0, "Init");
  VIEW_Script::instance().answerTextCancel();  // escaped: not an entry
  prompted->PromptUserInput();
  EXPECT_THAT(plug.calls(), IsEmpty());
  VIEW_Script::instance().answerText("Init");
  prompted->PromptUserInput();
  EXPECT_STREQ(name->GetDisplayText(0), "Init");
  EXPECT_THAT(plug.calls(), ::testing::Contains("change 3"));
  VIEW_Script::instance().answerText("Pad 2");
  prompted->PromptUserInput();
  EXPECT_STREQ(name->GetDisplayText(0), "Pad 2") << "the entry becomes the text";
}
