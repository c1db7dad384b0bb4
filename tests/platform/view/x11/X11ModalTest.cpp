#include "X11Fixture.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Dialog.h"
#include "platform/view/x11/detail/X11Menu.h"

// The modal windows of the X11 back end, driven from a thread while they hold
// this one: menus, message boxes and the plain file panel.
namespace {

using ::testing::EndsWith;

class X11ModalTest : public X11Fixture {
 protected:
  void SetUp() override {
    X11Fixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    display = X11Display::acquire();
    ASSERT_NE(display, nullptr);
    XSetInputFocus(mInput, PointerRoot, RevertToPointerRoot, CurrentTime);
    // "Off", a separator, "Skipped" (greyed), "More" with a sub-menu, "Last".
    menu.addItem("Off");
    menu.addItem("", VIEW_Menu::kSeparator);
    menu.addItem("Skipped", VIEW_Menu::kDisabled);
    VIEW_Menu* more = menu.addSubMenu("More", &sub);
    more->addItem("One", VIEW_Menu::kChecked);
    more->addItem("Two");
    menu.addItem("Last");
  }
  void TearDown() override {
    if (display) display->release();
    X11Fixture::TearDown();
  }

  X11Display* display = nullptr;
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

}  // namespace
