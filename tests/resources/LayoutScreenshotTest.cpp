// Pictures of the four sound pages as the real builders make them, for parts 1 and 10 in both
// styles at scale 1.0, written into the build folder for review. Layers are shown as the tab
// switching shows them for the parameters' values.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tests/resources/BuiltLayout.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

using layout_check::BuiltLayout;

const char* const kPages[4] = {"oscillators", "filtersEnvelopes", "lfoModMatrix", "effectsArp"};

double valueOf(BuiltLayout& editor, const char* id, int part) {
  return editor.GetParam(editor.config.getParamByName(id) + part)->Value();
}

void show(ControlLayer* layer) {
  if (layer) layer->Hide(false);
}

// The members a page's part panel shows for the part's values: a zone or variant per decade.
std::set<int> membersOf(BuiltLayout& e, int tab, int part) {
  auto v = [&](const char* id) { return static_cast<int>(valueOf(e, id, part)); };
  switch (tab) {
    case 2:
      return {10,
              20,
              30,
              40,
              50,
              60,
              70,
              80,
              90 + v("kOsc1UseSampleMemory"),
              100 + v("kOsc2UseSampleMemory")};
    case 3:
      return {10 + v("kFilterEnvMode"), 20 + v("kAmpEnvMode"), 30 + v("kEnvelope3Mode"),
              40 + v("kEnvelope4Mode")};
    case 4:
      return {10, 20, 30};
    default:
      return {10 + v("kEffect1Mode")};
  }
}

void showPage(BuiltLayout& e, int tab, int part) {
  ControlLayer* root = e.config.getLayer("root");
  root->selectedChildId = tab;
  root->Hide(false);
  ControlLayer* page = e.config.getLayer(kPages[tab - 2]);
  page->selectedChildId = part;
  page->Hide(false);
  const ControlLayer* panel = page->childLayers.Get(part);
  const std::set<int> members = membersOf(e, tab, part);
  for (int i = 0; i < panel->childLayers.GetSize(); ++i) {
    ControlLayer* member = panel->childLayers.Get(i);
    member->Hide(members.count(member->id) == 0);
  }
  show(e.config.getLayer("miniMixer"));
  char bank[32];
  std::snprintf(bank, sizeof bank, "bankAndProgram%02d", part + 1);
  show(e.config.getLayer(bank));
  if (tab == 5) show(e.config.getLayer("Bypass"));
}

// Pixels (of every other row and column) unlike the window's bottom-right corner, where the
// rail, the page and the mixer leave the empty window showing.
int drawnPixels(BuiltLayout& e) {
  GFX_SysBitmap* b = e.graphics->GetBackBuffer();
  const unsigned int empty = GFX_GetPixel(b, b->getWidth() - 1, b->getHeight() - 1);
  int drawn = 0;
  for (int y = 0; y < b->getHeight(); y += 2)
    for (int x = 0; x < b->getWidth(); x += 2) drawn += GFX_GetPixel(b, x, y) != empty;
  return drawn;
}

TEST(LayoutScreenshots, EverySoundPageDrawsAndDiffersFromTheOthers) {
  std::filesystem::create_directories(SCREENSHOT_DIR);
  for (int style : {0, 1}) {
    std::set<std::string> pages;
    for (int tab = 2; tab <= 5; ++tab) {
      for (int part : {0, 9}) {
        BuiltLayout editor(BUILT_BUNDLE, style, 1.0);
        showPage(editor, tab, part);
        editor.render();
        EXPECT_GT(drawnPixels(editor), 10000) << kPages[tab - 2] << " part " << part + 1;
        const std::string name = std::string(SCREENSHOT_DIR) + "/" + kPages[tab - 2] + "-part" +
                                 std::to_string(part + 1) + "-style" + std::to_string(style) +
                                 ".png";
        ASSERT_TRUE(editor.writePng(name)) << name;
        std::ifstream in(name, std::ios::binary);
        if (part == 0) pages.insert(std::string(std::istreambuf_iterator<char>(in), {}));
      }
    }
    EXPECT_EQ(pages.size(), 4u) << "style " << style;
  }
}

}  // namespace
