#include "tools/session/Processes.h"

#include <sstream>
#include <thread>

namespace session {
namespace {

constexpr std::chrono::milliseconds kStartLimit(30000);
constexpr std::chrono::milliseconds kAnswerLimit(10000);
constexpr std::chrono::milliseconds kEndLimit(30000);

std::vector<std::string> simulatorArgs(const std::string& program, const std::string& client,
                                       int id, const std::vector<std::string>& extra) {
  std::vector<std::string> args{program, "--name", client, "--id", std::to_string(id)};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

}  // namespace

bool within(Seconds limit, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (interrupted() || std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

Bytes parseHex(const std::string& text) {
  Bytes bytes;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    if (word.size() != 2 || word.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
      return {};
    bytes.push_back(static_cast<unsigned char>(std::stoi(word, nullptr, 16)));
  }
  return bytes;
}

SimulatorProcess::SimulatorProcess(const std::string& program, const std::string& client, int id,
                                   const std::vector<std::string>& extra)
    : mChild(simulatorArgs(program, client, id, extra)) {
  std::string said;
  while (std::optional<std::string> line = mChild.readLine(kStartLimit)) {
    if (*line == "ready") return;
    said += (said.empty() ? "" : "; ") + *line;
  }
  mError = said.empty() ? "the simulator " + program + " did not start" : said;
}

bool SimulatorProcess::command(const std::string& line) {
  const std::optional<std::string> answer = ask(line);
  return answer && *answer == "ok";
}

Bytes SimulatorProcess::record(const std::string& which) {
  const std::optional<std::string> answer = ask(which);
  return answer ? parseHex(*answer) : Bytes();
}

// The simulator's standard error shares the pipe: what the JACK library prints there (a late
// cycle under a slow machine) is passed over.
std::optional<std::string> SimulatorProcess::ask(const std::string& line) {
  if (!mError.empty() || !mChild.writeLine(line)) return std::nullopt;
  while (std::optional<std::string> answer = mChild.readLine(kAnswerLimit))
    if (*answer == "ok" || answer->rfind("unknown: ", 0) == 0 || !parseHex(*answer).empty())
      return answer;
  return std::nullopt;
}

std::vector<std::string> SimulatorProcess::received() {
  std::vector<std::string> lines;
  if (!mError.empty() || !mChild.writeLine("log")) return lines;
  while (std::optional<std::string> line = mChild.readLine(kAnswerLimit)) {
    if (*line == "end") break;
    lines.push_back(line->substr(line->find(' ') + 1));
  }
  return lines;
}

HostProcess::HostProcess(const std::string& host, const std::string& plugin,
                         const std::vector<std::string>& environment)
    : mChild({host, plugin, "-"}, environment) {
  if (!mChild.started()) mError = "kroma-host " + host + " could not be started";
}

bool HostProcess::step(const std::string& line, Seconds limit) {
  mPrinted.clear();
  if (mGone) return false;
  mError.clear();
  const std::string number = std::to_string(++mLines);
  if (!mChild.writeLine(line)) {
    mError = "kroma-host has ended";
    mGone = true;
    return false;
  }
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    const std::optional<std::string> printed = mChild.readLine(left);
    if (!printed) {
      mError = interrupted()      ? "interrupted"
               : left.count() > 0 ? "kroma-host ended during the step \"" + line + "\""
                                  : "kroma-host did not finish the step \"" + line + "\" in time";
      for (const std::string& said : mPrinted) mError += "\n  " + said;
      mGone = true;
      return false;
    }
    if (*printed == "done " + number) return mError.empty();
    // A step that failed ends the script; one that failed as the script goes on (this one, or
    // input an earlier one queued) fails this step once it is done.
    if (printed->compare(0, 12, "error: line ") == 0) {
      mError = "kroma-host could not carry out \"" + line + "\": " + *printed;
      for (const std::string& said : mPrinted) mError += "\n  " + said;
      if (*printed == "error: line " + number + " failed") return false;
    }
    if (printed->compare(0, 2, "> ") != 0) mPrinted.push_back(*printed);
  }
}

std::string HostProcess::line(const std::string& prefix) const {
  for (const std::string& printed : mPrinted)
    if (printed.compare(0, prefix.size(), prefix) == 0) return printed;
  return "";
}

int HostProcess::finish() {
  mChild.closeInput();
  if (std::optional<int> status = mChild.wait(kEndLimit)) return *status;
  return mChild.stop();
}

}  // namespace session
