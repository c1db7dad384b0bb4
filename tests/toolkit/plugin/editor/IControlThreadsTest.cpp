#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EditorDoubles.h"
#include "platform/view/headless/HeadlessView.h"
#include "toolkit/plugin/editor/ITextControl.h"

using namespace editor_test;

// Values and texts from the MIDI input thread while the editor thread runs its timer and narrows
// the control's range: no data race, each value held to the range in force, and the last value
// and text reach the screen.
TEST(HardwareThreadTest, ValuesTextsAndClampsMeetWhileTheEditorDraws) {
  RecordingPlug plug(1, 2);
  TestGraphics* graphics = new TestGraphics(&plug, 100, 40);
  graphics->AttachPanelBackground(&COLOR_WHITE);
  Probe* knob = new Probe(&plug, IRECT(0, 0, 40, 40), 0, "knob", nullptr);
  graphics->AttachControl(knob);
  IText style(12, &COLOR_BLACK, "DejaVu Sans");
  ITextControl* display = new ITextControl(&plug, IRECT(40, 0, 100, 40), &style, "start");
  graphics->AttachControl(display);
  knob->SetValueDisplayControl(display);
  plug.AttachGraphics(graphics);
  VIEW_HeadlessView* view = OpenCocoaView(graphics);

  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 1; i <= 400; ++i) {
      knob->SetValueFromHardware(i % 2 ? 0.9 : 0.1);
      graphics->SetParameterFromPlug(1, i / 800.0, true);
      display->SetTextFromPlug(i % 2 ? "odd" : "even");
    }
    done = true;
  });
  for (int i = 0; !done; ++i) {
    graphics->ClampControl(0, 0.0, i % 2 ? 1.0 : 0.5, true);
    view->tick();
  }
  midi.join();
  view->tick();

  EXPECT_EQ(knob->GetValue(), 0.1);
  EXPECT_TRUE(display->TextEquals("even"));
  EXPECT_THAT(plug.calls(), ::testing::Contains("echo 0"));
  EXPECT_THAT(plug.calls(), ::testing::Not(::testing::Contains("change 0")));
  EXPECT_EQ(IColor::Unpack(view->pixel(10, 10)), COLOR_RED);
  graphics->ClampControl(0, 0.0, 0.5, true);
  knob->SetValueFromHardware(0.9);
  EXPECT_EQ(knob->GetValue(), 0.5);
}
