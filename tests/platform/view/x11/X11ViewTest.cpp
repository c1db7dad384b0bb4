#include "X11Fixture.h"

#include <X11/Xutil.h>

#include <memory>

#include "platform/view/x11/X11View.h"

// The X11 view in a top-level window of its own at (0, 0) of the screen.
namespace {

using ::testing::ElementsAre;

constexpr int kWidth = 200, kHeight = 100;

class X11ViewTest : public X11Fixture {
 protected:
  void SetUp() override {
    X11Fixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    view.reset(VIEW_View::open(nullptr, kWidth, kHeight, 25, &client));
    ASSERT_NE(view, nullptr);
    client.view = view.get();
    ASSERT_TRUE(pumpUntil(view.get(), [&] { return !client.draws.empty(); }));  // exposed
    client.events.clear();
  }
  void TearDown() override {
    view.reset();
    X11Fixture::TearDown();
  }
  // Pumps until n events have come.
  bool events(size_t n) {
    return pumpUntil(view.get(), [&] { return client.events.size() >= n; });
  }

  RecordingClient client;
  std::unique_ptr<VIEW_View> view;
};

// The engine's pixels reach the window in the server's own format; the view
// shows only while it draws.
TEST_F(X11ViewTest, ExposedRegionsAreDrawnAndShowTheEnginesPixels) {
  EXPECT_THAT(client.draws.front(), ElementsAre(0, 0, kWidth, kHeight));
  EXPECT_FALSE(view->present(client.picture.data(), kWidth, kWidth, kHeight));
  client.width = kWidth, client.height = kHeight;
  client.picture.resize((size_t)kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i)
    client.picture[(size_t)i] = 0xFFu | (uint32_t)(i % 251) << 8 | (uint32_t)(i % 13) << 16 |
                                (uint32_t)(i % 97) << 24;  // alpha low, then red, green, blue
  view->invalidate(-20, -20, 1000, 1000);                  // held to the view
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.presented; }));
  EXPECT_THAT(client.draws.back(), ElementsAre(0, 0, kWidth, kHeight));
  auto* x11 = static_cast<VIEW_X11View*>(view.get());
  Display* d = mInput;
  XImage* image = XGetImage(d, x11->window(), 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t p = client.picture[(size_t)(y * kWidth + x)];
      const unsigned long expected = (p >> 8 & 0xFF) << 16 | (p >> 16 & 0xFF) << 8 | p >> 24;
      wrong += XGetPixel(image, x, y) != expected;
    }
  XDestroyImage(image);
  EXPECT_EQ(wrong, 0);
}

TEST_F(X11ViewTest, MouseEventsCarryButtonsClicksWheelAndModifiers) {
  click(10, 20);
  click(11, 21);  // soon and near: a double click
  click(60, 20, 3);
  click(60, 20, 4);  // the wheel up
  key("Super_L", true);
  key("Shift_L", true);
  click(100, 50);
  key("Shift_L", false);
  key("Super_L", false);
  move(5, 5);
  button(1, true);
  move(30, 40);
  button(1, false);
  ASSERT_TRUE(events(18));
  std::vector<std::string> seen;
  for (const VIEW_Event& e : client.events) {
    std::string text = std::to_string(e.type) + ":" + std::to_string(e.button) + "@" +
                       std::to_string(e.x) + "," + std::to_string(e.y);
    if (e.type == VIEW_Event::kMouseDown) text += " x" + std::to_string(e.clickCount);
    if (e.type == VIEW_Event::kWheel) text += " w" + std::to_string(e.wheel);
    if (e.mods.command) text += " cmd";
    if (e.mods.shift) text += " shift";
    seen.push_back(text);
  }
  // type:button@x,y: moves are 3 (every XTest move reports one), presses 0,
  // releases 1, the wheel 4, drags 2; the left button is 1, the right 2.
  EXPECT_THAT(
      seen, ElementsAre("3:0@10,20", "0:1@10,20 x1", "1:1@10,20", "3:0@11,21", "0:1@11,21 x2",
                        "1:1@11,21", "3:0@60,20", "0:2@60,20 x1", "1:2@60,20", "3:0@60,20",
                        "4:0@60,20 w1", "3:0@100,50 cmd shift", "0:1@100,50 x1 cmd shift",
                        "1:1@100,50 cmd shift", "3:0@5,5", "0:1@5,5 x1", "2:1@30,40", "1:1@30,40"));
}

TEST_F(X11ViewTest, KeysBecomeCharactersOrTheKitsKeys) {
  move(50, 50);  // the keyboard follows the pointer on a bare server
  tap("a");
  key("Shift_L", true);
  tap("a");
  key("Shift_L", false);
  tap("Up");
  tap("space");
  tap("F1");  // no key of the kit: not reported
  tap("5");
  ASSERT_TRUE(events(6));
  std::vector<int> keys;
  for (const VIEW_Event& e : client.events)
    if (e.type == VIEW_Event::kKey) keys.push_back(e.key);
  EXPECT_THAT(keys, ElementsAre('a', 'A', VIEW_KEY_UP, VIEW_KEY_SPACE, '5'));
}

// The field takes the keyboard, types over its opening selection, asks the
// client about each key and ends with Return (commit) or Escape (cancel).
TEST_F(X11ViewTest, TheTextFieldEditsThroughTheClientAndEnds) {
  client.refuse = [](const VIEW_Event& key, const std::string&) { return key.key == 'x'; };
  VIEW_TextField field;
  field.x = 20, field.y = 30, field.width = 60, field.height = 20;
  field.text = "20";
  field.textColour = 0xFF, field.backgroundColour = 0xFFFFFFFF;
  ASSERT_TRUE(view->openTextField(field));
  EXPECT_FALSE(view->openTextField(field));  // one at a time
  move(50, 40);
  for (const char* k : {"5", "x", "7", "BackSpace", "9", "Return"}) tap(k);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return !client.ended.empty(); }));
  EXPECT_THAT(client.ended, ElementsAre("commit 59"));
  EXPECT_FALSE(view->textFieldOpen());
  ASSERT_TRUE(view->openTextField(field));
  for (const char* k : {"1", "Escape"}) tap(k);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.ended.size() == 2; }));
  EXPECT_EQ(client.ended[1], "cancel 1");
  click(10, 10);  // keys and clicks reach the client again
  ASSERT_TRUE(events(2));
}

// A host that destroys its window before closing the editor takes our
// window with it: closing must not then make an X error.
TEST_F(X11ViewTest, AParentDestroyedFirstLeavesNoErrorBehind) {
  static int errors = 0;
  auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) {
    ++errors;
    return 0;
  });
  Display* host = XOpenDisplay(nullptr);
  const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 50, 50, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  RecordingClient inner;
  std::unique_ptr<VIEW_View> child(
      VIEW_View::open(reinterpret_cast<void*>(parent), 40, 40, 25, &inner));
  ASSERT_NE(child, nullptr);
  XDestroyWindow(host, parent);
  XSync(host, False);
  child->pump();
  child.reset();
  XCloseDisplay(host);
  XSetErrorHandler(previous);
  EXPECT_EQ(errors, 0);
}

TEST_F(X11ViewTest, TheCursorHidesAndThePointerWarps) {
  EXPECT_TRUE(view->setCursorHidden(true));
  EXPECT_TRUE(view->setCursorHidden(false));
  view->warpPointer(123, 45);
  int x = 0, y = 0;
  ASSERT_TRUE(view->pointer(&x, &y));
  EXPECT_EQ(x, 123);
  EXPECT_EQ(y, 45);
}

}  // namespace
