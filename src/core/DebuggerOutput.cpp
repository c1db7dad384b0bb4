#include "src/core/detail/DebuggerOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// One write call per line, so that lines from several threads never mix.
void appendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += (size_t)n;
  }
  ::close(fd);
}

}  // namespace

DebuggerOutput::DebuggerOutput(std::string path)
    : mPath(std::move(path)), mOn(openDebugFile(mPath)) {}

void DebuggerOutput::Write(const char* tag, const std::string& message) {
  if (mOn) printDebugInfo(mPath, tag + message);
}

bool DebuggerOutput::openDebugFile(const std::string& path) {
  const int reader = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (reader < 0) return false;
  const int writer = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  ::close(reader);
  if (writer < 0) return false;
  ::close(writer);
  return true;
}

void DebuggerOutput::printDebugInfo(const std::string& path, const std::string& message) {
  appendToFile(path, timeStamp(std::time(nullptr)) + "\t " + message + "\n");
}

void DebuggerOutput::logSysExOutMessageByte(const unsigned char*, int) {}

void DebuggerOutput::logSysExOutMessageByteInt(const std::vector<int>&, int) {}

bool DebuggerOutput::compareMIDIdata(std::vector<int>& lastMessage, int status, int data1,
                                     int data2) {
  if (lastMessage.size() < 3) lastMessage.resize(3, 0);
  const int bytes[3] = {status, data1, data2};
  bool repeat = true;
  for (int i = 0; i < 3; ++i) {
    if (lastMessage[i] == bytes[i]) continue;
    lastMessage[i] = bytes[i];
    repeat = false;
  }
  return repeat;
}

std::string DebuggerOutput::timeStamp(std::time_t when) {
  std::tm local{};
  char text[80] = "";
  if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%Y-%m-%d.%X", &local);
  return text;
}
