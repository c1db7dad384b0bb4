#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"

namespace midi_test {

// A private JACK dummy server for one test: started under a server name of
// its own (JACK_DEFAULT_SERVER points at it while the object lives), waited
// for until jack_lsp answers, stopped by its pid. Every wait is bounded.
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

  // Starts a JACK client program of the server's, ended with the test at the
  // latest; -1 on failure. kill() ends it by its pid: SIGTERM, and SIGKILL
  // only while it still runs; true when SIGTERM was enough.
  pid_t startClient(const std::vector<std::string>& args);
  static bool kill(pid_t pid);

  static constexpr int kSampleRate = 48000;
  static constexpr int kPeriod = 256;

 private:
  bool start();
  void terminate();
  bool answers() const;

  kroma_test::TempDir mDir;
  std::string mName;
  std::unique_ptr<kroma_test::ScopedEnv> mServerEnv, mNoStartEnv;
  pid_t mPid = -1;
  std::string mError;
};

}  // namespace midi_test
