// The test and framework headers go first: Xlib defines names they use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "XvfbTest.h"
#include "tests/support/Patience.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "toolkit/plugin/editor/detail/IGraphicsCarbon.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

// The editor in a host's X window on an X server of the suite's own: the
// host's window is a plain window of a second connection, which also plays
// input through XTest. Both back ends live in it at (0, 0).
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kHostX = 100, kHostY = 50, kHostWidth = 400, kHostHeight = 300;
constexpr int kWidth = 200, kHeight = 100;

struct Plug : StandInPlugin {
  Plug() : StandInPlugin(0x00010203) {}
};

// Takes the arrow keys only, as the bank view does; logs them.
class ArrowTaker : public IControl {
 public:
  ArrowTaker(IPluginBase* plug, std::vector<int>* taken)
      : IControl(plug, IRECT(0, 0, kWidth, kHeight), -1), mTaken(taken) {}
  bool Draw(IGraphics*) override { return true; }
  bool OnKeyDown(int, int, int key) override {
    if (key < 1 || key > 4) return false;
    mTaken->push_back(key);
    return true;
  }

 private:
  std::vector<int>* mTaken;
};

int gErrors = 0;

class EditorX11 : public XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped()) return;
    gErrors = 0;
    mPrevious = XSetErrorHandler([](Display*, XErrorEvent*) {
      ++gErrors;
      return 0;
    });
    host = XOpenDisplay(nullptr);
    ASSERT_NE(host, nullptr);
    window = XCreateSimpleWindow(host, DefaultRootWindow(host), kHostX, kHostY, kHostWidth,
                                 kHostHeight, 0, 0, 0);
    XSelectInput(host, window, KeyPressMask);
    XMapWindow(host, window);
    XSetInputFocus(host, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(host, False);
    graphics = new IGraphicsMac(&plug, kWidth, kHeight, 25);
    plug.AttachGraphics(graphics);
    graphics->AttachControl(new ArrowTaker(&plug, &taken));
  }
  void TearDown() override {
    if (!host) return;
    graphics->CloseWindow();
    graphics->RemoveSubWindow();
    XCloseDisplay(host);
    XSetErrorHandler(mPrevious);
    EXPECT_EQ(gErrors, 0);
  }

  // Pumps the editor and reads the host's keys until the condition holds, at most the wait cap.
  bool pumpUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > end) return false;
      graphics->PumpEvents();
      readHost();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  // The key symbols (modifiers left out) that reached the host's window from the editor.
  void readHost() {
    while (XPending(host) > 0) {
      XEvent event;
      XNextEvent(host, &event);
      if (event.type != KeyPress || !event.xkey.send_event) continue;
      char text[8];
      KeySym symbol = NoSymbol;
      XLookupString(&event.xkey, text, sizeof text, &symbol, nullptr);
      if (!IsModifierKey(symbol)) hostKeys.push_back(XKeysymToString(symbol));
    }
  }
  // The editor's view: the one child window of the host's window.
  Window viewWindow() {
    const std::vector<Window> views = childrenOf(window);
    return views.size() == 1 ? views[0] : None;
  }
  Window focus() {
    Window focused = None;
    int revert = 0;
    XGetInputFocus(host, &focused, &revert);
    return focused;
  }
  void key(const char* name, bool press) {
    XTestFakeKeyEvent(host, XKeysymToKeycode(host, XStringToKeysym(name)), press, CurrentTime);
    XSync(host, False);
  }
  void tap(const char* name) {
    key(name, true);
    key(name, false);
  }
  // '#' on whichever key of the server's map gives it.
  void tapHash() {
    const KeyCode code = XKeysymToKeycode(host, XK_numbersign);
    const bool shifted = XkbKeycodeToKeysym(host, code, 0, 0) != XK_numbersign;
    if (shifted) key("Shift_L", true);
    tap("numbersign");
    if (shifted) key("Shift_L", false);
  }
  // x, y, width and height in the parent.
  std::vector<int> geometry(Window of) {
    Window root;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    XGetGeometry(host, of, &root, &x, &y, &w, &h, &border, &depth);
    return {x, y, (int)w, (int)h};
  }
  std::vector<Window> topWindows() { return childrenOf(DefaultRootWindow(host)); }
  std::vector<Window> childrenOf(Window of) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(host, of, &root, &parent, &children, &count);
    std::vector<Window> windows(children, children + count);
    if (children) XFree(children);
    return windows;
  }

  int (*mPrevious)(Display*, XErrorEvent*) = nullptr;
  Display* host = nullptr;
  Window window = None;
  Plug plug;
  IGraphicsMac* graphics = nullptr;
  std::vector<int> taken;
  std::vector<std::string> hostKeys;
};

// The view takes the keyboard once shown in the host's window; then a key the
// control declines and '#' (no key of the editor) go on to the host, the
// arrow the control takes does not.
TEST_F(EditorX11, TheViewTakesTheKeyboardAndHandsTheHostWhatItDeclines) {
  ASSERT_NE(graphics->OpenWindow(reinterpret_cast<void*>(window)), nullptr);
  ASSERT_TRUE(pumpUntil([&] { return focus() == viewWindow(); })) << "the keyboard on show";
  tap("q");
  tapHash();
  tap("Up");
  tap("F2");
  ASSERT_TRUE(pumpUntil([&] { return hostKeys.size() >= 3 && !taken.empty(); }));
  EXPECT_THAT(hostKeys, ElementsAre("q", "numbersign", "F2"));
  EXPECT_THAT(taken, ElementsAre(1));
}

// The pane leaves the keyboard with the host; keys reach it under the
// pointer. What is typed into its text entry stays there.
TEST_F(EditorX11, TheTextEntryKeepsItsKeysFromTheHost) {
  ASSERT_NE(graphics->OpenWindow(reinterpret_cast<void*>(window), nullptr, 0, 0), nullptr);
  XTestFakeMotionEvent(host, -1, kHostX + 50, kHostY + 50, CurrentTime);
  XSync(host, False);
  ASSERT_TRUE(pumpUntil([&] { return graphics->GetCarbon()->GetView() && viewWindow(); }));
  EXPECT_NE(focus(), viewWindow());
  tap("space");
  ASSERT_TRUE(pumpUntil([&] { return hostKeys.size() == 1; }));
  IRECT area(10, 10, 100, 30);
  IControl* control = graphics->GetControl(0);
  graphics->CreateTextEntry(control, control->GetText(), &area, "", nullptr);
  ASSERT_TRUE(graphics->GetCarbon()->TextEntryOpen());
  tap("a");
  tapHash();
  tap("Up");
  VIEW_View* view = graphics->KitView();
  ASSERT_TRUE(pumpUntil([&] { return view->textFieldText() == "a#"; }));
  tap("Escape");
  ASSERT_TRUE(pumpUntil([&] { return !graphics->GetCarbon()->TextEntryOpen(); }));
  EXPECT_THAT(hostKeys, ElementsAre("space"));
  EXPECT_THAT(taken, IsEmpty());
}

// The host destroying its window first removes the view from inside its own
// event: the editor closes, and nothing freed is touched (address sanitizer).
TEST_F(EditorX11, AHostWindowDestroyedUnderTheViewClosesTheEditor) {
  ASSERT_NE(graphics->OpenWindow(reinterpret_cast<void*>(window)), nullptr);
  ASSERT_TRUE(pumpUntil([&] { return focus() == viewWindow(); }));
  XDestroyWindow(host, window);
  XSync(host, False);
  ASSERT_TRUE(pumpUntil([&] { return !graphics->WindowIsOpen(); }));
  graphics->PumpEvents();
  ASSERT_NE(graphics->OpenWindow(nullptr), nullptr) << "opens again, in a window of its own";
}

// The sub-window sits at the host's top, centred on it, borderless; it goes
// with the view.
TEST_F(EditorX11, TheSubWindowOpensOverTheHostsWindowAndCloses) {
  const std::vector<Window> before = topWindows();
  graphics->AttachSubWindow(reinterpret_cast<void*>(window));
  ASSERT_NE(graphics->GetWindow(), nullptr);
  std::vector<Window> after = topWindows();
  ASSERT_EQ(after.size(), before.size() + 1);
  const Window sub = after.back();
  XWindowAttributes attributes{};
  ASSERT_TRUE(pumpUntil([&] {
    XGetWindowAttributes(host, sub, &attributes);
    return attributes.map_state == IsViewable;
  }));
  EXPECT_THAT(std::vector<int>({attributes.x, attributes.y, attributes.width, attributes.height}),
              ElementsAre(kHostX + (kHostWidth - kWidth) / 2, kHostY, kWidth, kHeight));
  Window transientFor = None;
  EXPECT_TRUE(XGetTransientForHint(host, sub, &transientFor));
  EXPECT_EQ(transientFor, window);
  graphics->RemoveSubWindow();
  EXPECT_FALSE(graphics->WindowIsOpen());
  EXPECT_EQ(topWindows(), before);
}

TEST_F(EditorX11, ResizingAHostWindowKeepsItsCorner) {
  EXPECT_TRUE(ResizeWindow(reinterpret_cast<void*>(window), 250, 120));
  EXPECT_THAT(geometry(window), ElementsAre(kHostX, kHostY, 250, 120));
  EXPECT_FALSE(ResizeWindow(nullptr, 250, 120));
}

// The pane's resize takes the host's window along, from its corner, and fills it.
TEST_F(EditorX11, ThePaneResizesWithTheHostsWindow) {
  ASSERT_NE(graphics->OpenWindow(reinterpret_cast<void*>(window), nullptr, 0, 0), nullptr);
  ASSERT_TRUE(pumpUntil([&] { return viewWindow() != None; }));
  EXPECT_TRUE(graphics->GetCarbon()->Resize(250, 120));
  EXPECT_THAT(geometry(window), ElementsAre(kHostX, kHostY, 250, 120));
  EXPECT_TRUE(pumpUntil([&] {
    return geometry(viewWindow()) == std::vector<int>{0, 0, 250, 120};
  })) << "the pane fills the window";
}

}  // namespace
