#include "X11Fixture.h"

#include <X11/Xutil.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "X11Screen.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "platform/view/x11/detail/X11Dialog.h"
#include "tests/support/Patience.h"
#include "toolkit/wsys/Dialog.h"

// The plain file panel and the message box as a user sees and drives them: their titles, the
// list's order, keys and clicks, and the pixels of the list, the path field and the buttons.
namespace {

using namespace x11colour;

// The panel's layout: a 460 x 362 window, a list of 20-pixel rows 14 pixels in, the path field
// under it, Cancel and Open (or Save) at the foot.
constexpr int kPanelWidth = 460, kPanelHeight = 362, kRow = 20, kMargin = 14;
constexpr int kPathTop = 264, kPathHeight = 24, kButtonTop = 322;
constexpr int kOpenLeft = 362, kCancelLeft = 270, kButtonWidth = 84, kButtonHeight = 26;

// Runs the panel from a working folder of its own holding sub-folders and files, so that the
// paths it answers are short and relative ("./...").
class X11PanelTest : public X11ModalFixture {
 protected:
  void SetUp() override {
    X11ModalFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (const char* sub : {"b-dir", "a-dir", ".hidden-dir"})
      ASSERT_EQ(mkdir(folder.file(sub).c_str(), 0755), 0);
    for (const char* file : {"z.syx", "m.SYX", "c.kro", "notes.txt", "noext", ".h.syx",
                             "a-dir/inner.syx", "a-dir/skip.mid"})
      std::ofstream(folder.file(file)) << "x";
    ASSERT_TRUE(getcwd(before, sizeof before));
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
  }
  void TearDown() override {
    if (before[0]) {
      EXPECT_EQ(chdir(before), 0);
    }
    X11ModalFixture::TearDown();
  }

  // Runs the panel while the actions play once it holds the keyboard; they get the panel's
  // window and its corner on the screen.
  std::string run(const VIEW_FilePanel& panel,
                  const std::function<void(Window, int, int)>& actions) {
    whenFocused([this, actions] {
      const Window window = FocusedWindow(mInput);
      int x = 0, y = 0, w = 0, h = 0;
      WindowBox(mInput, window, &x, &y, &w, &h);
      actions(window, x, y);
    });
    std::string chosen = X11RunFilePanel(display, panel);
    joinPlayer();
    return chosen;
  }
  std::string keys(const VIEW_FilePanel& panel, const std::vector<const char*>& names) {
    return run(panel, [this, names](Window, int, int) {
      for (const char* name : names) tap(name);
    });
  }
  // The panel's window as shown once ready holds.
  X11Shot shot(int x, int y, const std::function<bool(const X11Shot&)>& ready) {
    return GrabWhen(mInput, x, y, kPanelWidth, kPanelHeight, ready);
  }

  kroma_test::TempDir folder;
  char before[4096] = {};
};

VIEW_FilePanel Panel(bool save = false, std::string name = "") {
  VIEW_FilePanel panel;
  panel.save = save;
  panel.folder = ".";
  panel.fileName = std::move(name);
  panel.extensions = {"syx", "kro"};
  return panel;
}

// The list reads ../, a-dir/, b-dir/, c.kro, m.SYX, z.syx: folders first, each part in order,
// hidden names and other extensions left out. Up and Down walk it within its ends, Return opens a
// file (the path a folder), and typed keys edit the path, the keypad's too.
TEST_F(X11PanelTest, KeysWalkTheSortedListAndEditThePath) {
  const struct {
    std::vector<const char*> keys;
    bool save;
    const char* fileName;
    const char* chosen;
  } cases[] = {
      {{"Down", "Down", "Down", "Down", "Return"}, false, "", "./c.kro"},
      {{"Down", "Down", "Down", "Down", "Down", "Return"}, false, "", "./m.SYX"},
      {{"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"},
       false,
       "",
       "./z.syx"},
      {{"Down", "Down", "Down", "Down", "Down", "Down", "Up", "Up", "Return"},
       false,
       "",
       "./c.kro"},
      {{"a", "minus", "d", "i", "r", "Return", "Down", "Down", "Return"},
       false,
       "",
       "./a-dir/inner.syx"},  // a folder typed opens
      {{"b", "minus", "d", "i", "r", "Return", "Down", "Down", "Escape"}, false, "", ""},
      {{"z", "period", "s", "y", "x", "Return"}, false, "", "./z.syx"},
      {{"Down", "Down", "Down", "Down", "BackSpace", "BackSpace", "BackSpace", "s", "y", "x",
        "Return"},
       false,
       "",
       "./c.syx"},
      {{"a", "b", "Left", "BackSpace", "Return"}, false, "", "./b"},
      {{"a", "b", "Left", "Delete", "Return"}, false, "", "./a"},
      {{"a", "b", "Left", "Left", "Right", "BackSpace", "Return"}, false, "", "./b"},
      // The keypad types with Num Lock on, and moves and deletes with it off (the key of KP_Delete
      // is the keypad's decimal point).
      {{"a", "Num_Lock", "KP_1", "KP_2", "KP_Delete", "KP_Add", "Num_Lock", "b", "Return"},
       false,
       "",
       "./a12.+b"},
      {{"a", "b", "KP_Left", "KP_Delete", "Return"}, false, "", "./a"},
      {{"Return"}, true, "new.syx", "./new.syx"},
      {{"Tab", "Return"}, true, "new.syx", ""},
      {{"Tab", "Tab", "Return"}, true, "new.syx", "./new.syx"},
      {{"Escape"}, false, "", ""},
  };
  for (const auto& c : cases) {
    std::string keysText;
    for (const char* k : c.keys) keysText += std::string(k) + " ";
    EXPECT_EQ(keys(Panel(c.save, c.fileName), c.keys), c.chosen) << keysText;
  }
}

// Letters with Ctrl or Alt are shortcuts, not text, as in the editor's fields; Shift types.
TEST_F(X11PanelTest, KeysWithCtrlOrAltTypeNothingIntoThePath) {
  const auto with = [this](const char* modifier, const char* letter) {
    key(modifier, true);
    tap(letter);
    key(modifier, false);
  };
  EXPECT_EQ(run(Panel(),
                [&](Window, int, int) {
                  with("Alt_L", "a");
                  with("Control_L", "b");
                  with("Shift_L", "c");
                  tap("Return");
                }),
            "./C");
}

// A save panel given a file that is there asks first, in a box of its own: Cancel (the default)
// keeps the file and the panel open for Escape or another name, Replace answers the file.
TEST_F(X11PanelTest, SavingOverAFileAsksFirst) {
  // The window that takes the keys once `from` lets them go, at most the wait cap on.
  const auto nextFocus = [this](Window from) {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    Window now = FocusedWindow(mInput);
    for (; (now == from || now == None || now == PointerRoot || now == DefaultRootWindow(mInput)) &&
           std::chrono::steady_clock::now() < end;
         now = FocusedWindow(mInput))
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return now;
  };
  std::vector<std::string> titles;
  bool panelBack = true, textShown = true;
  const auto asked = [&](std::vector<const char*> boxKeys, std::vector<const char*> panelKeys) {
    return [&, boxKeys, panelKeys](Window panel, int, int) {
      tap("Return");
      const Window box = nextFocus(panel);
      titles.push_back(Title(mInput, box));
      int x = 0, y = 0, w = 0, h = 0;
      WindowBox(mInput, box, &x, &y, &w, &h);
      textShown = textShown && GrabWhen(mInput, x, y, w, h, [](const X11Shot& s) {
                                 return s.anyDark(14, 40, 200, 80);
                               }).anyDark(14, 40, 200, 80);
      for (const char* k : boxKeys) tap(k);
      if (panelKeys.empty()) return;
      panelBack = panelBack && nextFocus(box) == panel;
      for (const char* k : panelKeys) tap(k);
    };
  };
  EXPECT_EQ(run(Panel(true, "z.syx"), asked({"Return"}, {"Escape"})), "");
  EXPECT_EQ(run(Panel(true, "z.syx"), asked({"Tab", "Return"}, {})), "./z.syx");
  EXPECT_EQ(run(Panel(true, "z.syx"),
                asked({"Escape"}, {"BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace",
                                   "y", "period", "s", "y", "x", "Return"})),
            "./y.syx");
  EXPECT_THAT(titles, ::testing::ElementsAre("Replace File", "Replace File", "Replace File"));
  EXPECT_TRUE(textShown) << "the box names the file";
  EXPECT_TRUE(panelBack) << "kept, the panel takes the keys again";
}

// A list longer than the window scrolls to keep the selection in view; clicks under the list or
// on its empty rows pick nothing; "~" starts at home.
TEST_F(X11PanelTest, LongListsScrollAndClicksBesideTheNamesPickNothing) {
  ASSERT_EQ(mkdir(folder.file("many").c_str(), 0755), 0);
  for (int i = 0; i < 14; ++i)
    std::ofstream(
        folder.file("many/f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".syx"))
        << "x";
  VIEW_FilePanel many = Panel();
  many.folder = "./many";
  X11Shot bottom;
  const int lastRow = kMargin + 11 * kRow;
  EXPECT_EQ(run(many,
                [&](Window, int x, int y) {
                  for (int i = 0; i < 15; ++i) tap("Down");
                  bottom = shot(x, y, [&](const X11Shot& s) {
                    return s.at(kPanelWidth - kMargin - 5, lastRow + 2) == kHighlight;
                  });
                  tap("Return");
                }),
            "./many/f13.syx");
  EXPECT_EQ(bottom.at(kPanelWidth - kMargin - 5, lastRow + 2), kHighlight) << "the last row lit";
  EXPECT_TRUE(bottom.anyDark(kMargin + 6, kMargin, 200, kMargin + kRow)) << "f02.syx on top";
  EXPECT_EQ(run(many,
                [&](Window, int x, int y) {
                  click(x + 100, y + kMargin + 12 * kRow + 2);  // under the list
                  tap("Return");                                // the folder: stays
                  tap("Escape");
                }),
            "");
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  click(x + 100, y + kMargin + 8 * kRow + 5);  // an empty row
                  tap("Return");
                  tap("Escape");
                }),
            "");
  // Home is the working folder: ../, a-dir/, b-dir/, many/, c.kro.
  kroma_test::ScopedEnv home("HOME", folder.path().c_str());
  VIEW_FilePanel atHome = Panel();
  atHome.folder = "~";
  EXPECT_EQ(keys(atHome, {"Down", "Down", "Down", "Down", "Down", "Return"}), folder.file("c.kro"));
}

// The window's title names what it does; a message box's names its caption, and the dialog
// resources' their own. Each stands centred a third of the way down the screen, and its close
// box (the window manager's delete request) dismisses it.
TEST_F(X11PanelTest, WindowsAreTitledForWhatTheyAsk) {
  std::vector<std::string> titles;
  std::vector<std::pair<int, int>> offCentre;
  bool closable = true;
  const auto note = [&](Window window, int, int) {
    titles.push_back(Title(mInput, window));
    int x = 0, y = 0, w = 0, h = 0;
    WindowBox(mInput, window, &x, &y, &w, &h);
    offCentre.emplace_back(x - (1920 - w) / 2, y - (1080 - h) / 3);
    Atom* protocols = nullptr;
    int count = 0;
    const Atom deleteAtom = XInternAtom(mInput, "WM_DELETE_WINDOW", False);
    closable = closable && XGetWMProtocols(mInput, window, &protocols, &count) &&
               std::count(protocols, protocols + count, deleteAtom) == 1;
    if (protocols) XFree(protocols);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(mInput, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = (long)deleteAtom;
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(mInput, window, False, NoEventMask, &close);
    XFlush(mInput);
  };
  EXPECT_EQ(run(Panel(false, "x.syx"), note), "");
  EXPECT_EQ(run(Panel(true, "x.syx"), note), "");
  whenFocused([&] { note(FocusedWindow(mInput), 0, 0); });
  EXPECT_EQ(X11RunMessageBox(display, "Bank saved", "Done", {"OK"}), 0);
  joinPlayer();
  EXPECT_THAT(titles, ::testing::ElementsAre("Open", "Save", "Bank saved"));
  EXPECT_THAT(offCentre, ::testing::Each(std::pair(0, 0)));
  EXPECT_TRUE(closable) << "the window manager is told the windows take a delete request";
}

// A double click opens a folder or answers a file, "../" goes up; a click picks a row for the
// Open button; Cancel answers nothing.
TEST_F(X11PanelTest, ClicksPickRowsAndPressTheButtons) {
  const auto row = [](int x, int y, int index) {
    return std::pair(x + 100, y + kMargin + index * kRow + kRow / 2);
  };
  const auto twice = [this](std::pair<int, int> at) {
    click(at.first, at.second);
    click(at.first, at.second);
  };
  const auto openButton = [](int x, int y) {
    return std::pair(x + kOpenLeft + kButtonWidth / 2, y + kButtonTop + kButtonHeight / 2);
  };
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  twice(row(x, y, 1));  // a-dir/
                  twice(row(x, y, 0));  // ../ back
                  twice(row(x, y, 5));  // z.syx
                }),
            "./z.syx");
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  twice(row(x, y, 1));  // a-dir/
                  twice(row(x, y, 1));  // inner.syx
                  tap("Escape");        // only if still open
                }),
            "./a-dir/inner.syx");
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  const auto [bx, by] = openButton(x, y);
                  click(row(x, y, 3).first, row(x, y, 3).second);  // c.kro
                  click(bx, by);
                }),
            "./c.kro");
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  click(row(x, y, 4).first, row(x, y, 4).second);
                  click(x + kCancelLeft + 5, y + kButtonTop + 5);
                }),
            "");
  // A folder typed and opened stays open on its own names until a file is taken.
  const auto listed = [&](const X11Shot& s, int rows) {
    const auto text = [&](int r) {
      return s.anyDark(kMargin + 6, kMargin + r * kRow, 200, kMargin + (r + 1) * kRow);
    };
    return text(rows - 1) && !text(rows);
  };
  bool inFolder = false;
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  for (const char* k : {"a", "minus", "d", "i", "r", "Return"}) tap(k);
                  inFolder = listed(shot(x, y, [&](const X11Shot& s) { return listed(s, 2); }), 2);
                  tap("Down"), tap("Down"), tap("Return");
                }),
            "./a-dir/inner.syx");
  EXPECT_TRUE(inFolder) << "../ and inner.syx";
  EXPECT_EQ(run(Panel(),
                [&](Window, int x, int y) {
                  twice(row(x, y, 2));  // b-dir/, empty
                  const auto [bx, by] = openButton(x, y);
                  click(bx, by);  // a folder in the path: opened, not answered
                  click(x + kCancelLeft + 5, y + kButtonTop + 5);
                }),
            "");
}

// The selected row lies highlighted in the framed white list, the path field shows its caret
// after the path, and the focused button wears a double highlight frame.
TEST_F(X11PanelTest, TheListThePathAndTheButtonsAreDrawnWhereTheyAct) {
  const int selected = 2;  // b-dir/
  const int rowTop = kMargin + selected * kRow;
  // A folder picked leaves the path as it was.
  const int caretX = kMargin + 4 + X11Canvas::textWidth("./");
  const struct {
    const char* what;
    int x, y;
    uint32_t colour;
  } probes[] = {
      {"face", 3, 3, kFace},
      {"face top left", 0, 0, kFace},
      {"face bottom right", kPanelWidth - 1, kPanelHeight - 1, kFace},
      {"list frame", kMargin, kMargin, kLine},
      {"list frame right", kPanelWidth - kMargin - 1, kMargin + 5, kLine},
      {"list frame bottom", 200, kMargin + 12 * kRow - 1, kLine},
      {"face beside the list", kPanelWidth - kMargin, kMargin + 5, kFace},
      {"face under the list", 200, kMargin + 12 * kRow, kFace},
      {"list white", kPanelWidth - kMargin - 5, kMargin + 2, kWhite},
      {"row above", kPanelWidth - kMargin - 5, rowTop - 1, kWhite},
      {"selected row top", kPanelWidth - kMargin - 5, rowTop, kHighlight},
      {"selected row bottom", kPanelWidth - kMargin - 5, rowTop + kRow - 1, kHighlight},
      {"selected row left", kMargin + 1, rowTop + 1, kHighlight},
      {"row below", kPanelWidth - kMargin - 5, rowTop + kRow, kWhite},
      {"path frame", kMargin, kPathTop, kLine},
      {"path frame end", kPanelWidth - kMargin - 1, kPathTop + kPathHeight - 1, kLine},
      {"path white", kPanelWidth - kMargin - 5, kPathTop + 5, kWhite},
      {"caret top", caretX, kPathTop + 3, kText},
      {"caret bottom", caretX, kPathTop + kPathHeight - 4, kText},
      {"above the caret", caretX, kPathTop + 2, kWhite},
      {"below the caret", caretX, kPathTop + kPathHeight - 3, kWhite},
      {"after the caret", caretX + 1, kPathTop + 12, kWhite},
      {"Open frame", kOpenLeft, kButtonTop, kHighlight},
      {"Open inner frame", kOpenLeft + 1, kButtonTop + 1, kHighlight},
      {"Open face", kOpenLeft + 3, kButtonTop + 3, kButton},
      {"Open frame end", kOpenLeft + kButtonWidth - 1, kButtonTop + kButtonHeight - 1, kHighlight},
      {"past Open", kOpenLeft + kButtonWidth, kButtonTop + 5, kFace},
      {"Cancel frame", kCancelLeft, kButtonTop, kLine},
      {"Cancel inner", kCancelLeft + 1, kButtonTop + 1, kButton},
      {"Cancel frame end", kCancelLeft + kButtonWidth - 1, kButtonTop + kButtonHeight - 1, kLine},
      {"between the buttons", kCancelLeft + kButtonWidth + 4, kButtonTop + 5, kFace},
  };
  X11Shot seen;
  bool rowsHaveText[6] = {}, textBelow = true, titlesInButtons[2] = {};
  run(Panel(), [&](Window, int x, int y) {
    tap("Down"), tap("Down"), tap("Down");
    seen = shot(x, y, [&](const X11Shot& s) {
      for (const auto& p : probes)
        if (s.at(p.x, p.y) != p.colour) return false;
      return true;
    });
    for (int r = 0; r < 6; ++r)
      rowsHaveText[r] =
          seen.anyDark(kMargin + 6, kMargin + r * kRow, 200, kMargin + (r + 1) * kRow) ||
          r == selected;
    textBelow = seen.anyDark(kMargin + 2, kMargin + 6 * kRow, 400, kMargin + 12 * kRow - 1);
    titlesInButtons[0] =
        seen.anyDark(kCancelLeft + 4, kButtonTop + 4, kCancelLeft + 80, kButtonTop + 22);
    titlesInButtons[1] =
        seen.anyDark(kOpenLeft + 4, kButtonTop + 4, kOpenLeft + 80, kButtonTop + 22);
    tap("Escape");
  });
  for (const auto& p : probes)
    EXPECT_EQ(seen.at(p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
  EXPECT_THAT(rowsHaveText, ::testing::Each(true)) << "a name on every row of the list";
  EXPECT_FALSE(textBelow) << "six names";
  EXPECT_THAT(titlesInButtons, ::testing::Each(true));
}

// The caption over the lines of the text, each on a row of its own, and the buttons at the foot,
// the last at the right edge; clicks press them, Tab moves the default.
TEST_F(X11PanelTest, MessageBoxesShowTheirLinesAndAnswerClickedButtons) {
  const std::vector<std::string> buttons = {"Yes", "No", "Cancel"};
  // 320 wide: 2 x 14 + 3 x 20 + 16 + 26 = 130 high.
  constexpr int kWidth = 320, kHeight = 130, kTop = kHeight - kMargin - kButtonHeight;
  const auto left = [&](int i) {
    return kWidth - kMargin - kButtonWidth - (2 - i) * (kButtonWidth + 8);
  };
  for (int i = 0; i < 3; ++i) {
    whenFocused([&, i] {
      int x = 0, y = 0, w = 0, h = 0;
      WindowBox(mInput, FocusedWindow(mInput), &x, &y, &w, &h);
      click(x + left(i) + kButtonWidth / 2, y + kTop + kButtonHeight / 2);
    });
    EXPECT_EQ(X11RunMessageBox(display, "Caption", "Two\nlines", buttons), i + 1);
    joinPlayer();
  }
  X11Shot seen, tabbed;
  int w = 0, h = 0;
  const auto focusedOn = [&](const X11Shot& s, int i) {
    for (int b = 0; b < 3; ++b)
      if (s.at(left(b), kTop) != (b == i ? kHighlight : kLine)) return false;
    return true;
  };
  whenFocused([&] {
    int x = 0, y = 0;
    WindowBox(mInput, FocusedWindow(mInput), &x, &y, &w, &h);
    seen = GrabWhen(mInput, x, y, kWidth, kHeight, [&](const X11Shot& s) {
      return s.at(left(0), kTop) == kHighlight && s.at(left(1), kTop) == kLine;
    });
    tap("Tab");
    tabbed =
        GrabWhen(mInput, x, y, kWidth, kHeight, [&](const X11Shot& s) { return focusedOn(s, 1); });
    tap("Return");
  });
  EXPECT_EQ(X11RunMessageBox(display, "Caption", "Two\nlines", buttons), 2);
  joinPlayer();
  EXPECT_EQ(std::pair(w, h), std::pair(kWidth, kHeight));
  const struct {
    int top, bottom;
    bool text;
  } bands[] = {{0, kMargin, false},
               {kMargin, kMargin + kRow, true},
               {40, 60, true},
               {60, 80, true},
               {80, kTop, false}};
  for (const auto& b : bands)
    EXPECT_EQ(seen.anyDark(kMargin, b.top, kWidth - kMargin, b.bottom), b.text) << b.top;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen.at(left(i), kTop), i == 0 ? kHighlight : kLine) << i;
    EXPECT_EQ(seen.at(left(i) + 3, kTop + 3), kButton) << i;
    EXPECT_TRUE(seen.anyDark(left(i) + 4, kTop + 4, left(i) + kButtonWidth - 4, kTop + 22)) << i;
  }
  EXPECT_EQ(seen.at(left(2) + kButtonWidth, kTop + 3), kFace);
  EXPECT_TRUE(focusedOn(tabbed, 1)) << "Tab shows the frame on the next button at once";

  // A caption too long for the box ends at the margin.
  X11Shot captioned;
  whenFocused([&] {
    int x = 0, y = 0;
    WindowBox(mInput, FocusedWindow(mInput), &x, &y, &w, &h);
    // drawn whole: an undrawn box shows what lay under it, dark in the margin too
    captioned = GrabWhen(mInput, x, y, kWidth, kHeight, [&](const X11Shot& s) {
      return s.anyDark(kMargin, kMargin, 100, 34) && s.at(kWidth - 5, 50) == kFace;
    });
    tap("Escape");
  });
  EXPECT_EQ(X11RunMessageBox(display, std::string(80, 'W'), "Text", {"OK"}), 0);
  joinPlayer();
  EXPECT_TRUE(captioned.anyDark(kWidth - 2 * kMargin, kMargin, kWidth - kMargin, kMargin + kRow));
  EXPECT_FALSE(captioned.anyDark(kWidth - kMargin, 0, kWidth, kMargin + kRow)) << "the margin";

  // A line wider than the screen makes the box as wide as the screen and ends at the margin.
  X11Shot wide;
  whenFocused([&] {
    int x = 0, y = 0;
    WindowBox(mInput, FocusedWindow(mInput), &x, &y, &w, &h);
    // drawn whole: the text at the left and the face in the right margin
    wide = GrabWhen(mInput, x, y, w, h, [&](const X11Shot& s) {
      return s.anyDark(kMargin, 40, kMargin + 100, 60) && s.at(w - 5, 50) == kFace;
    });
    tap("Escape");
  });
  EXPECT_EQ(X11RunMessageBox(display, "Caption", std::string(400, 'W'), {"OK"}), 0);
  joinPlayer();
  EXPECT_EQ(w, DisplayWidth(mInput, DefaultScreen(mInput)));
  EXPECT_TRUE(wide.anyDark(w - 2 * kMargin, 40, w - kMargin, 60)) << "the line up to the margin";
  EXPECT_FALSE(wide.anyDark(w - kMargin, 40, w, 60)) << "the margin";
}

}  // namespace

namespace {

// Two fields and two buttons, none of them OK: the last button is the default.
const WSYS_DialogItem kFieldItems[] = {
    {"static", "Label", -1, 10, 10, 100, 20},  {"edit", "one", 7, 10, 40, 120, 20},
    {"edit", "two", 8, 10, 70, 120, 20},       {"button", "&Apply", 9, 150, 40, 60, 24},
    {"button", "&Close", 10, 150, 70, 60, 24},
};
const WSYS_DialogResource kFields = {41, "Two fields", 230, 110, 1.0f, kFieldItems, 5};

struct Posted {
  std::vector<int> commands;
  std::string one, two;
};
Posted gPosted;

long FieldsProcedure(HWND dialog, unsigned int message, unsigned long command, long) {
  if (message != WM_COMMAND) return message == WM_INITDIALOG;
  gPosted.commands.push_back((int)command);
  for (int i = 0; i < dialog->children.GetSize(); ++i) {
    HWND child = dialog->children.Get(i);
    if (child->id == 7) gPosted.one = child->text.Get();
    if (child->id == 8) gPosted.two = child->text.Get();
  }
  if (command == 10) EndDialog(dialog, 10);
  return 1;
}

// Typing replaces the first field's text; a click moves the keys to the field clicked, where
// they go after its text; Return presses the last button. The window shows the label, both
// fields framed in white, the caret in the field with the keys, and the default button's frame.
TEST_F(X11PanelTest, ResourceDialogsWithoutOKTypeIntoTheClickedFieldAndDefaultToTheLastButton) {
  ASSERT_TRUE(WSYS_RegisterDialog(4, &kFields));
  gPosted = Posted();
  const int caret = 10 + 4 + X11Canvas::textWidth("twoy");
  const int clickedCaret = 10 + 4 + X11Canvas::textWidth("two");
  X11Shot seen, clicked;
  std::string title;
  whenFocused([&] {
    const Window window = FocusedWindow(mInput);
    title = Title(mInput, window);
    int x = 0, y = 0, w = 0, h = 0;
    WindowBox(mInput, window, &x, &y, &w, &h);
    tap("x");
    const int typedCaret = 10 + 4 + X11Canvas::textWidth("x");
    GrabWhen(mInput, x, y, 230, 110,
             [&](const X11Shot& s) { return s.at(typedCaret, 43) == kText; });
    click(x + 60, y + 80);  // the second field
    clicked = GrabWhen(mInput, x, y, 230, 110,
                       [&](const X11Shot& s) { return s.at(clickedCaret, 73) == kText; });
    tap("y");
    seen = GrabWhen(mInput, x, y, 230, 110, [&](const X11Shot& s) {
      return s.at(150, 70) == kHighlight && s.at(10, 40) == kLine && s.at(caret, 73) == kText;
    });
    click(x + 180, y + 52);  // Apply
    tap("Return");
  });
  EXPECT_EQ(WSYS_DialogBox(4, 41, nullptr, FieldsProcedure, 0), 10);
  joinPlayer();
  EXPECT_EQ(title, "Two fields");
  EXPECT_THAT(gPosted.commands, ::testing::ElementsAre(9, 10));
  EXPECT_EQ(gPosted.one, "x");
  EXPECT_EQ(gPosted.two, "twoy");
  const struct {
    const char* what;
    int x, y;
    uint32_t colour;
  } probes[] = {
      {"first field frame", 10, 40, kLine},
      {"first field end", 129, 59, kLine},
      {"first field white", 125, 45, kWhite},
      {"second field frame", 10, 70, kLine},
      {"caret", caret, 73, kText},
      {"caret foot", caret, 86, kText},
      {"no caret above", caret, 72, kWhite},
      {"Close frame", 150, 70, kHighlight},
      {"Close inner", 151, 71, kHighlight},
      {"Apply frame", 150, 40, kLine},
      {"Apply inner", 151, 41, kButton},
      {"face", 220, 100, kFace},
  };
  for (const auto& p : probes)
    EXPECT_EQ(seen.at(p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
  EXPECT_EQ(clicked.at(clickedCaret, 73), kText) << "the click shows the caret before a key";
  EXPECT_TRUE(seen.anyDark(10, 10, 110, 30)) << "the label";
  EXPECT_FALSE(seen.anyDark(10, 0, 110, 9)) << "nothing above the label";
  EXPECT_TRUE(seen.anyDark(14, 41, 40, 59)) << "the first field's text";
  EXPECT_FALSE(seen.anyDark(14 + X11Canvas::textWidth("x") + 1, 43, 128, 57))
      << "no caret in the field without the keys";
}

}  // namespace
