#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "platform/datafolder/DataFolder.h"
#include "src/core/DebuggerOutput.h"

namespace {

namespace fs = std::filesystem;
using kroma_test::ScopedEnv;
using kroma_test::TempDir;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::regex kLine(R"(\d{4}-\d{2}-\d{2}\.\d{2}:\d{2}:\d{2}\t (.*))");

class DebugLog : public ::testing::Test {
 protected:
  TempDir mDir;
  ScopedEnv mData{"KROMA_DATA_DIR", mDir.path().c_str()};
  std::string mLog = DataFolder::logFile();
};

TEST_F(DebugLog, MissingFileKeepsLoggingOffAndCreatesNothing) {
  EXPECT_FALSE(DebuggerOutput::openDebugFile(mLog));
  EXPECT_FALSE(fs::exists(mLog));
  EXPECT_TRUE(fs::is_empty(mDir.path()));
}

TEST_F(DebugLog, ExistingFileIsEmptiedThenGetsOneLinePerCall) {
  std::ofstream(mLog) << "old text from the last session\n";
  ASSERT_TRUE(DebuggerOutput::openDebugFile(mLog));
  EXPECT_EQ(fs::file_size(mLog), 0u);

  DebuggerOutput::printDebugInfo(mLog, "INITIALIZATION STARTED!");
  DebuggerOutput::printDebugInfo(mLog, std::string(DebuggerOutput::kProjectRecallTag) + "done");
  const auto lines = linesOf(readFile(mLog));
  ASSERT_EQ(lines.size(), 2u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines[0], match, kLine)) << lines[0];
  EXPECT_EQ(match[1], "INITIALIZATION STARTED!");
  ASSERT_TRUE(std::regex_match(lines[1], match, kLine)) << lines[1];
  EXPECT_EQ(match[1], "PROJECT RECALL: done");
  EXPECT_EQ(readFile(mLog).back(), '\n');
}

TEST_F(DebugLog, UnusableLogFileLeavesLoggingOffAndWritesFailQuietly) {
  fs::create_directory(mLog);
  EXPECT_FALSE(DebuggerOutput::openDebugFile(mLog)) << "a folder cannot be emptied as a log";
  DebuggerOutput::printDebugInfo(mLog, "lost");
  EXPECT_TRUE(fs::is_directory(mLog));

  const std::string nowhere = mDir.file("missing/sub/Kroma Editor LOG.txt");
  EXPECT_FALSE(DebuggerOutput::openDebugFile(nowhere));
  DebuggerOutput::printDebugInfo(nowhere, "lost");
  EXPECT_FALSE(fs::exists(mDir.file("missing")));
}

TEST_F(DebugLog, LinesFromSeveralThreadsStayWhole) {
  std::ofstream(mLog).close();
  ASSERT_TRUE(DebuggerOutput::openDebugFile(mLog));
  const std::string message(300, 'x');
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&] {
      for (int i = 0; i < 50; ++i) DebuggerOutput::printDebugInfo(mLog, message);
    });
  for (auto& writer : writers) writer.join();
  const auto lines = linesOf(readFile(mLog));
  ASSERT_EQ(lines.size(), 200u);
  std::smatch match;
  for (const auto& line : lines) {
    ASSERT_TRUE(std::regex_match(line, match, kLine));
    ASSERT_EQ(match[1], message);
  }
}

TEST_F(DebugLog, InstanceSinkIsOffAndCreatesNothingWithoutTheFile) {
  DebuggerOutput sink(mLog);
  EXPECT_FALSE(sink.IsOn());
  TK_Log(&sink, DebuggerOutput::kResetTag, "lost");
  EXPECT_FALSE(fs::exists(mLog));
  EXPECT_TRUE(fs::is_empty(mDir.path()));
}

TEST_F(DebugLog, InstanceSinksEmptyTheirFileAndWriteTaggedLinesOnlyThere) {
  const std::string otherLog = mDir.file("other LOG.txt");
  std::ofstream(mLog) << "old text from the last session\n";
  std::ofstream(otherLog).close();
  DebuggerOutput first(mLog), second(otherLog);
  ASSERT_TRUE(first.IsOn());
  ASSERT_TRUE(second.IsOn());
  EXPECT_EQ(fs::file_size(mLog), 0u);

  TK_Log(&first, DebuggerOutput::kConfigReaderTag, "Completed!");
  TK_Log(&second, DebuggerOutput::kPatchLibrarianTag, "loading file a.syx");
  TK_Log(&second, "", "untagged");
  std::smatch match;
  const auto firstLines = linesOf(readFile(mLog));
  ASSERT_EQ(firstLines.size(), 1u);
  ASSERT_TRUE(std::regex_match(firstLines[0], match, kLine)) << firstLines[0];
  EXPECT_EQ(match[1], "CONFIG READER: Completed!");
  const auto secondLines = linesOf(readFile(otherLog));
  ASSERT_EQ(secondLines.size(), 2u);
  ASSERT_TRUE(std::regex_match(secondLines[0], match, kLine)) << secondLines[0];
  EXPECT_EQ(match[1], "PATCH LIBRARIAN: loading file a.syx");
  ASSERT_TRUE(std::regex_match(secondLines[1], match, kLine)) << secondLines[1];
  EXPECT_EQ(match[1], "untagged");
}

TEST(DebugLogTime, StampIsLocalTimeInTheCLocaleFormat) {
  const std::time_t utc120509 = 1741003509;  // 2025-03-03 12:05:09 UTC
  {
    ScopedEnv tz("TZ", "EET-2");
    tzset();
    EXPECT_EQ(DebuggerOutput::timeStamp(utc120509), "2025-03-03.14:05:09");
  }
  {
    ScopedEnv tz("TZ", "UTC0");
    tzset();
    EXPECT_EQ(DebuggerOutput::timeStamp(utc120509), "2025-03-03.12:05:09");
    ScopedEnv west("TZ", "HST10");
    tzset();
    EXPECT_EQ(DebuggerOutput::timeStamp(utc120509), "2025-03-03.02:05:09");
  }
  tzset();
}

TEST(DebugLogCompare, ReportsRepeatsAndStoresOnlyChangedBytes) {
  std::vector<int> last(16, 0);
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 100));
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 100));
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(last, 0x90, 60, 0));
  EXPECT_EQ(std::vector<int>(last.begin(), last.begin() + 3), (std::vector<int>{0x90, 60, 0}));
  EXPECT_EQ(std::vector<int>(last.begin() + 3, last.end()), std::vector<int>(13, 0));

  std::vector<int> tooShort;
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(tooShort, 0xB0, 7, 1));
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(tooShort, 0xB0, 7, 1));
}

}  // namespace
