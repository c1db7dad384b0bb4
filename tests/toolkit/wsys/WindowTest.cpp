#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/wsys/Dialog.h"
#include "toolkit/wsys/Window.h"

using ::testing::ElementsAre;

namespace {

RECT rectOf(HWND w) {
  RECT r = {0, 0, 0, 0};
  EXPECT_TRUE(GetWindowRect(w, &r));
  return r;
}

bool same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(Window, PositionSizeAndCentring) {
  const RECT screen = {100, 50, 501, 350};
  HWND parent = WSYS_CreateWindow(nullptr, &screen, 0, "parent");
  const RECT inner = {10, 20, 110, 70};
  HWND child = WSYS_CreateWindow(parent, &inner, 7, "child");
  EXPECT_TRUE(same(rectOf(child), RECT{110, 70, 210, 120}));

  SetWindowPos(child, nullptr, 0, 0, 30, 40, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(same(rectOf(child), RECT{110, 70, 140, 110}));
  SetWindowPos(child, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_TRUE(same(rectOf(child), RECT{5, 6, 35, 46}));

  // Centred on the parent, halves truncated: 100 + 401/2 - 30/2, 50 + 300/2 - 40/2.
  EXPECT_TRUE(CenterWindow(child));
  EXPECT_TRUE(same(rectOf(child), RECT{285, 180, 315, 220}));
  EXPECT_FALSE(CenterWindow(parent));
  EXPECT_FALSE(GetWindowRect(nullptr, nullptr));
  EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 0, 0, 0, 0, 0));
  EXPECT_TRUE(DestroyWindow(parent));
}

TEST(Window, EdgesBeyondTheIntRangeAreHeldToIt) {
  const RECT corner = {INT32_MAX - 10, INT32_MIN + 10, INT32_MAX, INT32_MIN + 20};
  HWND parent = WSYS_CreateWindow(nullptr, &corner, 0, "");
  const RECT inner = {20, -20, 40, 5};
  HWND child = WSYS_CreateWindow(parent, &inner, 1, "");
  EXPECT_TRUE(same(rectOf(child), RECT{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN + 15}));
  SetWindowPos(child, nullptr, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, SWP_NOZORDER);
  EXPECT_TRUE(same(rectOf(child), RECT{INT32_MIN, INT32_MIN, -1, -1}));
  SetWindowPos(child, nullptr, INT32_MAX, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_TRUE(same(rectOf(child), RECT{INT32_MAX, 7, INT32_MAX, INT32_MAX}));
  DestroyWindow(parent);

  const RECT everything = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  HWND whole = WSYS_CreateWindow(nullptr, &everything, 0, "");
  const RECT small = {0, 0, 10, 20};
  HWND centred = WSYS_CreateWindow(whole, &small, 2, "");
  EXPECT_TRUE(CenterWindow(centred));
  EXPECT_TRUE(same(rectOf(centred), RECT{-6, -11, 4, 9}));
  DestroyWindow(whole);
}

TEST(Window, ZOrderFollowsInsertAfter) {
  HWND parent = WSYS_CreateWindow(nullptr, nullptr, 0, "");
  HWND a = WSYS_CreateWindow(parent, nullptr, 1, "a");
  HWND b = WSYS_CreateWindow(parent, nullptr, 2, "b");
  HWND c = WSYS_CreateWindow(parent, nullptr, 3, "c");
  EXPECT_EQ(parent->children.Get(0), c);  // newest on top
  SetWindowPos(c, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(parent->children.Get(1), a);
  EXPECT_EQ(parent->children.Get(2), c);
  SetWindowPos(a, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(parent->children.Get(0), a);
  EXPECT_TRUE(DestroyWindow(b));
  EXPECT_EQ(parent->children.GetSize(), 2);
  DestroyWindow(parent);
  // Into the middle of four: just below the window named.
  parent = WSYS_CreateWindow(nullptr, nullptr, 0, "");
  HWND w[4];
  for (int i = 0; i < 4; ++i) w[i] = WSYS_CreateWindow(parent, nullptr, i, "");
  SetWindowPos(w[3], w[1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  std::string order;
  for (int i = 0; i < parent->children.GetSize(); ++i)
    order += std::to_string(parent->children.Get(i)->id);
  EXPECT_EQ(order, "2130");
  RECT r;
  EXPECT_FALSE(GetWindowRect(nullptr, &r));
  DestroyWindow(parent);
}

namespace {

const WSYS_DialogItem kItems[] = {
    {"static", "Bank Name", -1, 10, 10, 200, 8},
    {"edit", "", 10013, 10, 20, 200, 12},
    {"button", "&Cancel", IDCANCEL, 160, 60, 50, 14},
    {"button", "&OK    ", 10006, 100, 60, 50, 14},
};
const WSYS_DialogResource kBankName = {10014, "Enter Bank Name", 396, 144, 1.8f, kItems, 4};

struct Seen {
  long param = 0;
  int controls = 0;
  RECT edit = {0, 0, 0, 0};
  RECT dialog = {0, 0, 0, 0};
  std::string title;
  std::string editKind;
  int commands = 0;
  std::vector<std::string> calls;  // "message wParam lParam"
};
Seen gSeen;

long procedure(HWND dialog, unsigned int message, unsigned long wParam, long lParam) {
  gSeen.calls.push_back(std::to_string(message) + " " + std::to_string(wParam) + " " +
                        std::to_string(lParam));
  if (message == WM_INITDIALOG) {
    gSeen.param = lParam;
    gSeen.controls = dialog->children.GetSize();
    gSeen.dialog = dialog->rect;
    gSeen.title = dialog->text.Get();
    for (int i = 0; i < dialog->children.GetSize(); ++i)
      if (dialog->children.Get(i)->id == 10013) {
        const RECT& r = dialog->children.Get(i)->rect;
        gSeen.editKind = dialog->children.Get(i)->kind.Get();
        gSeen.edit = {r.left - dialog->rect.left, r.top - dialog->rect.top,
                      r.right - dialog->rect.left, r.bottom - dialog->rect.top};
      }
    return 1;
  }
  if (message == WM_COMMAND) {
    ++gSeen.commands;
    if (wParam == 10006) {
      EXPECT_TRUE(EndDialog(dialog, IDOK));
    }
    return 1;
  }
  return 0;
}

}  // namespace

TEST(Dialog, ModalDialogFromAResource) {
  ASSERT_TRUE(WSYS_RegisterDialog(0, &kBankName));
  gSeen = Seen();
  WSYS_PostDialogCommand(10013);
  WSYS_PostDialogCommand(10006);
  EXPECT_EQ(WSYS_DialogBox(0, 10014, nullptr, procedure, 42), IDOK);
  EXPECT_EQ(gSeen.param, 42);
  EXPECT_EQ(std::make_pair(gSeen.controls, gSeen.commands), std::make_pair(4, 2));
  const std::string init = std::to_string(WM_INITDIALOG), command = std::to_string(WM_COMMAND);
  EXPECT_THAT(gSeen.calls, ElementsAre(init + " 0 42", command + " 10013 0", command + " 10006 0"));
  // Controls scaled by 1.8: (10, 20) - (210, 32).
  EXPECT_TRUE(same(gSeen.edit, RECT{18, 36, 378, 57}));
  EXPECT_EQ(gSeen.editKind, "edit");
  EXPECT_TRUE(same(gSeen.dialog, RECT{0, 0, 712, 259})) << "396 x 144 scaled by 1.8";
  EXPECT_EQ(gSeen.title, "Enter Bank Name");

  // Over a parent window the dialog is centred on it: 100 + 1000/2 - 712/2, 50 + 600/2 - 259/2.
  const RECT screen = {100, 50, 1100, 650};
  HWND parent = WSYS_CreateWindow(nullptr, &screen, 0, "");
  gSeen = Seen();
  WSYS_PostDialogCommand(10006);
  EXPECT_EQ(WSYS_DialogBox(0, 10014, parent, procedure, 0), IDOK);
  EXPECT_TRUE(same(gSeen.dialog, RECT{244, 221, 956, 480}));
  EXPECT_EQ(parent->children.GetSize(), 0) << "the dialog is gone with its end";
  DestroyWindow(parent);

  // With no command left the dialog is cancelled.
  gSeen = Seen();
  EXPECT_EQ(WSYS_DialogBox(0, 10014, nullptr, procedure, 0), IDCANCEL);
  EXPECT_EQ(gSeen.commands, 1);
  EXPECT_THAT(gSeen.calls,
              ElementsAre(init + " 0 0", command + " " + std::to_string(IDCANCEL) + " 0"));
  // A runner's button presses reach the procedure as they happen, until it ends the dialog.
  WSYS_SetDialogRunner([](HWND, const std::function<void(int)>& command) {
    for (int id : {10013, 10006, 10013}) command(id);
    return true;
  });
  gSeen = Seen();
  EXPECT_EQ(WSYS_DialogBox(0, 10014, nullptr, procedure, 7), IDOK);
  EXPECT_THAT(gSeen.calls, ElementsAre(init + " 0 7", command + " 10013 0", command + " 10006 0"));
  WSYS_SetDialogRunner(nullptr);
  EXPECT_EQ(WSYS_DialogBox(0, 999, nullptr, procedure, 0), -1);
  EXPECT_EQ(WSYS_DialogBox(0, 10014, nullptr, nullptr, 0), -1);
  EXPECT_FALSE(EndDialog(nullptr, 1));
}

TEST(Dialog, GeneratedControlsArePlacedByTheCurrentParameters) {
  HWND parent = WSYS_CreateWindow(nullptr, nullptr, 0, "");
  WSYS_MakeSetCurParms(2.f, 0.5f, 3.f, 4.f, parent, true, false);
  EXPECT_EQ(WSYS_GenerateDialogFromList(kItems, 2), 2);
  HWND edit = parent->children.Get(0);
  EXPECT_EQ(edit->id, 10013);
  EXPECT_TRUE(same(edit->rect, RECT{23, 14, 423, 20}));
  EXPECT_EQ(WSYS_GenerateDialogFromList(nullptr, 2), 0);
  DestroyWindow(parent);
  WSYS_MakeSetCurParms(1.f, 1.f, 0.f, 0.f, nullptr, false, false);
  EXPECT_EQ(WSYS_GenerateDialogFromList(kItems, 2), 0);
}
