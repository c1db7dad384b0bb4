#pragma once

#include <sys/types.h>

#include <string>

// An X server of the test's own, on a display it finds free, with a
// screen large enough for the largest editor unless another size is asked
// for ("WIDTHxHEIGHTxDEPTH"); stopped by its pid.
class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen = "1920x1080x24");
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", or "" when no server could be started.
  const std::string& display() const { return mDisplay; }

 private:
  pid_t mPid = -1;
  std::string mDisplay;
};
