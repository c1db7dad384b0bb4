#include "tools/session/Session.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

namespace session {
namespace {

constexpr const char* kLogName = "/Kroma Editor LOG.txt";
constexpr const char* kStatusTag = "\t STATUS: ";
constexpr const char* kReady = "Plug-in is ready to go!";
constexpr const char* kNoAnswer = "No response from corvane!";
// A pane of the host's: the editor takes clicks 2 pixels left of and 3 above the pointer.
constexpr int kPaneX = 2, kPaneY = 3;
// The header's corner, which only the transfer overlay covers.
constexpr const char* kProbe = "edit-pixel 4 4";
constexpr std::chrono::milliseconds kPoll(20);
// The plug-in keeps these parameters in a state, after everything else.
constexpr size_t kStoredParams = 7878;

std::string at(const Place& place, const char* what) {
  return std::string("edit-mouse ") + what + " " + std::to_string(place.x + kPaneX) + " " +
         std::to_string(place.y + kPaneY);
}

std::string joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += (all.empty() ? "\"" : ", \"") + text + "\"";
  return all;
}

}  // namespace

Session::Session(Setup setup) : mSetup(std::move(setup)) {}

Session::~Session() = default;

bool Session::step(const std::string& line, Seconds limit) {
  if (!mHost) {
    mError = "no host is running";
    return false;
  }
  if (mHost->step(line, limit)) return true;
  mError = mHost->error();
  return false;
}

bool Session::open(bool logged) {
  if (logged) std::ofstream(mSetup.dataFolder + kLogName, std::ios::trunc);
  mLogRead = 0;
  mInstance = mInstances = 1;
  mOutputsOpen.clear();
  std::vector<std::string> environment{"KROMA_DATA_DIR=" + mSetup.dataFolder,
                                       "KROMA_MIDI_API=jack"};
  if (!mSetup.bundle.empty()) environment.push_back("KROMA_BUNDLE_DIR=" + mSetup.bundle);
  mHost = std::make_unique<HostProcess>(mSetup.host, mSetup.plugin, environment);
  // As a DAW runs an instrument: its transport stopped at 120 BPM, audio running.
  for (const char* line : {"open", "rate 48000", "block 256", "time tempo=120 ppq=0 bar=0 sig=4/4",
                           "resume", "audio on"})
    if (!step(line)) return false;
  if (mSetup.window) return step("x-open") && step("x-idle 300");
  if (!step("edit-open") || !step("idle") || !step(kProbe)) return false;
  mIdlePixel = mHost->line("  pixel");
  return true;
}

bool Session::openAnother() {
  if (!step("open-another")) return false;
  // Each instance starts the log anew.
  mLogRead = 0;
  mInstance = ++mInstances;
  return step("edit-open") && step("idle");
}

bool Session::use(int instance) {
  if (!step("use " + std::to_string(instance))) return false;
  mInstance = instance;
  return true;
}

bool Session::close() {
  if (!mHost) return true;
  const int status = mHost->finish();
  mHost.reset();
  if (status == 0) return true;
  mError = "kroma-host ended with status " + std::to_string(status);
  return false;
}

bool Session::click(const Place& place) {
  if (mSetup.window)
    return step("x-input 0 click " + std::to_string(place.x) + " " + std::to_string(place.y)) &&
           step("x-idle 300");
  return step(at(place, "down")) && step(at(place, "up"));
}

bool Session::turn(const Place& place, int amount) {
  return step(at(place, "wheel") + " " + std::to_string(amount));
}

bool Session::choose(const Place& place, const std::string& path) {
  const bool chosen = mSetup.window ? step("edit-menu " + path) && click(place)
                                    : step("edit-choose " + std::to_string(place.x + kPaneX) + " " +
                                           std::to_string(place.y + kPaneY) + " " + path);
  if (chosen) return true;
  for (const std::string& line : mHost->printed())
    if (line.find("menu: no item") != std::string::npos)
      mError = "the " + std::string(place.name) + " has" + line.substr(line.find(" no item"));
  return false;
}

bool Session::showPage(int page) {
  return click(place::tab(page));
}

bool Session::showPart(int part) {
  return click(place::part(part));
}

std::vector<std::string> Session::newStatuses() {
  std::ifstream log(mSetup.dataFolder + kLogName);
  log.seekg(static_cast<std::streamoff>(mLogRead));
  const std::string text{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
  std::vector<std::string> statuses;
  for (size_t from = 0, end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    mLogRead += end + 1 - from;
    const size_t tag = text.find(kStatusTag, from);
    if (tag < end)
      statuses.push_back(
          text.substr(tag + std::strlen(kStatusTag), end - tag - std::strlen(kStatusTag)));
  }
  if (!statuses.empty()) mLastStatus = statuses.back();
  return statuses;
}

std::string Session::await(const std::function<bool()>& action,
                           const std::vector<std::string>& endings, Seconds limit) {
  newStatuses();
  mLastStatus.clear();
  if (!action()) return "";
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    for (const std::string& status : newStatuses())
      for (const std::string& ending : endings)
        if (status == ending) return overlayGone(limit) ? ending : "";
    if (std::chrono::steady_clock::now() > end || interrupted()) break;
    std::this_thread::sleep_for(kPoll);
  }
  if (interrupted()) {
    mError = "interrupted";
    return "";
  }
  mError = "none of " + joined(endings) + " was shown within " + std::to_string(limit.count()) +
           " s; " +
           (mLastStatus.empty() ? "the plug-in showed no status"
                                : "the last status was \"" + mLastStatus + "\"");
  return "";
}

bool Session::overlayGone(Seconds limit) {
  if (mSetup.window) return true;
  const auto end = std::chrono::steady_clock::now() + limit;
  // The editor shows a transfer's overlay at its timer's next tick: a look before that tick
  // would see the editor idle while the transfer still runs.
  while (step("idle") && step(kProbe)) {
    if (mHost->line("  pixel") == mIdlePixel) return true;
    if (interrupted()) {
      mError = "interrupted";
      return false;
    }
    if (std::chrono::steady_clock::now() > end) {
      mError = "the transfer overlay stayed up for " + std::to_string(limit.count()) + " s";
      return false;
    }
    std::this_thread::sleep_for(kPoll);
  }
  return false;
}

bool Session::choosePorts(const std::string& client) {
  const auto pickInput = [&] { return choose(place::kPortIn, client + ":out"); };
  if (!showPage(0)) return false;
  // With an output port open, the input's pick runs a connection check of its own, whose overlay
  // takes the next click while it lasts.
  const bool outputOpen = mOutputsOpen.count(mInstance) > 0;
  if (outputOpen ? await(pickInput, {kReady, kNoAnswer}, Seconds(60)).empty() : !pickInput())
    return false;
  const std::string shown = await([&] { return choose(place::kPortOut, client + ":in"); },
                                  {kReady, kNoAnswer}, Seconds(60));
  if (!shown.empty()) mOutputsOpen.insert(mInstance);
  if (shown == kReady) return true;
  if (shown == kNoAnswer) mError = "the synthesizer did not answer the connection check";
  return false;
}

bool Session::saveState(const std::string& file) {
  return step("chunk-get program " + file);
}

bool Session::loadState(const std::string& file) {
  return step("chunk-set program " + file);
}

// The editor draws what changed at its next timer tick.
bool Session::screenshot(const std::string& file) {
  if (mSetup.window) return step("x-idle 200") && step("x-screen " + file);
  return step("idle") && step("edit-screen " + file);
}

std::vector<double> Session::parameters(const std::string& stateFile) {
  std::ifstream in(stateFile, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const size_t size = kStoredParams * sizeof(double);
  if (bytes.size() < size) return {};
  std::vector<double> values(kStoredParams);
  std::memcpy(values.data(), bytes.data() + bytes.size() - size, size);
  return values;
}

}  // namespace session
