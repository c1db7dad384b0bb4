#include <cmath>

#include "ControlsTestSupport.h"

using namespace controls_test;
using ::testing::DoubleNear;

namespace {

const double kPi = 3.141592653589793;

class KnobsTest : public ControlsTest {
 protected:
  void Drag(int x0, int y0, int x1, int y1, IMouseMod mod = IMouseMod(true)) {
    g->OnMouseDown(x0, y0, &mod);
    g->OnMouseDrag(x1, y1, &mod);
    g->OnMouseUp(x1, y1, &mod);
  }
  // The first and last column (or row) where the test strip's frame 1 is drawn.
  std::pair<int, int> HandleSpan(int fixed, int from, int to, bool horizontal) {
    int first = -1, last = -1;
    for (int i = from; i < to; ++i)
      if ((horizontal ? g->FrameAt(i, fixed) : g->FrameAt(fixed, i)) == 1) {
        if (first < 0) first = i;
        last = i;
      }
    return {first, last};
  }
  IMouseMod left{true};
};

// ---- fader ----

TEST_F(KnobsTest, HorizontalFaderPutsTheHandleCentreAtTheMouseWithinItsLimits) {
  FrameStrip handle(20, 10, 1);
  auto* fader = Attach(new IFaderControl(&plug, 10, 50, 200, kDouble, handle.Get(), kHorizontal));
  EXPECT_EQ(fader->GetRECT(), IRECT(10, 50, 210, 60));
  Click(110, 55);  // (100 - 10) / 180
  ASSERT_EQ(plug.mReports.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.mReports[0].value, 0.5);
  g->Render();
  EXPECT_EQ(HandleSpan(55, 0, kWidth, true), std::make_pair(100, 119));
  Drag(110, 55, 250, 55);
  EXPECT_EQ(fader->GetValue(), 1.0);
  Drag(110, 55, -40, 55);
  EXPECT_EQ(fader->GetValue(), 0.0);

  fader->DisablePrompt(false);
  IMouseMod right(false, true);
  fader->OnMouseDown(100, 55, &right);
  EXPECT_EQ(g->mEntries.size(), 1u);  // a double without display texts: a text entry
  fader->GrayOut(true);
  fader->OnMouseDown(100, 55, &left);
  EXPECT_EQ(fader->GetValue(), 0.0);
}

TEST_F(KnobsTest, VerticalFaderCountsFromTheBottom) {
  FrameStrip handle(8, 10, 1);
  auto* fader = Attach(new IFaderControl(&plug, 20, 10, 110, kDouble, handle.Get(), kVertical));
  EXPECT_EQ(fader->GetRECT(), IRECT(20, 10, 28, 120));
  Click(24, 40);  // 1 - (40 - 5 - 10) / 100
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.75);
  g->Render();
  // top = 10 + trunc(100 x 0.25)
  EXPECT_EQ(HandleSpan(24, 0, kHeight, false), std::make_pair(35, 44));
}

// A fader with only its handle is hit on the handle; one no longer than its handle gives a value.
TEST_F(KnobsTest, FaderHitAreaAndDegenerateLength) {
  FrameStrip handle(20, 10, 1);
  auto* fader =
      Attach(new IFaderControl(&plug, 0, 0, 120, kDouble, handle.Get(), kHorizontal, true));
  fader->SetValueFromPlug(0.5);  // handle at 50..70
  EXPECT_EQ(g->GetMouseControlIdx(10, 5), g->GetControl(0));
  EXPECT_EQ(g->GetMouseControlIdx(69, 9), fader);
  Attach(new IFaderControl(&plug, 0, 20, 20, kDouble, handle.Get(), kHorizontal));
  Click(10, 25);
  ASSERT_EQ(plug.mReports.size(), 1u);
  EXPECT_FALSE(std::isnan(plug.mReports[0].value));
}

// ---- knobs ----

TEST_F(KnobsTest, KnobDragIsGearedAndTenTimesFinerWithShiftOrControl) {
  FrameStrip strip(20, 40, 64);
  auto* knob = Attach(new IKnobMultiControl(&plug, 0, 0, kDouble, strip.Get(), kVertical, 4.0));
  EXPECT_EQ(knob->GetRECT(), IRECT(0, 0, 20, 40));
  Drag(10, 30, 10, -10);  // up by the knob's height: a quarter
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.25);
  Drag(10, 30, 10, -10, IMouseMod(true, false, true));
  EXPECT_THAT(knob->GetValue(), DoubleNear(0.275, 1e-12));
  Drag(10, 30, 10, -10, IMouseMod(true, false, false, true));
  EXPECT_THAT(knob->GetValue(), DoubleNear(0.3, 1e-12));
  Drag(10, 10, 10, 30);  // down turns it back
  Drag(10, 10, 60, 10);  // sideways does nothing to a vertical knob
  EXPECT_THAT(plug.mReports.back().value, DoubleNear(0.175, 1e-12));
  g->Render();
  EXPECT_EQ(g->FrameAt(5, 5), 12);  // round(63 x 0.175) + 1
}

TEST_F(KnobsTest, HorizontalKnobFollowsTheXMovementUnlessGreyed) {
  FrameStrip strip(50, 10, 8);
  auto* knob = Attach(new IKnobMultiControl(&plug, 0, 0, kDouble, strip.Get(), kHorizontal, 1.0));
  Drag(5, 5, 30, 5);
  knob->GrayOut(true);
  knob->OnMouseDrag(30, 5, 25, 0, &left);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
}

TEST_F(KnobsTest, LineKnobPointsUpAtZeroDegreesAndTurnsClockwise) {
  const IColor white(255, 255, 255, 255);
  // Outer radius 0: half the width, 20.
  auto* knob = Attach(
      new IKnobLineControl(&plug, IRECT(50, 50, 90, 90), kDouble, &white, 5.0, 0.0, 0.0, kPi));
  knob->SetValueFromPlug(0.0);
  g->Render();
  EXPECT_EQ(red(g->Pixel(70, 52)), 255);  // straight up from the centre (70, 70)
  EXPECT_EQ(red(g->Pixel(70, 68)), 0);    // inside the inner radius
  knob->SetValueFromPlug(0.5);            // a quarter turn: to the right
  g->Render();
  EXPECT_EQ(red(g->Pixel(82, 70)), 255);
  EXPECT_EQ(red(g->Pixel(70, 60)), 0);
}

// A square bitmap, dark, with a bright marker in the middle of its top rows.
class MarkerBitmap {
 public:
  explicit MarkerBitmap(int size, unsigned int background = GFX_Pixel(255, 0, 0, 0))
      : mPixels(size, size) {
    GFX_FillRect(&mPixels, 0, 0, size, size, background, 1.f, 0);
    GFX_FillRect(&mPixels, size / 2 - 2, 0, 5, 5, GFX_Pixel(255, 250, 0, 0), 1.f, 0);
    mBitmap = IBitmap(&mPixels, size, size);
  }
  IBitmap* Get() { return &mBitmap; }

 private:
  GFX_MemBitmap mPixels;
  IBitmap mBitmap;
};

TEST_F(KnobsTest, RotaterTurnsItsBitmapAboutTheCentre) {
  MarkerBitmap marker(21);
  auto* knob = Attach(new IKnobRotaterControl(&plug, 40, 40, kDouble, marker.Get(), -kPi, kPi));
  EXPECT_EQ(knob->GetRECT(), IRECT(40, 40, 61, 61));
  knob->SetValueFromPlug(0.5);  // 0 radians: marker on top
  g->Render();
  EXPECT_GT(red(g->Pixel(50, 42)), 200);
  knob->SetValueFromPlug(0.75);  // a quarter turn clockwise: marker on the right
  g->Render();
  EXPECT_GT(red(g->Pixel(58, 50)), 200);
  EXPECT_LT(red(g->Pixel(50, 42)), 50);
}

TEST_F(KnobsTest, RotatingMaskTurnsTheMaskOverAFixedBaseInDegrees) {
  MarkerBitmap mask(21, GFX_Pixel(0, 0, 0, 0));
  GFX_MemBitmap basePixels(21, 21), topPixels(21, 21);  // the top is transparent
  GFX_FillRect(&basePixels, 0, 0, 21, 21, GFX_Pixel(255, 0, 0, 0), 1.f, 0);
  GFX_PutPixel(&basePixels, 0, 20, GFX_Pixel(255, 0, 200, 0), 1.f, 0);
  IBitmap base(&basePixels, 21, 21), top(&topPixels, 21, 21);
  auto* knob = Attach(
      new IKnobRotatingMaskControl(&plug, 100, 100, kDouble, &base, mask.Get(), &top, 0.0, 180.0));
  EXPECT_EQ(knob->GetRECT(), IRECT(100, 100, 121, 121));
  knob->SetValueFromPlug(1.0);
  g->Render();
  EXPECT_GT(red(g->Pixel(110, 118)), 200);
  EXPECT_LT(red(g->Pixel(110, 102)), 50);
  EXPECT_EQ(green(g->Pixel(100, 120)), 200);  // the base does not turn
}

}  // namespace
