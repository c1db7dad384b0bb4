// The real plug-in's editor as its entry makes it, from data folders of the test's own: for each
// colour style and size the start page, the first-run notice and the transfer overlay, written as
// pictures into the build folder. Pages and parts switch through the parameter dispatch, which
// these pictures leave to the shipped editor's own screenshots until it lands.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/InitDumps.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

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
  Kroma* start(const std::string& style, const std::string& size, bool notice = false) {
    writeData("Kroma Editor UI.txt", style + "\n" + size + "\n" + (notice ? "no" : "yes") + "\n");
    writeData("Kroma Editor LOG.txt", "");
    return open();
  }

  // Applies what other threads asked of the editor, as its timer does, and draws it whole.
  static std::vector<unsigned int> draw(Kroma* plug) {
    IGraphics* editor = plug->graphics();
    IRECT dirty;
    editor->IsDirty(&dirty);
    IRECT all(0, 0, editor->Width(), editor->Height());
    editor->Draw(&all);
    GFX_SysBitmap* b = editor->GetBackBuffer();
    std::vector<unsigned int> pixels;
    for (int y = 0; y < b->getHeight(); ++y)
      for (int x = 0; x < b->getWidth(); ++x) pixels.push_back(GFX_GetPixel(b, x, y));
    return pixels;
  }

  static void write(Kroma* plug, const std::string& name) {
    const std::string path = std::string(SCREENSHOT_DIR) + "/" + name + ".png";
    ASSERT_TRUE(GFX_WritePNG(path.c_str(), plug->graphics()->GetBackBuffer())) << path;
  }

  // Log lines of pictures, parameters, layers or controls the layout lacks.
  std::vector<std::string> complaints() const {
    std::vector<std::string> lines;
    std::istringstream log(readData("Kroma Editor LOG.txt"));
    for (std::string line; std::getline(log, line);)
      if (line.find("MISSING") != std::string::npos ||
          line.find("NOT FOUND") != std::string::npos || line.find("skip") != std::string::npos)
        lines.push_back(line);
    return lines;
  }
};

int distinct(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b) {
  int count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
  return count;
}

// Pixels that differ from the bottom-right corner, which the quick mixer's band leaves to the
// frame on the start page.
int drawn(const std::vector<unsigned int>& p) {
  int count = 0;
  for (unsigned int pixel : p) count += pixel != p.back();
  return count;
}

TEST_F(PluginScreenshots, EveryStyleAndSizeStartsOnTheMultiPageWithNothingMissing) {
  const struct {
    const char* line;
    int width, height;
  } sizes[] = {{"small", 1275, 643}, {"normal", 1500, 757}, {"large", 1724, 870}};
  std::vector<unsigned int> normal[2];
  for (int style : {0, 1}) {
    for (const auto& size : sizes) {
      const std::string name = std::string("start-") + (style ? "black-" : "white-") + size.line;
      SCOPED_TRACE(name);
      Kroma* plug = start(style ? "black" : "white", size.line);
      ASSERT_EQ(plug->graphics()->Width(), size.width);
      ASSERT_EQ(plug->graphics()->Height(), size.height);
      const std::vector<unsigned int> picture = draw(plug);
      EXPECT_GT(drawn(picture), size.width * size.height / 2);
      write(plug, name);
      EXPECT_EQ(complaints(), std::vector<std::string>());
      if (size.width == 1500) normal[style] = picture;
      close(plug);
    }
  }
  EXPECT_GT(distinct(normal[0], normal[1]), 1500 * 757 / 10);
}

// A click on a tab of the top bar reaches the main tab's parameter through the graphics object's
// hit testing, the notice of the first start lies over the page, and the transfer overlay over
// everything.
TEST_F(PluginScreenshots, TabClicksNoticeAndOverlay) {
  for (int style : {0, 1}) {
    const std::string suffix = style ? "-black" : "-white";
    Kroma* plug = start(style ? "black" : "white", "normal", true);
    ASSERT_NE(plug->layerNamed("firstRunNotification"), nullptr);
    EXPECT_TRUE(plug->layerNamed("firstRunNotification")->IsVisible());
    const std::vector<unsigned int> notice = draw(plug);
    write(plug, "first-run" + suffix);

    IMouseMod left(true);
    const int tabWidth = 672 / 6;
    for (int tab = 5; tab >= 0; --tab) {
      const int x = 180 + tabWidth * tab + tabWidth / 2, y = 36;
      plug->graphics()->OnMouseDown(x, y, &left);
      plug->graphics()->OnMouseUp(x, y, &left);
      EXPECT_EQ(plug->GetParam(kMainTab)->Value(), tab);
    }

    plug->DisplayProcessingIndicator(true);
    const std::vector<unsigned int> overlay = draw(plug);
    write(plug, "overlay" + suffix);
    EXPECT_GT(distinct(notice, overlay), 1500 * 757 / 2);
    plug->DisplayProcessingIndicator(false);
    close(plug);
  }
}

}  // namespace
