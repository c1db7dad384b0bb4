#include "X11Fixture.h"

#include <X11/extensions/XTest.h>
#include <fcntl.h>

#include "tests/support/Patience.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

void X11Fixture::SetUp() {
  XvfbTest::SetUp();
  if (IsSkipped()) return;
  mInput = XOpenDisplay(nullptr);
  ASSERT_NE(mInput, nullptr);
}

void X11Fixture::TearDown() {
  joinPlayer();
  if (mInput) XCloseDisplay(mInput);
  if (IsSkipped()) return;
  // Whatever the test opened has let the back end's connection go: the last release closes it.
  X11Display* display = X11Display::acquire();
  ASSERT_NE(display, nullptr);
  const int connection = ConnectionNumber(display->display());
  display->release();
  EXPECT_EQ(fcntl(connection, F_GETFD), -1) << "the connection is still held";
}

void X11Fixture::move(int x, int y) {
  XTestFakeMotionEvent(mInput, -1, x, y, CurrentTime);
  XSync(mInput, False);
}

void X11Fixture::button(unsigned which, bool press) {
  XTestFakeButtonEvent(mInput, which, press, CurrentTime);
  XSync(mInput, False);
}

void X11Fixture::click(int x, int y, unsigned which) {
  move(x, y);
  button(which, true);
  button(which, false);
}

void X11Fixture::key(const char* name, bool press) {
  XTestFakeKeyEvent(mInput, XKeysymToKeycode(mInput, XStringToKeysym(name)), press, CurrentTime);
  XSync(mInput, False);
}

void X11Fixture::tap(const char* name) {
  key(name, true);
  key(name, false);
}

void X11Fixture::joinPlayer() {
  if (mPlayer.joinable()) mPlayer.join();
}

namespace {

Window Focus(Display* display) {
  Window focus = None;
  int revertTo = 0;
  XGetInputFocus(display, &focus, &revertTo);
  return focus;
}

}  // namespace

void X11Fixture::whenFocused(std::function<void()> actions) {
  joinPlayer();  // before this thread uses the connection
  const Window before = Focus(mInput);
  playWhen(
      [this, before] {
        const Window now = Focus(mInput);
        return now != before && now != None && now != PointerRoot &&
               now != DefaultRootWindow(mInput);
      },
      std::move(actions));
}

// Probes with a grab of our own, let go at once: only a grab held by another
// client refuses it, and the menu retries its own grab for a while.
void X11Fixture::whenGrabbed(std::function<void()> actions, int x, int y) {
  joinPlayer();
  if (x >= 0) move(x, y);
  playWhen(
      [this] {
        // The keyboard too, which the menu grabs after the pointer: keys played before would
        // reach the window under the pointer instead.
        const Window root = DefaultRootWindow(mInput);
        const int pointer = XGrabPointer(mInput, root, False, 0, GrabModeAsync, GrabModeAsync, None,
                                         None, CurrentTime);
        if (pointer == GrabSuccess) XUngrabPointer(mInput, CurrentTime);
        const int keyboard =
            XGrabKeyboard(mInput, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (keyboard == GrabSuccess) XUngrabKeyboard(mInput, CurrentTime);
        XSync(mInput, False);
        return pointer == AlreadyGrabbed && keyboard == AlreadyGrabbed;
      },
      std::move(actions));
}

void X11Fixture::playWhen(std::function<bool()> ready, std::function<void()> actions) {
  mPlayer = std::thread([ready, actions] {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (!ready() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    actions();
  });
}

bool X11Fixture::pumpUntil(VIEW_View* view, const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    view->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool RecordingClient::viewEvent(const VIEW_Event& event) {
  events.push_back(event);
  if (!menuOnPress || event.type != VIEW_Event::kMouseDown || event.button != VIEW_Event::kLeft)
    return true;
  chosen = view->popupMenu(*menuOnPress, event.x, event.y).index;
  leftAfterMenu = GetAsyncKeyState(VK_LBUTTON) != 0;
  shiftAfterMenu = GetAsyncKeyState(VK_SHIFT) != 0;
  return true;
}

void RecordingClient::viewDraw(int x, int y, int w, int h) {
  draws.push_back({x, y, w, h});
  if (!picture.empty()) presented = view->present(picture.data(), width, width, height);
}
