#include "toolkit/log.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct RecordingSink : TK_LogSink {
  bool on = true;
  bool throws = false;
  std::vector<std::string> lines;
  bool IsOn() const override { return on; }
  void Write(const char* tag, const std::string& message) override {
    if (throws) throw std::runtime_error("disk full");
    lines.push_back(std::string(tag) + message);
  }
};

TEST(LogTest, LinesReachTheSinkOnlyWhileItIsOnAndAThrowingSinkIsContained) {
  RecordingSink sink;
  TK_Log(&sink, "PROCESSOR: ", "started");
  TK_Log(&sink, nullptr, "untagged");
  sink.on = false;
  TK_Log(&sink, "PROCESSOR: ", "dropped");
  sink.on = true;
  sink.throws = true;
  EXPECT_NO_THROW(TK_Log(&sink, "X: ", "lost"));
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"PROCESSOR: started", "untagged"}));
}

TEST(LogTest, NoSinkWritesToStandardError) {
  testing::internal::CaptureStderr();
  TK_Log(nullptr, "MIDI PORTS: ", "port gone");
  TK_Log(nullptr, nullptr, "untagged");
  TK_StderrLog().Write(nullptr, "written directly");
  TK_StderrLog().Write("T: ", "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MIDI PORTS: port gone\nuntagged\nwritten directly\nT: \n");
}

}  // namespace
