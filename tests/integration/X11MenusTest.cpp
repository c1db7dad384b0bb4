#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "Patience.h"
#include "TempDir.h"
#include "XvfbTest.h"
#include "src/config/ParameterIds.h"
#include "tools/session/Session.h"

// The product's editor in a real X window of kroma-host on a screen of 1024 x 768, smaller than
// some of its menus, with the mouse played into the server by the test itself: an open menu holds
// the host, which then plays nothing.
namespace {

constexpr int kScreenHeight = 768;
constexpr int kStrip = 16;  // a scrolling menu's strips above and below its items
constexpr unsigned long kGrey = 0x969696;
// Oscillator 1's WAVETABLE menu on the oscillators' page, where the window takes clicks.
constexpr int kWavetableX = 236, kWavetableY = 273;
constexpr int kOscillatorPage = 2;
constexpr auto kLimit = kroma_test::kWaitCap;

class X11Menus : public XvfbTest {
 protected:
  static void SetUpTestSuite() { StartServer("1024x768x24"); }
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped()) return;
    std::ofstream(mData.file("Kroma Editor UI.txt")) << "white\nnormal\nyes\n";
    mInput = XOpenDisplay(nullptr);
    ASSERT_NE(mInput, nullptr);
  }
  void TearDown() override {
    if (mPlayer.joinable()) mPlayer.join();
    if (mSession) {
      EXPECT_TRUE(mSession->close()) << mSession->error();
    }
    if (mInput) XCloseDisplay(mInput);
  }

  // The first popup menu shown, as (x, y, width, height); empty when none shows within kLimit.
  std::vector<int> awaitMenu() {
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (std::chrono::steady_clock::now() < end) {
      Window root, parent, *children = nullptr;
      unsigned count = 0;
      XQueryTree(mInput, DefaultRootWindow(mInput), &root, &parent, &children, &count);
      std::vector<int> box;
      for (unsigned i = 0; i < count && box.empty(); ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(mInput, children[i], &a) && a.override_redirect &&
            a.map_state == IsViewable)
          box = {a.x, a.y, a.width, a.height};
      }
      if (children) XFree(children);
      if (!box.empty()) return box;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }
  // Whether the lower strip's arrow, centred in the menu, is grey: the menu is at its end.
  bool atTheEnd(const std::vector<int>& box) {
    const int row = std::min(box[1] + box[3], kScreenHeight) - kStrip + 6;  // the arrow's widest
    XImage* image = XGetImage(mInput, DefaultRootWindow(mInput), box[0] + box[2] / 2 - 4, row, 9, 1,
                              AllPlanes, ZPixmap);
    if (!image) return false;
    bool grey = true;
    for (int x = 0; x < 9; ++x) grey = grey && (XGetPixel(image, x, 0) & 0xFFFFFF) == kGrey;
    XDestroyImage(image);
    return grey;
  }
  void click(int x, int y, unsigned button = 1) {
    XTestFakeMotionEvent(mInput, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(mInput, button, True, CurrentTime);
    XTestFakeButtonEvent(mInput, button, False, CurrentTime);
    XSync(mInput, False);
  }
  bool step(const std::string& line) {
    const bool done = mSession->host().step(line);
    EXPECT_TRUE(done) << line << ": " << mSession->error();
    return done;
  }

  kroma_test::TempDir mData;
  std::unique_ptr<session::Session> mSession;
  Display* mInput = nullptr;
  std::thread mPlayer;
};

// The WAVETABLE menu (121 items) fills the screen's height; the wheel scrolls it to its end and
// the mouse picks the last wavetable.
TEST_F(X11Menus, TheMousePicksTheLastWavetableFromAMenuTallerThanTheScreen) {
  mSession = std::make_unique<session::Session>(
      session::Setup{KROMA_HOST, KROMA_PLUGIN, "", mData.path(), true});
  ASSERT_TRUE(mSession->open()) << mSession->error();
  ASSERT_TRUE(mSession->showPage(kOscillatorPage)) << mSession->error();
  std::vector<int> box;
  std::atomic<bool> ended{false};
  mPlayer = std::thread([&] {
    box = awaitMenu();
    if (box.empty()) return;
    const int x = box[0] + 30;
    for (int notch = 0; notch < 60; ++notch) click(x, kScreenHeight / 2, 5);
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (!atTheEnd(box) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ended = atTheEnd(box);
    click(x, kScreenHeight - kStrip - 5);
    // Closes a menu the click left open, so that the host goes on.
    XTestFakeKeyEvent(mInput, XKeysymToKeycode(mInput, XStringToKeysym("Escape")), True, 0);
    XTestFakeKeyEvent(mInput, XKeysymToKeycode(mInput, XStringToKeysym("Escape")), False, 0);
    XSync(mInput, False);
  });
  ASSERT_TRUE(
      step("x-input 0 click " + std::to_string(kWavetableX) + " " + std::to_string(kWavetableY)));
  ASSERT_TRUE(step("x-idle 300"));
  mPlayer.join();
  ASSERT_EQ(box.size(), 4u) << "the menu showed";
  EXPECT_EQ(box[1], 0);
  EXPECT_EQ(box[3], kScreenHeight);
  EXPECT_TRUE(ended) << "the wheel scrolled to the end";
  const std::string state = mData.file("state");
  ASSERT_TRUE(mSession->saveState(state)) << mSession->error();
  const std::vector<double> values = session::Session::parameters(state);
  ASSERT_GT(values.size(), (size_t)kOscillator1Wavetable);
  EXPECT_EQ(values[kOscillator1Wavetable], 120.0) << "Wavetable 121";
}

}  // namespace
