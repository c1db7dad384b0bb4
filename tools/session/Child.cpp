#include "tools/session/Child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace session {
namespace {

constexpr auto kStopLimit = std::chrono::seconds(5);
// A wait looks for an interruption this often.
constexpr int kSliceMs = 100;

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The starter's environment with `added` ("NAME=value") replacing entries of the same name.
std::vector<std::string> withAdded(const std::vector<std::string>& added) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    bool replaced = false;
    for (const std::string& add : added)
      replaced = replaced || add.compare(0, name.size(), name) == 0;
    if (!replaced) entries.push_back(text);
  }
  entries.insert(entries.end(), added.begin(), added.end());
  return entries;
}

}  // namespace

void interrupt() {
  gInterrupted = true;
}

bool interrupted() {
  return gInterrupted;
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  int toChild[2], fromChild[2];
  if (argv.empty() || pipe2(toChild, O_CLOEXEC) != 0) return;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return;
  }
  // Everything the child needs is made before the fork: only async-signal-safe calls after it.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> entries = withAdded(environment);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(&entry[0]);
  envp.push_back(nullptr);
  const pid_t parent = getpid();
  mPid = fork();
  if (mPid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    dup2(fromChild[1], 2);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  mIn = toChild[1];
  mOut = fromChild[0];
  if (mPid < 0) {
    close(mIn);
    close(mOut);
    mIn = mOut = -1;
  }
}

Child::~Child() {
  stop();
  if (mOut >= 0) close(mOut);
}

bool Child::writeLine(const std::string& line) {
  if (mIn < 0) return false;
  const std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(mIn, text.data() + written, text.size() - written);
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

void Child::closeInput() {
  if (mIn < 0) return;
  close(mIn);
  mIn = -1;
}

std::optional<std::string> Child::readLine(std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  for (;;) {
    const size_t newline = mBuffer.find('\n');
    if (newline != std::string::npos) {
      std::string line = mBuffer.substr(0, newline);
      mBuffer.erase(0, newline + 1);
      return line;
    }
    if (mOut < 0) return std::nullopt;
    pollfd ready{mOut, POLLIN, 0};
    const int waited = poll(&ready, 1, std::min(remainingMs(end), kSliceMs));
    if (interrupted() || waited < 0) return std::nullopt;
    if (waited == 0) {
      if (remainingMs(end) == 0) return std::nullopt;
      continue;
    }
    char chunk[4096];
    const ssize_t n = ::read(mOut, chunk, sizeof chunk);
    if (n <= 0) {
      close(mOut);
      mOut = -1;
      if (mBuffer.empty()) return std::nullopt;
      mBuffer += '\n';
      continue;
    }
    mBuffer.append(chunk, static_cast<size_t>(n));
  }
}

std::optional<int> Child::wait(std::chrono::milliseconds limit) {
  if (mPid <= 0 || mEnded) return mStatus;
  const auto end = Clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(mPid, &status, WNOHANG);
    if (done == mPid || done < 0) {
      mEnded = true;
      mStatus = done == mPid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return mStatus;
    }
    if (Clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int Child::stop() {
  if (mPid <= 0 || mEnded) return mStatus;
  closeInput();
  kill(mPid, SIGTERM);
  if (std::optional<int> status = wait(kStopLimit)) return *status;
  kill(mPid, SIGKILL);
  return wait(kStopLimit).value_or(-1);
}

}  // namespace session
