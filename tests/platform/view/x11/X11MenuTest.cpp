#include "X11Fixture.h"

#include <string>
#include <vector>

#include "X11Screen.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "platform/view/x11/detail/X11Menu.h"
#include "tests/support/Patience.h"

// The X11 popup menu as a user sees and drives it: its rows, keys and clicks, and where its
// sub-menus open.
namespace {

using namespace x11colour;

constexpr int kAt = 100;  // the menu's corner on the screen

class X11MenuTest : public X11ModalFixture {
 protected:
  void SetUp() override {
    X11ModalFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // "Off", a separator, "Skipped" (greyed), "More" with a sub-menu, "Last" (indented).
    menu.addItem("Off");
    menu.addItem("", VIEW_Menu::kSeparator);
    menu.addItem("Skipped", VIEW_Menu::kDisabled);
    more = menu.addSubMenu("More", &sub);
    more->addItem("One", VIEW_Menu::kChecked);
    more->addItem("Two");
    menu.addItem("Last", VIEW_Menu::kIndented);
    row = X11Canvas::lineHeight() + 8;
    tops = {1, 1 + row, 8 + row, 8 + 2 * row, 8 + 3 * row, 8 + 4 * row};
    width = 80;
    for (const char* title : {"Off", "Skipped", "More"})
      width = std::max(width, 42 + X11Canvas::textWidth(title));
    width = std::max(width, 54 + X11Canvas::textWidth("Last"));
    subWidth = std::max(80, 42 + X11Canvas::textWidth("One"));
  }
  // The middle of item i of the menu at (x, y).
  std::pair<int, int> item(int i, int x = kAt, int y = kAt) const {
    return {x + 30, y + tops[(size_t)i] + row / 2};
  }
  VIEW_MenuChoice run(std::function<void()> actions, int x = kAt, int y = kAt) {
    whenGrabbed(std::move(actions), x + width / 2, y + 2);
    VIEW_MenuChoice choice = X11RunMenu(display, menu, x, y);
    joinPlayer();
    return choice;
  }
  // "menu 4", "sub 0" or "none".
  std::string named(const VIEW_MenuChoice& choice) const {
    if (!choice.menu) return "none";
    return (choice.menu == &menu  ? "menu "
            : choice.menu == more ? "sub "
                                  : "other ") +
           std::to_string(choice.index);
  }

  int sub = 0;
  VIEW_Menu menu;
  VIEW_Menu* more = nullptr;
  int row = 0, width = 0, subWidth = 0;
  std::vector<int> tops;
};

// Down and Up pass what cannot be chosen and wrap; Right and Return enter a sub-menu, Left and
// Escape leave it; Return and the space bar choose.
TEST_F(X11MenuTest, KeysWalkTheItemsAndSubMenus) {
  const struct {
    std::vector<const char*> keys;
    const char* chosen;
  } cases[] = {
      {{"Up", "Return"}, "menu 4"},
      {{"Down", "Down", "Down", "Return"}, "menu 4"},
      {{"Down", "Down", "Down", "Down", "Return"}, "menu 0"},
      {{"Down", "space"}, "menu 0"},
      {{"Down", "Right", "Left", "Return"}, "menu 0"},
      {{"Down", "Down", "Right", "Return"}, "sub 0"},
      {{"Down", "Down", "Return", "Down", "Return"}, "sub 1"},
      {{"Down", "Down", "Right", "Up", "Return"}, "sub 1"},
      {{"Down", "Down", "Right", "Left", "Down", "Return"}, "menu 4"},
      {{"Down", "Down", "Right", "Escape", "Up", "Return"}, "menu 0"},
      {{"Down", "Down", "Right", "Escape", "Escape"}, "none"},
      {{"Return", "Escape"}, "none"},
  };
  for (const auto& c : cases) {
    std::string keys;
    for (const char* k : c.keys) keys += std::string(k) + " ";
    EXPECT_EQ(named(run([&] {
                for (const char* k : c.keys) tap(k);
              })),
              c.chosen)
        << keys;
  }
}

// The pointer lights what it rests on and the keys go on from there: resting on a greyed item or
// the separator lights nothing, leaving the menus keeps what was lit, resting on "More" opens its
// sub-menu, and resting on another item of the menu closes it again.
TEST_F(X11MenuTest, ThePointerLightsTheItemTheKeysGoOnFrom) {
  const int subX = kAt + width - 2, subY = kAt + tops[3] - 1;
  const auto at = [this](std::pair<int, int> point) {
    move(point.first, point.second);
    move(point.first + 1, point.second);
  };
  const struct {
    std::vector<std::pair<int, int>> points;
    std::vector<const char*> keys;
    const char* chosen;
  } cases[] = {
      {{item(0), item(2)}, {"Return", "Escape"}, "none"},
      {{item(0), {kAt + 30, kAt + tops[1] + 3}}, {"Return", "Escape"}, "none"},
      {{item(0), item(2)}, {"Down", "Return"}, "menu 0"},
      {{item(4), {kAt - 20, kAt - 20}}, {"Return"}, "menu 4"},
      {{item(4)}, {"Up", "Up", "Return"}, "menu 0"},
      {{item(3)}, {"Right", "Return"}, "sub 0"},
      {{item(3), item(1, subX, subY)}, {"Return"}, "sub 1"},
      {{item(3), item(1, subX, subY)}, {"Escape", "Return", "Return"}, "sub 0"},
      {{item(3), item(1, subX, subY), item(0)}, {"Return"}, "menu 0"},
      {{item(3), item(1, subX, subY), item(4)}, {"Left", "Return"}, "menu 4"},
  };
  for (const auto& c : cases) {
    std::string what;
    for (const auto& p : c.points) what += std::to_string(p.second - kAt) + " ";
    for (const char* k : c.keys) what += std::string(k) + " ";
    EXPECT_EQ(named(run([&] {
                for (const auto& p : c.points) at(p);
                for (const char* k : c.keys) tap(k);
                tap("Escape"), tap("Escape");  // close what stayed open
              })),
              c.chosen)
        << what;
  }
}

// A click chooses the item under it; one on a greyed item or a separator chooses nothing, one
// outside dismisses; the pointer over an item with a sub-menu opens it beside its item, to the
// left where the screen ends on the right.
TEST_F(X11MenuTest, ClicksChooseAndSubMenusOpenBesideTheirItem) {
  const auto clickAt = [this](std::pair<int, int> at) { click(at.first, at.second); };
  EXPECT_EQ(named(run([&] { clickAt(item(4)); })), "menu 4");
  EXPECT_EQ(named(run([&] { clickAt(item(0)); })), "menu 0");
  EXPECT_EQ(named(run([&] {
              clickAt({kAt + 30, kAt});  // the frame above the first item
              tap("Escape");
            })),
            "none");
  // An item reaches from its top row to the row before the next item's.
  for (const int rowY : {tops[4], tops[5] - 1}) {
    EXPECT_EQ(named(run([&] {
                clickAt({kAt + 30, kAt + rowY});
                tap("Escape");  // only if still open
              })),
              "menu 4")
        << rowY;
  }
  EXPECT_EQ(named(run([&] {
              clickAt(item(2));
              clickAt({kAt + 30, kAt + tops[1] + 3});  // the separator
              tap("Escape");
            })),
            "none");
  EXPECT_EQ(named(run([&] { clickAt({kAt - 20, kAt - 20}); })), "none");
  const int subY = kAt + tops[3] - 1;
  EXPECT_EQ(named(run([&] {
              move(item(3).first, item(3).second);
              move(item(3).first + 1, item(3).second);
              clickAt(item(1, kAt + width - 2, subY));
            })),
            "sub 1");
  const int right = 1920 - width;  // flush with the screen's right edge
  EXPECT_EQ(named(run(
                [&] {
                  move(item(3, right).first, item(3, right).second);
                  move(item(3, right).first + 1, item(3, right).second);
                  clickAt(item(0, right - subWidth + 2, subY));
                },
                right)),
            "sub 0");
}

// A menu opened by a press chooses where the button is let go once the pointer has passed over
// an item, the first one too; let go where nothing can be chosen, it stays open.
TEST_F(X11MenuTest, APressHeldFromTheOpenerChoosesWhereItIsLetGo) {
  const struct {
    int at;
    const char* chosen;
  } cases[] = {{0, "menu 0"}, {4, "menu 4"}, {2, "none"}};
  for (const auto& c : cases) {
    button(1, true);
    EXPECT_EQ(named(run([&] {
                move(item(c.at).first, item(c.at).second);
                move(item(c.at).first + 1, item(c.at).second);
                button(1, false);
                tap("Escape");  // closes a menu the release left open
              })),
              c.chosen)
        << c.at;
  }
}

// The lit row is highlighted across the menu, the separator is a line short of the frame, greyed
// text is grey, indented text starts further in, a sub-menu's item wears an arrow and a checked
// one a tick.
TEST_F(X11MenuTest, RowsShowHighlightSeparatorGreyIndentArrowAndTick) {
  // A row holds a line of the kit's 13-pixel text, ascent and descent, and its padding.
  EXPECT_GE(X11Canvas::lineHeight(), 13);
  EXPECT_LE(X11Canvas::lineHeight(), 20);
  const int height = tops.back() + 1;
  X11Shot lit, opened;
  const int subX = kAt + width - 2, subY = kAt + tops[3] - 1;
  const int sepY = (tops[1] + tops[2]) / 2;
  run([&] {
    tap("Down");
    lit = GrabWhen(mInput, kAt, kAt, width, height,
                   [&](const X11Shot& s) { return s.at(width - 2, tops[0]) == kHighlight; });
    tap("Down"), tap("Right");  // "More", and into its sub-menu
    opened = GrabWhen(mInput, subX, subY, subWidth, 2 * row + 2, [&](const X11Shot& s) {
      return s.at(0, 0) == kLine && s.at(subWidth - 2, 2) == kHighlight;
    });
    tap("Escape"), tap("Escape");
  });
  const struct {
    const char* what;
    int x, y;
    uint32_t colour;
  } probes[] = {
      {"frame", 0, 0, kLine},
      {"frame end", width - 1, height - 1, kLine},
      {"lit left", 1, tops[0], kHighlight},
      {"lit right", width - 2, tops[1] - 1, kHighlight},
      {"lit ends", width - 2, tops[1], kFace},
      {"separator", 4, sepY, kLine},
      {"separator end", width - 5, sepY, kLine},
      {"before the separator", 3, sepY, kFace},
      {"after the separator", width - 4, sepY, kFace},
      {"above the separator", 10, sepY - 1, kFace},
      {"unlit row", width - 3, tops[2] + 2, kFace},
  };
  for (const auto& p : probes)
    EXPECT_EQ(lit.at(p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
  const auto band = [&](const X11Shot& s, int i, int left, int right, int limit = 110) {
    return s.anyDark(left, tops[(size_t)i] + 1, right, tops[(size_t)i + 1] - 1, limit);
  };
  EXPECT_FALSE(band(lit, 2, 1, width - 1)) << "greyed";
  EXPECT_TRUE(band(lit, 2, 22, width - 1, 200)) << "greyed, but shown";
  EXPECT_FALSE(band(lit, 4, 1, 34)) << "indented";
  EXPECT_TRUE(band(lit, 4, 34, width - 1));
  // The inks themselves, at the cores of the letters: lit, plain and greyed.
  const auto extreme = [&](int i, bool darkest) {
    uint32_t found = darkest ? 0xFFFFFF : 0;
    for (int y = tops[(size_t)i] + 1; y < tops[(size_t)i + 1] - 1; ++y)
      for (int x = 22; x < width - 20; ++x) {
        const uint32_t p = lit.at(x, y);
        const auto sum = [](uint32_t c) { return (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF); };
        if (darkest ? sum(p) < sum(found) : sum(p) > sum(found)) found = p;
      }
    return found;
  };
  EXPECT_EQ(extreme(0, false), kWhite) << "lit text";
  EXPECT_EQ(extreme(3, true), kText) << "plain text";
  EXPECT_EQ(extreme(2, true), kGrey) << "greyed text";
  EXPECT_FALSE(band(lit, 3, 1, 22)) << "no tick";
  EXPECT_TRUE(band(lit, 3, 22, 40));
  EXPECT_TRUE(band(lit, 3, width - 13, width - 7, 200)) << "the arrow";
  EXPECT_FALSE(band(lit, 4, width - 13, width - 1, 200)) << "no arrow";

  // The sub-menu, entered from "More": "One" lit and ticked.
  const int mid = 1 + row / 2;
  // Its two strokes: down from (6, mid) to (9, mid + 3), then up to (15, mid - 4).
  const auto inked = [&](int left, int top, int right, int bottom) {
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x)
        if (opened.at(x, y) != kHighlight) return true;
    return false;
  };
  EXPECT_TRUE(inked(5, mid - 1, 8, mid + 2)) << "the tick's first stroke";
  EXPECT_TRUE(inked(13, mid - 5, 16, mid - 2)) << "the tick's second stroke";
  EXPECT_EQ(opened.at(0, 0), kLine);
  EXPECT_EQ(opened.at(subWidth - 2, 1), kHighlight);
  EXPECT_EQ(opened.at(subWidth - 2, 1 + row), kFace);
  EXPECT_TRUE(opened.anyDark(22, 2 + row, subWidth - 1, 2 * row)) << "Two";
  EXPECT_FALSE(opened.anyDark(1, 2 + row, 22, 2 * row, 200)) << "Two: no tick";
}

}  // namespace

// A menu of 121 items (a wavetable menu) on a screen of 1024 x 768, taller than the screen: it
// fills the screen's height and scrolls, by the wheel, the strips above and below its items and
// the keys, so that the mouse reaches every item. A sub-menu as tall does the same.
namespace {

constexpr int kScreenHeight = 768;
constexpr int kStrip = 16;  // the scrolling strips' height
constexpr int kCount = 121;

class X11TallMenuTest : public X11ModalFixture {
 protected:
  static void SetUpTestSuite() { StartServer("1024x768x24"); }
  void SetUp() override {
    X11ModalFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (int i = 1; i <= kCount; ++i) {
      tall.addItem("Wavetable " + std::to_string(i));
      tables->addItem("Wavetable " + std::to_string(i));
    }
    holder.addItem("Off");
    holder.addSubMenu("Tables", std::move(owned));
  }
  // The popup menus shown, the first level first, as (x, y, width, height).
  std::vector<std::vector<int>> shown() {
    std::vector<std::vector<int>> boxes;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(mInput, DefaultRootWindow(mInput), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a{};
      if (XGetWindowAttributes(mInput, children[i], &a) && a.override_redirect &&
          a.map_state == IsViewable)
        boxes.push_back({a.x, a.y, a.width, a.height});
    }
    if (children) XFree(children);
    return boxes;
  }
  std::string run(const VIEW_Menu& menu, std::function<void()> actions) {
    whenGrabbed(std::move(actions), 900, 700);
    const VIEW_MenuChoice choice = X11RunMenu(display, menu, kAt, kAt);
    joinPlayer();
    if (!choice.menu) return "none";
    return (choice.menu == &tall || choice.menu == &holder ? "menu " : "sub ") +
           std::to_string(choice.index);
  }
  // Waits (at most the wait cap) until `levels` menus show.
  void awaitLevels(size_t levels) {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (shown().size() < levels && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(shown().size(), levels);
  }
  // Waits (at most the wait cap) until the menu's strip at its top or bottom shows its arrow
  // greyed: the menu has scrolled to its end that way.
  void awaitEnd(const std::vector<int>& box, bool bottom) {
    const int y = bottom ? std::min(box[1] + box[3], kScreenHeight) - kStrip : box[1];
    const auto greyed = [&] {
      return GrabScreen(mInput, box[0], y, box[2], kStrip).firstColumn(kStrip / 2, kGrey) >= 0;
    };
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (!greyed() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(greyed()) << "scrolled to the " << (bottom ? "bottom" : "top");
  }

  VIEW_Menu tall, holder;
  std::unique_ptr<VIEW_Menu> owned = std::make_unique<VIEW_Menu>();
  VIEW_Menu* tables = owned.get();
};

TEST_F(X11TallMenuTest, ATallMenuFillsTheScreensHeightAndTheMouseReachesEveryItem) {
  std::vector<std::vector<int>> boxes;
  // The wheel moves it to its end; the last item then lies right above the lower strip.
  EXPECT_EQ(run(tall,
                [&] {
                  boxes = shown();
                  for (int i = 0; i < 60; ++i) click(kAt + 30, 300, 5);
                  click(kAt + 30, kScreenHeight - kStrip - 5);
                }),
            "menu 120");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0][1], 0) << "at the screen's top";
  EXPECT_EQ(boxes[0][3], kScreenHeight) << "as tall as the screen";
  // The pointer resting on the lower strip scrolls to the end, on the upper one back.
  EXPECT_EQ(run(tall,
                [&] {
                  const std::vector<int> box = shown().at(0);
                  move(kAt + 30, kScreenHeight - kStrip / 2);
                  awaitEnd(box, true);
                  click(kAt + 30, kScreenHeight - kStrip - 5);
                }),
            "menu 120");
  EXPECT_EQ(run(tall,
                [&] {
                  const std::vector<int> box = shown().at(0);
                  for (int i = 0; i < 60; ++i) click(kAt + 30, 300, 5);
                  awaitEnd(box, true);  // the upper strip's arrow is dark from here on
                  move(kAt + 30, kStrip / 2);
                  awaitEnd(box, false);
                  click(kAt + 30, kStrip + 5);
                }),
            "menu 0");
  // A click on a strip picks nothing.
  EXPECT_EQ(run(tall,
                [&] {
                  click(kAt + 30, kScreenHeight - 3);
                  tap("Escape");
                }),
            "none");
}

// The keys scroll to the item they light: Up from none lights the last, shown above the strip.
TEST_F(X11TallMenuTest, TheKeysScrollToTheItemTheyLight) {
  const int row = X11Canvas::lineHeight() + 8;
  X11Shot lastRow;
  EXPECT_EQ(run(tall,
                [&] {
                  const std::vector<int> box = shown().at(0);
                  tap("Up");
                  lastRow = GrabWhen(mInput, box[0], kScreenHeight - kStrip - row, box[2], row,
                                     [&](const X11Shot& s) { return s.at(2, 2) == kHighlight; });
                  tap("Return");
                }),
            "menu 120");
  EXPECT_EQ(lastRow.at(2, 2), kHighlight) << "the last item lit above the lower strip";
  EXPECT_EQ(run(tall, [&] { tap("Up"), tap("Down"), tap("Down"), tap("Return"); }), "menu 1");
}

// A sub-menu taller than the screen opens at the screen's top as tall as the screen, beside its
// item, and scrolls as the menu does.
TEST_F(X11TallMenuTest, ATallSubMenuScrollsToo) {
  std::vector<std::vector<int>> boxes;
  const int row = X11Canvas::lineHeight() + 8;
  EXPECT_EQ(run(holder,
                [&] {
                  move(kAt + 30, kAt + 1 + row + row / 2);  // "Tables"
                  move(kAt + 31, kAt + 1 + row + row / 2);
                  awaitLevels(2);
                  boxes = shown();
                  if (boxes.size() < 2) return tap("Escape");
                  const int x = boxes[1][0] + 30;
                  for (int i = 0; i < 60; ++i) click(x, 300, 5);
                  click(x, kScreenHeight - kStrip - 5);
                }),
            "sub 120");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1][1], 0);
  EXPECT_EQ(boxes[1][3], kScreenHeight);
  EXPECT_EQ(run(holder, [&] { tap("Down"), tap("Down"), tap("Right"), tap("Up"), tap("Return"); }),
            "sub 120");
}

}  // namespace
