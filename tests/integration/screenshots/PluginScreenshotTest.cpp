// Pictures of the real plug-in's editor, made through its entry from data folders of the test's
// own and written into the build folder for review: every page for parts 1 and 10 in both styles
// (part 10 holds other shapes, filter types, envelope modes, a clocked LFO, an effect and an open
// setup), each style at each size, the panels the plug-in shows over the pages, the first-run
// notice and the transfer overlay. Pages are switched by the tab switching the parameter dispatch
// calls; clicks on the tabs are checked to reach the main tab's parameter.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/editor/TabSwitchFunctions.h"
#include "src/librarian/InitDumps.h"
#include "tests/src/core/PluginFixture.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

using Picture = std::vector<unsigned int>;

const char* const kPages[6] = {"multi",        "librarian", "oscillators", "filtersEnvelopes",
                               "lfoModMatrix", "effectsArp"};
// Scale 1.0: the pages right of the part rail and below the header; the part rail; all.
const IRECT kPageArea(80, 96, 1500, 712), kPartRail(8, 96, 72, 736), kAll(0, 0, 1500, 757);

int differing(const Picture& a, const Picture& b, const IRECT& area) {
  int count = 0;
  for (int y = area.T; y < area.B; ++y)
    for (int x = area.L; x < area.R; ++x) count += a[y * 1500 + x] != b[y * 1500 + x];
  return count;
}

// Pixels unlike the bottom-right corner, which every page leaves to the frame or the mixer band.
int drawn(const Picture& p) {
  return static_cast<int>(std::count_if(p.begin(), p.end(), [&](auto v) { return v != p.back(); }));
}

class PluginScreenshots : public PluginFixture {
 protected:
  PluginScreenshots() {
    std::filesystem::create_directories(SCREENSHOT_DIR);
    mkdir(data.file("Patches").c_str(), 0755);
    std::ofstream bank(data.file("Patches/Factory.syx"), std::ios::binary);
    for (int slot = 0; slot < 128; ++slot)
      bank.write(reinterpret_cast<const char*>(InitDumps::initPatchCorvane),
                 sizeof InitDumps::initPatchCorvane);
  }

  // Starts the plug-in with the UI settings file's three lines and an empty debug log.
  Kroma* start(int style, const std::string& size, bool notice = false) {
    writeData("Kroma Editor UI.txt", std::string(style ? "black" : "white") + "\n" + size + "\n" +
                                         (notice ? "no" : "yes") + "\n");
    writeData("Kroma Editor LOG.txt", "");
    return open();
  }

  // Applies what other threads asked of the editor, as its timer does, draws it whole and writes
  // the picture.
  static Picture draw(Kroma* plug, const std::string& name) {
    IGraphics* editor = plug->graphics();
    IRECT all(0, 0, editor->Width(), editor->Height()), dirty = all;
    editor->IsDirty(&dirty);
    editor->Draw(&all);
    GFX_SysBitmap* b = editor->GetBackBuffer();
    EXPECT_TRUE(GFX_WritePNG((std::string(SCREENSHOT_DIR) + "/" + name + ".png").c_str(), b));
    Picture pixels;
    for (int y = 0; y < b->getHeight(); ++y)
      for (int x = 0; x < b->getWidth(); ++x) pixels.push_back(GFX_GetPixel(b, x, y));
    return pixels;
  }

  static void set(Kroma* plug, int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->graphics()->SetParameterFromPlug(paramIdx, value, false);
  }

  // The page and part as the dispatch shows them for a change of the tab selectors.
  void showPage(Kroma* plug, int tab, int part) {
    set(plug, kQuickTab, part);
    set(plug, kMainTab, tab);
    tabs.mainTabSwitch(plug, kMainTab, tab, part);
  }

  // Log lines of pictures, parameters, layers or controls the layout lacks or the builders skip.
  std::vector<std::string> complaints() const {
    std::vector<std::string> lines;
    std::istringstream log(readData("Kroma Editor LOG.txt"));
    for (std::string line; std::getline(log, line);)
      for (const char* word : {"MISSING", "NOT FOUND", "skip"})
        if (line.find(word) != std::string::npos) lines.push_back(line);
    return lines;
  }

  TabSwitchFunctions tabs;
};

TEST_F(PluginScreenshots, EveryPageDrawsDiffersFromTheOthersAndShowsThePartsVariants) {
  const std::pair<int, double> part10[] = {
      {kOscillator1Shape, 1},   {kOsc2UseSampleMemory, 1}, {kOscillator3Shape, 2},
      {kFilter1Type, 9},        {kFilter2Type, 5},         {kFilterEnvMode, 1},
      {kAmpEnvMode, 4},         {kLFO2Clock, 1},           {kEffect1Mode, 3},
      {kModulation01Source, 5}, {kFilter1Cutoff, 40},      {kMultiPartSettings, 1}};
  for (int style : {0, 1}) {
    Kroma* plug = start(style, "normal");
    for (const auto& v : part10) set(plug, v.first + 9, v.second);
    std::vector<Picture> firstPart(6);
    for (int tab = 0; tab < 6; ++tab)
      for (int part : {0, 9}) {
        showPage(plug, tab, part);
        Picture picture = draw(plug, std::string(kPages[tab]) + "-part" + std::to_string(part + 1) +
                                         "-style" + std::to_string(style));
        EXPECT_GT(drawn(picture), 1500 * 757 / 2) << kPages[tab];
        if (part == 0) {
          firstPart[tab] = std::move(picture);
          continue;
        }
        EXPECT_GT(differing(firstPart[tab], picture, kPartRail), 500) << kPages[tab];
        if (tab < 2) continue;  // the Multi and the librarian page hold no part panels
        EXPECT_GT(differing(firstPart[tab], picture, kPageArea), 1000) << kPages[tab];
      }
    for (int a = 0; a < 6; ++a)
      for (int b = a + 1; b < 6; ++b)
        EXPECT_GT(differing(firstPart[a], firstPart[b], kPageArea), 100000) << a << " and " << b;
    EXPECT_EQ(complaints(), std::vector<std::string>());
    close(plug);
  }
}

// The sizes truncate 1500 x 757 by 0.85 and 1.15; the two styles differ; every page is drawn at the
// small size.
TEST_F(PluginScreenshots, EveryStyleAndSizeDrawsItsPagesWithNothingMissing) {
  const struct {
    const char* line;
    int width, height;
  } sizes[] = {{"small", 1275, 643}, {"normal", 1500, 757}, {"large", 1724, 870}};
  Picture normal[2];
  for (int style : {0, 1})
    for (const auto& size : sizes) {
      const std::string name = "style" + std::to_string(style) + "-" + size.line;
      Kroma* plug = start(style, size.line);
      ASSERT_EQ(plug->graphics()->Width(), size.width) << name;
      ASSERT_EQ(plug->graphics()->Height(), size.height) << name;
      for (int tab = 0; tab < (size.width == 1275 ? 6 : 1); ++tab) {
        showPage(plug, tab, 0);
        const Picture picture = draw(plug, std::string(kPages[tab]) + "-" + name);
        EXPECT_GT(drawn(picture), size.width * size.height / 2) << name;
        if (size.width == 1500) normal[style] = picture;
      }
      EXPECT_EQ(complaints(), std::vector<std::string>());
      close(plug);
    }
  EXPECT_GT(differing(normal[0], normal[1], kAll), 1500 * 757 / 10);
}

// The panels the plug-in shows over a page change the picture where they lie; the first-run
// notice shows at the first start; a click on a tab reaches the main tab's parameter through the
// hit testing; the overlay covers everything.
TEST_F(PluginScreenshots, PanelsNoticeTabClicksAndOverlay) {
  const std::pair<const char*, IRECT> panels[] = {
      {"aboutWindow", IRECT(450, 188, 1050, 568)},
      {"midiFilterSettings", IRECT(430, 170, 1070, 590)},
      {"bankPatchConflictWindow", IRECT(490, 268, 1010, 488)},
      {"patchRename", IRECT(540, 300, 960, 450)}};
  for (int style : {0, 1}) {
    const std::string suffix = "-style" + std::to_string(style);
    Kroma* plug = start(style, "normal", true);
    EXPECT_TRUE(plug->layerNamed("firstRunNotification")->IsVisible());
    const Picture notice = draw(plug, "firstRunNotification" + suffix);
    plug->layerNamed("firstRunNotification")->Hide(true);
    for (const auto& [name, area] : panels) {
      const Picture page = draw(plug, "page" + suffix);
      plug->layerNamed(name)->Hide(false);
      const Picture shown = draw(plug, name + suffix);
      EXPECT_GT(differing(page, shown, area), area.W() * area.H() / 4) << name;
      plug->layerNamed(name)->Hide(true);
    }
    IMouseMod left(true);
    for (int tab = 5; tab >= 0; --tab) {
      plug->graphics()->OnMouseDown(236 + 112 * tab, 36, &left);
      plug->graphics()->OnMouseUp(236 + 112 * tab, 36, &left);
      EXPECT_EQ(plug->GetParam(kMainTab)->Value(), tab);
    }
    plug->DisplayProcessingIndicator(true);
    EXPECT_GT(differing(notice, draw(plug, "overlay" + suffix), kAll), 1500 * 757 / 2);
    plug->DisplayProcessingIndicator(false);
    close(plug);
  }
}

}  // namespace
