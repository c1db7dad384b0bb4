#include "X11Fixture.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Dialog.h"
#include "platform/view/x11/detail/X11Menu.h"
#include "toolkit/wsys/Dialog.h"

// The modal windows of the X11 back end, driven from a thread while they hold
// this one: menus, message boxes and the plain file panel.
namespace {

using ::testing::EndsWith;

class X11ModalTest : public X11ModalFixture {
 protected:
  void SetUp() override {
    X11ModalFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // "Off", a separator, "Skipped" (greyed), "More" with a sub-menu, "Last".
    menu.addItem("Off");
    menu.addItem("", VIEW_Menu::kSeparator);
    menu.addItem("Skipped", VIEW_Menu::kDisabled);
    VIEW_Menu* more = menu.addSubMenu("More", &sub);
    more->addItem("One", VIEW_Menu::kChecked);
    more->addItem("Two");
    menu.addItem("Last");
  }

  int sub = 0;
  VIEW_Menu menu;
};

// A menu asked for beyond the screen's corner opens inside it; the pointer
// waits there, so that no key goes astray before the menu grabs the keyboard.
TEST_F(X11ModalTest, KeysWalkAMenuKeptOnTheScreenPastWhatCannotBeChosenIntoSubMenus) {
  whenGrabbed(
      [this] {
        for (const char* k : {"Down", "Down", "Right", "Down", "Return"}) tap(k);
      },
      1915, 1075);
  const VIEW_MenuChoice choice = X11RunMenu(display, menu, 5000, 5000);
  ASSERT_NE(choice.menu, nullptr);
  EXPECT_EQ(choice.menu->tag(), &sub);
  EXPECT_EQ(choice.index, 1);
}

TEST_F(X11ModalTest, MessageBoxesAnswerTheButtonPressedOrNoneWhenDismissed) {
  whenFocused([this] {
    for (const char* k : {"Tab", "Tab", "Return"}) tap(k);
  });
  EXPECT_EQ(X11RunMessageBox(display, "Caption", "Two\nlines", {"Yes", "No", "Cancel"}), 3);
  whenFocused([this] { tap("Escape"); });
  EXPECT_EQ(X11RunMessageBox(display, "Caption", "Text", {"Yes", "No"}), 0) << "dismissed";
  whenFocused([this] {
    for (const char* k : {"Tab", "Return", "Escape"}) tap(k);
  });
  EXPECT_EQ(X11RunMessageBox(display, "Caption", "Text", {"Yes", "No"}), 2) << "the first answer";
}

// The list holds the way up, the sub-folders and the files of the panel's
// extensions: one down from the top is the folder, two down the file.
TEST_F(X11ModalTest, ThePlainPanelListsFoldersAndMatchingFiles) {
  kroma_test::TempDir folder;
  ASSERT_EQ(mkdir(folder.file("banks").c_str(), 0755), 0);
  std::ofstream(folder.file("mine.SYX")) << "x";
  std::ofstream(folder.file("notes.txt")) << "x";
  VIEW_FilePanel panel;
  panel.folder = folder.path();
  panel.extensions = {"syx"};
  whenFocused([this] {
    for (const char* k : {"Down", "Down", "Down", "Return"}) tap(k);
  });
  EXPECT_THAT(X11RunFilePanel(display, panel), EndsWith("/mine.SYX"));
}

// A dialog resource of the window-system layer (scaled by 1.5): a label, a
// name field, a button that only counts and Cancel and OK.
const WSYS_DialogItem kNameItems[] = {
    {"static", "Name", -1, 10, 10, 100, 10},   {"edit", "old", 7, 10, 24, 120, 14},
    {"button", "&Count  ", 9, 10, 60, 40, 14}, {"button", "&Cancel", IDCANCEL, 60, 60, 40, 14},
    {"button", "&OK", IDOK, 110, 60, 40, 14},
};
const WSYS_DialogResource kName = {31, "Name", 160, 84, 1.5f, kNameItems, 5};

struct Answered {
  std::vector<int> commands;
  std::string name;
};
Answered gAnswered;

// Ends on OK with the name field's text, and on Cancel.
long NameProcedure(HWND dialog, unsigned int message, unsigned long command, long) {
  if (message != WM_COMMAND) return message == WM_INITDIALOG;
  gAnswered.commands.push_back((int)command);
  for (int i = 0; i < dialog->children.GetSize(); ++i)
    if (dialog->children.Get(i)->id == 7) gAnswered.name = dialog->children.Get(i)->text.Get();
  if (command == IDOK || command == IDCANCEL) EndDialog(dialog, (int)command);
  return 1;
}

// The focused window's top-left corner on the screen.
void FocusCorner(Display* display, int* x, int* y) {
  Window focused = None, child = None;
  int revert = 0;
  XGetInputFocus(display, &focused, &revert);
  XTranslateCoordinates(display, focused, DefaultRootWindow(display), 0, 0, x, y, &child);
}

// Typed text goes into the field, a button pressed posts its command (a click on Count, which
// leaves the dialog open, Return on OK, the default); Escape cancels.
TEST_F(X11ModalTest, DialogResourcesShowTheirControlsAndPostTheButtonsCommands) {
  ASSERT_TRUE(WSYS_RegisterDialog(3, &kName));
  gAnswered = Answered();
  whenFocused([this] {
    int x = 0, y = 0;
    FocusCorner(mInput, &x, &y);
    for (const char* k : {"BackSpace", "n", "e", "w"}) tap(k);
    click(x + 15 + 30, y + 90 + 10);  // Count, at (15, 90) scaled
    tap("Return");
  });
  EXPECT_EQ(WSYS_DialogBox(3, 31, nullptr, NameProcedure, 0), IDOK);
  EXPECT_THAT(gAnswered.commands, ::testing::ElementsAre(9, IDOK));
  EXPECT_EQ(gAnswered.name, "new");

  gAnswered = Answered();
  whenFocused([this] { tap("Escape"); });
  EXPECT_EQ(WSYS_DialogBox(3, 31, nullptr, NameProcedure, 0), IDCANCEL);
  EXPECT_THAT(gAnswered.commands, ::testing::ElementsAre(IDCANCEL));
  EXPECT_EQ(gAnswered.name, "old");
}

}  // namespace
