#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "HostRun.h"
#include "TempDir.h"
#include "XvfbTest.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Png.h"

// The test plug-in's editor in real X windows of kroma-host, on an X server
// of the test's own, with input played through XTest. Coordinates are the
// host window's; the editor's pane takes clicks 2 pixels left of and 3 above
// the pointer. The menu box (parameter 1) spans 10..55 x 60..80, the entry
// box (parameter 3) 65..110 x 60..80; a left click there opens a menu of two
// levels for parameter 1.
namespace {

using ::testing::ElementsAre;

class X11Editor : public XvfbTest {
 protected:
  HostRun runX11(const std::string& script) {
    HostRun result = runHost(mDir.path(), "open\n" + script + "x-errors\nclose\n", TEST_PLUGIN_X11);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(result.has("x errors 0")) << result.output;
    return result;
  }

  kroma_test::TempDir mDir;
  kroma_test::ScopedEnv mEditor{"KROMA_TESTPLUGIN_EDITOR", "1"};
};

// A press and drag on the gain bar and a click on the lower bar; the window
// then holds exactly what the headless view shows for the same values.
TEST_F(X11Editor, DragsAndClicksSetParametersAndTheWindowShowsTheEditor) {
  const std::string shot = mDir.file("x11.png");
  const HostRun x11 = runX11(
      "x-open\nx-idle 200\nx-input 0 move 62 18\nx-input 20 press 1\nx-input 60 move 87 20\n"
      "x-input 100 release 1\nx-input 150 click 37 43\nx-idle 500\n"
      "x-screen " +
      shot + "\n");
  EXPECT_TRUE(x11.has("dispatch effEditOpen -> 1"));
  EXPECT_THAT(x11.lines("plugin[1]: param 0"),
              ElementsAre("plugin[1]: param 0 = 0.5", "plugin[1]: param 0 = 0.75"));
  EXPECT_TRUE(x11.has("plugin[1]: param 2 = 32"));

  const std::string headless = mDir.file("headless.png");
  const HostRun reference = runHost(mDir.path(),
                                    "open\nparam-set 0 0.75\nedit-open\nedit-mouse down 37 43\n"
                                    "edit-mouse up 37 43\nidle\n"
                                    "edit-screen " +
                                        headless + "\nclose\n");
  ASSERT_EQ(reference.exitCode, 0) << reference.output;
  std::unique_ptr<GFX_IBitmap> a(GFX_LoadPNG(shot.c_str(), nullptr));
  std::unique_ptr<GFX_IBitmap> b(GFX_LoadPNG(headless.c_str(), nullptr));
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->getWidth(), b->getWidth());
  ASSERT_EQ(a->getHeight(), b->getHeight());
  int differing = 0;
  for (int y = 0; y < a->getHeight(); ++y)
    for (int x = 0; x < a->getWidth(); ++x)
      differing += GFX_GetPixel(a.get(), x, y) != GFX_GetPixel(b.get(), x, y);
  EXPECT_EQ(differing, 0);
}

// "High" at first; the mouse takes the first item, the keys the second, and a click outside
// dismisses the menu. A text entry commits with Return and is cancelled with Escape.
TEST_F(X11Editor, MenusAreChosenByMouseAndKeysAndTextEntriesCommitOnlyWithReturn) {
  const HostRun host = runX11(
      "param-set 1 1.0\nx-open\nx-idle 200\nx-input 0 click 20 70 3\nx-input 300 click 20 93\n"
      "x-idle 700\nx-input 0 click 20 70 3\nx-input 300 key Down\nx-input 350 key Down\n"
      "x-input 400 key Return\nx-idle 800\nx-input 0 click 20 70 3\nx-input 300 click 400 400\n"
      "x-idle 700\nx-input 0 click 80 70 3\nx-input 300 type 57\nx-input 400 key Return\n"
      "x-idle 700\nx-input 0 click 80 70 3\nx-input 300 type 99\nx-input 400 key Escape\n"
      "x-idle 700\n");
  // After the defaults of effOpen: the host's value, the mouse's, the keys'.
  EXPECT_THAT(host.lines("plugin[1]: param 1"),
              ElementsAre("plugin[1]: param 1 = 0", "plugin[1]: param 1 = 2",
                          "plugin[1]: param 1 = 0", "plugin[1]: param 1 = 1"));
  EXPECT_THAT(host.lines("plugin[1]: param 3"), ElementsAre("plugin[1]: param 3 = 57"));
}

// A click on the editor outside an open menu, held as a person holds it, closes it and does
// nothing else: neither its press nor its release reaches the gain bar under it (which keeps its
// value, and the host hears of no edit of it), and the keys played after it find no menu to pick
// from.
TEST_F(X11Editor, AClickOnTheEditorOutsideAMenuClosesItAndActsOnNothing) {
  const HostRun host = runX11(
      "x-open\nx-idle 200\nx-input 0 click 20 70 3\nx-input 300 move 87 18 press 1\n"
      "x-input 500 release 1\nx-input 800 key Down\nx-input 850 key Down\n"
      "x-input 900 key Return\nx-idle 1400\n");
  EXPECT_THAT(host.lines("plugin[1]: param 1"), ElementsAre("plugin[1]: param 1 = 0"));
  EXPECT_THAT(host.lines("plugin[1]: param 0"), ElementsAre("plugin[1]: param 0 = 0.5"));
  EXPECT_THAT(host.lines("Edit index=0"), ::testing::IsEmpty());
}

// Opened and closed a hundred times (under AddressSanitizer kroma-host fails on any leak at its
// end), then two instances in one process share the connection, each editor taking only its own
// input.
TEST_F(X11Editor, ReopensCleanlyAndTwoEditorsTakeTheirOwnInput) {
  std::string script;
  for (int i = 0; i < 100; ++i) script += "x-open\nx-idle 20\nx-close\n";
  const HostRun host = runX11(script +
                              "x-open 0 0\nopen-another\nx-open 300 0\nx-idle 200\n"
                              "x-input 0 click 87 18\nx-idle 300\n");
  EXPECT_THAT(host.lines("dispatch effEditOpen -> 1"), ::testing::SizeIs(102));
  EXPECT_THAT(host.lines("dispatch effEditClose -> 1"), ::testing::SizeIs(100));
  // Each instance's default from effOpen, then the click on the second.
  EXPECT_THAT(host.lines("plugin[2]: param 0"),
              ElementsAre("plugin[2]: param 0 = 0.5", "plugin[2]: param 0 = 0.75"));
  EXPECT_THAT(host.lines("plugin[1]: param 0"), ElementsAre("plugin[1]: param 0 = 0.5"));
  EXPECT_THAT(host.lines("plugin[1]: editor closed"), ::testing::SizeIs(100));
}

// With a display the demo session shows the editor in a window and keeps its picture with the
// session's other files.
TEST_F(X11Editor, TheDemoShowsTheEditorInAWindowAndKeepsItsPicture) {
  kroma_test::ScopedEnv data("KROMA_DATA_DIR", mDir.path().c_str());
  kroma_test::ScopedEnv tmp("TMPDIR", mDir.path().c_str());
  const HostRun host = runDemo(mDir.path());
  EXPECT_EQ(host.exitCode, 0) << host.output;
  EXPECT_FALSE(host.has("left out"));
  const std::string folder = folderMade(host);
  ASSERT_FALSE(folder.empty()) << host.output;
  for (const char* name : {"program.chunk", "bank.chunk", "editor.png"})
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/" + name)) << name;
}

// The entry box's left click opens "Off" and "On", whose sub-menu holds "Low" and "High": keys
// that pick "High" through the sub-menu set the mode; keys that stop on the sub-menu's title
// leave the menu open, which the host closes and reports as a failure instead of waiting in it;
// keys for a menu that never shows fail too.
TEST_F(X11Editor, MenuKeysPickThroughASubMenuAndKeysThatPickNothingFail) {
  const HostRun picked = runX11(
      "x-open\nx-idle 200\nx-input 0 click 80 70\nx-input 0 menu Down Down Return Down Return\n"
      "x-idle 1500\n");
  EXPECT_THAT(picked.lines("plugin[1]: param 1"),
              ElementsAre("plugin[1]: param 1 = 0", "plugin[1]: param 1 = 2"));

  const HostRun stuck = runHost(mDir.path(),
                                "open\nx-open\nx-idle 200\nx-input 0 click 80 70\n"
                                "x-input 0 menu Down Down Return\nx-idle 1500\nx-errors\n",
                                TEST_PLUGIN_X11);
  EXPECT_EQ(stuck.exitCode, 1) << stuck.output;
  EXPECT_TRUE(
      stuck.has("x-input menu Down Down Return: the menu still shows after the keys, 2 "
                "levels deep (a sub-menu opened); closed with Escape"))
      << stuck.output;
  EXPECT_TRUE(stuck.has("error: line 5 failed")) << stuck.output;
  EXPECT_THAT(stuck.lines("plugin[1]: param 1"), ElementsAre("plugin[1]: param 1 = 0"));
}

// A step that fails without changing what later steps meet fails the run, but the script goes
// on: keys for a menu that never shows (the step that queued them fails once the wait is over),
// and a picture of a window that reaches past the screen.
TEST_F(X11Editor, AMenuThatNeverShowsOrAShotPastTheScreenFailsItsStepAndTheScriptGoesOn) {
  const HostRun none = runHost(mDir.path(),
                               "open\nx-open\nx-input 0 menu Down Return\nx-idle 31000\n"
                               "param-set 0 0.25\nparam-get 0\n",
                               TEST_PLUGIN_X11);
  EXPECT_EQ(none.exitCode, 1) << none.output;
  EXPECT_TRUE(none.has("x-input menu Down Return: no popup menu showed in 30 s")) << none.output;
  EXPECT_TRUE(none.has("error: line 3 failed")) << none.output;
  EXPECT_TRUE(none.has("getParameter 0 -> 0.250000")) << none.output;

  const HostRun shot =
      runHost(mDir.path(),
              "open\nx-open 1850 0\nx-idle 100\nx-screen " + mDir.file("past.png") +
                  "\nparam-set 0 0.25\nparam-get 0\nx-errors\n",
              TEST_PLUGIN_X11);
  EXPECT_EQ(shot.exitCode, 1) << shot.output;
  EXPECT_TRUE(shot.has("window not written: 120x90 at 1850,0 reaches past the 1920x1080 screen"))
      << shot.output;
  EXPECT_TRUE(shot.has("error: line 4 failed")) << shot.output;
  EXPECT_TRUE(shot.has("getParameter 0 -> 0.250000")) << shot.output;
  EXPECT_TRUE(shot.has("x errors 0")) << shot.output;
  EXPECT_FALSE(std::filesystem::exists(mDir.file("past.png")));
}

// Press, moves and release in one step play in order: the bar follows the drag.
TEST_F(X11Editor, OneStepPlaysItsActionsInOrder) {
  const HostRun host = runX11(
      "x-open\nx-idle 200\nx-input 0 move 62 18 press 1 move 72 19 move 87 20 release 1\n"
      "x-idle 500\n");
  EXPECT_THAT(host.lines("plugin[1]: param 0"),
              ElementsAre("plugin[1]: param 0 = 0.5", "plugin[1]: param 0 = 0.6",
                          "plugin[1]: param 0 = 0.75"));
}

}  // namespace
