// The simulator executable on a private JACK server: a request over MIDI gets its dump, the
// command channel reports what arrived, and the engine's MIDI clock reaches it in time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/src/protocol/ProtocolDoubles.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;

// A child process with its standard input and output on pipes; stopped by its pid.
class Child {
 public:
  Child(const std::vector<std::string>& args, bool pipes) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (pipes && pipe(in) == 0 && pipe(out) == 0) {
      posix_spawn_file_actions_adddup2(&actions, in[0], 0);
      posix_spawn_file_actions_adddup2(&actions, out[1], 1);
      posix_spawn_file_actions_addclose(&actions, in[1]);
      posix_spawn_file_actions_addclose(&actions, out[0]);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pipes) {
      close(in[0]);
      close(out[1]);
      mIn = fdopen(in[1], "w");
      mOut = fdopen(out[0], "r");
    }
  }
  ~Child() {
    if (mIn != nullptr) fclose(mIn);
    stop();
    if (mOut != nullptr) fclose(mOut);
  }
  bool running() const { return mPid > 0; }
  void writeLine(const std::string& line) {
    fprintf(mIn, "%s\n", line.c_str());
    fflush(mIn);
  }
  std::string readLine() {
    char buffer[8192];
    if (fgets(buffer, sizeof buffer, mOut) == nullptr) return std::string();
    std::string line = buffer;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }
  // SIGTERM, then SIGKILL when it has not gone within two seconds.
  void stop() {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
      if (waitpid(mPid, nullptr, WNOHANG) == mPid) {
        mPid = -1;
        return;
      }
      std::this_thread::sleep_for(10ms);
    }
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    mPid = -1;
  }

 private:
  pid_t mPid = -1;
  FILE* mIn = nullptr;
  FILE* mOut = nullptr;
};

// A JACK client that sends queued messages and collects what arrives.
class Tester {
 public:
  bool open() {
    mClient = jack_client_open("sim-tester", JackNoStartServer, nullptr);
    if (mClient == nullptr) return false;
    mOut = jack_port_register(mClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    mIn = jack_port_register(mClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    mToSend = jack_ringbuffer_create(4096);
    mSizeQueue = jack_ringbuffer_create(256);
    mReceived = jack_ringbuffer_create(65536);
    jack_set_process_callback(mClient, process, this);
    return jack_activate(mClient) == 0;
  }
  ~Tester() {
    if (mClient != nullptr) jack_client_close(mClient);
    if (mToSend != nullptr) jack_ringbuffer_free(mToSend);
    if (mSizeQueue != nullptr) jack_ringbuffer_free(mSizeQueue);
    if (mReceived != nullptr) jack_ringbuffer_free(mReceived);
  }
  bool connect(const std::string& from, const std::string& to) {
    return jack_connect(mClient, from.c_str(), to.c_str()) == 0;
  }
  // Bytes first, then their count: the process callback takes a message once its count is in.
  void send(const Bytes& message) {
    const unsigned char size = static_cast<unsigned char>(message.size());
    jack_ringbuffer_write(mToSend, reinterpret_cast<const char*>(message.data()), message.size());
    jack_ringbuffer_write(mSizeQueue, reinterpret_cast<const char*>(&size), 1);
  }
  // The first message to arrive within the time given, or nothing.
  Bytes receive(std::chrono::milliseconds within) {
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < end) {
      unsigned int size = 0;
      if (jack_ringbuffer_read_space(mReceived) >= sizeof size) {
        jack_ringbuffer_peek(mReceived, reinterpret_cast<char*>(&size), sizeof size);
        if (jack_ringbuffer_read_space(mReceived) >= sizeof size + size) {
          jack_ringbuffer_read_advance(mReceived, sizeof size);
          Bytes message(size);
          jack_ringbuffer_read(mReceived, reinterpret_cast<char*>(message.data()), size);
          return message;
        }
      }
      std::this_thread::sleep_for(5ms);
    }
    return Bytes();
  }

 private:
  static int process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<Tester*>(arg);
    void* out = jack_port_get_buffer(self->mOut, frames);
    jack_midi_clear_buffer(out);
    unsigned char size;
    while (jack_ringbuffer_read_space(self->mSizeQueue) >= 1) {
      jack_ringbuffer_peek(self->mSizeQueue, reinterpret_cast<char*>(&size), 1);
      if (jack_ringbuffer_read_space(self->mToSend) < size) break;
      jack_ringbuffer_read_advance(self->mSizeQueue, 1);
      jack_midi_data_t* slot = jack_midi_event_reserve(out, 0, size);
      if (slot != nullptr)
        jack_ringbuffer_read(self->mToSend, reinterpret_cast<char*>(slot), size);
      else
        jack_ringbuffer_read_advance(self->mToSend, size);
    }
    void* in = jack_port_get_buffer(self->mIn, frames);
    for (jack_nframes_t i = 0; i < jack_midi_get_event_count(in); ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, in, i) != 0) continue;
      const unsigned int eventSize = static_cast<unsigned int>(event.size);
      if (jack_ringbuffer_write_space(self->mReceived) < sizeof eventSize + eventSize) continue;
      jack_ringbuffer_write(self->mReceived, reinterpret_cast<const char*>(&eventSize),
                            sizeof eventSize);
      jack_ringbuffer_write(self->mReceived, reinterpret_cast<const char*>(event.buffer),
                            eventSize);
    }
    return 0;
  }

  jack_client_t* mClient = nullptr;
  jack_port_t* mOut = nullptr;
  jack_port_t* mIn = nullptr;
  jack_ringbuffer_t* mToSend = nullptr;
  jack_ringbuffer_t* mSizeQueue = nullptr;
  jack_ringbuffer_t* mReceived = nullptr;
};

void quiet(const char*) {}

bool waitForServer() {
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);
  for (int i = 0; i < 100; ++i) {
    jack_client_t* probe = jack_client_open("sim-probe", JackNoStartServer, nullptr);
    if (probe != nullptr) {
      jack_client_close(probe);
      return true;
    }
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

TEST(SimulatorOnJack, AnswersARequestLogsItAndCountsTheClock) {
  if (access("/usr/bin/jackd", X_OK) != 0) GTEST_SKIP() << "no jackd";
  const std::string server = "kroma-sim-" + std::to_string(getpid());
  kroma_test::ScopedEnv env("JACK_DEFAULT_SERVER", server.c_str());
  kroma_test::ScopedEnv noAutostart("JACK_NO_START_SERVER", "1");
  // jackd takes its name from -n only; the variable above names it to clients.
  Child jackd(
      {"/usr/bin/jackd", "-n", server, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256"},
      false);
  ASSERT_TRUE(jackd.running());
  ASSERT_TRUE(waitForServer());

  Child sim({CORVANE_SIM_PATH, "--id", "3"}, true);
  ASSERT_EQ(sim.readLine(), "ready");
  Tester tester;
  ASSERT_TRUE(tester.open());
  ASSERT_TRUE(tester.connect("sim-tester:out", "corvane-sim:in"));
  ASSERT_TRUE(tester.connect("corvane-sim:out", "sim-tester:in"));

  // A connection reaches JACK's graph some cycles after jack_connect returns: repeat the
  // (harmless) Global request until the first answer proves the route both ways.
  Bytes answer;
  for (int attempt = 0; attempt < 30 && answer.empty(); ++attempt) {
    tester.send({0xF0, 0x3E, 0x13, 0x03, 0x04, 0xF7});
    answer = tester.receive(200ms);
  }
  ASSERT_EQ(answer.size(), 80u);
  EXPECT_EQ(answer[3], 3);
  EXPECT_EQ(answer[4], 0x14);
  EXPECT_EQ(answer[79], 0xF7);
  while (!tester.receive(300ms).empty()) {
  }  // answers to repeated requests

  sim.writeLine("fault silent");
  EXPECT_EQ(sim.readLine(), "ok");
  tester.send({0xF0, 0x3E, 0x13, 0x03, 0x00, 0x7F, 0x00, 0xF7});
  EXPECT_TRUE(tester.receive(300ms).empty());

  sim.writeLine("log");
  std::vector<std::string> lines;
  for (std::string line = sim.readLine(); line != "end" && !line.empty(); line = sim.readLine())
    lines.push_back(line);
  ASSERT_GE(lines.size(), 2u);
  for (size_t i = 0; i + 1 < lines.size(); ++i)
    EXPECT_NE(lines[i].find(" F0 3E 13 03 04 F7"), std::string::npos) << lines[i];
  EXPECT_NE(lines.back().find(" F0 3E 13 03 00 7F 00 F7"), std::string::npos);

  // Ten seconds of the engine's clock at 120 BPM: 480 ticks from the first. The dummy server's
  // cycles, which stamp the arrivals, wander on a loaded machine: 1% either way.
  sim.writeLine("clear");
  protocol_test::FakePlugin plugin;
  PatchLibrarian librarian;
  MIDIMessageManager manager(plugin, librarian);
  plugin.manager = &manager;
  plugin.values[kOverrideTempo] = 1;
  manager.setTempoValue(120.0);
  plugin.onByte = [&](unsigned char byte) { tester.send({byte}); };
  manager.sender().resetContinuousClock(false);
  ASSERT_TRUE(manager.startJob(protocol_test::job(kSendContinuousMIDIClock)));
  std::this_thread::sleep_for(10500ms);
  manager.sender().resetContinuousClock(true);
  sim.writeLine("log");
  std::vector<long long> ticks;
  for (std::string line = sim.readLine(); line != "end" && !line.empty(); line = sim.readLine())
    if (line.size() > 3 && line.substr(line.size() - 3) == " F8") ticks.push_back(std::stoll(line));
  ASSERT_FALSE(ticks.empty());
  EXPECT_NEAR(std::count_if(ticks.begin(), ticks.end(),
                            [&](long long us) { return us - ticks[0] < 10000000; }),
              480, 5);
  sim.writeLine("quit");
}

}  // namespace
