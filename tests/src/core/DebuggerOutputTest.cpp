#include "src/core/detail/DebuggerOutput.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <fstream>
#include <future>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/Patience.h"
#include "tests/support/TempDir.h"

namespace {

using kroma_test::ScopedEnv;

// The messages of a log file's lines, each checked to start with its time stamp.
std::vector<std::string> messagesIn(const std::string& path) {
  static const std::regex line(R"(\d{4}-\d{2}-\d{2}\.\d{2}:\d{2}:\d{2}\t (.*))");
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> messages;
  std::smatch match;
  for (std::string text; std::getline(in, text);)
    messages.push_back(std::regex_match(text, match, line) ? match[1].str() : "BAD " + text);
  return messages;
}

// A sink empties the file it was made on; lines from several threads stay whole.
TEST(DebugLog, TheFileIsEmptiedAndLinesFromSeveralThreadsStayWhole) {
  kroma_test::TempDir dir;
  const std::string log = dir.file("LOG.txt");
  std::ofstream(log) << "old text from the last session\n";
  DebuggerOutput sink(log);
  const std::string message(300, 'x');
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&] {
      for (int i = 0; i < 50; ++i) TK_Log(&sink, DebuggerOutput::kResetTag, message);
    });
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(messagesIn(log), std::vector<std::string>(200, "RESET: " + message));
}

// A device that takes no byte (a full disk) loses the line; the thread that logs goes on.
TEST(DebugLog, ALineThatCannotBeWrittenIsDroppedWithoutHangingTheCaller) {
  // Shared with the writer, which a hang leaves running past the test.
  auto sink = std::make_shared<DebuggerOutput>("/dev/full");
  auto written = std::make_shared<std::promise<void>>();
  std::future<void> done = written->get_future();
  std::thread writer([sink, written] {
    TK_Log(sink.get(), DebuggerOutput::kResetTag, "lost");
    written->set_value();
  });
  const bool returned = done.wait_for(kroma_test::kWaitCap) == std::future_status::ready;
  EXPECT_TRUE(returned);
  if (returned)
    writer.join();
  else
    writer.detach();
}

// A signal that interrupts a long line part-way (the reader of a pipe is slow) does not cut it:
// the rest follows.
TEST(DebugLog, ALineInterruptedPartWayIsWrittenToItsEnd) {
  kroma_test::TempDir dir;
  const std::string pipe = dir.file("log.pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  struct sigaction interrupt {
  }, before{};
  interrupt.sa_handler = [](int) {};  // no restart: the write returns what it took
  ::sigaction(SIGUSR1, &interrupt, &before);

  const std::string message(200000, 'm');
  std::thread writer([&] { DebuggerOutput::printDebugInfo(pipe, message); });
  int queued = 0;
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  for (int capacity = ::fcntl(reader, F_GETPIPE_SZ);
       queued < capacity && std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(std::chrono::milliseconds(1)))
    ::ioctl(reader, FIONREAD, &queued);
  ::pthread_kill(writer.native_handle(), SIGUSR1);

  std::string received;
  ::fcntl(reader, F_SETFL, 0);  // blocking: the end of the file is the writer's close
  char buffer[65536];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) != 0;)
    if (n > 0) received.append(buffer, static_cast<size_t>(n));
  writer.join();
  ::close(reader);
  ::sigaction(SIGUSR1, &before, nullptr);
  ASSERT_GT(received.size(), message.size());
  EXPECT_EQ(received.substr(received.size() - message.size() - 1), message + "\n");
}

TEST(DebugLog, StampIsLocalTimeInTheCLocaleFormat) {
  {
    ScopedEnv tz("TZ", "HST10");
    tzset();
    EXPECT_EQ(DebuggerOutput::timeStamp(1741003509), "2025-03-03.02:05:09");  // 12:05:09 UTC
  }
  tzset();
}

TEST(DebugLog, CompareReportsRepeatsAndStoresOnlyChangedBytes) {
  std::vector<int> last(16, 0);
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 100));
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 100));
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 0));
  EXPECT_EQ(last[0] + last[1] + last[2], 0x90 + 60);
  std::vector<int> tooShort;
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(tooShort, 0xB0, 7, 1));
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(tooShort, 0xB0, 7, 1));
  // A shorter history is filled up to three zero bytes before it is compared.
  std::vector<int> none, two{0x90, 60};
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(none, 0, 0, 0));
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(two, 0x90, 60, 0));
  EXPECT_EQ(none, std::vector<int>(3, 0));
  EXPECT_EQ(two, (std::vector<int>{0x90, 60, 0}));
}

// Without a standard input the log file gets descriptor 0: its lines are written all the same.
TEST(DebugLog, ALogFileOnDescriptorZeroIsWritten) {
  kroma_test::TempDir dir;
  const std::string log = dir.file("LOG.txt");
  std::ofstream(log) << "old text\n";
  const int input = ::dup(0);
  ::close(0);
  {
    DebuggerOutput sink(log);
    TK_Log(&sink, DebuggerOutput::kResetTag, "first");
  }
  if (input >= 0) {
    ::dup2(input, 0);
    ::close(input);
  }
  EXPECT_EQ(messagesIn(log), std::vector<std::string>{"RESET: first"});
}

}  // namespace
