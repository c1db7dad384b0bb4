#include "tools/kroma-host/HostLoop.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "tools/kroma-host/HostCallback.h"
#include "tools/kroma-host/PluginInstance.h"

struct LineReader::Shared {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<std::string> lines;
  bool ended = false;
};

LineReader::LineReader(std::istream& in) : mShared(std::make_shared<Shared>()) {
  std::thread([shared = mShared, &in] {
    std::string line;
    while (std::getline(in, line)) {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->lines.push_back(line);
      shared->ready.notify_one();
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->ended = true;
    shared->ready.notify_one();
  }).detach();
}

LineReader::~LineReader() = default;

LineReader::Result LineReader::next(std::string& line, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mShared->mutex);
  mShared->ready.wait_for(lock, wait, [this] { return !mShared->lines.empty() || mShared->ended; });
  if (mShared->lines.empty()) return mShared->ended ? kEnd : kNothingYet;
  line = std::move(mShared->lines.front());
  mShared->lines.pop_front();
  return kLine;
}

AudioThread::~AudioThread() {
  stop();
}

void AudioThread::start(std::vector<PluginInstance*> instances, int frames) {
  stop();
  if (instances.empty() || frames < 1) return;
  mStop = false;
  mThread = std::thread(&AudioThread::run, this, std::move(instances), frames);
}

void AudioThread::stop() {
  if (!mThread.joinable()) return;
  mStop = true;
  mThread.join();
}

void AudioThread::run(std::vector<PluginInstance*> instances, int frames) {
  HostCallback::setThreadQuiet(true);
  HostCallback& host = HostCallback::instance();
  const double rate = host.time().sampleRate > 0 ? host.time().sampleRate : 44100.0;
  const auto block = std::chrono::duration<double>(frames / rate);
  auto due = std::chrono::steady_clock::now();
  while (!mStop) {
    for (PluginInstance* instance : instances) instance->process(ProcessKind::kReplacing, frames);
    host.advance(frames);
    due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(block);
    std::this_thread::sleep_until(due);
  }
}
