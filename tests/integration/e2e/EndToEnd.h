#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/integration/midiports/JackServer.h"
#include "tests/src/core/PluginFixture.h"
#include "tests/support/Patience.h"
#include "tools/session/Session.h"
#include "tools/session/StateValues.h"

class IControl;
class IGraphics;

// Shows `page` in an in-process instance as a click on its tab does.
void showPage(Kroma* twin, int page);
// Every parameter a sound dump carries; with its views, also those of the effect panels' controls,
// which edit the effects' position bytes.
std::set<int> soundParameters(bool withViews = false);
// Every control of the editor: those attached straight and those in its layers, nested.
std::vector<IControl*> allControls(IGraphics* editor);

// The whole system as a musician meets it: the real plug-in module in kroma-host on a private
// JACK server, against the corvane-sim program. An in-process instance of the plug-in (the
// fixture's) stands beside it where a test needs a map of the editor.
class EndToEnd : public PluginFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()) << server.error(); }
  // A session on the test's data folder, its editor at the normal size and style.
  session::Setup setup();
  std::unique_ptr<session::SimulatorProcess> simulator(const std::string& client, int id);
  // Opens the plug-in, paces transfers at 50 ms and picks the ports of `client`.
  void connect(session::Session& s, const std::string& client = "corvane-sim");
  // Connects the session to the simulator, which is then stopped and started again (switched off
  // and on): the port menus still show its ports. The simulator running now.
  std::unique_ptr<session::SimulatorProcess> connectedThenRestarted(session::Session& s);
  // What the current instance holds now.
  session::StateValues state(session::Session& s);
  // Turns part 1's cutoff and waits until the synthesizer's sound holds the change.
  bool aCutoffTurnLands(session::Session& s, session::SimulatorProcess& sim);
  // Clicks a place and waits for one of the texts that end a transfer.
  std::string transfer(session::Session& s, const session::Place& place,
                       const std::string& menuPath = "");

  midi_test::JackServer server;
  kroma_test::TempDir sessionData;
  int mStates = 0;
};
