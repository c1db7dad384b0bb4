#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "JackServer.h"
#include "tests/toolkit/plugin/midi/MidiTestSupport.h"

namespace {

using midi_test::JackServer;

bool answers(const std::string& name) {
  const std::string probe =
      "JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=" + name + " timeout 10 jack_lsp >/dev/null 2>&1";
  return std::system(probe.c_str()) == 0;
}

// The first pooled name that no run holds, held now.
std::pair<int, int> holdFreeName(int after = -1) {
  for (int slot = after + 1; slot < JackServer::kNamePool; ++slot)
    if (const int hold = JackServer::holdPoolName(slot); hold >= 0) return {slot, hold};
  return {-1, -1};
}

// A server outside the pool's locks, of our own, under a pooled name after `after`: its pid
// (-1 when none could start) and name. Another run's test may start one under the same name at
// the same moment; then ours fails and the next name is tried.
std::pair<pid_t, std::string> startForeignServer(int after) {
  for (int slot = after + 1; slot < JackServer::kNamePool; ++slot) {
    const int hold = JackServer::holdPoolName(slot);
    if (hold < 0) continue;
    const std::string name = JackServer::poolName(slot);
    const char* argv[] = {"jackd", "-n", name.c_str(), "--no-realtime", "-d", "dummy", nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "jackd", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      pid = -1;
    bool gone = false;
    const auto ended = [&] {
      int status = 0;
      return gone = gone || waitpid(pid, &status, WNOHANG) == pid;
    };
    const bool ours = pid > 0 && midi_test::waitFor([&] {
                        return ended() || (answers(name) && JackServer::servedBy(name, pid));
                      }) &&
                      !ended();
    if (!ours && pid > 0 && !gone) JackServer::kill(pid);
    close(hold);
    if (ours) return {pid, name};
  }
  return {-1, ""};
}

// Whether JACK's registry of servers holds a row of `name`.
bool registered(const std::string& name) {
  for (const JackServer::Registered& row : JackServer::registeredServers())
    if (row.name == name) return true;
  return false;
}

// A name another run holds is passed over, and so is a server that runs under a pooled name
// without holding it: the fixture's server is its own, and it leaves the other running. Each
// server stopped leaves no row in JACK's registry.
TEST(JackServerPool, EachRunGetsAServerOfItsOwn) {
  const auto [heldSlot, held] = holdFreeName();
  ASSERT_GE(held, 0) << "every name is held";
  const auto [foreign, foreignName] = startForeignServer(heldSlot);
  ASSERT_GT(foreign, 0) << "no foreign server could start";
  std::string name;
  {
    JackServer server;
    ASSERT_TRUE(server.running()) << server.error();
    name = server.name();
    EXPECT_NE(name, JackServer::poolName(heldSlot));
    EXPECT_NE(name, foreignName);
    EXPECT_TRUE(answers(name));
    EXPECT_TRUE(registered(name));
  }
  EXPECT_FALSE(registered(name));
  EXPECT_TRUE(JackServer::servedBy(foreignName, foreign))
      << "another's server was stopped or its socket removed";
  EXPECT_TRUE(JackServer::kill(foreign, SIGINT));
  EXPECT_FALSE(registered(foreignName));
  close(held);
}

// A server that a signal ended, as SIGPIPE ends jackd when two of its clients went away unseen
// while it stops, leaves no row in JACK's registry.
TEST(JackServerPool, AServerThatASignalEndedLeavesNoRow) {
  std::string name;
  {
    JackServer server;
    ASSERT_TRUE(server.running()) << server.error();
    name = server.name();
    kill(server.pid(), SIGKILL);
  }
  EXPECT_FALSE(registered(name));
}

// The processes that descend from `pid`, children first.
std::vector<pid_t> descendants(pid_t pid) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const pid_t child = std::atoi(entry.path().filename().c_str());
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (child <= 0 || !std::getline(stat, line)) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string state;
    pid_t parent = 0;
    if (fields >> state >> parent && parent == pid) {
      const std::vector<pid_t> below = descendants(child);
      found.insert(found.end(), below.begin(), below.end());
      found.push_back(child);
    }
  }
  return found;
}

// Set in the process the test below starts, which holds a server of its own there, tells its
// name and pids, and waits to be killed.
constexpr const char* kHolder = "KROMA_JACK_HOLDER";

// A test process that is killed with every process in its tree, as a test runner ends a test at
// its time limit, leaves no server running and no row of its server in JACK's registry.
TEST(JackServerPool, AServerLeavesNoRowWhenItsTestIsKilledWithItsProcesses) {
  if (std::getenv(kHolder)) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test that started it
    JackServer server;
    std::printf("server %s %d %d\n", server.running() ? server.name().c_str() : "-", server.pid(),
                getpid());
    std::fflush(stdout);
    pause();
    return;
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  kroma_test::ScopedEnv holder(kHolder, "1");
  FILE* out = popen(
      ("exec '" + self + "' --gtest_filter=JackServerPool.AServerLeavesNoRowWhenItsTestIsKilled*")
          .c_str(),
      "r");
  ASSERT_NE(out, nullptr);
  char line[512], name[256] = "-";
  pid_t server = -1, test = -1;
  while (test <= 0 && std::fgets(line, sizeof line, out))
    std::sscanf(line, "server %255s %d %d", name, &server, &test);
  ASSERT_GT(test, 0) << "the test process told nothing";
  EXPECT_TRUE(server > 0 && registered(name)) << "its server did not start";
  kill(test, SIGSTOP);
  for (pid_t below : descendants(test)) kill(below, SIGKILL);
  kill(test, SIGKILL);
  pclose(out);
  EXPECT_TRUE(midi_test::waitFor([&] { return kill(server, 0) != 0 && !registered(name); }))
      << "jackd " << name << " still runs, or its row is left";
}

}  // namespace
