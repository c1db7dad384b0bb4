#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

// A name another run holds is passed over, and so is a server that runs under a pooled name
// without holding it: the fixture's server is its own, and it leaves the other running.
TEST(JackServerPool, EachRunGetsAServerOfItsOwn) {
  const auto [heldSlot, held] = holdFreeName();
  ASSERT_GE(held, 0) << "every name is held";
  const auto [foreign, foreignName] = startForeignServer(heldSlot);
  ASSERT_GT(foreign, 0) << "no foreign server could start";
  {
    JackServer server;
    ASSERT_TRUE(server.running()) << server.error();
    EXPECT_NE(server.name(), JackServer::poolName(heldSlot));
    EXPECT_NE(server.name(), foreignName);
    EXPECT_TRUE(answers(server.name()));
  }
  EXPECT_TRUE(JackServer::servedBy(foreignName, foreign))
      << "another's server was stopped or its socket removed";
  JackServer::kill(foreign);
  close(held);
}

}  // namespace
