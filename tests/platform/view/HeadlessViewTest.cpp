#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/view/Backend.h"
#include "platform/view/HostFrame.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/view/headless/Script.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

// The view without a window system as a host that hands frames drives it: mouse input through
// the frame, the screen it reads back, and the answers of its modal windows.
namespace {

using ::testing::ElementsAre;

// Records events as text, declines keys other than 'k', draws a picture of its own.
struct Client : VIEW_Client {
  void viewTimer() override { ++ticks; }
  void viewDraw(int x, int y, int w, int h) override {
    draws.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
                    std::to_string(h));
    if (view && !picture.empty())
      shownPresents += view->present(picture.data(), pictureWidth, pictureWidth, 20);
  }
  bool viewEvent(const VIEW_Event& e) override {
    std::string text = std::to_string(e.type) + ":" + std::to_string(e.button) + "@" +
                       std::to_string(e.x) + "," + std::to_string(e.y);
    if (e.type == VIEW_Event::kMouseDown) text += " x" + std::to_string(e.clickCount);
    if (e.type == VIEW_Event::kWheel) text += " w" + std::to_string(e.wheel);
    if (e.type == VIEW_Event::kKey) text = "key " + std::to_string(e.key);
    for (auto [on, name] : {std::pair(e.mods.shift, " shift"), std::pair(e.mods.control, " ctrl"),
                            std::pair(e.mods.alt, " alt"), std::pair(e.mods.command, " cmd")})
      if (on) text += name;
    events.push_back(text);
    return e.type != VIEW_Event::kKey || e.key == 'k';
  }
  bool viewTextKey(const VIEW_Event&, const std::string&) override { return true; }
  void viewTextEnded(const std::string& text, bool committed) override {
    ended.push_back((committed ? "commit " : "cancel ") + text);
  }
  void viewInWindow() override { ++shown; }
  void viewParentGone() override { ++gone; }
  bool viewAcceptsFirstMouse() override { return firstMouse; }
  bool viewAcceptsFocus() override { return acceptsFocus; }

  VIEW_View* view = nullptr;
  std::vector<uint32_t> picture;
  int pictureWidth = 0;
  int ticks = 0, shown = 0, gone = 0, shownPresents = 0;
  bool firstMouse = true, acceptsFocus = false;
  std::vector<std::string> draws, events, ended;
};

class HeadlessViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.host = this;
    view.reset(VIEW_View::open(&frame, 40, 30, 30, &client));
    client.view = view.get();
    headless = VIEW_HeadlessView::of(view.get());
    ASSERT_NE(headless, nullptr);
  }
  void TearDown() override { VIEW_Script::instance().reset(); }

  kroma_test::ScopedEnv mode{"KROMA_VIEW", "headless"};
  VIEW_HostFrame frame;
  Client client;
  std::unique_ptr<VIEW_View> view;
  VIEW_HeadlessView* headless = nullptr;
};

// Each kind of the frame's mouse call and each flag becomes the event a window system would
// send; the pointer follows the mouse but not keys, and the key state follows the button.
TEST_F(HeadlessViewTest, TheFramesMouseCallsBecomeEventsWithTheirModifiers) {
  const struct {
    int kind, x, y, flags, amount;
    const char* event;
    bool leftDown;
  } calls[] = {
      {VIEW_HostFrame::kDown, 3, 4, 0, 0, "0:1@3,4 x1", true},
      {VIEW_HostFrame::kDrag, 5, 6, VIEW_HostFrame::kShift, 0, "2:1@5,6 shift", true},
      {VIEW_HostFrame::kUp, 7, 8, VIEW_HostFrame::kControl, 0, "1:1@7,8 ctrl", false},
      {VIEW_HostFrame::kDoubleClick, 9, 10, VIEW_HostFrame::kAlt, 0, "0:1@9,10 x2 alt", true},
      {VIEW_HostFrame::kUp, 9, 10, 0, 0, "1:1@9,10", false},
      {VIEW_HostFrame::kDown, 11, 12, VIEW_HostFrame::kRight | VIEW_HostFrame::kCommand, 0,
       "0:2@11,12 x1 cmd", false},
      {VIEW_HostFrame::kWheel, 13, 14, 0, -3, "4:0@13,14 w-3", false},
      {VIEW_HostFrame::kWheel, 15, 16, VIEW_HostFrame::kShift, 2, "4:0@15,16 w2 shift", false},
  };
  for (const auto& c : calls) {
    client.events.clear();
    frame.mouse(frame.view, c.kind, c.x, c.y, c.flags, c.amount);
    EXPECT_THAT(client.events, ElementsAre(c.event)) << c.event;
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) != 0, c.leftDown) << c.event;
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) != 0, (c.flags & VIEW_HostFrame::kShift) != 0) << c.event;
    int x = -1, y = -1;
    ASSERT_TRUE(view->pointer(&x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y)) << c.event;
  }
  headless->key('a');
  headless->deactivate();
  int x = -1, y = -1;
  view->pointer(&x, &y);
  EXPECT_EQ(std::pair(x, y), std::pair(15, 16)) << "keys and deactivation leave the pointer";
  frame.mouse(frame.view, 99, 1, 1, 0, 0);
  EXPECT_EQ(client.events.back(), "6:0@0,0") << "an unknown kind sends nothing";
  EXPECT_EQ(client.shown, 1);
}

// A client that opens a menu on each press, as a menu button does, and notes the key state the
// editor finds once the menu has closed.
struct MenuButton : Client {
  bool viewEvent(const VIEW_Event& e) override {
    Client::viewEvent(e);
    if (e.type != VIEW_Event::kMouseDown) return true;
    VIEW_Menu menu;
    menu.addItem("One");
    menu.addItem("Two");
    chosen = view->popupMenu(menu, e.x, e.y).index;
    leftAfter = GetAsyncKeyState(VK_LBUTTON) != 0;
    shiftAfter = GetAsyncKeyState(VK_SHIFT) != 0;
    return true;
  }
  int chosen = -2;
  bool leftAfter = true, shiftAfter = false;
};

// A menu ends the press that opened it: the editor finds the left button up once an item is
// picked (by the script or by the host that hands the frame) or the menu is dismissed; Shift
// stays as the press had it.
TEST_F(HeadlessViewTest, AMenuEndsThePressThatOpenedIt) {
  MenuButton button;
  std::unique_ptr<VIEW_View> opened(VIEW_View::open(&frame, 40, 30, 30, &button));
  button.view = opened.get();
  frame.menu = [](void*, const char*) { return 1; };
  const struct {
    const char* what;
    std::vector<int> scripted;  // empty: the host's answer
    int flags;
    int chosen;
  } cases[] = {
      {"scripted", {0}, 0, 0},
      {"dismissed", {5}, 0, -1},
      {"the host's answer", {}, 0, 1},
      {"Shift held", {0}, VIEW_HostFrame::kShift, 0},
  };
  for (const auto& c : cases) {
    if (!c.scripted.empty()) VIEW_Script::instance().answerMenu(c.scripted);
    frame.mouse(frame.view, VIEW_HostFrame::kDown, 3, 4, c.flags, 0);
    EXPECT_EQ(button.chosen, c.chosen) << c.what;
    EXPECT_FALSE(button.leftAfter) << c.what;
    EXPECT_EQ(button.shiftAfter, c.flags != 0) << c.what;
  }
}

// Keys the client declines go on to the host; plain motion is reported only when tracked; a
// click that only activates sends nothing.
TEST_F(HeadlessViewTest, DeclinedKeysReachTheHostAndMotionOnlyWhenTracked) {
  headless->key('k');
  headless->key('j');
  headless->key(VIEW_KEY_SPACE);
  EXPECT_THAT(headless->keysToHost(), ElementsAre('j', VIEW_KEY_SPACE));
  headless->mouseMove(1, 2);
  view->trackPointerMotion(true);
  headless->mouseMove(3, 4);
  client.firstMouse = false;
  headless->mouseDown(5, 6);  // inactive: only activates
  headless->mouseDown(7, 8);  // and stays so: this client takes no focus
  EXPECT_THAT(client.events, ElementsAre("key 107", "key 106",
                                         "key " + std::to_string(VIEW_KEY_SPACE), "3:0@3,4"));
  EXPECT_TRUE(headless->tracksPointerMotion());
  EXPECT_FALSE(view->hasFocus());
  // A client that takes the focus gets every click after the first.
  client.acceptsFocus = true;
  headless->mouseDown(9, 10);
  EXPECT_TRUE(view->hasFocus());
  headless->mouseDown(11, 12);
  EXPECT_EQ(client.events.back(), "0:1@11,12 x1");
  EXPECT_EQ(client.events.size(), 5u);
}

// Whatever comes first, a draw or any input, shows the view, and only once.
TEST(HeadlessShown, TheFirstDrawOrInputShowsTheViewOnce) {
  const struct {
    const char* what;
    std::function<void(VIEW_HeadlessView*)> act;
    bool firstMouse;
  } firsts[] = {
      {"draw", [](VIEW_HeadlessView* v) { v->tick(); }, true},
      {"press", [](VIEW_HeadlessView* v) { v->mouseDown(1, 1); }, true},
      {"press that only activates", [](VIEW_HeadlessView* v) { v->mouseDown(1, 1); }, false},
      {"release", [](VIEW_HeadlessView* v) { v->mouseUp(1, 1); }, true},
      {"untracked motion", [](VIEW_HeadlessView* v) { v->mouseMove(1, 1); }, true},
      {"wheel", [](VIEW_HeadlessView* v) { v->wheel(1, 1, 1); }, true},
      {"key", [](VIEW_HeadlessView* v) { v->key('a'); }, true},
  };
  for (const auto& first : firsts) {
    Client client;
    client.firstMouse = first.firstMouse;
    std::unique_ptr<VIEW_View> view(VIEW_View::open(nullptr, 40, 30, 30, &client));
    VIEW_HeadlessView* headless = VIEW_HeadlessView::of(view.get());
    ASSERT_NE(headless, nullptr);
    EXPECT_EQ(client.shown, 0) << first.what;
    first.act(headless);
    EXPECT_EQ(client.shown, 1) << first.what;
    for (const auto& next : firsts) next.act(headless);
    EXPECT_EQ(client.shown, 1) << first.what;
  }
}

// Only the rectangle asked for changes on the screen, clipped to the view; the frame shows the
// screen at the view's size; a resize is drawn whole.
TEST_F(HeadlessViewTest, DrawsOnlyWhatWasAskedForAndTheFrameShowsIt) {
  frame.tick(frame.view);
  EXPECT_THAT(client.draws, ElementsAre("0,0 40x30"));
  EXPECT_EQ(client.shown, 1) << "the first draw shows the view";
  client.pictureWidth = 50;
  client.picture.assign(50 * 20, 0xAABBCCDDu);
  view->invalidate(35, 10, 20, 30);  // past the right and bottom edges
  view->invalidate(30, 12, 2, 2);
  frame.tick(frame.view);
  EXPECT_EQ(client.draws.back(), "30,10 10x20");
  EXPECT_EQ(headless->drawn(), (std::vector<std::vector<int>>{{0, 0, 40, 30}, {30, 10, 10, 20}}));
  EXPECT_EQ(client.ticks, 2);
  int w = 0, h = 0;
  const uint32_t* screen = frame.screen(frame.view, &w, &h);
  EXPECT_EQ(std::pair(w, h), std::pair(40, 30));
  const struct {
    int x, y;
    uint32_t pixel;
  } probes[] = {{30, 10, 0xAABBCCDDu}, {39, 19, 0xAABBCCDDu}, {29, 10, 0u},
                {30, 9, 0u},           {39, 20, 0u},          {35, 25, 0u}};
  for (const auto& p : probes) {
    EXPECT_EQ(screen[p.y * w + p.x], p.pixel) << p.x << "," << p.y;
    EXPECT_EQ(headless->pixel(p.x, p.y), p.pixel) << p.x << "," << p.y;
  }
  EXPECT_EQ(headless->pixel(40, 0), 0u);
  EXPECT_EQ(headless->pixel(0, 30), 0u);
  EXPECT_EQ(headless->presentCount(), 1);
  EXPECT_EQ(client.shownPresents, 1) << "a present within a draw is shown";
  EXPECT_FALSE(view->present(client.picture.data(), 50, 50, 20)) << "outside a draw";
  frame.tick(frame.view);
  EXPECT_EQ(client.draws.size(), 2u) << "nothing left to draw";
  ASSERT_TRUE(view->resize(20, 10));
  headless->tick();
  EXPECT_EQ(client.draws.back(), "0,0 20x10");
  for (const auto& [x, y] : {std::pair(0, 0), std::pair(19, 0), std::pair(0, 9), std::pair(19, 9)})
    EXPECT_EQ(headless->pixel(x, y), 0xAABBCCDDu) << x << "," << y;
  // just past each edge of a screen drawn whole: nothing, not the next row's pixel
  for (const auto& [x, y] :
       {std::pair(20, 0), std::pair(20, 9), std::pair(0, 10), std::pair(-1, 5), std::pair(5, -1)})
    EXPECT_EQ(headless->pixel(x, y), 0u) << x << "," << y;
  // grown past the 20-row picture: a fresh screen, blank where the picture does not reach
  ASSERT_TRUE(view->resize(45, 25));
  headless->tick();
  EXPECT_EQ(headless->screen().size(), 45u * 25u);
  EXPECT_EQ(headless->pixel(44, 19), 0xAABBCCDDu);
  EXPECT_EQ(headless->pixel(44, 20), 0u);
  EXPECT_EQ(headless->pixel(0, 24), 0u);
}

// A view without width or height, as opened or as resized, has no screen and draws nothing.
TEST(HeadlessSizes, AViewOfNoSizeHasNoScreenAndDrawsNothing) {
  const struct { int width, height; } cases[] = {{0, 30}, {-5, 30}, {40, 0}, {40, -1}};
  for (const auto& c : cases) {
    Client client;
    std::unique_ptr<VIEW_View> view(VIEW_View::open(nullptr, c.width, c.height, 30, &client));
    VIEW_HeadlessView* headless = VIEW_HeadlessView::of(view.get());
    ASSERT_NE(headless, nullptr);
    headless->tick();
    EXPECT_THAT(client.draws, ElementsAre()) << c.width << "x" << c.height;
    EXPECT_EQ(headless->screen().size(), 0u) << c.width << "x" << c.height;
    ASSERT_TRUE(view->resize(c.height, c.width));
    headless->tick();
    EXPECT_THAT(client.draws, ElementsAre()) << c.height << "x" << c.width;
    EXPECT_EQ(headless->screen().size(), 0u) << c.height << "x" << c.width;
  }
}

// The field opens over the whole text selected and takes the script's answer, or its cancel;
// the host's window destroyed closes the view and tells the client once.
TEST_F(HeadlessViewTest, TextFieldsTakeScriptedAnswersAndAGoneParentClosesTheView) {
  VIEW_TextField field;
  field.text = "old";
  VIEW_Script::instance().answerText("new one");
  ASSERT_TRUE(view->openTextField(field));
  VIEW_Script::instance().answerTextCancel();
  ASSERT_TRUE(view->openTextField(field));
  ASSERT_TRUE(view->openTextField(field));
  EXPECT_FALSE(view->openTextField(field)) << "one is open";
  EXPECT_EQ(view->textFieldText(), "old");
  ASSERT_NE(headless->textField(), nullptr);
  EXPECT_TRUE(headless->textField()->selected);
  headless->typeText("a b");
  headless->key(VIEW_KEY_RETURN);
  EXPECT_THAT(client.ended, ElementsAre("commit new one", "cancel old", "commit a b"));
  EXPECT_FALSE(view->textFieldOpen());
  EXPECT_EQ(view->textFieldText(), "");
  // A text in any script is typed character by character, as a keyboard types it.
  const std::string any = "\xD0\x9D\xC3\xBC \xE2\x82\xAC\xF0\x9F\x8E\xB9";  // Нü €🎹
  VIEW_Script::instance().answerText(any);
  ASSERT_TRUE(view->openTextField(field));
  EXPECT_EQ(client.ended.back(), "commit " + any);

  EXPECT_TRUE(view->setCursorHidden(true));
  EXPECT_TRUE(headless->cursorHidden());
  headless->setCursorRefused(true);
  EXPECT_FALSE(view->setCursorHidden(false));
  EXPECT_EQ(headless->fps(), 30);

  headless->destroyParent();
  EXPECT_EQ(client.gone, 1);
  EXPECT_FALSE(view->isOpen());
  EXPECT_EQ(frame.tick, nullptr);
  EXPECT_FALSE(view->openTextField(field));
  headless->destroyParent();
  EXPECT_EQ(client.gone, 1);
}

// A save panel given something that is there, other than a folder (a link whose file is gone
// too), asks before it answers it; kept, it answers the next path queued. Open panels never ask.
TEST(HeadlessServices, SavePanelsAskBeforeTheyAnswerAFileThatIsThere) {
  kroma_test::TempDir dir;
  std::ofstream(dir.file("bank.kro")) << "x";
  ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink(dir.file("gone").c_str(), dir.file("link.kro").c_str()), 0);
  const struct {
    bool save;
    std::string answer;
    std::vector<int> buttons;  // answered in turn
    std::string chosen;
    size_t asked;
  } cases[] = {
      {true, "bank.kro", {2}, "bank.kro", 1}, {true, "bank.kro", {1}, "new.kro", 1},
      {true, "bank.kro", {0}, "new.kro", 1},  // dismissed: kept
      {true, "link.kro", {1}, "new.kro", 1},  {true, "folder", {}, "folder", 0},
      {true, "new.kro", {}, "new.kro", 0},    {false, "bank.kro", {}, "bank.kro", 0},
  };
  VIEW_Script& script = VIEW_Script::instance();
  for (const auto& c : cases) {
    script.reset();
    script.answerPanel(dir.file(c.answer));
    script.answerPanel(dir.file("new.kro"));
    for (int button : c.buttons) script.answerMessageBox(button);
    VIEW_FilePanel panel;
    panel.save = c.save;
    EXPECT_EQ(VIEW_RunFilePanel(panel), dir.file(c.chosen)) << c.answer << c.save;
    ASSERT_EQ(script.messagesShown().size(), c.asked) << c.answer << c.save;
    if (c.asked) {
      EXPECT_THAT(script.messageButtonsShown()[0], ElementsAre("Cancel", "Replace"));
    }
  }
}

// Message boxes answer the script's button, the first when unanswered and none for a button
// they do not have; panels answer the script's path; sub-windows count while open.
TEST(HeadlessServices, ModalWindowsAnswerTheScriptAndSubWindowsCount) {
  VIEW_Script& script = VIEW_Script::instance();
  script.reset();
  script.answerMessageBox(2);
  script.answerMessageBox(3);
  EXPECT_EQ(VIEW_MessageBox("Text", "Caption", {"Yes", "No"}), 2);
  EXPECT_EQ(VIEW_MessageBox("Text", nullptr, {"Yes", "No"}), 0);
  EXPECT_EQ(VIEW_MessageBox(nullptr, "Caption", {"Yes", "No"}), 1);
  EXPECT_THAT(script.messagesShown(), ElementsAre("Caption: Text", ": Text", "Caption: "));
  script.answerPanel("/x/y.syx");
  VIEW_FilePanel panel;
  panel.fileName = "y.syx";
  EXPECT_EQ(VIEW_RunFilePanel(panel), "/x/y.syx");
  EXPECT_EQ(VIEW_RunFilePanel(panel), "");
  ASSERT_EQ(script.panelsShown().size(), 2u);
  EXPECT_EQ(script.panelsShown()[0].fileName, "y.syx");
  EXPECT_FALSE(VIEW_OpenURL(nullptr));
  EXPECT_TRUE(VIEW_OpenURL("https://example.org"));
  EXPECT_THAT(script.urlsOpened(), ElementsAre("https://example.org"));

  int host = 0;
  EXPECT_EQ(VIEW_OpenSubWindow(nullptr, 10, 10), nullptr);
  const int before = VIEW_HeadlessSubWindow::openCount();
  EXPECT_EQ(before, 0) << "none open yet";
  void* sub = VIEW_OpenSubWindow(&host, 30, 20);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), before + 1);
  EXPECT_EQ(static_cast<VIEW_HeadlessSubWindow*>(sub)->width, 30);
  VIEW_CloseSubWindow(sub);
  VIEW_CloseSubWindow(nullptr);
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), before);
  EXPECT_FALSE(VIEW_ResizeHostWindow(nullptr, 5, 5));
  EXPECT_TRUE(VIEW_ResizeHostWindow(&host, 50, 40));
  EXPECT_THAT(script.hostResizes(), ElementsAre(std::vector<int>{50, 40}));

  // A reset forgets what was shown and every answer not taken yet.
  VIEW_Menu menu;
  menu.addItem("One");
  menu.addItem("Two");
  script.takeMenu(menu, 1, 2);
  EXPECT_THAT(script.menusShown(), ElementsAre(std::vector<std::string>{"One", "Two"}));
  EXPECT_THAT(script.menuPlaces(), ElementsAre(std::vector<int>{1, 2}));
  script.answerMenu({0});
  script.answerText("t");
  script.answerPanel("/p");
  script.answerMessageBox(2);
  script.setComposited(false);
  script.reset();
  EXPECT_TRUE(script.composited());
  bool cancelled = true;
  EXPECT_EQ(script.takeText(&cancelled), std::nullopt);
  EXPECT_EQ(script.takeMenu(menu, 1, 2), std::nullopt);
  EXPECT_EQ(VIEW_RunFilePanel(panel), "");
  EXPECT_EQ(VIEW_MessageBox("Text", "Caption", {"Yes", "No"}), 1);
  EXPECT_EQ(script.menusShown().size(), 1u);
  EXPECT_EQ(script.menuPlaces().size(), 1u);
  EXPECT_EQ(script.panelsShown().size(), 1u);
  EXPECT_EQ(script.messagesShown().size(), 1u);
  EXPECT_EQ(script.messageButtonsShown().size(), 1u);
  EXPECT_TRUE(script.urlsOpened().empty());
  EXPECT_TRUE(script.hostResizes().empty());
  script.reset();
}

// A sub-window is centred over a wider host window, at its left edge over a narrower one.
TEST(SubWindowPlace, CentresOverWiderHostsOnly) {
  const struct {
    int hostX, hostY, hostWidth, width, x, y;
  } cases[] = {{100, 50, 300, 100, 200, 50},
               {100, 50, 301, 100, 200, 50},
               {100, 50, 100, 100, 100, 50},
               {100, 50, 90, 100, 100, 50},
               {-20, 7, 102, 100, -19, 7}};
  for (const auto& c : cases) {
    int x = 0, y = 0;
    VIEW_SubWindowPlace(c.hostX, c.hostY, c.hostWidth, c.width, &x, &y);
    EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y)) << c.hostWidth << " " << c.width;
  }
}

}  // namespace
