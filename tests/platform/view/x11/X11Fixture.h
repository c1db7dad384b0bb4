#pragma once

// The test headers go first: Xlib defines names they use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "XvfbTest.h"
#include "platform/view/Backend.h"
#include "platform/view/x11/X11Display.h"

// An X server of the suite's own, and a second connection that plays input
// into it through XTest, now or from a thread (for what holds this one).
class X11Fixture : public XvfbTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Pointer to a screen point, and buttons and keys (a key symbol's name).
  void move(int x, int y);
  void button(unsigned button, bool press);
  void click(int x, int y, unsigned which = 1);
  void key(const char* name, bool press);
  void tap(const char* name);
  // Plays actions from a thread once another window than the one focused now
  // holds the keyboard focus (a dialog takes it when mapped), at most ten
  // seconds on: keys played before would reach no dialog.
  void whenFocused(std::function<void()> actions);
  // Plays actions from a thread once another client holds the pointer and the
  // keyboard grab (a menu takes them when mapped), at most ten seconds on. With
  // a point, the pointer is moved there first.
  void whenGrabbed(std::function<void()> actions, int x = -1, int y = -1);
  // Pumps the view until the condition holds, at most the wait cap.
  static bool pumpUntil(VIEW_View* view, const std::function<bool()>& condition);

  // Waits for the actions played from a thread to end.
  void joinPlayer();

  Display* mInput = nullptr;

 private:
  // The connection is not shared between threads: one player at a time,
  // and none while this thread uses it.
  // Plays actions from a thread once ready() holds, at most ten seconds on.
  void playWhen(std::function<bool()> ready, std::function<void()> actions);
  std::thread mPlayer;
};

// The fixture with the back end's own connection to the server, for its modal windows, and the
// keyboard focus following the pointer.
class X11ModalFixture : public X11Fixture {
 protected:
  void SetUp() override {
    X11Fixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    display = X11Display::acquire();
    ASSERT_NE(display, nullptr);
    XSetInputFocus(mInput, PointerRoot, RevertToPointerRoot, CurrentTime);
  }
  void TearDown() override {
    if (display) display->release();
    X11Fixture::TearDown();
  }

  X11Display* display = nullptr;
};

// A client that records what its view reports.
struct RecordingClient : VIEW_Client {
  void viewTimer() override {}
  void viewDraw(int x, int y, int width, int height) override;
  bool viewEvent(const VIEW_Event& event) override;
  void viewInWindow() override {
    ++inWindow;
    if (view) view->trackPointerMotion(true);
  }
  bool viewTextKey(const VIEW_Event&, const std::string&) override { return true; }
  void viewTextEnded(const std::string&, bool) override {}

  VIEW_View* view = nullptr;
  std::vector<std::vector<int>> draws;
  // Shown on every draw when set: width x height pixels.
  std::vector<uint32_t> picture;
  int width = 0, height = 0;
  bool presented = false;
  std::vector<VIEW_Event> events;
  int inWindow = 0;
  // Opened at the pointer on each left press when set, as a menu button does; what was chosen
  // (-1: nothing), and the left button and Shift as the key state had them once it closed.
  const VIEW_Menu* menuOnPress = nullptr;
  int chosen = -2;
  bool leftAfterMenu = false, shiftAfterMenu = false;
};
