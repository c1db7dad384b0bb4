#include "toolkit/plugin/midi/IMidiPortIn.h"

#include <chrono>
#include <deque>
#include <exception>
#include <system_error>

namespace {

// How long the input thread sleeps without messages before it looks at its
// stop flag again.
constexpr auto kIdleWait = std::chrono::milliseconds(50);

}  // namespace

IMidiPortIn::IMidiPortIn(const std::string& clientName, unsigned queueLimit, MidiBackend& backend,
                         TK_LogSink* log)
    : mLog(log), mClientName(clientName), mQueueLimit(queueLimit), mFramer(log) {
  makeClient(backend);
}

IMidiPortIn::~IMidiPortIn() {
  close();
  // Ends the MIDI system's own thread before the queue it feeds goes away.
  mClient.reset();
}

bool IMidiPortIn::makeClient(MidiBackend& backend) {
  if (mClient) return true;
  try {
    mClient = backend.createInClient(mClientName, mQueueLimit, mLog);
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot create the input client: " + std::string(error.what()));
  }
  return mClient != nullptr;
}

unsigned IMidiPortIn::portCount() {
  if (!mClient) return 0;
  try {
    return mClient->portCount();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot count the input ports: " + std::string(error.what()));
    return 0;
  }
}

bool IMidiPortIn::portName(unsigned port, std::string& name) {
  if (!mClient) return false;
  try {
    name = mClient->portName(port);
    return true;
  } catch (const std::exception& error) {
    midiPortLog(mLog,
                "cannot read the name of input port " + std::to_string(port) + ": " + error.what());
    return false;
  }
}

void IMidiPortIn::setCallback(Callback callback, void* user) {
  mCallback = callback;
  mUser = user;
}

bool IMidiPortIn::open(unsigned port, const std::string& ownName) {
  close();
  if (!mClient) return false;
  mFramer.reset();
  mQueue.start();
  mStop = false;
  try {
    mThread = std::thread(&IMidiPortIn::run, this, mCallback, mUser);
    mClient->openPort(port, ownName, &IMidiPortIn::onReceive, this);
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot open input port " + std::to_string(port) + ": " + error.what());
    mOpen = true;  // so that close() undoes what was started
    close();
    return false;
  }
  mOpen = true;
  return true;
}

void IMidiPortIn::close() {
  if (!mOpen) return;
  mOpen = false;
  try {
    mClient->closePort();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot close the input port: " + std::string(error.what()));
  }
  // A message the MIDI system hands over after this is refused.
  mStop = true;
  mQueue.stop();
  if (mThread.joinable()) mThread.join();
}

bool IMidiPortIn::linkLost() {
  try {
    return mOpen && mClient->linkLost();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot look at the input port's link: " + std::string(error.what()));
    return false;
  }
}

void IMidiPortIn::onReceive(const uint8_t* bytes, size_t size, void* self) {
  static_cast<IMidiPortIn*>(self)->mQueue.push(bytes, size);
}

void IMidiPortIn::run(Callback callback, void* user) {
  std::deque<IMidiPortInQueue::Message> batch;
  while (!mStop) {
    mQueue.popAll(batch, kIdleWait);
    if (const size_t refused = mQueue.takeRefused())
      midiPortLog(mLog,
                  std::to_string(refused) + " incoming messages dropped: the input queue is full");
    for (; !batch.empty() && !mStop; batch.pop_front()) deliver(batch.front(), callback, user);
    batch.clear();
  }
}

void IMidiPortIn::deliver(const IMidiPortInQueue::Message& message, Callback callback, void* user) {
  if (!callback) return;
  mFramer.feed(message.bytes.data(), message.bytes.size(), [&](const uint8_t* bytes, size_t size) {
    std::vector<unsigned char> whole(bytes, bytes + size);
    try {
      callback(message.arrival, &whole, user);
    } catch (const std::exception& error) {
      midiPortLog(mLog, "incoming message handler failed: " + std::string(error.what()));
    } catch (...) {
      midiPortLog(mLog, "incoming message handler failed");
    }
  });
}
