// kroma-session: a musician's first session with the plug-in, against the simulator, told step by
// step. It is what `make run` shows.
//
//   kroma-session --host PATH --plugin PATH --bundle DIR --simulator PATH --out DIR
//                 [--window-plugin PATH]
//
// It runs on the JACK server the environment names (JACK_DEFAULT_SERVER). The plug-in module
// runs in kroma-host on the headless view; the project is then reloaded in a new instance, of
// the window module in a window when one is given and an X display is at hand. Data folder,
// saved states and pictures of the pages go to DIR. Exits 1 after saying what went wrong; every
// program it started is stopped by its pid before it ends, also after Ctrl-C.
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "src/config/ParameterIds.h"
#include "src/protocol/DumpTemplates.h"
#include "src/protocol/SysExFormat.h"
#include "tools/session/BankFile.h"
#include "tools/session/Session.h"
#include "tools/session/StateValues.h"

namespace {

using namespace session;

constexpr const char* kClient = "corvane-sim";
constexpr int kDeviceId = 5;
constexpr int kTargetBank = 1;  // B
constexpr const char* kBankName = "Demo Bank";
// Bounds what a busy machine may take; each wait ends as soon as the bytes are there.
constexpr Seconds kArrival(30);

struct Options {
  std::string host, plugin, windowPlugin, bundle, simulator, out;
};

bool parse(int argc, char** argv, Options& o) {
  const std::pair<const char*, std::string*> names[] = {
      {"--host", &o.host},     {"--plugin", &o.plugin},       {"--window-plugin", &o.windowPlugin},
      {"--bundle", &o.bundle}, {"--simulator", &o.simulator}, {"--out", &o.out}};
  for (int i = 1; i + 1 < argc; i += 2) {
    bool known = false;
    for (const auto& [name, value] : names)
      if (std::string(argv[i]) == name) *value = argv[i + 1], known = true;
    if (!known) return false;
  }
  return argc % 2 == 1 && !o.host.empty() && !o.plugin.empty() && !o.simulator.empty() &&
         !o.out.empty();
}

class Demo {
 public:
  explicit Demo(Options options) : mOptions(std::move(options)) {}

  bool run() {
    return startSimulator() && prepareData() && openPlugin() && connect() && requestMulti() &&
           turnControls() && storeBank() && saveProject() && reloadProject() && takePictures() &&
           finish();
  }

 private:
  void say(const std::string& text) { std::cout << text << std::endl; }
  bool fail(const std::string& why) {
    std::cout << "FAILED: " << why << std::endl;
    return false;
  }
  std::string path(const std::string& name) const { return mOptions.out + "/" + name; }

  bool startSimulator() {
    say("1. Starting the simulated synthesizer " + std::string(kClient) + " (device id " +
        std::to_string(kDeviceId) + ") on the JACK server \"" + jackServer() + "\"");
    mSim = std::make_unique<SimulatorProcess>(mOptions.simulator, kClient, kDeviceId);
    if (!mSim->error().empty())
      return fail("the simulator did not start: " + mSim->error() +
                  " (no JACK server running? make run starts one of its own)");
    return true;
  }

  bool prepareData() {
    mData = path("data");
    say("2. A fresh data folder " + mData + " with the bank \"" + kBankName + "\"");
    std::system(("rm -rf '" + mData + "'").c_str());
    mkdir(mOptions.out.c_str(), 0755);
    mkdir(mData.c_str(), 0755);
    mkdir((mData + "/Patches").c_str(), 0755);
    std::ofstream(mData + "/Kroma Editor UI.txt") << "white\nnormal\nyes\n";
    mBankFile = mData + "/Patches/" + kBankName + ".syx";
    return writeBank(mBankFile, "Demo") || fail("cannot write " + mBankFile);
  }

  bool openPlugin() {
    say("3. Loading " + mOptions.plugin + " in kroma-host, its editor open");
    mSession = std::make_unique<Session>(
        Setup{mOptions.host, mOptions.plugin, mOptions.bundle, mData, false});
    return mSession->open() || fail(mSession->error());
  }

  bool connect() {
    say("4. Choosing the simulator's ports " + std::string(kClient) + ":out and " + kClient +
        ":in in the editor's MIDI menus");
    if (!mSession->choosePorts(kClient)) return fail(mSession->error());
    if (!mSession->saveState(path("connected.state"))) return fail(mSession->error());
    const StateValues state(Session::parameters(path("connected.state")));
    say("   the connection check found the synthesizer: device id " +
        std::to_string(static_cast<int>(state.getValue(kGlobalSysExID))));
    say("   transfers paced at 50 ms between messages");
    return (mSession->showPage(1) && mSession->choose(place::kTransferPause, "50 ms")) ||
           fail(mSession->error());
  }

  bool requestMulti() {
    say("5. Asking the synthesizer for its Multi and the sounds of its 16 parts");
    return awaitDone([&] { return mSession->showPage(0) && mSession->click(place::kGetMulti); },
                     "Data request completed!");
  }

  bool turnControls() {
    say("6. Turning controls of part 1; each change reaches the synthesizer");
    const std::pair<const Place*, int> turns[] = {{&place::kCutoff, -20},
                                                  {&place::kResonance, 30},
                                                  {&place::kAttack, 10},
                                                  {&place::kSemitone, 5}};
    if (!mSession->showPart(0)) return fail(mSession->error());
    for (const auto& [where, amount] : turns)
      if (!mSession->showPage(where->page) || !mSession->turn(*where, amount))
        return fail(mSession->error());
    if (!mSession->saveState(path("edited.state"))) return fail(mSession->error());
    const StateValues state(Session::parameters(path("edited.state")));
    for (const auto& [where, amount] : turns)
      say("   " + std::string(where->name) + ": " +
          std::to_string(static_cast<int>(state.getValue(where->param))));
    std::vector<int> differing;
    if (!within(kArrival, [&] {
          differing = state.soundBytesDiffering(mSim->record("sound 0"), 0);
          return differing.empty();
        }))
      return fail("the synthesizer's sound of part 1 differs from the editor's at byte " +
                  std::to_string(differing.front()));
    say("   the synthesizer's sound of part 1 now matches the editor's, byte for byte");
    return true;
  }

  bool storeBank() {
    say("7. Storing the librarian's bank \"" + std::string(kBankName) +
        "\" into the synthesizer's bank B");
    if (!awaitDone(
            [&] {
              return mSession->showPage(1) &&
                     mSession->choose(place::kLibrarianMenu,
                                      "Store Patch Data > All Current Patches to Bank B");
            },
            "Data write completed!"))
      return false;
    for (int program = 0; program < sysex::kProgramsPerBank; ++program) {
      const std::string stored =
          "stored " + std::to_string(kTargetBank) + " " + std::to_string(program);
      if (!within(kArrival,
                  [&] { return sameData(mSim->record(stored), dumpInFile(mBankFile, program)); }))
        return fail("sound " + std::to_string(program + 1) + " of the bank did not arrive whole");
    }
    say("   all 128 sounds are in the synthesizer's bank B");
    return true;
  }

  bool saveProject() {
    say("8. Saving the host's project state, then closing the host");
    if (!mSession->saveState(path("session.state"))) return fail(mSession->error());
    mEditBuffers = editBuffers();
    if (!mSession->close()) return fail(mSession->error());
    mSession.reset();
    return mSim->command("reset") || fail("the simulator did not clear its edit buffers");
  }

  bool reloadProject() {
    const bool window = !mOptions.windowPlugin.empty() && std::getenv("DISPLAY");
    say("9. The synthesizer's edit buffers cleared; reloading the project in a new instance" +
        std::string(window ? " in a window" : ""));
    mSession = std::make_unique<Session>(Setup{mOptions.host,
                                               window ? mOptions.windowPlugin : mOptions.plugin,
                                               mOptions.bundle, mData, window});
    if (!mSession->open() || !mSession->loadState(path("session.state")) ||
        !mSession->saveState(path("recalled.state")))
      return fail(mSession->error());
    const std::vector<double> saved = Session::parameters(path("session.state"));
    const std::vector<double> recalled = Session::parameters(path("recalled.state"));
    if (saved.empty() || saved != recalled) return fail("the reloaded instance shows other values");
    say("   all " + std::to_string(saved.size()) + " parameter values are the saved ones");
    if (!within(kArrival, [&] { return editBuffers() == mEditBuffers; }))
      return fail("the synthesizer's edit buffers are not the saved ones");
    say("   the new instance pushed the project: the synthesizer's edit buffers match byte for "
        "byte");
    return true;
  }

  bool takePictures() {
    static const char* const kPages[] = {"multi",           "library", "oscillators",
                                         "filter-envelope", "lfo-mod", "effects-arp"};
    say("10. Pictures of each page:");
    for (int page = 0; page < 6; ++page) {
      const std::string file =
          path("page-" + std::to_string(page + 1) + "-" + kPages[page] + ".png");
      if (!mSession->showPage(page) || !mSession->screenshot(file)) return fail(mSession->error());
      say("   " + file);
    }
    return true;
  }

  bool finish() {
    say("11. Closing the host and the simulator");
    if (!mSession->close()) return fail(mSession->error());
    mSim->stop();
    say("Done.");
    return true;
  }

  // The part sounds and the Multi the synthesizer holds.
  std::vector<Bytes> editBuffers() {
    std::vector<Bytes> buffers;
    for (int part = 0; part < sysex::kParts; ++part)
      buffers.push_back(mSim->record("sound " + std::to_string(part)));
    buffers.push_back(mSim->record("multi"));
    return buffers;
  }

  bool awaitDone(const std::function<bool()>& action, const std::string& done) {
    const std::string shown = mSession->await(
        action, {done, "CONNECTION TIMED OUT!", "Data request CANCELLED!", "Data write FAILED!"},
        Seconds(120));
    if (shown == done) return true;
    return fail(shown.empty()
                    ? mSession->error()
                    : "the plug-in showed \"" + shown + "\": the simulator did not answer");
  }

  static std::string jackServer() {
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name ? name : "default";
  }

  Options mOptions;
  std::unique_ptr<SimulatorProcess> mSim;
  std::unique_ptr<Session> mSession;
  std::string mData, mBankFile;
  std::vector<Bytes> mEditBuffers;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::cerr << "usage: kroma-session --host PATH --plugin PATH --bundle DIR --simulator PATH "
                 "--out DIR [--window-plugin PATH]\n";
    return 2;
  }
  std::signal(SIGINT, [](int) { session::interrupt(); });
  std::signal(SIGTERM, [](int) { session::interrupt(); });
  Demo demo(std::move(options));
  const bool done = demo.run();
  if (session::interrupted())
    std::cout << "Interrupted: everything started is stopped." << std::endl;
  return done ? 0 : 1;
}
