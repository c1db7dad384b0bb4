#include "tests/integration/e2e/EndToEnd.h"

#include <fstream>

#include "src/protocol/SoundDump.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

using namespace session;

void showPage(Kroma* twin, int page) {
  const Place tab = place::tab(page);
  IMouseMod left(true);
  twin->graphics()->OnMouseDown(tab.x, tab.y, &left);
  twin->graphics()->OnMouseUp(tab.x, tab.y, &left);
}

std::set<int> soundParameters(bool withViews) {
  std::set<int> params;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules()) {
    for (int p : row.params)
      if (p >= 0) params.insert(p);
    for (int p : row.views)
      if (withViews && p >= 0) params.insert(p);
  }
  return params;
}

namespace {

void collect(const ControlLayer* layer, std::vector<IControl*>& all) {
  for (int i = 0; i < layer->controls.GetSize(); ++i) all.push_back(layer->controls.Get(i));
  for (int i = 0; i < layer->childLayers.GetSize(); ++i) collect(layer->childLayers.Get(i), all);
}

}  // namespace

std::vector<IControl*> allControls(IGraphics* editor) {
  std::vector<IControl*> all;
  for (int i = 0; i < editor->NControls(); ++i) all.push_back(editor->GetControl(i));
  for (int i = 0; i < editor->NLayers(); ++i) collect(editor->GetLayer(i), all);
  return all;
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

std::unique_ptr<SimulatorProcess> EndToEnd::connectedThenRestarted(Session& s) {
  auto sim = simulator("corvane-sim", 5);
  connect(s);
  sim->stop();
  return simulator("corvane-sim", 5);
}

StateValues EndToEnd::state(Session& s) {
  const std::string file = sessionData.file("state" + std::to_string(++mStates));
  EXPECT_TRUE(s.saveState(file)) << s.error();
  return StateValues(Session::parameters(file));
}

bool EndToEnd::aCutoffTurnLands(Session& s, SimulatorProcess& sim) {
  const Bytes was = sim.record("sound 0");
  return s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -10) &&
         within(kroma_test::kWaitCap, [&] { return sim.record("sound 0") != was; });
}

std::string EndToEnd::transfer(Session& s, const Place& place, const std::string& menuPath) {
  const std::string shown = s.await(
      [&] {
        return s.showPage(place.page) &&
               (menuPath.empty() ? s.click(place) : s.choose(place, menuPath));
      },
      {"Data request completed!", "Data request Completed!", "Data write completed!",
       "CONNECTION TIMED OUT!", "Data request CANCELLED!", "Data write FAILED!"},
      kroma_test::kWaitCap);
  EXPECT_NE(shown, "") << s.error();
  return shown;
}
