#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "HostRun.h"
#include "TempDir.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/gfx/Png.h"

// The editor of the test plug-in through kroma-host: the host's frame, the
// timer run from the idle step, mouse gestures and the screen. The host asks
// for no views, so the editor is a pane, whose clicks land 2 pixels left of
// and 3 above the pointer.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class EditorSession : public ::testing::Test {
 protected:
  HostRun run(const std::string& script) {
    HostRun result = runHost(mDir.path(), script);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result;
  }

  kroma_test::TempDir mDir;
  kroma_test::ScopedEnv mEditor{"KROMA_TESTPLUGIN_EDITOR", "1"};
};

TEST_F(EditorSession, OpensWithItsSizeDrawsOnIdleAndCloses) {
  const HostRun host =
      run("open\n"
          "info\n"
          "edit-open\n"
          "idle\n"
          "edit-pixel 5 5\n"
          "edit-pixel 50 15\n"
          "edit-pixel 80 15\n"
          "edit-close\n"
          "idle\n"
          "close\n");
  EXPECT_THAT(host.line("record[1] flags"), ::testing::HasSubstr("HasEditor"));
  EXPECT_TRUE(host.has("dispatch effEditGetRect -> 1"));
  EXPECT_TRUE(host.has("  rect top=0 left=0 bottom=90 right=120"));
  EXPECT_TRUE(host.has("plugin[1]: editor opened"));
  EXPECT_TRUE(host.has("dispatch effEditOpen -> 1"));
  EXPECT_TRUE(host.has("dispatch effEditIdle -> 0"));
  EXPECT_THAT(host.lines("editor timer"), ElementsAre("  editor timer"));  // only while open
  // The grey background, and the gain bar filled to its default of 0.5.
  EXPECT_TRUE(host.has("  pixel 5 5 = argb 255 127 127 127"));
  EXPECT_TRUE(host.has("  pixel 50 15 = argb 255 0 200 0"));
  EXPECT_TRUE(host.has("  pixel 80 15 = argb 255 40 40 40"));
  EXPECT_TRUE(host.has("plugin[1]: editor closed"));
  EXPECT_TRUE(host.has("dispatch effEditClose -> 1"));
}

TEST_F(EditorSession, GesturesReachThePlugInAndTheHostHearsOnlyOfferedParameters) {
  const HostRun host =
      run("open\n"
          "edit-open\n"
          "edit-mouse down 62 18\n"
          "edit-mouse drag 87 20\n"
          "edit-mouse up 87 20\n"
          "edit-mouse down 37 43\n"
          "edit-mouse up 37 43\n"
          "param-get 0\n"
          "close\n");
  // The press at the middle leaves the gain at 0.5: the host hears it, the plug-in does not.
  EXPECT_THAT(host.lines("plugin[1]: param 0 = 0.75"), ::testing::SizeIs(1));
  EXPECT_THAT(host.lines("audioMasterBeginEdit"),
              ElementsAre("host[1] <- audioMasterBeginEdit index=0 value=0x0 opt=0"));
  EXPECT_THAT(host.lines("audioMasterEndEdit"),
              ElementsAre("host[1] <- audioMasterEndEdit index=0 value=0x0 opt=0"));
  EXPECT_THAT(host.lines("audioMasterAutomate"),
              ElementsAre("host[1] <- audioMasterAutomate index=0 value=0x0 opt=0.5",
                          "host[1] <- audioMasterAutomate index=0 value=0x0 opt=0.75"));
  // "Hidden A" (0..127) moves without the host hearing of it.
  EXPECT_TRUE(host.has("plugin[1]: param 2 = 32"));
  EXPECT_THAT(host.lines("index=2"), IsEmpty());
  EXPECT_TRUE(host.has("getParameter 0 -> 0.750000"));
}

TEST_F(EditorSession, TheScreenShowsTheEditedValuesAsAPNG) {
  const std::string png = mDir.file("editor.png");
  const HostRun host =
      run("open\n"
          "param-set 0 0.2\n"
          "edit-open\n"
          "edit-mouse down 87 43\n"
          "edit-mouse up 87 43\n"
          "idle\n"
          "edit-screen " +
          png +
          "\n"
          "close\n");
  EXPECT_TRUE(host.has("  screen 120x90 written"));
  std::unique_ptr<GFX_IBitmap> screen(GFX_LoadPNG(png.c_str(), nullptr));
  ASSERT_NE(screen, nullptr);
  auto filledUpTo = [&](int y) {
    int x = 10;
    while (x < 110 && GFX_GetPixel(screen.get(), x, y) == GFX_Pixel(255, 0, 200, 0)) ++x;
    return x;
  };
  EXPECT_EQ(filledUpTo(17), 30);  // 0.2 of the upper bar
  EXPECT_EQ(filledUpTo(42), 85);  // 0.75 of the lower bar
  EXPECT_EQ(GFX_GetPixel(screen.get(), 115, 30), GFX_Pixel(255, 127, 127, 127));
  EXPECT_EQ(GFX_GetPixel(screen.get(), 100, 42), GFX_Pixel(255, 40, 40, 40));
}

// Steps given live: the host answers the editor's menus as told (a pick the menu lacks fails the
// step and ends the session), acts on the instance chosen among those kept open, and while audio
// is on processes every open instance at the sample rate between the steps.
TEST_F(EditorSession, LiveStepsPickMenuItemsChooseInstancesAndRunAudio) {
  const HostRun host =
      runHostLive(mDir.path(), {"open", "edit-open", "open-another", "edit-open", "use 1",
                                "edit-menu High", "edit-mouse down 22 73 right", "use 2",
                                "edit-menu Low", "edit-mouse down 22 73 right", "rate 48000",
                                "audio on 480", "pause 300", "audio off", "pause 100",
                                "edit-menu Loud", "edit-mouse down 22 73 right", "idle"});
  EXPECT_EQ(host.exitCode, 1) << host.output;
  EXPECT_THAT(host.lines("plugin[1]: param 1"),
              ElementsAre("plugin[1]: param 1 = 0", "plugin[1]: param 1 = 2"));
  EXPECT_THAT(host.lines("plugin[2]: param 1"),
              ElementsAre("plugin[2]: param 1 = 0", "plugin[2]: param 1 = 1"));
  EXPECT_THAT(host.lines("  menu: "),
              ElementsAre("  menu: chose High", "  menu: chose Low",
                          "  menu: no item \"Loud\"; there are: Off | Low | High"));
  EXPECT_EQ(host.lines("done ").size(), 14u);
  EXPECT_TRUE(host.has("error: line 15 failed"));
  EXPECT_FALSE(host.has("> idle"));
  // Blocks of 10 ms while audio is on, each block for every instance in turn (how many the
  // 300 ms hold depends on the machine's load), and none printed by the host.
  const size_t first = host.lines("plugin[1]: block 480").size();
  const size_t second = host.lines("plugin[2]: block 480").size();
  EXPECT_GT(first, 0u);
  EXPECT_LE(std::max(first, second) - std::min(first, second), 1u) << first << " " << second;
  EXPECT_THAT(host.lines("audioMasterWantMidi"), IsEmpty());
}

// A pick made with its click waits for that click's menu; a click that opens none fails the step,
// and its pick is not left for a later menu.
TEST_F(EditorSession, APickWithItsClickTakesThatClicksMenuOrFails) {
  const HostRun host =
      runHostLive(mDir.path(), {"open", "edit-open", "edit-choose 22 73 right High",
                                "edit-choose 22 73 Low", "edit-mouse down 22 73 right"});
  EXPECT_EQ(host.exitCode, 1) << host.output;
  EXPECT_THAT(host.lines("plugin[1]: param 1"),
              ElementsAre("plugin[1]: param 1 = 0", "plugin[1]: param 1 = 2"));
  EXPECT_THAT(host.lines("  menu: "), ElementsAre("  menu: chose High"));
  EXPECT_TRUE(host.has("  no menu opened at 22 73"));
  EXPECT_TRUE(host.has("error: line 4 failed"));
}

// A pick names its item by the path through the sub-menus; a path that ends on a sub-menu's title
// or goes on below an item without one fails the step and says what it found there.
TEST_F(EditorSession, APickFollowsSubMenusAndFailsShortOfAnItem) {
  struct Case {
    const char* path;
    int exitCode;
    const char* menuLine;
  };
  const Case cases[] = {
      {"On > High", 0, "  menu: chose On > High"},
      {"On", 1, "  menu: \"On\" opens a sub-menu, which holds: Low | High"},
      {"Off > Low", 1, "  menu: \"Off\" has no sub-menu"},
      {"On > Loud", 1, "  menu: no item \"Loud\"; there are: Low | High"},
  };
  for (const Case& c : cases) {
    const HostRun host =
        runHost(mDir.path(), std::string("open\nedit-open\nedit-choose 80 70 ") + c.path + "\n");
    EXPECT_EQ(host.exitCode, c.exitCode) << host.output;
    EXPECT_THAT(host.lines("  menu: "), ElementsAre(c.menuLine)) << c.path;
    EXPECT_EQ(host.has("plugin[1]: param 1 = 2"), c.exitCode == 0) << c.path;
  }
}

}  // namespace
