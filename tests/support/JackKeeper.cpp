// kroma-jack-keeper LIFE REPORT HOLD NAME JACKD-ARGUMENTS...
//
// Runs a JACK test server for the test that started it (JackServer.cpp), outside that test's
// process tree, and stops it with SIGINT once the test lets go of the pipe LIFE, which the system
// does however the test ends. jackd takes its row out of JACK's registry of servers only when it
// stops on a signal it catches; a server killed keeps its row, and the registry has eight. A test
// runner that ends a test at its time limit kills the test's whole process tree with SIGKILL, so
// the server must not be in it; and after a server that a signal ended all the same, the keeper
// starts one of its name, which frees the row, and stops it.
//
// LIFE, REPORT and HOLD are inherited descriptors: the read end of the test's pipe, the write end
// of the pipe on which the server's pid is reported (closed when the keeper ends: the server has
// stopped then), and the lock on the server's name, held until the server has stopped. The
// server's output goes where the keeper's does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// How long jackd may take to stop on SIGINT before SIGKILL, the last resort.
constexpr auto kStopLimit = std::chrono::seconds(20);

// Closes every descriptor but the standard ones and those kept, so that the server holds nothing
// of the test's (its output pipe would keep a test runner waiting).
void closeAllBut(const std::vector<int>& kept) {
  std::vector<int> open;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec))
    open.push_back(std::atoi(entry.path().filename().c_str()));
  for (int fd : open)
    if (fd > 2 && std::find(kept.begin(), kept.end(), fd) == kept.end()) close(fd);
}

// The process's wait status once it ended within `limit` (it is reaped then), or -1.
int endedWithin(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (int status = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
    if (waitpid(pid, &status, WNOHANG) != 0) return status;
    if (std::chrono::steady_clock::now() > end) return -1;
  }
}

pid_t start(char** args) {
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(args[0], args);
    _exit(127);
  }
  return pid;
}

// Stops the server with SIGINT, SIGKILL the last resort; its wait status.
int stop(pid_t server, const std::string& name) {
  kill(server, SIGINT);
  const int status = endedWithin(server, kStopLimit);
  if (status != -1) return status;
  std::fprintf(stderr, "kroma-jack-keeper: jackd %s did not stop on SIGINT; killed\n",
               name.c_str());
  kill(server, SIGKILL);
  return endedWithin(server, kStopLimit);
}

// Waits until the test lets go of its end of the pipe and stops the server then, or until the
// server ends first; the server's wait status.
int serve(int life, pid_t server, const std::string& name) {
  pollfd fd{life, POLLIN, 0};
  char byte;
  for (int status = 0;;) {
    if (poll(&fd, 1, 100) > 0 && read(life, &byte, 1) <= 0) return stop(server, name);
    if (waitpid(server, &status, WNOHANG) != 0) return status;
  }
}

// Whether a server of `name` answers a client within `limit`.
bool answers(const std::string& name, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);
  char lsp[] = "jack_lsp";
  char* args[] = {lsp, nullptr};
  while (std::chrono::steady_clock::now() < end) {
    const pid_t probe = start(args);
    const int status = probe > 0 ? endedWithin(probe, std::chrono::seconds(10)) : -1;
    if (status == -1 && probe > 0) {
      kill(probe, SIGKILL);
      waitpid(probe, nullptr, 0);
    }
    if (status == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Semaphores of clients that were killed outlive the server, and so does everything of a server
// that SIGKILL ended.
void removeLeftovers(const std::string& name) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
    if (entry.path().filename().string().find("_" + name + "_") != std::string::npos)
      std::filesystem::remove(entry.path(), ec);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s LIFE REPORT HOLD NAME JACKD-ARGUMENTS...\n", argv[0]);
    return 2;
  }
  const int life = std::atoi(argv[1]), report = std::atoi(argv[2]), hold = std::atoi(argv[3]);
  const std::string name = argv[4];
  // The test waits for this first process; the keeper goes on in a child that the system hands
  // to another parent, out of the test's tree.
  if (fork() != 0) return 0;
  setsid();
  closeAllBut({life, report, hold});
  fcntl(life, F_SETFD, FD_CLOEXEC);
  fcntl(report, F_SETFD, FD_CLOEXEC);
  const pid_t server = start(argv + 5);
  if (server < 0) return 1;
  dprintf(report, "%d\n", (int)server);
  // jackd stopping on SIGINT dies of SIGPIPE when two of its clients went away unseen (it writes
  // to their sockets while it stops), and keeps its row; only a server of its name that starts
  // frees it. One is started for that, and stopped.
  if (WIFSIGNALED(serve(life, server, name))) {
    const pid_t again = start(argv + 5);
    if (again > 0) {
      if (!answers(name, kStopLimit))
        std::fprintf(stderr, "kroma-jack-keeper: jackd %s did not start again\n", name.c_str());
      stop(again, name);
    }
  }
  removeLeftovers(name);
  return 0;
}
