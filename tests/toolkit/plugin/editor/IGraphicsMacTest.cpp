#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <iterator>
#include <memory>

#include "EditorDoubles.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/view/headless/Script.h"
#include "tests/support/TempDir.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Png.h"

using namespace editor_test;
using ::testing::ElementsAre;

class ServicesTest : public ::testing::Test {
 protected:
  ServicesTest() : plug(2, 2) {
    VIEW_Script::instance().reset();
    graphics = new TestGraphics(&plug, 100, 80);
    plug.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_WHITE);
    a = new Probe(&plug, IRECT(0, 0, 50, 50), 0, "a", &log);
    b = new Probe(&plug, IRECT(50, 0, 100, 50), 1, "b", &log);
    graphics->AttachControl(a);
    graphics->AttachControl(b);
    view = OpenCocoaView(graphics);
  }

  RecordingPlug plug;
  TestGraphics* graphics;
  Probe* a;
  Probe* b;
  VIEW_HeadlessView* view;
  std::vector<std::string> log;
};

TEST_F(ServicesTest, MouseOverIsRoutedOnlyWhenAskedForAndReachesGreyedControlsThatWantIt) {
  IMouseMod mod(true);
  EXPECT_FALSE(graphics->OnMouseOver(10, 10, &mod));
  EXPECT_TRUE(log.empty());
  graphics->HandleMouseOver(true);
  b->GrayOut(true);
  EXPECT_TRUE(graphics->OnMouseOver(10, 10, &mod));
  graphics->OnMouseOver(60, 10, &mod);  // greyed, not wanting it: the background gets it
  b->SetMOWhenGrayed(true);
  graphics->OnMouseOver(60, 10, &mod);
  graphics->OnMouseOut();
  EXPECT_THAT(log, ElementsAre("a over", "a out", "b over", "a out", "b out"));
}

// The pointer leaving the editor reaches every control, the first one attached too.
TEST(MouseOutTest, LeavingTheEditorReachesEveryControl) {
  RecordingPlug plug(2, 2);
  std::vector<std::string> log;
  TestGraphics* graphics = new TestGraphics(&plug, 100, 80);
  plug.AttachGraphics(graphics);
  for (const char* name : {"a", "b"}) {  // each attached control is found at the place returned
    Probe* probe = new Probe(&plug, IRECT(0, 0, 50, 50), 0, name, &log);
    EXPECT_EQ(graphics->GetControl(graphics->AttachControl(probe)), probe);
  }
  graphics->OnMouseOut();
  EXPECT_THAT(log, ElementsAre("a out", "b out"));
}

// The idle call reaches every control once.
TEST(IdleTest, EveryControlIsCalledWhenTheEditorIdles) {
  RecordingPlug plug(2, 2);
  TestGraphics* graphics = new TestGraphics(&plug, 100, 80);
  plug.AttachGraphics(graphics);
  struct Idler : public Probe {
    using Probe::Probe;
    void OnGUIIdle() override { ++idles; }
    int idles = 0;
  };
  std::vector<std::string> log;
  Idler* a = new Idler(&plug, IRECT(0, 0, 50, 50), 0, "a", &log);
  Idler* b = new Idler(&plug, IRECT(50, 0, 100, 50), 1, "b", &log);
  graphics->AttachControl(a);
  graphics->AttachControl(b);
  graphics->OnGUIIdle();
  EXPECT_EQ(std::make_pair(a->idles, b->idles), std::make_pair(1, 1));
}

// The view's pointer moves reach the control under them once mouse-over is asked for.
TEST_F(ServicesTest, ThePointerMovingOverTheViewReachesTheControls) {
  view->mouseMove(10, 10);
  EXPECT_TRUE(log.empty());
  graphics->HandleMouseOver(true);
  view->mouseMove(10, 10);
  view->mouseMove(60, 10);
  EXPECT_THAT(log, ElementsAre("a over", "b over", "a out"));
}

// A frame rate below one frame a second is the default one.
TEST(FrameRateTest, RatesBelowOneAreTheDefault) {
  RecordingPlug plug(1, 1);
  for (auto [asked, kept] : {std::pair{1, 1}, {60, 60}, {0, 25}, {-5, 25}})
    EXPECT_EQ(IGraphicsMac(&plug, 10, 10, asked).FPS(), kept) << asked;
}

// Without a folder a panel starts on the desktop where there is one, else at home.
TEST_F(ServicesTest, FilePanelsStartOnTheDesktopAndNeedAnOpenWindow) {
  kroma_test::TempDir home;
  kroma_test::ScopedEnv homeVariable("HOME", home.path().c_str());
  TK_String name("bank.syx");
  TK_String folder;
  graphics->PromptForFile(&name, kFileOpen, &folder, "syx");  // nothing queued: cancelled
  EXPECT_STREQ(folder.Get(), "~");
  ASSERT_EQ(mkdir(home.file("Desktop").c_str(), 0755), 0);
  folder.Set("");
  graphics->PromptForFile(&name, kFileOpen, &folder, "syx");
  EXPECT_STREQ(folder.Get(), "~/Desktop");
  EXPECT_STREQ(name.Get(), "");
  VIEW_Script::instance().answerPanel("/banks/mine.fxb");
  name.Set("bank.fxb");
  folder.Set("/start/");
  graphics->PromptForFile(&name, kFileSave, &folder, "fxb fxp");
  EXPECT_STREQ(name.Get(), "/banks/mine.fxb");
  EXPECT_STREQ(folder.Get(), "/banks/");
  const std::vector<VIEW_FilePanel> panels = VIEW_Script::instance().panelsShown();
  ASSERT_EQ(panels.size(), 3u);
  EXPECT_EQ(panels[0].fileName, "bank.syx");
  EXPECT_EQ(panels[0].folder, "~");
  EXPECT_EQ(panels[1].folder, "~/Desktop");
  EXPECT_FALSE(panels[0].save);
  EXPECT_TRUE(panels[2].save);
  EXPECT_THAT(panels[2].extensions, ElementsAre("fxb", "fxp"));

  graphics->CloseWindow();
  VIEW_Script::instance().answerPanel("/banks/other.syx");
  graphics->PromptForFile(&name, kFileOpen, &folder, "syx");
  EXPECT_STREQ(name.Get(), "");
  EXPECT_EQ(VIEW_Script::instance().panelsShown().size(), 3u);
}

// The answer depends on the position of the button pressed: yes is 1, not 6,
// and the cancel of an OK/cancel box is 7, not 2.
TEST_F(ServicesTest, MessageBoxesAnswerByThePositionOfTheButtonPressed) {
  const struct {
    int type;
    int pressed;
    int answer;
  } cases[] = {{4, 1, 1}, {4, 2, 7}, {3, 3, 2}, {1, 1, 1}, {1, 2, 7},
               {0, 1, 1}, {4, 0, 0}, {4, 3, 0}, {0, 2, 0}};
  for (const auto& c : cases) {
    VIEW_Script::instance().answerMessageBox(c.pressed);
    EXPECT_EQ(graphics->ShowMessageBox("Replace?", "Kroma", c.type), c.answer)
        << "type " << c.type << ", button " << c.pressed;
  }
  EXPECT_EQ(VIEW_Script::instance().messagesShown()[0], "Kroma: Replace?");
  const auto buttons = VIEW_Script::instance().messageButtonsShown();
  ASSERT_EQ(buttons.size(), std::size(cases));
  EXPECT_THAT(buttons[0], ElementsAre("Yes", "No"));
  EXPECT_THAT(buttons[2], ElementsAre("Yes", "No", "Cancel"));
  EXPECT_THAT(buttons[3], ElementsAre("OK", "Cancel"));
  EXPECT_THAT(buttons[5], ElementsAre("OK"));
  EXPECT_EQ(graphics->ShowMessageBox("Done", "Kroma", 4), 1);  // unanswered: the first button
}

// Bitmaps are PNG files of the bundle's image folder, found by the last component of their name
// whatever the case of the extension; other extensions give none. The configuration files come
// through LoadFile with the file's own size; a missing file reports none, not the size before.
TEST(BundleTest, OnlyPngNamesLoadAndFilesCountTheirOwnBytes) {
  kroma_test::TempDir bundle;
  kroma_test::ScopedEnv env("KROMA_BUNDLE_DIR", bundle.path().c_str());
  ASSERT_EQ(mkdir(bundle.file("resources").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(bundle.file("resources/img").c_str(), 0755), 0);
  GFX_MemBitmap pixels(3, 2);
  ASSERT_TRUE(GFX_WritePNG(bundle.file("resources/img/knob.png").c_str(), &pixels));
  ASSERT_TRUE(GFX_WritePNG(bundle.file("resources/img/knob.bmp").c_str(), &pixels));
  std::FILE* file = std::fopen(bundle.file("resources/layout.tea").c_str(), "wb");
  std::fputs("ABCDEFGHIJK", file);
  std::fclose(file);
  RecordingPlug plug(1, 1);
  IGraphicsMac graphics(&plug, 10, 10);
  // Without the bundle's identifier there is no bundle to look in.
  EXPECT_EQ(std::unique_ptr<GFX_IBitmap>(graphics.OSLoadBitmap(0, "knob.png")), nullptr);
  EXPECT_EQ(graphics.OSLoadFile(0, "knob.png"), nullptr);
  graphics.SetBundleID(kBundleID);
  std::unique_ptr<GFX_IBitmap> found(graphics.OSLoadBitmap(0, "resources/img/knob.PNG"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->getWidth(), 3);
  EXPECT_EQ(std::unique_ptr<GFX_IBitmap>(graphics.OSLoadBitmap(0, "knob.bmp")), nullptr);
  EXPECT_EQ(std::unique_ptr<GFX_IBitmap>(graphics.OSLoadBitmap(0, "knob")), nullptr);
  EXPECT_EQ(graphics.OSLoadBitmap(0, nullptr), nullptr);
  // The plug-in's own graphics come with the bundle's identifier.
  std::unique_ptr<IGraphicsMac> made(MakeGraphics(&plug, 12, 34, 30));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(std::vector<int>({made->Width(), made->Height(), made->FPS()}),
            std::vector<int>({12, 34, 30}));
  EXPECT_NE(std::unique_ptr<GFX_IBitmap>(made->OSLoadBitmap(0, "resources/img/knob.png")), nullptr);

  delete[] graphics.LoadFile(0, "resources/layout.tea");
  EXPECT_EQ(graphics.GetLoadedFileSize(), 11);
  EXPECT_EQ(graphics.LoadFile(0, "resources/missing.tea"), nullptr);
  EXPECT_EQ(graphics.GetLoadedFileSize(), 0);
}
