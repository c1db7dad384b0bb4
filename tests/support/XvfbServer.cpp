#include "XvfbServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

constexpr int kStartWaitMs = 10000;

}  // namespace

// The server picks a free display itself and writes its number once it
// listens, so that tests running side by side never share one.
XvfbServer::XvfbServer(const std::string& screen) {
  int ready[2];
  if (pipe(ready) != 0) return;
  mPid = fork();
  if (mPid == 0) {
    // A test ended by a sanitizer takes its server along: a server left running would hold the
    // test's output open, and the test runner would wait for it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(ready[0]);
    const std::string fd = std::to_string(ready[1]);
    // No reset when the last client leaves: a server resetting between two tests refuses the
    // next test's connection.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", (char*)nullptr);
    _exit(127);
  }
  close(ready[1]);
  std::string number;
  pollfd fd{ready[0], POLLIN, 0};
  char c;
  while (mPid > 0 && poll(&fd, 1, kStartWaitMs) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
    number += c;
  close(ready[0]);
  if (!number.empty()) mDisplay = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  waitpid(mPid, nullptr, 0);
}
