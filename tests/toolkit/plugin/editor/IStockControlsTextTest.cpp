#include <cstring>
#include <thread>

#include "ControlsTestSupport.h"

using namespace controls_test;
using ::testing::ElementsAre;

namespace {

class TextTest : public ControlsTest {
 protected:
  static const int kRowHeight = 20;

  // Whether the rows [top, top + kRowHeight) and [otherTop, ...) hold the same pixels, and
  // something besides the background.
  ::testing::AssertionResult SameInk(int top, int otherTop) {
    bool ink = false;
    for (int y = 0; y < kRowHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const unsigned int p = g->Pixel(x, top + y);
        if (p != g->Pixel(x, otherTop + y))
          return ::testing::AssertionFailure() << "differs at " << x << "," << top + y;
        ink = ink || p != GFX_Pixel(255, 0, 0, 0);
      }
    if (!ink) return ::testing::AssertionFailure() << "nothing drawn";
    return ::testing::AssertionSuccess();
  }
  IRECT Row(int top) const { return IRECT(0, top, kWidth, top + kRowHeight); }

  IColor white{255, 255, 255, 255};
  IText style{14, &white};
  IMouseMod left{true};
};

// A display text keeps its trailing blank but has no label; the caption follows the parameter,
// not the control's value.
TEST_F(TextTest, CaptionShowsTheDisplayValueAndTheLabel) {
  Attach(new ICaptionControl(&plug, Row(0), kInt, &style, true));
  Attach(new ITextControl(&plug, Row(20), &style, "64 Hz"));
  Attach(new ICaptionControl(&plug, Row(40), kInt, &style, false));
  Attach(new ITextControl(&plug, Row(60), &style, "64"));
  style.mAlign = IText::kAlignFar;  // a trailing blank moves right-aligned text
  auto* caption = Attach(new ICaptionControl(&plug, Row(80), kEnum, &style, true));
  Attach(new ITextControl(&plug, Row(100), &style, "Sine "));
  Attach(new ITextControl(&plug, Row(120), &style, "Square "));
  g->Render();
  EXPECT_TRUE(SameInk(0, 20));
  EXPECT_TRUE(SameInk(40, 60));
  EXPECT_TRUE(SameInk(80, 100));
  plug.GetParam(kEnum)->Set(2);
  caption->SetDirty(false);
  g->Render();
  EXPECT_TRUE(SameInk(80, 120));
}

// A text set from the plug-in shows at the next render; the same text again asks for no redraw.
TEST_F(TextTest, TextsSetFromThePlugInShowAtTheNextRenderOnlyWhenChanged) {
  auto* text = Attach(new ITextControl(&plug, Row(0), &style, "64"));
  Attach(new ITextControl(&plug, Row(20), &style, "128 Hz"));
  g->Render();
  EXPECT_FALSE(SameInk(0, 20));
  text->SetTextFromPlug("128 Hz");
  EXPECT_TRUE(text->IsDirty());
  EXPECT_TRUE(text->TextEquals("128 Hz"));
  g->Render();
  EXPECT_TRUE(SameInk(0, 20));
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("128 Hz");
  EXPECT_FALSE(text->IsDirty()) << "unchanged";
  text->SetTextFromPlug(nullptr);
  EXPECT_TRUE(text->IsDirty());
  EXPECT_TRUE(text->TextEquals(""));
  EXPECT_TRUE(text->TextEquals(nullptr));
  TK_String copy;
  text->GetTextForPlug(&copy);
  EXPECT_STREQ(copy.Get(), "");
}

// A replace takes only the text it names: whatever else shows stays, and asks for no redraw.
TEST_F(TextTest, TextsReplacedFromThePlugInOnlyWhileTheyShowTheTextNamed) {
  auto* text = Attach(new ITextControl(&plug, Row(0), &style, "64 Hz"));
  g->Render();
  EXPECT_FALSE(text->ReplaceTextFromPlug("128 Hz", ""));
  EXPECT_TRUE(text->TextEquals("64 Hz"));
  EXPECT_FALSE(text->IsDirty());
  EXPECT_TRUE(text->ReplaceTextFromPlug("64 Hz", ""));
  EXPECT_TRUE(text->TextEquals(""));
  EXPECT_TRUE(text->IsDirty());
  g->Render();
  EXPECT_FALSE(text->ReplaceTextFromPlug(nullptr, "")) << "the text already";
  EXPECT_FALSE(text->IsDirty());
  EXPECT_TRUE(text->ReplaceTextFromPlug(nullptr, "128 Hz"));
  EXPECT_TRUE(text->TextEquals("128 Hz"));
}

TEST_F(TextTest, CaptionPressesOpenThePromptUnlessGreyed) {
  auto* menu = Attach(new ICaptionControl(&plug, Row(0), kEnum, &style));
  auto* entry = Attach(new ICaptionControl(&plug, Row(40), kInt, &style));
  menu->DisablePrompt(false);
  entry->DisablePrompt(false);
  IMouseMod right(false, true), none(false);
  menu->OnMouseDown(5, 5, &left);
  menu->OnMouseDown(5, 5, &right);
  menu->OnMouseDblClick(5, 5, &left);
  menu->OnMouseDown(5, 5, &none);
  EXPECT_EQ(g->mMenus, 3);
  entry->OnMouseDown(5, 45, &left);
  EXPECT_THAT(g->mEntries, ElementsAre("64"));
  menu->GrayOut(true);
  menu->OnMouseDown(5, 5, &left);
  menu->OnMouseDblClick(5, 5, &left);
  EXPECT_EQ(g->mMenus, 3);
  EXPECT_TRUE(plug.mReports.empty());  // a prompt that is dismissed changes nothing
}

// ---- character strips ----

// A strip of glyph frames for the characters 32 to 127: frame c - 31 has red = c.
class GlyphStrip {
 public:
  static const int kW = 4, kH = 6, kCount = 96;
  GlyphStrip() : mPixels(kW, kH * kCount) {
    for (int i = 0; i < kCount; ++i)
      GFX_FillRect(&mPixels, 0, i * kH, kW, kH, GFX_Pixel(255, 32 + i, kFrameGreen, 0), 1.f, 0);
    mBitmap = IBitmap(&mPixels, kW, kH * kCount, kCount);
  }
  IBitmap* Get() { return &mBitmap; }

 private:
  GFX_MemBitmap mPixels;
  IBitmap mBitmap;
};

// The characters drawn along row y from x, one glyph apart, until nothing is drawn.
std::string ReadGlyphs(TestGraphics* g, int x, int y) {
  std::string text;
  for (; g->FrameAt(x, y); x += GlyphStrip::kW) text += (char)g->FrameAt(x, y);
  return text;
}

TEST_F(TextTest, BitmapTextDrawsEachCharacterFromItsFrameVerticallyCentred) {
  GlyphStrip strip;
  IText near;
  near.mAlign = IText::kAlignNear;
  auto* text = Attach(new IBitmapTextControl(&plug, IRECT(10, 10, 50, 30), strip.Get(), "Ab1",
                                             &near, GlyphStrip::kW, GlyphStrip::kH));
  g->Render();
  // Left margin of one glyph; top 10 + (30 - 16) / 2 = 17.
  EXPECT_EQ(ReadGlyphs(g, 14, 17), "Ab1");
  EXPECT_EQ(g->FrameAt(14, 16), 0);
  // Eight glyphs fit in 40 - 2 x 4 pixels; the rest of one line is cut.
  text->SetClean();
  text->SetTextFromPlug("01234567890");
  g->Render();
  EXPECT_EQ(ReadGlyphs(g, 14, 17), "01234567");
  text->SetClean();
  text->SetTextFromPlug("01234567890");  // an equal text leaves the control clean
  EXPECT_FALSE(text->IsDirty());

  // Centred: five glyphs of 4 in 40 start at (40 - 20) / 2; unknown characters are blank.
  IText centred;
  Attach(new IBitmapTextControl(&plug, IRECT(0, 40, 40, 46), strip.Get(), "x\ty\xe9z", &centred,
                                GlyphStrip::kW, GlyphStrip::kH));
  g->Render();
  EXPECT_EQ(ReadGlyphs(g, 10, 43), "x y z");
  // The strip's first and last glyphs, and the character just past it.
  Attach(new IBitmapTextControl(&plug, IRECT(0, 50, 40, 56), strip.Get(), " ~\x7f\x80!", &near,
                                GlyphStrip::kW, GlyphStrip::kH));
  g->Render();
  EXPECT_EQ(ReadGlyphs(g, 4, 53), " ~\x7f !");
}

TEST_F(TextTest, BitmapedTextContinuesBelowOnSeveralLines) {
  GlyphStrip strip;
  IText near;
  near.mAlign = IText::kAlignNear;
  IRECT rect(0, 0, 20, 40);  // three glyphs per line
  g->Render();
  DrawBitmapedText(g, strip.Get(), &rect, &near, nullptr, "abcdefg", false, true, GlyphStrip::kW,
                   GlyphStrip::kH);
  EXPECT_EQ(ReadGlyphs(g, 4, 0), "abc");
  EXPECT_EQ(ReadGlyphs(g, 4, 6), "def");
  EXPECT_EQ(ReadGlyphs(g, 4, 12), "g");
  IRECT narrow(40, 0, 52, 40);  // one glyph per line
  DrawBitmapedText(g, strip.Get(), &narrow, &near, nullptr, "xy", false, true, GlyphStrip::kW,
                   GlyphStrip::kH);
  EXPECT_EQ(ReadGlyphs(g, 44, 0), "x");
  EXPECT_EQ(ReadGlyphs(g, 44, 6), "y");
  IRECT tooNarrow(60, 0, 71, 40);  // the margins leave no glyph: nothing is drawn
  DrawBitmapedText(g, strip.Get(), &tooNarrow, &near, nullptr, "xy", false, true, GlyphStrip::kW,
                   GlyphStrip::kH);
  for (int x = 60; x < 71; ++x) EXPECT_EQ(g->FrameAt(x, 0), 0) << x;
}

// Glyphs of a single pixel are glyphs too.
TEST_F(TextTest, BitmapedTextOfOnePixelGlyphs) {
  GFX_MemBitmap pixels(1, 96);
  for (int i = 0; i < 96; ++i)
    GFX_PutPixel(&pixels, 0, i, GFX_Pixel(255, 32 + i, kFrameGreen, 0), 1.f, 0);
  IBitmap strip(&pixels, 1, 96, 96);
  IText near;
  near.mAlign = IText::kAlignNear;
  IRECT rect(0, 20, 10, 21);
  g->Render();
  DrawBitmapedText(g, &strip, &rect, &near, nullptr, "Kroma", false, false, 1, 1);
  std::string text;
  for (int x = 1; g->FrameAt(x, 20); ++x) text += (char)g->FrameAt(x, 20);
  EXPECT_EQ(text, "Kroma");
}

TEST_F(TextTest, BitmapTextReplacedFromAnotherThreadIsDrawnWhole) {
  GlyphStrip strip;
  IText near;
  near.mAlign = IText::kAlignNear;
  auto* text = Attach(new IBitmapTextControl(&plug, IRECT(0, 0, 40, 6), strip.Get(), "abc", &near,
                                             GlyphStrip::kW, GlyphStrip::kH));
  std::thread writer([text] {
    for (int i = 0; i < 2000; ++i) text->SetTextFromPlug(i % 2 ? "abc" : "wxyz");
  });
  for (int i = 0; i < 200; ++i) {
    g->Render();
    const std::string shown = ReadGlyphs(g, 4, 0);
    ASSERT_TRUE(shown == "abc" || shown == "wxyz") << shown;
  }
  writer.join();
}

// ---- link and file buttons ----

TEST_F(TextTest, LinkOpensTheBackupOnlyWhenTheLinkFailsOrIsEmpty) {
  auto* link = Attach(new IURLControl(&plug, IRECT(0, 0, 10, 10), "http://a", "http://b", "T"));
  Attach(new IURLControl(&plug, IRECT(20, 0, 30, 10), "", "http://c"));
  Click(5, 5);
  g->mFailingURLs.insert("http://a");
  Click(5, 5);
  Click(25, 5);
  EXPECT_THAT(g->mURLs, ElementsAre("http://a", "http://a", "http://b", "http://c"));
  link->GrayOut(true);
  link->OnMouseDown(5, 5, &left);
  EXPECT_EQ(g->mURLs.size(), 4u);
}

TEST_F(TextTest, FileSelectorAsksForAFileAndTogglesItsValue) {
  FrameStrip picture(10, 10, 1);
  auto* selector = Attach(new IFileSelectorControl(&plug, IRECT(0, 0, 10, 10), kDouble,
                                                   picture.Get(), kFileSave, "/tmp/", "syx kro"));
  g->mFileAnswer = "/tmp/bank.syx";
  Click(5, 5);
  ASSERT_EQ(g->mFilePrompts.size(), 1u);
  EXPECT_EQ(g->mFilePrompts[0].action, kFileSave);
  EXPECT_EQ(std::make_pair(g->mFilePrompts[0].folder, g->mFilePrompts[0].extensions),
            std::make_pair(std::string("/tmp/"), std::string("syx kro")));
  TK_String file;
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/tmp/bank.syx");
  Click(5, 5);
  EXPECT_THAT(ReportedValues(), ElementsAre(1.0, 0.0));
  selector->SetClean();  // dirty once more after the drawing that followed the choice
  EXPECT_TRUE(selector->IsDirty());
  EXPECT_FALSE(selector->IsDirty());
  g->Render();
  EXPECT_EQ(g->FrameAt(5, 5), 1);
  selector->GrayOut(true);
  EXPECT_TRUE(selector->IsDirty()) << "graying out redraws it";
  selector->OnMouseDown(5, 5, &left);
  EXPECT_EQ(g->mFilePrompts.size(), 2u);
}

}  // namespace
