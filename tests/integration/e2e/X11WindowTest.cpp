// The product's editor in an X window of kroma-host, on an X server of the test's own, against the
// simulator over JACK: what a musician's clicks and menu picks send.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "XvfbServer.h"
#include "src/protocol/MultiDump.h"
#include "tests/integration/e2e/EndToEnd.h"
#include "tests/support/TempDir.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Png.h"

namespace {

using namespace session;

constexpr const char* kReady = "Plug-in is ready to go!";
constexpr Seconds kArrival = kroma_test::kWaitCap;
// Part 2's CHANNEL menu and part 1's LEVEL knob on the Multi page, where the window takes clicks.
constexpr int kChannel2X = 300, kChannel2Y = 329;
constexpr int kLevel1X = 196, kLevel1Y = 329;
// Their bytes in the Multi dump.
constexpr int kChannelByte = multi_dump::kRecordBase + multi_dump::kRecordSize * 1 + 7;
constexpr int kLevelByte = multi_dump::kRecordBase + 2;

class X11Window : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (HasFatalFailure()) return;
    if (mServer.display().empty()) GTEST_SKIP() << "no X server could be started";
    mDisplay = std::make_unique<kroma_test::ScopedEnv>("DISPLAY", mServer.display().c_str());
  }
  session::Setup windowed() {
    session::Setup s = setup();
    s.plugin = X11_PLUGIN;
    s.window = true;
    return s;
  }
  // Opens the menu at (x, y) with a click and picks its item `index` (counting from 0 the items
  // the keys light) with the keys, which go out first: the open menu holds the host.
  static bool pickWithKeys(Session& s, int x, int y, int index) {
    std::string keys = "x-input 0 menu";
    for (int i = 0; i <= index; ++i) keys += " Down";
    return s.host().step(keys + " Return") &&
           s.host().step("x-input 0 click " + std::to_string(x) + " " + std::to_string(y)) &&
           s.host().step("x-idle 300");
  }
  // The window's pixel at the header's corner, which only the transfer overlay covers.
  unsigned headerPixel(Session& s) {
    const std::string file = sessionData.file("window.png");
    if (!s.screenshot(file)) return 0;
    std::unique_ptr<GFX_IBitmap> shot(GFX_LoadPNG(file.c_str(), nullptr));
    return shot ? GFX_GetPixel(shot.get(), 4, 4) : 0;
  }
  // Waits until the transfer overlay, which takes the editor's clicks, is gone.
  bool overlayGone(Session& s) {
    return within(kArrival, [&] { return headerPixel(s) == mIdlePixel; });
  }
  // The input and output ports of the simulator, each picked from its menu; true once the
  // connection check found it and its overlay is gone.
  bool connectInWindow(Session& s) {
    mIdlePixel = headerPixel(s);
    if (!s.showPage(0) || !pickWithKeys(s, place::kPortIn.x, place::kPortIn.y, 1)) return false;
    const std::string shown =
        s.await([&] { return pickWithKeys(s, place::kPortOut.x, place::kPortOut.y, 1); },
                {kReady, "No response from corvane!"}, kroma_test::kWaitCap);
    return shown == kReady && overlayGone(s);
  }

  XvfbServer mServer;
  std::unique_ptr<kroma_test::ScopedEnv> mDisplay;
  unsigned mIdlePixel = 0;
};

// A Multi setting picked from its menu goes out right after the pick, though the menu took the
// release of the click that opened it: part 2's CHANNEL set to 5 reaches the synthesizer with no
// other click, and so do wheel turns of part 1's LEVEL after it.
TEST_F(X11Window, AMultiSettingPickedFromItsMenuReachesTheSynthesizerWithNoOtherClick) {
  auto sim = simulator("corvane-sim", 5);
  Session s(windowed());
  ASSERT_TRUE(s.open()) << s.error();
  ASSERT_TRUE(connectInWindow(s)) << s.error();
  const Bytes before = sim->record("multi");
  ASSERT_EQ(before.size(), (size_t)sysex::kMultiDumpSize);
  ASSERT_NE(before[kChannelByte], 6);
  // "Global", "Omni", then the channels from 1: "5" is item 6.
  ASSERT_TRUE(pickWithKeys(s, kChannel2X, kChannel2Y, 6)) << s.error();
  Bytes picked;
  EXPECT_TRUE(within(kArrival, [&] {
    picked = sim->record("multi");
    return picked.size() > (size_t)kChannelByte && picked[kChannelByte] == 6;
  })) << "part 2's channel";
  ASSERT_EQ(picked.size(), (size_t)sysex::kMultiDumpSize);
  // The Multi went out with the part sounds, under the transfer overlay.
  ASSERT_TRUE(overlayGone(s));
  for (int notch = 0; notch < 10; ++notch)
    ASSERT_TRUE(s.host().step("x-input 0 click " + std::to_string(kLevel1X) + " " +
                              std::to_string(kLevel1Y) + " 5"));
  ASSERT_TRUE(s.host().step("x-idle 300"));
  EXPECT_TRUE(within(kArrival, [&] {
    const Bytes multi = sim->record("multi");
    return multi.size() > (size_t)kLevelByte && multi[kLevelByte] < picked[kLevelByte];
  })) << "part 1's level";
  EXPECT_TRUE(s.close()) << s.error();
}

}  // namespace
