// The test headers go first: Xlib defines names they use.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <thread>

#include "XvfbTest.h"
#include "platform/view/x11/X11Display.h"

namespace {

std::atomic<int> sOthers{0};

int CountOther(Display*, XErrorEvent*) {
  ++sOthers;
  return 0;
}

class X11ErrorTrapThreads : public XvfbTest {};

// Xlib has one error handler for the whole process and calls it on the thread whose connection
// failed, so a host's other thread with a connection of its own meets the traps the editor sets
// and takes down on the GUI thread: each side's errors reach only its own handler.
TEST_F(X11ErrorTrapThreads, AnotherThreadsErrorsPassTheEditorsTrapsToTheHandlerBefore) {
  constexpr int kErrors = 300;
  const XErrorHandler before = XSetErrorHandler(&CountOther);
  X11Display* display = X11Display::acquire();
  ASSERT_NE(display, nullptr);
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  const Window gone = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(other, gone);
  XSync(other, False);
  std::thread host([other, gone] {
    XWindowAttributes attributes;
    for (int i = 0; i < kErrors; ++i) XGetWindowAttributes(other, gone, &attributes);
  });
  int caught = 0;
  for (int i = 0; i < kErrors; ++i) {
    X11ErrorTrap trap(display->display());
    XUnmapWindow(display->display(), gone);
    caught += trap.failed();
  }
  host.join();
  XCloseDisplay(other);
  display->release();
  XSetErrorHandler(before);
  EXPECT_EQ(caught, kErrors);
  EXPECT_EQ(sOthers, kErrors);
}

}  // namespace
