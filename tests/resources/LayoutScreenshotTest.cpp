// Pictures of the shipped editor, switched by the real tab switching, written into the build
// folder for review: every page for parts 1 and 10 in both styles at scale 1.0, every page at
// 0.85, and the panels the plug-in core shows over the pages. Part 10 holds other shapes, filter
// types, envelope modes, a clocked LFO and an effect, so that its panels show other members, and
// its setup on the Multi page is open.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/editor/ProgressIndicator.h"
#include "tests/resources/ShippedEditor.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace {

using layout_check::ShippedEditor;

const char* const kPages[6] = {"multi",        "librarian", "oscillators", "filtersEnvelopes",
                               "lfoModMatrix", "effectsArp"};

struct Area {
  int l, t, r, b;
};
// Scale 1.0: the pages right of the part rail and below the header; the part rail.
constexpr Area kPageArea{80, 96, 1500, 712};
constexpr Area kPartRail{8, 96, 72, 736};
constexpr int kWidth = 1500;

using Picture = std::vector<unsigned int>;

int differing(const Picture& a, const Picture& b, const Area& area) {
  int count = 0;
  for (int y = area.t; y < area.b; ++y)
    for (int x = area.l; x < area.r; ++x) count += a[y * kWidth + x] != b[y * kWidth + x];
  return count;
}

// Pixels unlike the window's bottom-right corner, of every other row and column.
int drawnPixels(const Picture& p, int width) {
  const unsigned int empty = p.back();
  int drawn = 0;
  for (size_t i = 0; i < p.size(); i += 2)
    if ((i / width) % 2 == 0) drawn += p[i] != empty;
  return drawn;
}

void giveOtherVariants(ShippedEditor& e, int part) {
  const std::pair<int, double> values[] = {
      {kOscillator1Shape, 1}, {kOsc2UseSampleMemory, 1}, {kOscillator3Shape, 2},
      {kFilter1Type, 9},      {kFilter2Type, 5},         {kFilterEnvMode, 1},
      {kAmpEnvMode, 4},       {kEnvelope3Mode, 2},       {kLFO2Clock, 1},
      {kEffect1Mode, 3},      {kModulation01Source, 5},  {kModulation01Destination, 25},
      {kArpMode, 1},          {kOscillator1Octave, 6},   {kFilter1Cutoff, 40},
      {kMultiPartSettings, 1}};
  for (const auto& v : values) e.set(v.first + part, v.second);
}

std::string fileName(const char* what, int part, int style, double scale) {
  std::filesystem::create_directories(SCREENSHOT_DIR);
  std::string name = std::string(SCREENSHOT_DIR) + "/" + what;
  if (part >= 0) name += "-part" + std::to_string(part + 1);
  name += "-style" + std::to_string(style);
  if (scale != 1.0) name += "-small";
  return name + ".png";
}

// A line in the central display, as the value display writes it while a knob turns.
void showValueLines(ShippedEditor& e) {
  if (e.displays.name) e.displays.name->SetTextFromPlug("[1] Filter 1 Cutoff");
  if (e.displays.value) e.displays.value->SetTextFromPlug("40 [40]");
  if (e.displays.cc) e.displays.cc->SetTextFromPlug("SysEx");
}

TEST(LayoutScreenshots, EveryPageDrawsDiffersFromTheOthersAndShowsThePartsVariants) {
  for (int style : {0, 1}) {
    SCOPED_TRACE("style " + std::to_string(style));
    ShippedEditor editor(BUILT_BUNDLE, style, 1.0);
    giveOtherVariants(editor, 9);
    showValueLines(editor);
    std::vector<Picture> firstPart(6);
    for (int tab = 0; tab < 6; ++tab) {
      for (int part : {0, 9}) {
        editor.showPage(tab, part);
        Picture picture = editor.picture();
        EXPECT_GT(drawnPixels(picture, kWidth), 50000) << kPages[tab] << " part " << part + 1;
        ASSERT_TRUE(editor.writePng(fileName(kPages[tab], part, style, 1.0)));
        if (part == 0) {
          firstPart[tab] = std::move(picture);
          continue;
        }
        EXPECT_GT(differing(firstPart[tab], picture, kPartRail), 500) << kPages[tab];
        // The sound pages show part 10's own members and values.
        if (tab >= 2) {
          EXPECT_GT(differing(firstPart[tab], picture, kPageArea), 1000) << kPages[tab];
        }
      }
    }
    for (int a = 0; a < 6; ++a)
      for (int b = a + 1; b < 6; ++b)
        EXPECT_GT(differing(firstPart[a], firstPart[b], kPageArea), 100000)
            << kPages[a] << " and " << kPages[b];
  }
}

TEST(LayoutScreenshots, EveryPageDrawsAtTheSmallSize) {
  for (int style : {0, 1}) {
    ShippedEditor editor(BUILT_BUNDLE, style, 0.85);
    showValueLines(editor);
    for (int tab = 0; tab < 6; ++tab) {
      editor.showPage(tab, 0);
      const Picture picture = editor.picture();
      EXPECT_GT(drawnPixels(picture, static_cast<int>(kWidth * 0.85)), 35000) << kPages[tab];
      ASSERT_TRUE(editor.writePng(fileName(kPages[tab], 0, style, 0.85)));
    }
  }
}

// The panels the plug-in core shows over a page, and the transfer's overlay: each changes the
// picture where it lies.
TEST(LayoutScreenshots, PanelsAndTheOverlayDrawOverThePage) {
  const struct {
    const char* layer;
    int tab;
    Area area;
  } panels[] = {{"aboutWindow", 2, {450, 188, 1050, 568}},
                {"firstRunNotification", 0, {450, 208, 1050, 548}},
                {"midiFilterSettings", 0, {430, 170, 1070, 590}},
                {"bankPatchConflictWindow", 3, {490, 268, 1010, 488}},
                {"patchRename", 1, {540, 300, 960, 450}}};
  for (int style : {0, 1}) {
    ShippedEditor editor(BUILT_BUNDLE, style, 1.0);
    for (const auto& panel : panels) {
      editor.showPage(panel.tab, 0);
      const Picture page = editor.picture();
      ControlLayer* layer = editor.config.getLayer(panel.layer);
      ASSERT_NE(layer, nullptr) << panel.layer;
      layer->Hide(false);
      const Picture shown = editor.picture();
      ASSERT_TRUE(editor.writePng(fileName(panel.layer, -1, style, 1.0)));
      const int area = (panel.area.r - panel.area.l) * (panel.area.b - panel.area.t);
      EXPECT_GT(differing(page, shown, panel.area), area / 4) << panel.layer;
      layer->Hide(true);
    }
    for (int tab : {1, 2}) {
      editor.showPage(tab, 0);
      editor.layers.progress->request(true);
      editor.layers.progress->applyRequest();
      EXPECT_GT(drawnPixels(editor.picture(), kWidth), 50000);
      ASSERT_TRUE(
          editor.writePng(fileName(tab == 1 ? "overlay-librarian" : "overlay", -1, style, 1.0)));
      editor.layers.progress->request(false);
      editor.layers.progress->applyRequest();
    }
  }
}

}  // namespace
