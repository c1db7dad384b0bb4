#include "tests/integration/e2e/EndToEnd.h"

#include <fstream>

#include "toolkit/plugin/editor/IGraphics.h"

using namespace session;

void showPage(Kroma* twin, int page) {
  const Place tab = place::tab(page);
  IMouseMod left(true);
  twin->graphics()->OnMouseDown(tab.x, tab.y, &left);
  twin->graphics()->OnMouseUp(tab.x, tab.y, &left);
}

Setup EndToEnd::setup() {
  std::ofstream(sessionData.file("Kroma Editor UI.txt")) << "white\nnormal\nyes\n";
  return {KROMA_HOST, HEADLESS_PLUGIN, BUILT_BUNDLE, sessionData.path(), false};
}

std::unique_ptr<SimulatorProcess> EndToEnd::simulator(const std::string& client, int id) {
  auto sim = std::make_unique<SimulatorProcess>(CORVANE_SIM, client, id);
  EXPECT_EQ(sim->error(), "");
  return sim;
}

void EndToEnd::connect(Session& s, const std::string& client) {
  ASSERT_TRUE(s.open()) << s.error();
  ASSERT_TRUE(s.showPage(1) && s.choose(place::kTransferPause, "50 ms")) << s.error();
  ASSERT_TRUE(s.choosePorts(client)) << s.error();
}

StateValues EndToEnd::state(Session& s) {
  const std::string file = sessionData.file("state" + std::to_string(++mStates));
  EXPECT_TRUE(s.saveState(file)) << s.error();
  return StateValues(Session::parameters(file));
}

std::string EndToEnd::transfer(Session& s, const Place& place, const std::string& menuPath) {
  const std::string shown = s.await(
      [&] {
        return s.showPage(place.page) &&
               (menuPath.empty() ? s.click(place) : s.choose(place, menuPath));
      },
      {"Data request completed!", "Data request Completed!", "Data write completed!",
       "CONNECTION TIMED OUT!", "Data request CANCELLED!", "Data write FAILED!"},
      Seconds(90));
  EXPECT_NE(shown, "") << s.error();
  return shown;
}
