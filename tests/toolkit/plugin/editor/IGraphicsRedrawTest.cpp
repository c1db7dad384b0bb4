#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EditorDoubles.h"
#include "platform/view/headless/HeadlessView.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace editor_test;

class RedrawTest : public ::testing::Test {
 protected:
  RedrawTest() : plug(2, 2) {
    graphics = new TestGraphics(&plug, 100, 60);
    plug.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_WHITE);
  }
  Probe* add(IRECT rect, IColor color = COLOR_RED) {
    Probe* probe = new Probe(&plug, rect, -1, "probe", nullptr, color);
    graphics->AttachControl(probe);
    return probe;
  }
  void cleanAll() {
    IRECT all(0, 0, 100, 60);
    graphics->Draw(&all);
  }

  RecordingPlug plug;
  TestGraphics* graphics;
};

TEST_F(RedrawTest, DirtyRegionCoversEveryVisibleDirtyControl) {
  IControl* first = add(IRECT(10, 10, 20, 20));
  IControl* second = add(IRECT(30, 5, 40, 15));
  IControl* hidden = add(IRECT(50, 50, 60, 60));
  IControl* empty = add(IRECT());
  cleanAll();
  IRECT region;
  graphics->GetControl(0)->SetDirty(false);  // the background alone
  EXPECT_FALSE(graphics->IsDirty(&region));

  hidden->Hide(true);
  EXPECT_FALSE(graphics->IsDirty(&region));
  hidden->SetIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(graphics->IsDirty(&region));
  EXPECT_EQ(region, IRECT(50, 50, 60, 60));
  hidden->SetIgnoreHiddenWhenUpdatingScreen(false);

  region = IRECT();
  empty->SetDirty(false);
  EXPECT_TRUE(graphics->IsDirty(&region));
  EXPECT_TRUE(region.Empty());

  first->SetDirty(false);
  second->SetDirty(false);
  EXPECT_TRUE(graphics->IsDirty(&region));
  EXPECT_EQ(region, IRECT(10, 5, 40, 20));
  EXPECT_TRUE(graphics->IsDirty(&region));  // the scan marks nothing clean
}

TEST_F(RedrawTest, StrictDrawDrawsWhatTouchesTheRegionFromTheRightAndBelow) {
  Probe* right = add(IRECT(40, 10, 50, 20));  // its left edge on the region's right edge
  Probe* left = add(IRECT(0, 10, 10, 20));    // its right edge on the region's left edge
  Probe* below = add(IRECT(20, 40, 30, 50));  // its top edge on the region's bottom edge
  Probe* above = add(IRECT(20, 0, 30, 10));   // its bottom edge on the region's top edge
  Probe* hidden = add(IRECT(20, 20, 30, 30));
  hidden->Hide(true);
  IRECT region(10, 10, 40, 40);
  graphics->Draw(&region);
  EXPECT_EQ(
      std::vector<int>({right->mDraws, left->mDraws, below->mDraws, above->mDraws, hidden->mDraws}),
      std::vector<int>({1, 0, 1, 0, 0}));
  for (int i = 1; i < graphics->NControls(); ++i)
    if (graphics->GetControl(i) != hidden) {
      EXPECT_FALSE(graphics->GetControl(i)->IsDirty()) << "control " << i;
    }
  EXPECT_TRUE(hidden->IsDirty());  // hiding asks for one more frame
  graphics->Draw(&region);
  EXPECT_FALSE(hidden->IsDirty());
  EXPECT_TRUE(graphics->GetControl(0)->IsDirty());  // the background is drawn, never cleaned
  EXPECT_EQ(graphics->GetDrawRect(), region);
}

TEST_F(RedrawTest, AnEmptyEditorDrawsNothing) {
  RecordingPlug other(1, 1);
  TestGraphics* empty = new TestGraphics(&other, 10, 10);
  other.AttachGraphics(empty);
  IRECT region(0, 0, 10, 10);
  EXPECT_TRUE(empty->Draw(&region));
  EXPECT_EQ(empty->GetDrawRect(), IRECT());
}

TEST_F(RedrawTest, LooseDrawingRedrawsEachDirtyControlWithItsNeighbours) {
  Probe* a = add(IRECT(10, 10, 30, 30));
  Probe* b = add(IRECT(20, 20, 40, 40));
  Probe* far = add(IRECT(60, 40, 70, 50));
  graphics->SetStrictDrawing(false);  // marks every control dirty
  IRECT unused;
  graphics->Draw(&unused);  // the background is dirty: everything once
  EXPECT_EQ(a->mDraws, 1);
  EXPECT_EQ(far->mDraws, 1);
  b->SetDirty(false);
  graphics->Draw(&unused);
  EXPECT_EQ(a->mDraws, 2);  // overlaps b
  EXPECT_EQ(b->mDraws, 2);
  EXPECT_EQ(far->mDraws, 1);
  EXPECT_EQ(graphics->GetDrawRect(), IRECT(20, 20, 40, 40));
}

// A 120 x 60 editor rendered through the view's timer and checked by regions: a grey background, a
// red and a greyed green control, a blue layer control over the red one, and a hidden layer that is
// not drawn.
TEST(RenderTest, SmallEditorRendersThroughTheViewsTimerByRegions) {
  RecordingPlug plug(2, 4);
  TestGraphics* graphics = new TestGraphics(&plug, 120, 60);
  graphics->AttachPanelBackground(&COLOR_GRAY);
  graphics->AttachControl(new Probe(&plug, IRECT(10, 10, 50, 50), 0, "red", nullptr, COLOR_RED));
  Probe* green = new Probe(&plug, IRECT(60, 10, 100, 50), 1, "green", nullptr, COLOR_GREEN);
  graphics->AttachControl(green);
  green->GrayOut(true);
  ControlLayer* overlay = new ControlLayer(1, "overlay");
  overlay->controls.Add(new Probe(&plug, IRECT(30, 20, 40, 30), 2, "blue", nullptr, COLOR_BLUE));
  graphics->AttachLayer(overlay);
  overlay->Hide(false);
  ControlLayer* hidden = new ControlLayer(2, "hidden");
  hidden->controls.Add(new Probe(&plug, IRECT(0, 0, 120, 60), 3, "cover", nullptr, COLOR_BLACK));
  graphics->AttachLayer(hidden);
  plug.AttachGraphics(graphics);

  VIEW_HeadlessView* view = OpenCocoaView(graphics);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->fps(), 25);
  view->tick();
  EXPECT_EQ(view->presentCount(), 1);
  view->tick();  // the shown layer asked for one more frame
  view->tick();  // nothing dirty any more
  EXPECT_EQ(view->presentCount(), 2);

  auto at = [&](int x, int y) { return IColor::Unpack(view->pixel(x, y)); };
  auto regionIs = [&](IRECT r, IColor c) {
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x)
        if (at(x, y) != c) return false;
    return true;
  };
  EXPECT_TRUE(regionIs(IRECT(10, 10, 30, 50), COLOR_RED));
  EXPECT_TRUE(regionIs(IRECT(30, 20, 40, 30), COLOR_BLUE));
  // Greyed: half green over the grey background.
  const IColor greyed = at(80, 30);
  EXPECT_NEAR(greyed.G, (255 + 127) / 2, 2);
  EXPECT_NEAR(greyed.R, 127 / 2, 2);
  EXPECT_TRUE(regionIs(IRECT(100, 0, 120, 60), COLOR_GRAY));  // the hidden layer is not drawn

  // A value pushed while the editor is open reaches the screen on the next tick.
  graphics->SetParameterFromPlug(0, 0.5, true);
  graphics->SetParameterFromPlug(0, 0.7, true);
  view->tick();
  EXPECT_EQ(view->presentCount(), 3);
  graphics->CloseWindow();
  EXPECT_EQ(graphics->GetWindow(), nullptr);
}
