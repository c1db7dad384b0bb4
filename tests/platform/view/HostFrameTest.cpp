#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TempDir.h"
#include "platform/view/HostFrame.h"
#include "platform/view/View.h"

namespace {

struct Ticks : VIEW_Client {
  void viewTimer() override { ++ticks; }
  void viewDraw(int, int, int, int) override {}
  void viewEvent(const VIEW_Event&) override {}
  bool viewTextKey(const VIEW_Event&, const std::string&) override { return true; }
  void viewTextEnded(const std::string&, bool) override {}
  int ticks = 0;
};

// A real host passes its own window as the parent; reading it as a frame would
// crash the host, so only a host that says it hands frames gets them read.
TEST(HostFrame, ReadOnlyWhenTheHostSaysItHandsFrames) {
  Ticks client;
  {
    kroma_test::ScopedEnv unset("KROMA_VIEW", nullptr);
    void* windowId = reinterpret_cast<void*>(uintptr_t{0x3a00007});  // never dereferenced
    std::unique_ptr<VIEW_View> view(VIEW_View::open(windowId, 40, 30, 25, &client));
    ASSERT_NE(view, nullptr);
    VIEW_HostFrame frame;
    std::unique_ptr<VIEW_View> other(VIEW_View::open(&frame, 40, 30, 25, &client));
    EXPECT_EQ(frame.tick, nullptr);
  }
  kroma_test::ScopedEnv headless("KROMA_VIEW", "headless");
  VIEW_HostFrame frame;
  std::unique_ptr<VIEW_View> view(VIEW_View::open(&frame, 40, 30, 25, &client));
  ASSERT_NE(frame.tick, nullptr);
  frame.tick(frame.view);
  EXPECT_EQ(client.ticks, 1);
  int width = 0, height = 0;
  EXPECT_NE(frame.screen(frame.view, &width, &height), nullptr);
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 30);
  view->close();
  EXPECT_EQ(frame.tick, nullptr) << "closing hands the frame back";
}

}  // namespace
