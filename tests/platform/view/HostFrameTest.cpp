#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TempDir.h"
#include "platform/view/HostFrame.h"
#include "platform/view/Menu.h"
#include "platform/view/View.h"
#include "platform/view/headless/Script.h"

namespace {

struct Ticks : VIEW_Client {
  void viewTimer() override { ++ticks; }
  void viewDraw(int, int, int, int) override {}
  bool viewEvent(const VIEW_Event&) override { return true; }
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
  // Freed without a close, it hands the frame back too: the host never ticks a freed view.
  view.reset(VIEW_View::open(&frame, 40, 30, 25, &client));
  ASSERT_NE(frame.tick, nullptr);
  view.reset();
  EXPECT_EQ(frame.tick, nullptr);
  EXPECT_EQ(frame.view, nullptr);
}

// A host that answers menus gets each one as lines, sub-menus indented, and chooses a line; an
// answer queued in the process comes first, and the host's answerer outlives the view.
TEST(HostFrame, TheHostAnswersMenusByLine) {
  kroma_test::ScopedEnv headless("KROMA_VIEW", "headless");
  struct Host {
    std::string lines;
    int answer = -1;
  } host;
  VIEW_HostFrame frame;
  frame.host = &host;
  frame.menu = [](void* h, const char* lines) {
    static_cast<Host*>(h)->lines = lines;
    return static_cast<Host*>(h)->answer;
  };
  Ticks client;
  std::unique_ptr<VIEW_View> view(VIEW_View::open(&frame, 40, 30, 25, &client));
  VIEW_Menu menu;
  menu.addItem("OFF");
  VIEW_Menu* ports = menu.addSubMenu("Ports", nullptr);
  ports->addItem("a:out");
  ports->addItem("b:\tout");
  menu.addItem("Last");
  const struct {
    int line;
    const VIEW_Menu* menu;
    int index;
  } answers[] = {{0, &menu, 0}, {1, nullptr, -1},  {3, ports, 1},
                 {4, &menu, 2}, {-1, nullptr, -1}, {5, nullptr, -1}};
  for (const auto& a : answers) {
    host.answer = a.line;
    const VIEW_MenuChoice choice = view->popupMenu(menu, 1, 2);
    EXPECT_EQ(choice.menu, a.menu) << a.line;
    EXPECT_EQ(choice.index, a.index) << a.line;
  }
  EXPECT_EQ(host.lines, "OFF\nPorts\n\ta:out\n\tb: out\nLast\n");

  host.lines.clear();
  // A queued path: each step within its menu, ending on an item without a sub-menu.
  const struct {
    std::vector<int> path;
    const VIEW_Menu* menu;
    int index;
  } paths[] = {{{2}, &menu, 2},       {{1, 1}, ports, 1},    {{3}, nullptr, -1},
               {{1, 2}, nullptr, -1}, {{0, 0}, nullptr, -1}, {{-1}, nullptr, -1}};
  for (const auto& p : paths) {
    VIEW_Script::instance().answerMenu(p.path);
    const VIEW_MenuChoice choice = view->popupMenu(menu, 1, 2);
    EXPECT_EQ(choice.menu, p.menu) << p.path.size() << " " << p.path.back();
    EXPECT_EQ(choice.index, p.index) << p.path.size() << " " << p.path.back();
  }
  EXPECT_EQ(host.lines, "");
  VIEW_Script::instance().reset();
  view->close();
  EXPECT_EQ(frame.host, &host);
  EXPECT_NE(frame.menu, nullptr);
}

}  // namespace
