#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/session/Child.h"

namespace session {

using Bytes = std::vector<unsigned char>;
using Seconds = std::chrono::seconds;

// corvane-sim as a JACK client of the server the environment names, driven by its commands.
class SimulatorProcess {
 public:
  // Starts it as client `client` answering as device `id`; `extra` are further arguments.
  SimulatorProcess(const std::string& program, const std::string& client, int id,
                   const std::vector<std::string>& extra = {});

  // Empty once it is ready; else what went wrong, in its own words where it gave any.
  const std::string& error() const { return mError; }
  pid_t pid() const { return mChild.pid(); }

  // A command that its "ok" confirms ("fault silent", "id 3", "reset", "clear").
  bool command(const std::string& line);
  // A record by its command ("sound 0", "multi", "global", "stored 1 5"); empty when it gave none.
  Bytes record(const std::string& which);
  // Every message it received since it started or was cleared, one hex line each.
  std::vector<std::string> received();
  // Ends it by its pid.
  void stop() { mChild.stop(); }

 private:
  // Its answer to one line: "ok", "unknown: ..." or a record.
  std::optional<std::string> ask(const std::string& line);

  Child mChild;
  std::string mError;
};

// kroma-host running one plug-in live: steps given one at a time, each waited for until the host
// says it is done.
class HostProcess {
 public:
  HostProcess(const std::string& host, const std::string& plugin,
              const std::vector<std::string>& environment);

  // Runs one step; false when it failed (or input an earlier step queued failed meanwhile), the
  // host ended or did not finish it within `limit`, and error() then says why. A step the host
  // could not carry out leaves it usable; after the other two every step fails.
  bool step(const std::string& line, Seconds limit = Seconds(60));
  // What the last step printed, its echo and the "done" line left out.
  const std::vector<std::string>& printed() const { return mPrinted; }
  // The first printed line of the last step that starts with `prefix`, or "".
  std::string line(const std::string& prefix) const;
  const std::string& error() const { return mError; }
  pid_t pid() const { return mChild.pid(); }
  // Lets the host close its instances at the end of its input; ends it by its pid when it does
  // not end in time. Its exit status.
  int finish();

 private:
  Child mChild;
  int mLines = 0;
  bool mGone = false;  // ended, or stuck in a step
  std::vector<std::string> mPrinted;
  std::string mError;
};

// Polls `done` until it holds, for at most `limit`: what went out over MIDI arrives a few JACK
// cycles later. False when it never held (or the wait was interrupted).
bool within(Seconds limit, const std::function<bool()>& done);

// Parses one line of hex bytes ("F0 3E 13"); empty for anything else.
Bytes parseHex(const std::string& text);

}  // namespace session
