#include "X11Fixture.h"
#include "X11Screen.h"

#include <X11/extensions/Xfixes.h>
#include <algorithm>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "platform/view/x11/detail/X11Dialog.h"
#include "platform/view/x11/detail/X11View.h"
#include "tests/support/Patience.h"

// The X11 view in a top-level window of its own at (0, 0) of the screen.
namespace {

using ::testing::ElementsAre;

constexpr int kWidth = 200, kHeight = 100;

// Whether the cursor the pointer wears now has a pixel to show.
bool CursorShown(Display* display) {
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) return false;
  bool shown = false;
  for (int i = 0; i < image->width * image->height; ++i) shown |= (image->pixels[i] >> 24) != 0;
  XFree(image);
  return shown;
}

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

  // Runs a message box that the player's steps end with Escape.
  void runDismissedBox() {
    X11Display* display = X11Display::acquire();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(X11RunMessageBox(display, "Caption", "Text", {"OK"}), 0);
    display->release();
    joinPlayer();
  }

  RecordingClient client;
  std::unique_ptr<VIEW_View> view;
};

// Exposure draws the whole view; the view shows only while it draws. The
// cursor hides and the pointer warps within the window.
TEST_F(X11ViewTest, DrawsWithinTheViewAndMovesThePointer) {
  EXPECT_THAT(client.draws.front(), ElementsAre(0, 0, kWidth, kHeight));
  client.width = kWidth, client.height = kHeight;
  client.picture.assign((size_t)kWidth * kHeight, 0xFF0000FFu);
  EXPECT_FALSE(view->present(client.picture.data(), kWidth, kWidth, kHeight));
  view->invalidate(-20, -20, 1000, 1000);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.presented; }));
  EXPECT_THAT(client.draws.back(), ElementsAre(0, 0, kWidth, kHeight));
  view->warpPointer(123, 45);
  int x = 0, y = 0;
  ASSERT_TRUE(view->pointer(&x, &y));
  EXPECT_EQ(std::pair(x, y), std::pair(123, 45));
  ASSERT_TRUE(CursorShown(mInput));
  // What the hidden cursor is made of is freed but the cursor: no drawable lies among the
  // resources made for it (numbered one after another from the marker's).
  X11Display* display = X11Display::acquire();
  Display* d = display->display();
  const Pixmap marker = XCreatePixmap(d, display->root(), 1, 1, 1);
  EXPECT_TRUE(view->setCursorHidden(true));
  const Cursor blank = display->blankCursor();
  ASSERT_GT(blank, marker);
  ASSERT_LT(blank - marker, 8u);
  for (XID id = marker + 1; id < blank; ++id) {
    X11ErrorTrap trap(d);
    Window root = None;
    int at = 0;
    unsigned size = 0;
    XGetGeometry(d, id, &root, &at, &at, &size, &size, &size, &size);
    EXPECT_TRUE(trap.failed()) << "a drawable kept: " << id - marker;
  }
  XFreePixmap(d, marker);
  display->release();
  EXPECT_FALSE(CursorShown(mInput)) << "hidden over the view";
  move(kWidth + 20, 45);
  EXPECT_TRUE(CursorShown(mInput)) << "elsewhere";
  move(123, 45);
  EXPECT_TRUE(view->setCursorHidden(false));
  EXPECT_TRUE(CursorShown(mInput)) << "shown again";
  EXPECT_EQ(Title(mInput, static_cast<VIEW_X11View*>(view.get())->window()), "Editor");
}

// type:button@x,y: moves are 3 (every XTest move reports one), presses 0,
// releases 1, drags 2, the wheel 4, keys 5; the left button is 1, the right 2.
TEST_F(X11ViewTest, InputCarriesButtonsClicksWheelModifiersAndKeys) {
  click(10, 20);
  click(11, 21);  // soon and near: a double click
  click(60, 20, 3);
  click(60, 20, 4);  // the wheel up
  key("Super_L", true);
  key("Shift_L", true);
  click(100, 50);
  tap("a");
  key("Shift_L", false);
  key("Super_L", false);
  move(5, 5);
  button(1, true);
  move(30, 40);
  button(1, false);
  button(5, true);  // the wheel down turns as it is pressed
  move(31, 41);
  button(5, false);
  for (const char* k : {"a", "Up", "F1", "5"}) tap(k);  // F1 is no key of the kit
  ASSERT_TRUE(events(24));
  std::vector<std::string> seen;
  for (const VIEW_Event& e : client.events) {
    std::string text = std::to_string(e.type) + ":" + std::to_string(e.button) + "@" +
                       std::to_string(e.x) + "," + std::to_string(e.y);
    if (e.type == VIEW_Event::kKey) text = "key " + std::to_string(e.key);
    if (e.type == VIEW_Event::kMouseDown) text += " x" + std::to_string(e.clickCount);
    if (e.type == VIEW_Event::kWheel) text += " w" + std::to_string(e.wheel);
    if (e.mods.command) text += " cmd";
    if (e.mods.shift) text += " shift";
    seen.push_back(text);
  }
  EXPECT_THAT(seen,
              ElementsAre("3:0@10,20", "0:1@10,20 x1", "1:1@10,20", "3:0@11,21", "0:1@11,21 x2",
                          "1:1@11,21", "3:0@60,20", "0:2@60,20 x1", "1:2@60,20", "3:0@60,20",
                          "4:0@60,20 w1", "3:0@100,50 cmd shift", "0:1@100,50 x1 cmd shift",
                          "1:1@100,50 cmd shift", "key 65 cmd shift", "3:0@5,5", "0:1@5,5 x1",
                          "2:1@30,40", "1:1@30,40", "4:0@30,40 w-1", "3:0@31,41", "key 97",
                          "key " + std::to_string(VIEW_KEY_UP), "key 53"));
}

// The editor hears that it lost the keyboard only when another window takes it: not when the
// keyboard moves into a window inside the editor, is grabbed for a while, or only followed the
// pointer.
TEST_F(X11ViewTest, LosingTheKeyboardToAnotherWindowDeactivatesTheEditorOnly) {
  const Window view = static_cast<VIEW_X11View*>(this->view.get())->window();
  const Window inside = XCreateSimpleWindow(mInput, view, 10, 10, 20, 20, 0, 0, 0);
  const Window other =
      XCreateSimpleWindow(mInput, DefaultRootWindow(mInput), 300, 300, 40, 40, 0, 0, 0);
  XMapWindow(mInput, inside);
  XMapWindow(mInput, other);
  XSync(mInput, False);
  const auto focusOn = [this](Window window) {
    XSetInputFocus(mInput, window, RevertToPointerRoot, CurrentTime);
    XSync(mInput, False);
  };
  const auto deactivations = [this] {
    return std::count_if(client.events.begin(), client.events.end(),
                         [](const VIEW_Event& e) { return e.type == VIEW_Event::kDeactivate; });
  };
  move(150, 50);
  focusOn(PointerRoot);  // the keyboard follows the pointer into the editor
  focusOn(other);
  focusOn(view);
  focusOn(inside);
  XGrabKeyboard(mInput, DefaultRootWindow(mInput), False, GrabModeAsync, GrabModeAsync,
                CurrentTime);
  XUngrabKeyboard(mInput, CurrentTime);
  XSync(mInput, False);
  for (int i = 0; i < 2; ++i) focusOn(view), focusOn(other);
  EXPECT_TRUE(pumpUntil(this->view.get(), [&] { return deactivations() >= 2; }));
  EXPECT_EQ(deactivations(), 2) << "once for each time another window took the keyboard";
  XDestroyWindow(mInput, inside);
  XDestroyWindow(mInput, other);
  XSync(mInput, False);
}

// A drag names the button held, the right and the middle one too; presses up to four pixels
// apart make a double click, five do not; with Caps Lock on, letters come as capitals.
TEST_F(X11ViewTest, DragsNameTheirButtonClicksCountWithinFourPixelsAndCapsLockCapitalises) {
  move(50, 50);
  for (unsigned which : {3u, 2u}) {
    button(which, true);
    move(50 + (int)which, 50);
    button(which, false);
  }
  click(100, 50);
  click(104, 54);
  click(109, 54);
  tap("Caps_Lock");
  tap("b");
  tap("Caps_Lock");
  tap("b");
  ASSERT_TRUE(pumpUntil(view.get(), [&] {
    return !client.events.empty() && client.events.back().type == VIEW_Event::kKey &&
           client.events.back().key == 'b';
  }));
  std::vector<std::string> seen;
  for (const VIEW_Event& e : client.events) {
    if (e.type == VIEW_Event::kMouseDrag)
      seen.push_back("drag " + std::to_string(e.button) + "@" + std::to_string(e.x));
    if (e.type == VIEW_Event::kMouseDown) seen.push_back("x" + std::to_string(e.clickCount));
    if (e.type == VIEW_Event::kKey) seen.push_back(std::string(1, (char)e.key));
  }
  EXPECT_THAT(seen, ElementsAre("x1", "drag 2@53", "x1", "drag 3@52", "x1", "x2", "x1", "B", "b"));
}

// A client that declines keys, and may take the keyboard on a click and want the click that
// activated it.
struct ChoosyClient : RecordingClient {
  bool viewEvent(const VIEW_Event& event) override {
    RecordingClient::viewEvent(event);
    return event.type != VIEW_Event::kKey;
  }
  bool viewAcceptsFocus() override { return takesFocus; }
  bool viewAcceptsFirstMouse() override { return firstMouse; }
  bool takesFocus = false, firstMouse = true;
};

// In the host's window: keys the editor declines go on to the host's window, naming ours; a
// click takes the keyboard for an editor that wants it, and only activates one that does not
// want the first click.
TEST_F(X11ViewTest, DeclinedKeysGoToTheHostAndAClickTakesTheKeyboard) {
  const Window host =
      XCreateSimpleWindow(mInput, DefaultRootWindow(mInput), 300, 200, 100, 80, 0, 0, 0);
  XSelectInput(mInput, host, KeyPressMask);
  XMapWindow(mInput, host);
  XSync(mInput, False);
  ChoosyClient choosy;
  choosy.takesFocus = true, choosy.firstMouse = false;
  std::unique_ptr<VIEW_X11View> inner(
      VIEW_X11View::create(reinterpret_cast<void*>((uintptr_t)host), 60, 40, 25, &choosy));
  ASSERT_NE(inner, nullptr);
  choosy.view = inner.get();
  ASSERT_TRUE(pumpUntil(inner.get(), [&] { return !choosy.draws.empty(); }));
  XSetInputFocus(mInput, PointerRoot, RevertToPointerRoot, CurrentTime);
  move(300 + 10, 200 + 10);
  ASSERT_FALSE(inner->hasFocus());
  click(310, 210);  // activates only
  EXPECT_TRUE(pumpUntil(inner.get(), [&] { return inner->hasFocus(); }));
  click(320, 215);
  ASSERT_TRUE(pumpUntil(inner.get(), [&] { return choosy.events.size() >= 4; }));
  int downs = 0;
  for (const VIEW_Event& e : choosy.events) downs += e.type == VIEW_Event::kMouseDown;
  EXPECT_EQ(downs, 1) << "the activating click is not the editor's";
  tap("a");
  XEvent forwarded{};
  EXPECT_TRUE(pumpUntil(
      inner.get(), [&] { return XCheckTypedWindowEvent(mInput, host, KeyPress, &forwarded); }));
  EXPECT_EQ(forwarded.xkey.subwindow, inner->window());
  EXPECT_EQ(forwarded.xkey.keycode, XKeysymToKeycode(mInput, XStringToKeysym("a")));
  EXPECT_EQ(choosy.events.back().type, VIEW_Event::kKey) << "offered to the editor first";
  inner.reset();
  XDestroyWindow(mInput, host);
  XSync(mInput, False);
}

// An empty menu answers nothing at once; a picture smaller than the area to draw shows where it
// reaches and leaves the rest as it was.
TEST_F(X11ViewTest, EmptyMenusAndSmallPicturesAskNothingOfTheScreen) {
  VIEW_Menu empty;
  const VIEW_MenuChoice none = view->popupMenu(empty, 10, 10);
  EXPECT_EQ(none.menu, nullptr);
  client.width = kWidth, client.height = kHeight;
  client.picture.assign((size_t)kWidth * kHeight, 0xFF0000FFu);  // blue
  view->invalidate(0, 0, kWidth, kHeight);
  ASSERT_TRUE(pumpUntil(view.get(), [&] {
    return GrabScreen(mInput, 0, 0, kWidth, kHeight).at(kWidth - 1, kHeight - 1) == 0x0000FF;
  }));
  client.presented = false;
  client.width = 50, client.height = 20;  // a red corner, as wide as its rows
  client.picture.assign((size_t)50 * 20, 0x0000FFFFu);
  view->invalidate(0, 0, kWidth, kHeight);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.presented; }));
  const X11Shot shot = GrabWhen(mInput, 0, 0, kWidth, kHeight,
                                [](const X11Shot& s) { return s.at(0, 0) == 0xFF0000; });
  EXPECT_EQ(shot.at(49, 19), 0xFF0000u);
  EXPECT_EQ(shot.at(50, 0), 0x0000FFu);
  EXPECT_EQ(shot.at(0, 20), 0x0000FFu);
  EXPECT_EQ(shot.at(kWidth - 1, kHeight - 1), 0x0000FFu);
}

// A client drawn as the editor is: its timer asks for the changed area to be drawn, and each draw
// takes every change as drawn, whether it lay inside the drawn area or not.
struct EditorLikeClient : RecordingClient {
  void viewTimer() override {
    if (changed) view->invalidate(10, 10, 20, 20);
  }
  void viewDraw(int x, int y, int w, int h) override {
    RecordingClient::viewDraw(x, y, w, h);
    if (changed && x <= 10 && y <= 10 && x + w >= 30 && y + h >= 30) shown = true;
    changed = false;
  }
  bool changed = false, shown = false;
};

// A change made just before an exposure (a text set as a menu closes over another part of the
// editor) is drawn with it, not swallowed by the exposure's draw.
TEST_F(X11ViewTest, AnExposureDrawsWhatChangedElsewhereToo) {
  EditorLikeClient editor;
  std::unique_ptr<VIEW_X11View> slow(VIEW_X11View::create(nullptr, kWidth, kHeight, 1, &editor));
  ASSERT_NE(slow, nullptr);
  editor.view = slow.get();
  ASSERT_TRUE(pumpUntil(slow.get(), [&] { return !editor.draws.empty(); }));
  editor.changed = true;
  XClearArea(mInput, slow->window(), 150, 60, 20, 20, True);
  XFlush(mInput);
  EXPECT_TRUE(pumpUntil(slow.get(), [&] { return editor.shown; }));
  EXPECT_EQ(editor.inWindow, 1) << "in its window once, however often exposed";
  ASSERT_FALSE(editor.draws.empty());
  const std::vector<int>& last = editor.draws.back();
  EXPECT_TRUE(last[0] <= 150 && last[1] <= 60 && last[0] + last[2] >= 170 &&
              last[1] + last[3] >= 80)
      << "the exposed area is drawn as well";
}

// A client whose timer counts its ticks, read from the thread that plays input.
struct TickingClient : RecordingClient {
  void viewTimer() override { ++ticks; }
  std::atomic<int> ticks{0};
};

// An open view's timer goes on while a modal window of the kit runs: the editor keeps drawing
// under a message box.
TEST_F(X11ViewTest, TheTimerRunsOnUnderAModalWindow) {
  TickingClient ticking;
  std::unique_ptr<VIEW_View> other(VIEW_View::open(nullptr, 50, 50, 50, &ticking));
  ASSERT_NE(other, nullptr);
  ticking.view = other.get();
  ASSERT_TRUE(pumpUntil(other.get(), [&] { return !ticking.draws.empty(); }));
  const int before = ticking.ticks;
  whenFocused([&] {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (ticking.ticks < before + 3 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    tap("Escape");
  });
  runDismissedBox();
  EXPECT_GE(ticking.ticks, before + 3);
}

// A menu opened by a click ends that click, whose release the menu took: once it closes, the
// left button is up, whether an item was picked with the keys or the mouse or the menu was
// dismissed, and Shift counts as it is held then.
TEST_F(X11ViewTest, AMenuOpenedByAClickEndsThatClick) {
  VIEW_Menu menu;
  menu.addItem("One");
  menu.addItem("Two");
  client.menuOnPress = &menu;
  const int row = X11Canvas::lineHeight() + 8;
  const struct {
    const char* what;
    std::function<void()> actions;
    int chosen;
    bool shift;
  } cases[] = {
      {"keys", [&] { tap("Down"), tap("Return"); }, 0, false},
      {"a click", [&] { click(40, 20 + 1 + row + row / 2); }, 1, false},
      {"Escape", [&] { tap("Escape"); }, -1, false},
      {"Shift held", [&] { key("Shift_L", true), tap("Down"), tap("Return"); }, 0, true},
  };
  for (const auto& c : cases) {
    client.chosen = -2;
    click(20, 20);
    whenGrabbed(c.actions, 150, 80);
    ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.chosen != -2; })) << c.what;
    joinPlayer();
    EXPECT_EQ(client.chosen, c.chosen) << c.what;
    EXPECT_FALSE(client.leftAfterMenu) << c.what;
    EXPECT_EQ(client.shiftAfterMenu, c.shift) << c.what;
  }
  key("Shift_L", false);
}

// A click in the editor outside an open menu closes it and does nothing else: neither its press
// nor its release reaches the editor, and the keys played after it find no menu to pick from.
TEST_F(X11ViewTest, AClickInTheEditorOutsideAMenuClosesItAndReachesNothing) {
  VIEW_Menu menu;
  menu.addItem("One");
  menu.addItem("Two");
  client.menuOnPress = &menu;
  click(20, 20);
  whenGrabbed([&] { click(150, 80), tap("Down"), tap("Return"); }, 150, 80);
  ASSERT_TRUE(pumpUntil(view.get(), [&] { return client.chosen != -2; }));
  joinPlayer();
  EXPECT_EQ(client.chosen, -1);
  move(180, 90);  // once this move has come, whatever the click sent the view has come too
  ASSERT_TRUE(pumpUntil(view.get(), [&] {
    return client.events.back().type == VIEW_Event::kMouseMove && client.events.back().x == 180;
  }));
  std::vector<std::pair<int, int>> buttons;
  for (const VIEW_Event& e : client.events)
    if (e.type == VIEW_Event::kMouseDown || e.type == VIEW_Event::kMouseUp)
      buttons.emplace_back(e.x, e.y);
  EXPECT_THAT(buttons, ElementsAre(std::pair(20, 20))) << "the opening press only";
}

// While a modal window of the kit runs, the pointer and the keys reach no view: moves, clicks,
// the wheel and keys played over and into the editor are dropped, not kept for later.
TEST_F(X11ViewTest, AModalWindowKeepsInputFromTheViews) {
  const Window window = static_cast<VIEW_X11View*>(view.get())->window();
  whenFocused([&] {
    const Window box = FocusedWindow(mInput);
    move(20, 20);
    click(30, 30);
    click(30, 30, 4);
    XSetInputFocus(mInput, window, RevertToPointerRoot, CurrentTime);
    tap("a");
    XSetInputFocus(mInput, box, RevertToPointerRoot, CurrentTime);
    tap("Escape");
  });
  runDismissedBox();
  move(40, 40);  // after the box: this one comes through
  ASSERT_TRUE(events(2));
  std::vector<int> types;
  for (const VIEW_Event& e : client.events) types.push_back(e.type);
  // The keyboard left the editor for the box again: no input, that.
  EXPECT_THAT(types, ElementsAre(VIEW_Event::kDeactivate, VIEW_Event::kMouseMove));
}

// A view opened without a rate ticks at 25 a second: the 26th tick comes 25 intervals on, a
// second (at 26 a second it would come 40 ms sooner).
TEST_F(X11ViewTest, AViewWithoutARateTicksAtTheDefaultOne) {
  constexpr int kTicks = 26;
  TickingClient ticking;
  const auto opened = std::chrono::steady_clock::now();
  std::unique_ptr<VIEW_View> unrated(VIEW_View::open(nullptr, 50, 50, 0, &ticking));
  ASSERT_NE(unrated, nullptr);
  ticking.view = unrated.get();
  ASSERT_TRUE(pumpUntil(unrated.get(), [&] { return ticking.ticks >= kTicks; }));
  EXPECT_GE(std::chrono::steady_clock::now() - opened,
            (kTicks - 1) * std::chrono::milliseconds(40));
}

// A closed view leaves the screen at once, before it is deleted, and tells its client nothing
// more.
TEST_F(X11ViewTest, AClosedViewLeavesTheScreenAtOnce) {
  const Window window = static_cast<VIEW_X11View*>(view.get())->window();
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(mInput, window, &attributes));
  EXPECT_EQ(attributes.map_state, IsViewable);
  const size_t draws = client.draws.size();
  view->close();
  ASSERT_TRUE(XGetWindowAttributes(mInput, window, &attributes));
  EXPECT_EQ(attributes.map_state, IsUnmapped);
  view->invalidate(0, 0, kWidth, kHeight);
  view->pump();
  EXPECT_EQ(client.draws.size(), draws);
}

// A view deleted while another stays open leaves nothing behind that the other's events reach:
// the news of its window's end goes nowhere.
TEST_F(X11ViewTest, ADeletedViewsLastEventsReachNoOne) {
  RecordingClient gone;
  std::unique_ptr<VIEW_View> other(VIEW_View::open(nullptr, 50, 50, 25, &gone));
  ASSERT_NE(other, nullptr);
  gone.view = other.get();
  ASSERT_TRUE(pumpUntil(other.get(), [&] { return !gone.draws.empty(); }));
  other.reset();
  X11Display* display = X11Display::acquire();
  ASSERT_NE(display, nullptr);
  XSync(display->display(), False);  // the window's end is in
  view->pump();
  display->release();
  EXPECT_TRUE(client.events.empty());
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
  struct Orphan : RecordingClient {
    void viewParentGone() override { ++gone; }
    int gone = 0;
  } inner;
  std::unique_ptr<VIEW_View> child(
      VIEW_View::open(reinterpret_cast<void*>(parent), 40, 40, 25, &inner));
  ASSERT_NE(child, nullptr);
  XDestroyWindow(host, parent);
  XSync(host, False);
  EXPECT_TRUE(pumpUntil(child.get(), [&] { return inner.gone > 0; }));
  EXPECT_EQ(inner.gone, 1);
  EXPECT_FALSE(child->isOpen());
  child.reset();
  XCloseDisplay(host);
  XSetErrorHandler(previous);
  EXPECT_EQ(errors, 0);
}

}  // namespace
