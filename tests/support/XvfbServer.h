#pragma once

#include <sys/types.h>

#include <string>

// An X server of the test's own, on a display it finds free, with a
// screen large enough for the largest editor; stopped by its pid.
class XvfbServer {
 public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", or "" when no server could be started.
  const std::string& display() const { return mDisplay; }

 private:
  pid_t mPid = -1;
  std::string mDisplay;
};
