#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace session {

// Asks every wait to end at once, as after Ctrl-C; safe in a signal handler.
void interrupt();
bool interrupted();

// A program started with pipes to its standard input and from its standard output (and error),
// in a process group of its own, so that a Ctrl-C at the terminal reaches only its starter, which
// then ends it. It ends with its starter at the latest.
class Child {
 public:
  // Starts `argv` with `environment` ("NAME=value") added to the starter's.
  explicit Child(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment = {});
  // Stops it, if it still runs.
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return mPid > 0; }
  pid_t pid() const { return mPid; }

  bool writeLine(const std::string& line);
  // Ends its input, which a program reading it until its end takes as the end of its work.
  void closeInput();
  // The next line it printed, waiting at most `limit`; none when it did not come in time or the
  // program ended.
  std::optional<std::string> readLine(std::chrono::milliseconds limit);
  // Ends it by its pid: SIGTERM, then SIGKILL when it has not ended after a few seconds. Its
  // exit status, or -1 when a signal ended it.
  int stop();
  // Waits at most `limit` for it to end by itself; its exit status, -1 for a signal, and
  // nullopt while it still runs.
  std::optional<int> wait(std::chrono::milliseconds limit);

 private:
  pid_t mPid = -1;
  int mIn = -1;
  int mOut = -1;
  std::string mBuffer;
  bool mEnded = false;
  int mStatus = -1;
};

}  // namespace session
