#include <cmath>

#include "BuilderTestSupport.h"
#include "src/editor/detail/ICustomRadioButtonsControl.h"

namespace {

class Radio : public builder_test::Builders {
 protected:
  Radio() { read(1.0); }
  ICustomRadioButtonsControl* make(const char* image, int buttons) {
    config.createRadioControl("R", 0, 10, 20, image, buttons, -1, nullptr, "", true);
    return static_cast<ICustomRadioButtonsControl*>(lastControl());
  }
  // The strip pixel drawn at (x, y): red is its column, green its row in the strip.
  std::pair<int, int> drawnFrom(int x, int y) {
    const unsigned int pixel = plug.graphics->Pixel(x, y);
    return {controls_test::red(pixel), controls_test::green(pixel)};
  }
};

TEST_F(Radio, TheNearestButtonIsDrawnFromTheSecondFrame) {
  ICustomRadioButtonsControl* radio = make("RADIO", 4);
  const struct {
    double value;
    int lit;
  } cases[] = {{0.5, 2}, {0.1, 0}, {2.0 / 3, 2}, {1.2, 3}, {-0.3, 0}, {0.84, 3}};
  for (const auto& c : cases) {
    radio->SetValueFromPlug(c.value);
    plug.graphics->Render();
    for (int i = 0; i < 4; ++i) {
      // Button i comes from column 30 i; the lit one from the lower frame, row 20.
      const std::pair<int, int> expected{30 * i + 1, (i == c.lit ? 20 : 0) + 1};
      EXPECT_EQ(drawnFrom(10 + 30 * i + 1, 21), expected) << c.value << " button " << i;
    }
  }
  // A column cuts its buttons by rows, and takes the lit one from the right-hand frame.
  ICustomRadioButtonsControl* column = make("RADIO_COLUMN", 3);
  column->SetValueFromPlug(0.5);
  plug.graphics->Render();
  EXPECT_EQ(drawnFrom(11, 51), std::make_pair(31, 31));
  EXPECT_EQ(drawnFrom(11, 81), std::make_pair(1, 61));
}

TEST_F(Radio, APressSetsTheValueOfItsButton) {
  const struct {
    const char* image;
    int buttons;
    int x, y;
    bool right;
    std::vector<double> reported;
  } cases[] = {
      {"RADIO", 4, 75, 25, false, {2.0 / 3, 2.0 / 3}},
      {"RADIO", 4, 129, 39, false, {1, 1}},
      // Outside every button the value stays; a right press changes nothing either.
      {"RADIO_ODD", 3, 109, 25, false, {0, 0}},
      {"RADIO", 4, 75, 25, true, {0}},
      {"RADIO", 1, 75, 25, false, {0, 0}},
      {"RADIO", 0, 75, 25, false, {0, 0}},  // no buttons make one, never a division by nothing
  };
  int row = 0;
  for (const auto& c : cases) {
    // Each case in a row of its own, 50 pixels further down.
    config.createRadioControl("R", row, 10, 20 + 50 * row, c.image, c.buttons, -1, nullptr, "",
                              false);
    plug.reports.clear();
    IMouseMod mod(!c.right, c.right);
    plug.graphics->OnMouseDown(c.x, c.y + 50 * row++, &mod);
    EXPECT_EQ(plug.reports, c.reported) << c.x << " " << c.buttons;
  }
}

}  // namespace
