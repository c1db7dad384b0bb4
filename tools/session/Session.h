#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tools/session/EditorPlaces.h"
#include "tools/session/Processes.h"

namespace session {

// What a session runs: kroma-host, the plug-in module and where its resources and data lie.
struct Setup {
  std::string host;
  std::string plugin;
  std::string bundle;      // KROMA_BUNDLE_DIR; empty: the module's own folder
  std::string dataFolder;  // KROMA_DATA_DIR, where the session also reads the debug log
  bool window = false;     // the editor in a window on the X display, else in the host's frame
};

// A musician's session with the plug-in in kroma-host: the host runs it as a DAW does (audio
// running, the editor open), and the session clicks, turns and picks menu items in the editor,
// and waits for what the plug-in shows. Every wait is bounded; a step that fails leaves the
// reason in error().
class Session {
 public:
  explicit Session(Setup setup);
  ~Session();

  // Starts the host with a new instance and opens its editor; with `logged` the debug log is
  // switched on first, which the waits for status texts read.
  bool open(bool logged = true);
  // Another instance in the same host, with its own editor; use() switches between them (1 is
  // the first).
  bool openAnother();
  bool use(int instance);
  // Ends the host: it closes every instance. False when it did not end cleanly.
  bool close();

  bool click(const Place& place);
  // Mouse-wheel steps on a control; a negative amount turns it down.
  bool turn(const Place& place, int amount);
  // Opens the menu at `place` and picks the item at `path` (titles separated by " > ").
  bool choose(const Place& place, const std::string& path);
  bool showPage(int page);
  bool showPart(int part);

  // Runs `action`, then waits until the status line shows one of `endings` and the transfer
  // overlay is gone, each within `limit`. The ending shown, or "" (and error()) when none came.
  std::string await(const std::function<bool()>& action, const std::vector<std::string>& endings,
                    Seconds limit);
  // Picks the input and then the output port of JACK client `client` by name; the plug-in then
  // checks the connection. True when it found the synthesizer.
  bool choosePorts(const std::string& client);

  // Waits until the transfer overlay, which takes the editor's clicks while a transfer runs, is
  // gone; false when it stayed up for `limit`.
  bool overlayGone(Seconds limit);

  bool saveState(const std::string& file);
  // Loads a saved state; the plug-in restores it and pushes it to the synthesizer before the
  // host's call returns.
  bool loadState(const std::string& file);
  bool screenshot(const std::string& file);
  // The values of the stored parameters in a state saved by saveState.
  static std::vector<double> parameters(const std::string& stateFile);

  HostProcess& host() { return *mHost; }
  const std::string& error() const { return mError; }
  // The last status text the plug-in showed during the last wait.
  const std::string& lastStatus() const { return mLastStatus; }

 private:
  bool step(const std::string& line, Seconds limit = Seconds(60));
  // The status texts the debug log gained since the last call.
  std::vector<std::string> newStatuses();

  Setup mSetup;
  std::unique_ptr<HostProcess> mHost;
  std::string mError;
  std::string mIdlePixel;  // a pixel of the header, which only the transfer overlay changes
  size_t mLogRead = 0;
  std::string mLastStatus;
  int mInstance = 0;  // the host's instance in use, numbered from 1 as the host does
  int mInstances = 0;
  std::set<int> mOutputsOpen;  // instances whose port pick ran the connection check
};

}  // namespace session
