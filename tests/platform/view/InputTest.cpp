#include <gtest/gtest.h>

#include "platform/view/Backend.h"
#include "platform/view/View.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

// The audio thread reads the left button and Shift through the key state the
// back ends note with every event; a missed note makes knob gearing and
// drag edits wrong.
namespace {

struct Step {
  VIEW_Event::Type type;
  int button;
  bool shift;
  bool leftAfter, shiftAfter;
};

bool down(int key) {
  return GetAsyncKeyState(key) != 0;
}

}  // namespace

TEST(Input, TheLeftButtonAndShiftFollowEveryEvent) {
  const Step steps[] = {
      {VIEW_Event::kMouseDown, VIEW_Event::kLeft, true, true, true},
      {VIEW_Event::kMouseDrag, VIEW_Event::kLeft, false, true, false},
      {VIEW_Event::kMouseUp, VIEW_Event::kLeft, true, false, true},
      {VIEW_Event::kMouseDown, VIEW_Event::kRight, false, false, false},
      {VIEW_Event::kMouseDown, VIEW_Event::kLeft, true, true, true},
      {VIEW_Event::kDeactivate, VIEW_Event::kNoButton, true, false, false},
  };
  for (const Step& step : steps) {
    VIEW_Event event;
    event.type = step.type;
    event.button = step.button;
    event.mods.shift = step.shift;
    VIEW_NoteInput(event);
    SCOPED_TRACE(static_cast<int>(step.type));
    EXPECT_EQ(down(VK_LBUTTON), step.leftAfter);
    EXPECT_EQ(down(VK_SHIFT), step.shiftAfter);
  }
}
