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

// A name another run holds is passed over, and so is a server that runs under a pooled name
// without holding it: the fixture's server is its own, and it leaves the other running.
TEST(JackServerPool, EachRunGetsAServerOfItsOwn) {
  const auto [heldSlot, held] = holdFreeName();
  ASSERT_GE(held, 0) << "every name is held";
  const auto [foreignSlot, foreignHold] = holdFreeName(heldSlot);
  ASSERT_GE(foreignHold, 0);
  const std::string foreignName = JackServer::poolName(foreignSlot);
  const char* argv[] = {"jackd", "-n",   foreignName.c_str(), "--no-realtime", "-d",
                        "dummy", nullptr};
  pid_t foreign = -1;
  ASSERT_EQ(posix_spawnp(&foreign, "jackd", nullptr, nullptr, const_cast<char**>(argv), environ),
            0);
  ASSERT_TRUE(midi_test::waitFor([&] { return answers(foreignName); }));
  close(foreignHold);
  {
    JackServer server;
    ASSERT_TRUE(server.running()) << server.error();
    EXPECT_NE(server.name(), JackServer::poolName(heldSlot));
    EXPECT_NE(server.name(), foreignName);
    EXPECT_TRUE(answers(server.name()));
  }
  EXPECT_TRUE(answers(foreignName)) << "another's server was stopped or its socket removed";
  JackServer::kill(foreign);
  close(held);
}

}  // namespace
