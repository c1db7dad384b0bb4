#pragma once

#include <string>
#include <vector>

// Runs kroma-host on the test plug-in with a script and keeps what it printed.
struct HostRun {
  std::string output;
  int exitCode = -1;

  // True when some printed line contains text.
  bool has(const std::string& text) const;
  // The printed lines that contain text, in order.
  std::vector<std::string> lines(const std::string& text) const;
  // The first printed line that starts with prefix, or "".
  std::string line(const std::string& prefix) const;
};

// Writes the script into folder and runs the host on the test plug-in (on
// the headless view unless another module is named).
HostRun runHost(const std::string& folder, const std::string& script,
                const std::string& plugin = TEST_PLUGIN);
// Gives the host its steps one by one on standard input, as a user does; a line "pause MS"
// holds the next step back that long.
HostRun runHostLive(const std::string& folder, const std::vector<std::string>& steps,
                    const std::string& plugin = TEST_PLUGIN);
// Runs tools/kroma-host/demo.script on the product module; the folder is the one runHost writes
// its script into.
HostRun runDemo(const std::string& folder);
// The folder a script's "folder" step made, from what the host printed; "" for none.
std::string folderMade(const HostRun& run);
