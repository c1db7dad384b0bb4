#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EditorDoubles.h"

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
  graphics->Draw(&unused);  // drawn, b is clean again: nothing more
  EXPECT_EQ(std::vector<int>({a->mDraws, b->mDraws, far->mDraws}), std::vector<int>({2, 2, 1}));
}

// With the background dirty every shown control is drawn once, the hidden ones not; the
// background itself is drawn even while hidden.
TEST_F(RedrawTest, LooseDrawingOfTheWholeEditorLeavesOutHiddenControls) {
  Probe* hiddenFirst = add(IRECT(10, 10, 20, 20));
  Probe* shown = add(IRECT(30, 10, 40, 20));
  Probe* hiddenLast = add(IRECT(50, 10, 60, 20));
  hiddenFirst->Hide(true);
  hiddenLast->Hide(true);
  graphics->GetControl(0)->Hide(true);
  graphics->SetStrictDrawing(false);
  IRECT unused;
  graphics->Draw(&unused);
  EXPECT_EQ(std::vector<int>({hiddenFirst->mDraws, shown->mDraws, hiddenLast->mDraws}),
            std::vector<int>({0, 1, 0}));
  EXPECT_EQ(graphics->GetPoint(5, 5), COLOR_WHITE) << "the background";
  EXPECT_EQ(graphics->GetDrawRect(), IRECT(0, 0, 100, 60));
}
