#include "HostRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

bool HostRun::has(const std::string& text) const {
  return output.find(text) != std::string::npos;
}

std::vector<std::string> HostRun::lines(const std::string& text) const {
  std::vector<std::string> found;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (line.find(text) != std::string::npos) found.push_back(line);
  return found;
}

std::string HostRun::line(const std::string& prefix) const {
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  return "";
}

namespace {

HostRun runCommand(const std::string& command) {
  HostRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

HostRun runHost(const std::string& folder, const std::string& script, const std::string& plugin) {
  const std::string scriptPath = folder + "/session.script";
  std::ofstream(scriptPath) << script;
  return runCommand(std::string("'") + KROMA_HOST + "' '" + plugin + "' '" + scriptPath + "' 2>&1");
}

HostRun runHostLive(const std::string& folder, const std::vector<std::string>& steps,
                    const std::string& plugin) {
  const std::string feeder = folder + "/feed.sh";
  std::ofstream feed(feeder);
  for (const std::string& step : steps) {
    if (step.compare(0, 6, "pause ") == 0)
      feed << "sleep " << std::stod(step.substr(6)) / 1000 << "\n";
    else
      feed << "echo '" << step << "'\n";
  }
  feed.close();
  return runCommand("sh '" + feeder + "' | '" + KROMA_HOST + "' '" + plugin + "' - 2>&1");
}

HostRun runDemo(const std::string& folder) {
  std::ifstream script(DEMO_SCRIPT);
  std::ostringstream text;
  text << script.rdbuf();
  return runHost(folder, text.str(), KROMA_PLUGIN);
}

std::string folderMade(const HostRun& run) {
  const std::string prefix = "  folder ";
  const std::string line = run.line(prefix);
  return line.empty() ? "" : line.substr(prefix.size());
}
