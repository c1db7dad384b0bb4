#pragma once

#include <atomic>
#include <chrono>
#include <istream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class PluginInstance;

// The lines of a script read on a thread of their own, so that the host runs on while its user
// has not given the next step yet.
class LineReader {
 public:
  explicit LineReader(std::istream& in);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  enum Result { kLine, kNothingYet, kEnd };
  // The next line, waiting at most `wait` for it.
  Result next(std::string& line, std::chrono::milliseconds wait);

 private:
  struct Shared;
  // Shared with the reading thread, which a blocked read keeps alive past the reader.
  std::shared_ptr<Shared> mShared;
};

// A host's audio thread: every block of `frames` samples at the host's sample rate, one process
// call for each instance served, and the transport moved on by the block. Its calls to the host
// go unprinted.
class AudioThread {
 public:
  ~AudioThread();

  void start(std::vector<PluginInstance*> instances, int frames);
  void stop();
  bool running() const { return mThread.joinable(); }

 private:
  void run(std::vector<PluginInstance*> instances, int frames);

  std::thread mThread;
  std::atomic<bool> mStop{false};
};
