#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"

namespace midi_test {

// A private JACK dummy server for one test: started under a server name that
// no other test run on the machine holds meanwhile (JACK_DEFAULT_SERVER
// points at it while the object lives), waited for until it answers and the
// sockets its clients reach are its own, stopped by its pid. Every wait is
// bounded.
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
  // Stops the server now; the destructor does it otherwise.
  void stop();
  // Starts it again under its name after stop(); false (with the reason in error()) when it did
  // not come up.
  bool startAgain();

  // Starts a JACK client program of the server's, ended with the test at the
  // latest; -1 on failure. kill() ends it by its pid: SIGTERM, and SIGKILL
  // only while it still runs; true when SIGTERM was enough.
  pid_t startClient(const std::vector<std::string>& args);
  static bool kill(pid_t pid);

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

  kroma_test::TempDir mDir;
  std::string mName;
  std::unique_ptr<kroma_test::ScopedEnv> mServerEnv, mNoStartEnv;
  pid_t mPid = -1;
  int mNameHold = -1;  // the lock that holds mName
  std::string mError;
};

}  // namespace midi_test
