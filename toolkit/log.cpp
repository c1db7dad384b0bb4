#include "toolkit/log.h"

#include <cstdio>
#include <mutex>

namespace {

class StderrSink : public TK_LogSink {
 public:
  void Write(const char* tag, const std::string& message) override {
    std::lock_guard<std::mutex> lock(mMutex);
    std::fprintf(stderr, "%s%s\n", tag ? tag : "", message.c_str());
  }

 private:
  std::mutex mMutex;
};

}  // namespace

TK_LogSink& TK_StderrLog() {
  static StderrSink sink;
  return sink;
}

void TK_Log(TK_LogSink* sink, const char* tag, const std::string& message) {
  TK_LogSink& target = sink ? *sink : TK_StderrLog();
  if (!target.IsOn()) return;
  try {
    target.Write(tag ? tag : "", message);
  } catch (...) {
    // Logging must never take a host thread down.
  }
}
