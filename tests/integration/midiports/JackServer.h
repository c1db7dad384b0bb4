#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"

namespace midi_test {

// A private JACK dummy server for one test: started under a server name that
// no other test run on the machine holds meanwhile (JACK_DEFAULT_SERVER
// points at it while the object lives), waited for until it answers and the
// sockets its clients reach are its own. It runs under a keeper outside the
// test's process tree (kroma-jack-keeper), which stops it with SIGINT when the
// object stops it or the test ends, however it ends: a JACK server that is
// killed keeps its row in JACK's registry of servers (after one that a signal
// ended, the keeper frees the row). Every wait is bounded.
class JackServer {
 public:
  JackServer();
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  // False (with the reason in error()) when the server did not come up.
  bool running() const { return mPid > 0 && mError.empty(); }
  const std::string& error() const { return mError; }
  const std::string& name() const { return mName; }
  // The jackd process, -1 when none runs.
  pid_t pid() const { return mPid; }
  // Stops the server now; the destructor does it otherwise.
  void stop();
  // Starts it again under its name after stop(); false (with the reason in error()) when it did
  // not come up.
  bool startAgain();

  // Starts a JACK client program of the server's, ended with the test at the
  // latest; -1 on failure. kill() ends a child by its pid: the signal (SIGTERM;
  // SIGINT for a server), and SIGKILL only while it still runs; true when the
  // signal was enough.
  pid_t startClient(const std::vector<std::string>& args);
  static bool kill(pid_t pid, int signal = SIGTERM);

  // The rows of JACK's registry of servers (eight at most), as JACK reads them: each server's
  // name and pid, whether or not that process still runs.
  struct Registered {
    std::string name;
    pid_t pid;
  };
  static std::vector<Registered> registeredServers();

  // The machine's JACK registry has eight entries, and jackd frees the entry of a server that
  // died without stopping only when a server of the same name starts. Names come from a pool of
  // that size, so that killed servers cannot fill the registry for good.
  static constexpr int kNamePool = 8;
  static std::string poolName(int slot);
  // Holds pooled name `slot` as a test run does while its server lives: a descriptor whose
  // closing lets it go, or -1 when another run holds it.
  static int holdPoolName(int slot);
  // Whether the JACK server that clients of `name` reach is process `pid`.
  static bool servedBy(const std::string& name, pid_t pid);

  static constexpr int kSampleRate = 48000;
  // Long periods: at 256 frames a busy machine overran the dummy driver and lost MIDI.
  static constexpr int kPeriod = 1024;

 private:
  // Takes pooled name `slot` when no other run holds it, and starts the server.
  bool tryName(int slot);
  void releaseName();
  bool start();
  void terminate();
  void removeLeftovers() const;
  bool answers() const;
  // Whether the keeper ended within `limit`, the server stopped then.
  bool keeperEnded(std::chrono::milliseconds limit);
  void closePipes();

  kroma_test::TempDir mDir;
  std::string mName;
  std::unique_ptr<kroma_test::ScopedEnv> mServerEnv, mNoStartEnv;
  pid_t mPid = -1;
  int mNameHold = -1;  // the lock that holds mName
  int mLife = -1;      // our end of the pipe whose closing tells the keeper to stop the server
  int mReport = -1;    // the keeper's report: the server's pid, then its end
  std::string mError;
};

}  // namespace midi_test
