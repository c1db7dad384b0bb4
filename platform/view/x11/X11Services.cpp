#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/view/Backend.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/detail/X11Dialog.h"

extern char** environ;

namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (size_t start = 0; start <= dirs.size();) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Runs a dialog program to its end, keeping our windows drawn meanwhile, and
// returns the first line it printed when it ended well.
std::string RunDialogProgram(X11Display* display, const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string printed;
  int status = -1;
  if (spawned == 0) {
    bool ended = false;
    auto finished = [&] {
      if (!ended && waitpid(child, &status, WNOHANG) == child) ended = true;
      return ended;
    };
    if (display)
      display->runModal(finished, nullptr);
    else
      waitpid(child, &status, 0);
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) printed.append(buffer, (size_t)n);
  }
  close(out[0]);
  if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  return printed.substr(0, printed.find('\n'));
}

std::string StartPath(const VIEW_FilePanel& panel) {
  std::string folder = panel.folder;
  const char* home = std::getenv("HOME");
  if (home && (folder == "~" || folder.rfind("~/", 0) == 0)) folder = home + folder.substr(1);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + panel.fileName;
}

std::string Patterns(const VIEW_FilePanel& panel) {
  std::string patterns;
  for (const std::string& extension : panel.extensions)
    patterns += (patterns.empty() ? "*." : " *.") + extension;
  return patterns;
}

}  // namespace

std::string VIEW_RunFilePanel(const VIEW_FilePanel& panel) {
  X11Display* display = X11Display::acquire();
  std::string chosen;
  const std::string patterns = Patterns(panel);
  if (OnPath("zenity")) {
    std::vector<std::string> args = {"zenity", "--file-selection",
                                     "--filename=" + StartPath(panel)};
    if (panel.save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
    if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
    chosen = RunDialogProgram(display, args);
  } else if (OnPath("kdialog")) {
    chosen = RunDialogProgram(display,
                              {"kdialog", panel.save ? "--getsavefilename" : "--getopenfilename",
                               StartPath(panel), patterns});
  } else if (display) {
    chosen = X11RunFilePanel(display, panel);
  }
  if (display) display->release();
  return chosen;
}

int VIEW_MessageBox(const char* text, const char* caption,
                    const std::vector<std::string>& buttons) {
  X11Display* display = X11Display::acquire();
  if (!display) return 0;
  const int pressed = X11RunMessageBox(display, caption ? caption : "", text ? text : "", buttons);
  display->release();
  return pressed;
}

// The desktop's opener runs on its own; the shell that starts it ends at once.
bool VIEW_OpenURL(const char* url) {
  if (!url) return false;
  const char* argv[] = {"sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", url, nullptr};
  pid_t child = -1;
  if (posix_spawnp(&child, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return false;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && OnPath("xdg-open");
}
