#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 190;
constexpr auto kStartWait = std::chrono::seconds(10);

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool Answers(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  if (!connection) return false;
  XCloseDisplay(connection);
  return true;
}

}  // namespace

XvfbServer::XvfbServer() {
  for (int n = kFirstDisplay; n <= kLastDisplay && mDisplay.empty(); ++n) {
    const std::string number = std::to_string(n);
    if (Exists("/tmp/.X" + number + "-lock") || Exists("/tmp/.X11-unix/X" + number)) continue;
    const std::string name = ":" + number;
    mPid = fork();
    if (mPid == 0) {
      execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
             (char*)nullptr);
      _exit(127);
    }
    if (mPid < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(mPid, nullptr, WNOHANG) == mPid) {  // lost the display to another: next one
        mPid = -1;
        break;
      }
      if (Answers(name)) {
        mDisplay = name;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
}

XvfbServer::~XvfbServer() {
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  waitpid(mPid, nullptr, 0);
}
