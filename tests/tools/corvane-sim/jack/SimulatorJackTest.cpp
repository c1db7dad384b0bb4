// The simulator executable on a private JACK server: a request over MIDI gets its dump, a fault
// set on the command channel holds an answer back, and the log reports what arrived.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/midiports/JackServer.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;

// The simulator program with its standard input and output on pipes; stopped by its pid.
class Child {
 public:
  explicit Child(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    mIn = fdopen(in[1], "w");
    mOut = fdopen(out[0], "r");
  }
  ~Child() {
    if (mIn != nullptr) fclose(mIn);
    if (mPid > 0) midi_test::JackServer::kill(mPid);
    if (mOut != nullptr) fclose(mOut);
  }
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
  // The "log" command's lines.
  std::vector<std::string> log() {
    writeLine("log");
    std::vector<std::string> lines;
    for (std::string line = readLine(); line != "end" && !line.empty(); line = readLine())
      lines.push_back(line);
    return lines;
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

bool endsWith(const std::string& line, const std::string& end) {
  return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
}

TEST(SimulatorOnJack, AnswersARequestAndLogsIt) {
  midi_test::JackServer server;
  ASSERT_TRUE(server.running()) << server.error();
  Child sim({CORVANE_SIM_PATH, "--id", "3"});
  ASSERT_EQ(sim.readLine(), "ready");
  Tester tester;
  ASSERT_TRUE(tester.open());
  ASSERT_TRUE(tester.connect("sim-tester:out", "corvane-sim:in"));
  ASSERT_TRUE(tester.connect("corvane-sim:out", "sim-tester:in"));

  // A connection reaches JACK's graph some cycles after jack_connect returns: repeat the
  // (harmless) Global request until the first answer proves the route both ways.
  const Bytes global{0xF0, 0x3E, 0x13, 0x03, 0x04, 0xF7};
  Bytes answer;
  for (int attempt = 0; attempt < 100 && answer.empty(); ++attempt) {
    tester.send(global);
    answer = tester.receive(200ms);
  }
  ASSERT_EQ(answer.size(), 80u);
  EXPECT_EQ(Bytes({answer[3], answer[4], answer[79]}), Bytes({3, 0x14, 0xF7}));

  // Silent: the sound request is logged and not answered. Answers leave in order, so the
  // answer to a later Multi request shows that none to the sound request is on its way; late
  // answers to the repeated Global request may come in between.
  sim.writeLine("fault silent");
  ASSERT_EQ(sim.readLine(), "ok");
  tester.send({0xF0, 0x3E, 0x13, 0x03, 0x00, 0x7F, 0x00, 0xF7});
  std::vector<std::string> lines;
  for (int i = 0; i < 300 && (lines.empty() || !endsWith(lines.back(), " 00 7F 00 F7")); ++i) {
    std::this_thread::sleep_for(20ms);
    lines = sim.log();
  }
  ASSERT_GE(lines.size(), 2u);
  for (size_t i = 0; i + 1 < lines.size(); ++i)
    EXPECT_TRUE(endsWith(lines[i], " F0 3E 13 03 04 F7")) << lines[i];
  EXPECT_TRUE(endsWith(lines.back(), " F0 3E 13 03 00 7F 00 F7")) << lines.back();
  sim.writeLine("fault none");
  ASSERT_EQ(sim.readLine(), "ok");
  tester.send({0xF0, 0x3E, 0x13, 0x03, 0x01, 0x00, 0x2A, 0xF7});
  do {
    answer = tester.receive(30s);
    EXPECT_NE(answer.size(), 392u) << "the silent request was answered";
  } while (answer.size() == 80u);
  ASSERT_EQ(answer.size(), 425u);
  EXPECT_EQ(Bytes({answer[3], answer[4], answer[5], answer[6]}), Bytes({3, 0x11, 0, 42}));
  sim.writeLine("quit");
}

}  // namespace
