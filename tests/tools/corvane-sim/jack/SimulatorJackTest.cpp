// The simulator executable on a private JACK server: a request over MIDI gets its dump, a fault
// set on the command channel holds an answer back, and the log reports what arrived.
#include <gtest/gtest.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/midiports/JackServer.h"
#include "tests/support/SimulatorPorts.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

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

// The test's MIDI ports towards the simulator; what arrives is kept in order.
class Tester {
 public:
  Tester() { in.setCallback(&arrive, this); }
  static void arrive(double, std::vector<unsigned char>* message, void* self) {
    auto* tester = static_cast<Tester*>(self);
    std::lock_guard<std::mutex> hold(tester->mMutex);
    tester->mArrived.push_back(*message);
    tester->mChanged.notify_all();
  }
  // The next message to arrive within the time given, or nothing.
  Bytes receive(std::chrono::milliseconds within) {
    std::unique_lock<std::mutex> hold(mMutex);
    if (!mChanged.wait_for(hold, within, [this] { return !mArrived.empty(); })) return Bytes();
    Bytes message = mArrived.front();
    mArrived.pop_front();
    return message;
  }
  void send(const Bytes& message) { out.send(message.data(), message.size()); }

 private:
  std::mutex mMutex;
  std::condition_variable mChanged;
  std::deque<Bytes> mArrived;

 public:  // closed first, before what their callback touches goes
  IMidiPortOut out{"sim test"};
  IMidiPortIn in{"sim test"};
};

bool endsWith(const std::string& line, const std::string& end) {
  return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
}

TEST(SimulatorOnJack, AnswersARequestAndLogsIt) {
  kroma_test::ScopedEnv api("KROMA_MIDI_API", "jack");
  midi_test::JackServer server;
  ASSERT_TRUE(server.running()) << server.error();
  Child sim({CORVANE_SIM_PATH, "--id", "3"});
  ASSERT_EQ(sim.readLine(), "ready");
  Tester tester;
  ASSERT_TRUE(tester.out.open(kroma_test::simulatorPort(tester.out, "in")));
  ASSERT_TRUE(tester.in.open(kroma_test::simulatorPort(tester.in, "out")));

  // A connection reaches JACK's graph some cycles after the port opens: repeat the
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
  sim.writeLine("clear");
  ASSERT_EQ(sim.readLine(), "ok");
  EXPECT_TRUE(sim.log().empty());
  sim.writeLine("quit");
}

}  // namespace
