#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "ControlsTestSupport.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace controls_test;
using ::testing::ElementsAre;

namespace {

class ButtonsTest : public ControlsTest {
 protected:
  IMouseMod left{true}, right{false, true};
};

// Every stock control reports its drawing a success, also when it has nothing to draw: an
// overlay that is off, a file button without a picture, a caption or text without text.
TEST_F(ButtonsTest, EveryStockControlReportsItsDrawingASuccess) {
  FrameStrip strip(10, 8, 4), glyphs(6, 12, 96, true);
  IBitmap none;
  IText style(12, &COLOR_WHITE, "DejaVu Sans");
  const IColor grey = COLOR_GRAY;
  std::vector<std::pair<const char*, IControl*>> controls = {
      {"panel", new IPanelControl(&plug, IRECT(0, 0, 10, 10), &grey)},
      {"bitmap", new IBitmapControl(&plug, 0, 0, kDouble, strip.Get())},
      {"switch", new ISwitchControl(&plug, 0, 0, kDouble, strip.Get())},
      {"overlay, off", new IBitmapOverlayControl(&plug, 0, 0, kDouble, strip.Get(), IRECT())},
      {"radio", new IRadioButtonsControl(&plug, IRECT(0, 0, 10, 32), kEnum, 3, strip.Get())},
      {"fader", new IFaderControl(&plug, 0, 0, 40, kDouble, strip.Get())},
      {"line knob",
       new IKnobLineControl(&plug, IRECT(0, 0, 20, 20), kDouble, &grey, 2, 8, -2.0, 2.0)},
      {"rotater", new IKnobRotaterControl(&plug, 0, 0, kDouble, strip.Get(), -2.0, 2.0)},
      {"multi knob", new IKnobMultiControl(&plug, 0, 0, kDouble, strip.Get())},
      {"rotating mask", new IKnobRotatingMaskControl(&plug, 0, 0, kDouble, strip.Get(), strip.Get(),
                                                     strip.Get(), -90, 90)},
      {"caption", new ICaptionControl(&plug, IRECT(0, 0, 60, 14), kInt, &style)},
      {"caption, no text", new ICaptionControl(&plug, IRECT(0, 0, 60, 14), -1, &style, false)},
      {"bitmap text", new IBitmapTextControl(&plug, IRECT(0, 0, 60, 14), glyphs.Get(), "Kroma")},
      {"text", new ITextControl(&plug, IRECT(0, 0, 60, 14), &style, "Kroma")},
      {"text, empty", new ITextControl(&plug, IRECT(0, 0, 60, 14), &style)},
      {"file button",
       new IFileSelectorControl(&plug, IRECT(0, 0, 10, 8), kDouble, strip.Get(), kFileOpen)},
      {"file button, no picture",
       new IFileSelectorControl(&plug, IRECT(0, 0, 10, 8), kDouble, &none, kFileOpen)},
  };
  for (const auto& [what, control] : controls) {
    Attach(control);
    EXPECT_TRUE(control->Draw(g)) << what;
  }
}

TEST_F(ButtonsTest, BitmapFrameFollowsTheValueRounded) {
  FrameStrip strip(10, 8, 4);
  auto* control = Attach(new IBitmapControl(&plug, 20, 30, -1, strip.Get()));
  EXPECT_EQ(control->GetRECT(), IRECT(20, 30, 30, 38));  // one frame
  const struct {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {0.16, 1}, {0.17, 2}, {1.0, 4}};
  for (const auto& c : cases) {
    control->SetValueFromPlug(c.value);
    g->Render();
    EXPECT_EQ(g->FrameAt(25, 34), c.frame) << "value " << c.value;
  }
  EXPECT_EQ(FrameForValue(0.9, 1), 1);
  EXPECT_EQ(FrameForValue(-0.5, 4), 1);
  EXPECT_EQ(FrameForValue(1.5, 4), 4);
}

// Three frames step 0.5 at a time and wrap; one frame alternates; a double click is a press;
// in a layer a greyed switch is hit but refuses the press.
TEST_F(ButtonsTest, SwitchStepsThroughItsFramesAndWraps) {
  FrameStrip strip(10, 10, 3), single(10, 10, 1);
  Attach(new ISwitchControl(&plug, 0, 0, kDouble, strip.Get()));
  std::vector<int> frames;
  for (int i = 0; i < 4; ++i) {
    Click(5, 5);
    g->Render();
    frames.push_back(g->FrameAt(5, 5));
  }
  EXPECT_THAT(frames, ElementsAre(2, 3, 1, 2));
  auto* onOff = Attach(new ISwitchControl(&plug, 20, 0, kDouble, single.Get()));
  onOff->OnMouseDown(1, 1, &left);
  onOff->OnMouseDblClick(1, 1, &left);
  auto* layer = new ControlLayer(1, "layer");
  auto* greyed = new ISwitchControl(&plug, 40, 0, kDouble, strip.Get());
  layer->controls.Add(greyed);
  g->AttachLayer(layer);
  layer->Hide(false);
  greyed->GrayOut(true);
  Click(45, 5);
  EXPECT_THAT(ReportedValues(), ElementsAre(0.5, 1.0, 0.0, 0.5, 1.0, 0.0));
  EXPECT_EQ(greyed->GetValue(), 0.0);
}

TEST_F(ButtonsTest, ContactIsOnWhilePressedEvenWhenGreyedBeforeTheRelease) {
  FrameStrip strip(10, 10, 2);
  auto* control = Attach(new IContactControl(&plug, 0, 0, kDouble, strip.Get()));
  g->OnMouseDown(5, 5, &left);
  g->Render();
  EXPECT_EQ(g->FrameAt(5, 5), 2);
  g->OnMouseUp(5, 5, &left);
  g->Render();
  EXPECT_EQ(g->FrameAt(5, 5), 1);
  control->OnMouseDown(5, 5, &left);
  control->GrayOut(true);
  control->OnMouseUp(5, 5, &left);
  EXPECT_THAT(ReportedValues(), ElementsAre(1.0, 0.0, 1.0, 0.0));
}

TEST_F(ButtonsTest, PopUpSwitchPromptsEvenWhileGreyed) {
  FrameStrip strip(10, 10, 3);
  auto* control = Attach(new ISwitchPopUpControl(&plug, 0, 0, kEnum, strip.Get()));
  control->DisablePrompt(false);
  control->GrayOut(true);
  control->OnMouseDown(5, 5, &left);
  EXPECT_EQ(g->mMenus, 1);  // enum with display texts: a menu
  EXPECT_EQ(plug.mReports.size(), 1u);
}

TEST_F(ButtonsTest, OverlayIsDrawnOnlyWhileOnAndHitOnlyInItsOffAreaWhileOff) {
  FrameStrip strip(40, 30, 2);
  auto* overlay =
      Attach(new IBitmapOverlayControl(&plug, 50, 50, kDouble, strip.Get(), IRECT(0, 0, 10, 10)));
  g->Render();
  EXPECT_EQ(g->FrameAt(60, 60), 0);  // invisible at 0
  EXPECT_EQ(g->GetMouseControlIdx(60, 60), g->GetControl(0));
  Click(5, 5);  // switches it on
  g->Render();
  EXPECT_EQ(g->FrameAt(60, 60), 2);
  EXPECT_EQ(g->GetMouseControlIdx(5, 5), g->GetControl(0));
  Click(60, 60);  // and off again
  g->Render();
  EXPECT_EQ(g->FrameAt(60, 60), 0);
  EXPECT_EQ(g->GetMouseControlIdx(5, 5), overlay);
  EXPECT_THAT(ReportedValues(), ElementsAre(1.0, 0.0));
}

TEST_F(ButtonsTest, InvisibleSwitchTogglesAndPanelFillsItsRectangle) {
  auto* toggle = Attach(new IInvisibleSwitchControl(&plug, IRECT(0, 0, 20, 20), kDouble));
  Click(3, 3);
  toggle->SetValueFromPlug(0.7);
  Click(3, 3);
  toggle->SetValueFromPlug(0.5);  // half way counts as on
  Click(3, 3);
  toggle->GrayOut(true);
  toggle->OnMouseDown(3, 3, &left);
  EXPECT_THAT(ReportedValues(), ElementsAre(1.0, 0.0, 0.0));
  IColor colour(255, 200, 10, 20);
  Attach(new IPanelControl(&plug, IRECT(30, 10, 40, 15), &colour));
  g->Render();
  EXPECT_EQ(g->Pixel(39, 14), colour.Pack());
  EXPECT_EQ(g->Pixel(40, 14), GFX_Pixel(255, 0, 0, 0));
}

// ---- radio buttons ----

TEST_F(ButtonsTest, RadioButtonsAreSpreadEvenlyAndReversible) {
  FrameStrip strip(10, 8, 2);
  const struct {
    IRECT area;
    int count;
    EDirection direction;
    bool reverse;
    int button;
    IRECT expected;
  } cases[] = {
      // Vertical, 4 buttons of 8 in 50 pixels: gap (50 - 32) / 3 = 6.
      {IRECT(5, 0, 15, 50), 4, kVertical, false, 1, IRECT(5, 14, 15, 22)},
      {IRECT(5, 0, 15, 50), 4, kVertical, true, 0, IRECT(5, 42, 15, 50)},
      // Horizontal, 3 buttons of 10 in 41 pixels: gap trunc(11 / 2) = 5, one pixel spare.
      {IRECT(0, 20, 41, 28), 3, kHorizontal, false, 2, IRECT(30, 20, 40, 28)},
      {IRECT(0, 20, 41, 28), 3, kHorizontal, true, 0, IRECT(31, 20, 41, 28)},
  };
  for (const auto& c : cases) {
    IRadioButtonsControl radio(&plug, c.area, kDouble, c.count, strip.Get(), c.direction,
                               c.reverse);
    EXPECT_EQ(*radio.GetButtonRECT(c.button), c.expected)
        << c.count << (c.reverse ? " reversed, button " : ", button ") << c.button;
  }
}

TEST_F(ButtonsTest, RadioClickSelectsAButtonRightClickPromptsAndGreyedIgnoresBoth) {
  FrameStrip strip(10, 8, 2);
  auto* radio = Attach(
      new IRadioButtonsControl(&plug, IRECT(0, 0, 70, 8), kEnum, 4, strip.Get(), kHorizontal));
  radio->DisablePrompt(false);
  Click(45, 4);  // third button: 40..50
  Click(55, 4);  // between buttons: the value stays, and is reported again
  EXPECT_THAT(ReportedValues(), ElementsAre(2.0 / 3.0, 2.0 / 3.0));
  radio->SetValueFromPlug(0.5);  // round(1.5) = 2
  g->Render();
  EXPECT_EQ(g->FrameAt(25, 4), 1);
  EXPECT_EQ(g->FrameAt(45, 4), 2);
  EXPECT_EQ(g->FrameAt(65, 4), 1);
  EXPECT_EQ(g->FrameAt(55, 4), 0);  // the gaps stay empty
  radio->OnMouseDown(65, 4, &right);
  EXPECT_EQ(g->mMenus, 1);
  radio->GrayOut(true);
  radio->OnMouseDown(65, 4, &left);
  radio->OnMouseDown(65, 4, &right);
  EXPECT_EQ(g->mMenus, 1);
  EXPECT_EQ(plug.mReports.size(), 3u);
}

TEST_F(ButtonsTest, RadioWithFewerThanTwoButtonsHasOneButtonAtValueZero) {
  FrameStrip strip(10, 8, 2);
  for (int count : {1, 0, -3, INT_MAX}) {
    plug.mReports.clear();
    auto* radio = Attach(new IRadioButtonsControl(&plug, IRECT(100, 100, 150, 108), kDouble, count,
                                                  strip.Get(), kHorizontal, true));
    ASSERT_EQ(radio->NButtons(), 1);
    EXPECT_EQ(*radio->GetButtonRECT(0), IRECT(140, 100, 150, 108));
    EXPECT_EQ(radio->GetButtonRECT(1), nullptr);
    EXPECT_EQ(radio->GetButtonRECT(-1), nullptr);
    radio->SetValueFromPlug(0.8);
    Click(145, 104);
    EXPECT_THAT(ReportedValues(), ElementsAre(0.0)) << count;
    radio->SetValueFromPlug(1.0);
    g->Render();
    EXPECT_EQ(g->FrameAt(145, 104), 2);  // the only button is the selected one
    radio->Hide(true);
  }
}

}  // namespace
