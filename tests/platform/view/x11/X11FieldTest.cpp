#include "X11Fixture.h"

#include <memory>

#include "X11Screen.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "platform/view/x11/detail/X11View.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

// The X11 view's text field as a user sees it (its box, the selection, the caret, the text kept in
// view) and types into it, and what the view notes of its input for other threads.
namespace {

using namespace x11colour;

constexpr int kFieldX = 20, kFieldY = 30, kFieldWidth = 120, kFieldHeight = 24;
constexpr uint32_t kYellow = 0xFFFF00;  // the field's background

struct FieldClient : RecordingClient {
  void viewTextEnded(const std::string& text, bool committed) override {
    ended.push_back((committed ? "commit " : "cancel ") + text);
  }
  std::vector<std::string> ended;
};

class X11FieldTest : public X11Fixture {
 protected:
  void SetUp() override {
    X11Fixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    view.reset(VIEW_X11View::create(nullptr, 200, 100, 25, &client));
    ASSERT_NE(view, nullptr);
    client.view = view.get();
    ASSERT_TRUE(pumpUntil(view.get(), [&] { return !client.draws.empty(); }));
    int w = 0, h = 0;
    WindowBox(mInput, view->window(), &x, &y, &w, &h);
  }
  void TearDown() override {
    view.reset();
    X11Fixture::TearDown();
  }
  bool open(const std::string& text, int align = VIEW_TextField::kLeft) {
    VIEW_TextField field;
    field.x = kFieldX, field.y = kFieldY, field.width = kFieldWidth, field.height = kFieldHeight;
    field.text = text;
    field.align = align;
    field.textColour = GFX_Pixel(255, 0, 0, 0);
    field.backgroundColour = GFX_Pixel(255, 255, 255, 0);
    return view->openTextField(field);
  }
  // The field's pixels once ready holds (pumping the view meanwhile), at most the wait cap.
  X11Shot field(const std::function<bool(const X11Shot&)>& ready) {
    X11Shot shot;
    pumpUntil(view.get(), [&] {
      shot = GrabScreen(mInput, x + kFieldX, y + kFieldY, kFieldWidth, kFieldHeight);
      return ready(shot);
    });
    return shot;
  }

  FieldClient client;
  std::unique_ptr<VIEW_X11View> view;
  int x = 0, y = 0;
};

// The text opens selected: highlighted over its width, placed by the field's alignment inside a
// framed box of the field's colour.
TEST_F(X11FieldTest, TheTextOpensSelectedWhereItsAlignmentPutsIt) {
  const int textWidth = X11Canvas::textWidth("abc");
  const int room = kFieldWidth - 6;
  const struct {
    int align, left;
  } cases[] = {{VIEW_TextField::kLeft, 3},
               {VIEW_TextField::kCentre, 3 + (room - textWidth) / 2},
               {VIEW_TextField::kRight, 3 + room - textWidth}};
  for (const auto& c : cases) {
    ASSERT_TRUE(open("abc", c.align));
    const X11Shot shot = field([&](const X11Shot& s) { return s.at(0, 0) == kLine; });
    EXPECT_EQ(shot.firstColumn(2, kHighlight), c.left) << c.align;
    EXPECT_EQ(shot.at(c.left + textWidth - 1, 2), kHighlight) << c.align;
    EXPECT_EQ(shot.at(c.left + textWidth, 2), kYellow) << c.align;
    EXPECT_EQ(shot.at(c.left, kFieldHeight - 3), kHighlight) << c.align;
    EXPECT_EQ(shot.at(c.left, 1), kYellow) << c.align;
    EXPECT_EQ(shot.at(c.left, kFieldHeight - 2), kYellow) << c.align;
    EXPECT_EQ(shot.at(kFieldWidth - 1, kFieldHeight - 1), kLine) << c.align;
    EXPECT_EQ(shot.at(1, 1), kYellow) << c.align;
    view->endTextField();
  }
}

// Keys edit the text: Right drops the selection and puts the caret after the text, Home before
// it, typed characters go in at the caret (the keypad's with Num Lock on); Return commits what it
// holds, Escape cancels.
TEST_F(X11FieldTest, KeysMoveTheCaretAndEditAndReturnCommits) {
  const int textWidth = X11Canvas::textWidth("abc");
  const Window root = DefaultRootWindow(mInput);
  XSetInputFocus(mInput, root, RevertToPointerRoot, CurrentTime);
  XSync(mInput, False);
  ASSERT_TRUE(open("abc"));
  client.events.clear();
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return view->hasFocus(); }));
  tap("Right");
  X11Shot shot = field([&](const X11Shot& s) { return s.at(3 + textWidth, 3) == 0; });
  EXPECT_EQ(shot.firstColumn(2, kHighlight), -1) << "no selection left";
  EXPECT_EQ(shot.at(3 + textWidth, 3), 0u) << "the caret";
  EXPECT_EQ(shot.at(3 + textWidth, kFieldHeight - 4), 0u);
  EXPECT_EQ(shot.at(3 + textWidth, 2), kYellow);
  EXPECT_EQ(shot.at(3 + textWidth, kFieldHeight - 3), kYellow);
  EXPECT_EQ(shot.at(4 + textWidth, 3), kYellow);
  tap("Home");
  shot = field([&](const X11Shot& s) { return s.at(3, 3) == 0; });
  EXPECT_EQ(shot.at(3, 3), 0u) << "the caret at the start";
  EXPECT_EQ(shot.at(3 + textWidth, 3), kYellow);
  tap("F1");  // no key of the kit: nothing happens
  tap("x");
  // The keypad types with Num Lock on; with it off, its decimal point (KP_Delete's key) deletes.
  for (const char* key : {"Num_Lock", "KP_7", "KP_Delete", "Num_Lock", "KP_Delete"}) tap(key);
  EXPECT_TRUE(pumpUntil(view.get(), [&] { return view->textFieldText() == "x7.bc"; }));
  tap("Return");
  EXPECT_TRUE(pumpUntil(view.get(), [&] { return !client.ended.empty(); }));
  EXPECT_FALSE(view->textFieldOpen());
  EXPECT_EQ(FocusedWindow(mInput), root) << "the keyboard back where it was";

  ASSERT_TRUE(open("old"));
  tap("n");
  tap("Escape");
  EXPECT_TRUE(pumpUntil(view.get(), [&] { return client.ended.size() == 2; }));
  EXPECT_THAT(client.ended, ::testing::ElementsAre("commit x7.bc", "cancel n"));
  for (const VIEW_Event& e : client.events)
    EXPECT_NE(e.type, VIEW_Event::kKey) << "the field's keys stay with it";
}

// A text wider than the field scrolls so that the caret at its end stays in view.
TEST_F(X11FieldTest, AWideTextKeepsItsEndInView) {
  const std::string text = "0123456789012345678901234567890";
  ASSERT_GT(X11Canvas::textWidth(text), kFieldWidth);
  ASSERT_TRUE(open(text));
  const X11Shot shot =
      field([&](const X11Shot& s) { return s.at(kFieldWidth - 4, 2) == kHighlight; });
  EXPECT_EQ(shot.at(1, 2), kHighlight) << "the start scrolled out";
  EXPECT_EQ(shot.at(kFieldWidth - 4, 2), kHighlight);
  EXPECT_EQ(shot.at(kFieldWidth - 3, 2), kYellow) << "the end at the padding";
}

// Each press, drag and release notes the left button and Shift for the threads that read them.
TEST_F(X11FieldTest, ButtonAndShiftAreNotedWithEveryEvent) {
  const auto after = [&](size_t count) {
    EXPECT_TRUE(pumpUntil(view.get(), [&] { return client.events.size() >= count; }));
    return std::pair(GetAsyncKeyState(VK_LBUTTON) != 0, GetAsyncKeyState(VK_SHIFT) != 0);
  };
  client.events.clear();
  move(x + 50, y + 50);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return !client.events.empty(); }));
  const size_t count = client.events.size();
  button(1, true);
  EXPECT_EQ(after(count + 1), std::pair(true, false));
  key("Shift_L", true);
  move(x + 60, y + 50);
  EXPECT_EQ(after(count + 2), std::pair(true, true));
  button(1, false);
  key("Shift_L", false);
  EXPECT_EQ(after(count + 3), std::pair(false, true));
  click(x + 70, y + 50, 3);
  EXPECT_EQ(after(count + 5), std::pair(false, false));
}

// A menu opens at its point within the view, wherever the view lies on the screen.
TEST_F(X11FieldTest, MenusOpenAtTheirPointInTheView) {
  Display* host = XOpenDisplay(nullptr);
  const Window parent =
      XCreateSimpleWindow(host, DefaultRootWindow(host), 300, 200, 120, 90, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  RecordingClient inner;
  std::unique_ptr<VIEW_View> child(
      VIEW_View::open(reinterpret_cast<void*>(parent), 120, 90, 25, &inner));
  ASSERT_NE(child, nullptr);
  inner.view = child.get();
  ASSERT_TRUE(pumpUntil(child.get(), [&] { return !inner.draws.empty(); }));
  VIEW_Menu menu;
  menu.addItem("First");
  menu.addItem("Second");
  const int row = X11Canvas::lineHeight() + 8;
  whenGrabbed([&] { click(300 + 10 + 20, 200 + 15 + 1 + row + row / 2); }, 300 + 40, 200 + 17);
  const VIEW_MenuChoice choice = child->popupMenu(menu, 10, 15);
  joinPlayer();
  EXPECT_EQ(choice.menu, &menu);
  EXPECT_EQ(choice.index, 1);
  child.reset();
  XDestroyWindow(host, parent);
  XCloseDisplay(host);
}

}  // namespace
