#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/editor/ProgressIndicator.h"
#include "tests/support/Patience.h"
#include "tests/toolkit/plugin/editor/EditorDoubles.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

using editor_test::Probe;

TEST(ProgressOverlay, ARequestFromATransferThreadShowsAtTheNextTickAndSwallowsClicks) {
  editor_test::RecordingPlug plug(0, numParams);
  auto* graphics = new editor_test::TestGraphics(&plug, 400, 300);
  plug.AttachGraphics(graphics);
  std::vector<std::string> clicks;
  graphics->AttachControl(new Probe(&plug, IRECT(0, 0, 400, 300), 1, "beneath", &clicks));
  ControlLayer* layer = new ControlLayer(0, "PROGRESS");
  IBitmap picture = graphics->LoadIBitmap(9100, "400x300");
  auto* overlay =
      new ProgressIndicator(layer, &plug, 0, 0, 400, 300, -1, &picture, IRECT(0, 0, 1500, 757));
  Probe* cancel[] = {new Probe(&plug, IRECT(0, 0, 40, 20), 2, "librarian", &clicks),
                     new Probe(&plug, IRECT(50, 0, 90, 20), 2, "other", &clicks)};
  for (Probe* button : cancel) layer->controls.Add(button);
  overlay->setCancelButtons(cancel[0], cancel[1]);
  graphics->AttachLayer(layer);
  auto tick = [&] {
    IRECT region;
    if (graphics->IsDirty(&region)) graphics->Draw(&region);
  };
  auto clickAt = [&](int x, int y) {
    clicks.clear();
    IMouseMod left(true);
    graphics->OnMouseDown(x, y, &left);
    return clicks.empty() ? "" : clicks.front();
  };

  std::thread transfer([&] { overlay->request(true); });
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  while (!layer->IsVisible() && std::chrono::steady_clock::now() < end) {
    tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  transfer.join();
  tick();
  // Drawn at the value 0, over everything; only the cancel button of the page takes clicks.
  EXPECT_EQ(GFX_GetPixel(graphics->GetBackBuffer(), 200, 150), GFX_Pixel(255, 200, 150, 0));
  EXPECT_EQ(clickAt(200, 200) + clickAt(20, 10) + clickAt(70, 10), "other down");

  std::thread([&] { overlay->request(false); }).join();
  EXPECT_FALSE(overlay->requested());  // at once; the editor follows at its next tick
  EXPECT_EQ(clickAt(200, 200), "");
  tick();
  EXPECT_EQ(clickAt(200, 200), "beneath down");
}

}  // namespace
