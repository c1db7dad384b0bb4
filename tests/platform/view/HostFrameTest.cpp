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
// Drawing and input through the frame are driven by the integration tests.
TEST(HostFrame, ReadOnlyWhenTheHostSaysItHandsFramesAndHandedBackOnClose) {
  Ticks client;
  VIEW_HostFrame frame;
  {
    kroma_test::ScopedEnv unset("KROMA_VIEW", nullptr);
    std::unique_ptr<VIEW_View> view(VIEW_View::open(&frame, 40, 30, 25, &client));
    EXPECT_EQ(frame.tick, nullptr);
  }
  kroma_test::ScopedEnv headless("KROMA_VIEW", "headless");
  std::unique_ptr<VIEW_View> view(VIEW_View::open(&frame, 40, 30, 25, &client));
  ASSERT_NE(frame.tick, nullptr);
  frame.tick(frame.view);
  EXPECT_EQ(client.ticks, 1);
  view->close();
  EXPECT_EQ(frame.tick, nullptr) << "closing hands the frame back";
}

}  // namespace
