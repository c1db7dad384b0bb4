#include "toolkit/plugin/midi/IMidiPortOut.h"

#include <exception>

IMidiPortOut::IMidiPortOut(const std::string& clientName, MidiBackend& backend, TK_LogSink* log)
    : mLog(log), mClientName(clientName) {
  makeClient(backend);
}

IMidiPortOut::~IMidiPortOut() {
  close();
}

bool IMidiPortOut::hasClient() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mClient != nullptr;
}

bool IMidiPortOut::makeClient(MidiBackend& backend) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mClient) return true;
  try {
    mClient = backend.createOutClient(mClientName, mLog);
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot create the output client: " + std::string(error.what()));
  }
  return mClient != nullptr;
}

unsigned IMidiPortOut::portCount() {
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mClient) return 0;
  try {
    return mClient->portCount();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot count the output ports: " + std::string(error.what()));
    return 0;
  }
}

bool IMidiPortOut::portName(unsigned port, std::string& name) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mClient) return false;
  try {
    name = mClient->portName(port);
    return true;
  } catch (const std::exception& error) {
    midiPortLog(
        mLog, "cannot read the name of output port " + std::to_string(port) + ": " + error.what());
    return false;
  }
}

bool IMidiPortOut::open(unsigned port, const std::string& ownName) {
  return openWith([&] { mClient->openPort(port, ownName); }, "port " + std::to_string(port));
}

bool IMidiPortOut::openVirtual(const std::string& name) {
  return openWith([&] { mClient->openVirtualPort(name); }, "virtual port \"" + name + "\"");
}

bool IMidiPortOut::openWith(const std::function<void()>& connect, const std::string& what) {
  std::lock_guard<std::mutex> lock(mMutex);
  closeLocked();
  if (!mClient) return false;
  try {
    connect();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot open output " + what + ": " + error.what());
    return false;
  }
  mOpen = true;
  return true;
}

void IMidiPortOut::close() {
  std::lock_guard<std::mutex> lock(mMutex);
  closeLocked();
}

void IMidiPortOut::closeLocked() {
  if (!mOpen) return;
  mOpen = false;
  try {
    mClient->closePort();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot close the output port: " + std::string(error.what()));
  }
}

bool IMidiPortOut::isOpen() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mOpen;
}

bool IMidiPortOut::linkLost() {
  std::lock_guard<std::mutex> lock(mMutex);
  try {
    return mOpen && mClient->linkLost();
  } catch (const std::exception& error) {
    midiPortLog(mLog, "cannot look at the output port's link: " + std::string(error.what()));
    return false;
  }
}

bool IMidiPortOut::send(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0) return false;
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mOpen) return false;
  const size_t limit = mClient->maxMessageSize();
  if (limit && size > limit) {
    midiPortLog(mLog, "message of " + std::to_string(size) +
                          " bytes not sent: the port carries at most " + std::to_string(limit) +
                          " bytes per message");
    return false;
  }
  try {
    return mClient->send(bytes, size);
  } catch (const std::exception& error) {
    midiPortLog(mLog, "send failed: " + std::string(error.what()));
    return false;
  }
}
