#include "toolkit/plugin/midi/detail/MidiBackendRt.h"

#include <RtMidi.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// RtMidi limits a message over JACK to what its ring buffer holds in one piece.
constexpr size_t kJackMaxMessage = 16379;
// A full JACK output buffer drains within a few periods; waiting longer means
// the server has stopped serving us.
constexpr auto kSendRetryFor = std::chrono::milliseconds(250);

// Collects what RtMidi reports through its error callback. With a callback
// installed RtMidi throws nothing, so every call is followed by check():
// errors become exceptions for the port objects, warnings are logged.
class ErrorTrap {
 public:
  explicit ErrorTrap(RtMidi& client) { client.setErrorCallback(&ErrorTrap::onError, this); }

  // Throws the first error reported since the last check; returns whether a
  // warning was reported.
  bool check() {
    std::lock_guard<std::mutex> lock(mMutex);
    const std::string error = std::move(mError), warning = std::move(mWarning);
    mError.clear();
    mWarning.clear();
    if (!error.empty()) throw std::runtime_error(error);
    return !warning.empty();
  }
  std::string lastWarning() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mLastWarning;
  }

 private:
  static void onError(RtMidiError::Type type, const std::string& text, void* self) {
    auto* trap = static_cast<ErrorTrap*>(self);
    std::lock_guard<std::mutex> lock(trap->mMutex);
    const bool warning = type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING;
    std::string& slot = warning ? trap->mWarning : trap->mError;
    if (slot.empty()) slot = text;
    if (warning) trap->mLastWarning = text;
  }

  std::mutex mMutex;
  std::string mError, mWarning, mLastWarning;
};

// RtMidi only warns when it cannot connect an opened port (a port number
// that is no longer valid, for one); the port is not usable then.
void failOnWarning(ErrorTrap& trap) {
  if (trap.check()) throw std::runtime_error(trap.lastWarning());
}

// RtMidi's JACK API reads a port's name from its list unchecked: a number past a list that
// shrank since it was counted reads past its end.
void requireListed(unsigned port, unsigned count) {
  if (port >= count)
    throw std::runtime_error("no port " + std::to_string(port) + " among " + std::to_string(count));
}

bool apiCompiled(RtMidi::Api api) {
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  return std::find(apis.begin(), apis.end(), api) != apis.end();
}

// The APIs to try, in order, as KROMA_MIDI_API asks.
std::vector<RtMidi::Api> candidateApis(TK_LogSink* log) {
  const char* env = std::getenv("KROMA_MIDI_API");
  const std::string choice = env ? env : "";
  if (choice == "alsa") return {RtMidi::LINUX_ALSA};
  if (choice == "jack") return {RtMidi::UNIX_JACK};
  if (!choice.empty())
    midiPortLog(log, "unknown KROMA_MIDI_API \"" + choice + "\"; trying ALSA, then JACK");
  return {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
}

// Makes a client of the first usable API. RtMidi falls back to other APIs on
// its own when the one asked for is not compiled in, so that is checked first.
template <class Client, class... Args>
std::unique_ptr<Client> makeClient(TK_LogSink* log, RtMidi::Api& chosen, const Args&... args) {
  for (RtMidi::Api api : candidateApis(log)) {
    if (!apiCompiled(api)) continue;
    std::string why;
    if (api == RtMidi::UNIX_JACK && !MidiBackendRt::jackServerRunning(&why)) {
      midiPortLog(log, why);
      continue;
    }
    try {
      auto client = std::make_unique<Client>(api, args...);
      chosen = api;
      return client;
    } catch (const RtMidiError& error) {
      midiPortLog(log, RtMidi::getApiDisplayName(api) + ": " + error.getMessage());
    }
  }
  midiPortLog(log, "no MIDI system is available");
  return nullptr;
}

// Where JACK carries the ports: whether the connection an open port made is still there. A port
// that went away and came back under its name is another port, which RtMidi does not connect
// again. RtMidi's own JACK client is hidden, so a client of our own, without ports, looks at the
// connections of the port we reached. It is made with the library's client, on the same thread:
// a client opened later, on a host's editor thread just before a port opens, broke the library's
// own client in a real host.
// Our port is the one the open registered: a registration shows at once, a connection only once
// the server's cycle has gone on, which it cannot while a host's audio, itself a JACK client,
// waits for the plug-in's lock that the open is made under.
class JackLink {
 public:
  // `ownSide`: JackPortIsInput for the library's input port, JackPortIsOutput for its output.
  JackLink(RtMidi::Api api, unsigned long ownSide)
      : mClient(api == RtMidi::UNIX_JACK
                    ? jack_client_open("kroma-link", JackNoStartServer, nullptr)
                    : nullptr),
        mOwnSide(ownSide) {}
  ~JackLink() {
    if (mClient) jack_client_close(mClient);
  }
  JackLink(const JackLink&) = delete;
  JackLink& operator=(const JackLink&) = delete;

  // Around the library's open of its port `ownName` to `target`.
  void opening(const std::string& target) {
    mTarget = target;
    mOurs.clear();
    mBefore = ownSidePorts();
  }
  void opened(const std::string& ownName) {
    const std::string suffix = ":" + ownName;
    std::vector<std::string> added;
    for (const std::string& name : ownSidePorts())
      if (name.size() > suffix.size() &&
          name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
          std::find(mBefore.begin(), mBefore.end(), name) == mBefore.end())
        added.push_back(name);
    if (added.size() == 1) mOurs = added.front();
  }
  void closed() { mOurs.clear(); }
  bool lost() {
    if (mOurs.empty()) return false;
    jack_port_t* target = jack_port_by_name(mClient, mTarget.c_str());
    return !target || !jack_port_connected_to(target, mOurs.c_str());
  }

 private:
  // The MIDI ports on our side of a link, every program's.
  std::vector<std::string> ownSidePorts() {
    std::vector<std::string> names;
    const char** all =
        mClient ? jack_get_ports(mClient, nullptr, JACK_DEFAULT_MIDI_TYPE, mOwnSide) : nullptr;
    for (const char** name = all; name && *name; ++name) names.emplace_back(*name);
    if (all) jack_free(all);
    return names;
  }

  jack_client_t* const mClient;
  const unsigned long mOwnSide;
  std::string mTarget, mOurs;
  std::vector<std::string> mBefore;
};

class RtInClient : public MidiInClient {
 public:
  RtInClient(std::unique_ptr<RtMidiIn> in, RtMidi::Api api)
      : mIn(std::move(in)), mTrap(*mIn), mLink(api, JackPortIsInput) {
    mIn->setCallback(&RtInClient::onMessage, this);
    mIn->ignoreTypes(false, true, true);
    mTrap.check();
  }
  ~RtInClient() override { mIn.reset(); }  // stops the library's thread before the fields go

  unsigned portCount() override { return checked(mIn->getPortCount()); }
  std::string portName(unsigned port) override {
    requireListed(port, portCount());
    return checked(mIn->getPortName(port));
  }

  void openPort(unsigned port, const std::string& ownName, MidiReceiveFn receive,
                void* user) override {
    mUser.store(user);
    mReceive.store(receive);
    mLink.opening(portName(port));
    mIn->openPort(port, ownName);
    failOnWarning(mTrap);
    mLink.opened(ownName);
  }
  void closePort() override {
    mLink.closed();
    mIn->closePort();
    mReceive.store(nullptr);
    mTrap.check();
  }
  bool linkLost() override { return mLink.lost(); }

 private:
  template <class T>
  T checked(T value) {
    mTrap.check();
    return value;
  }

  static void onMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* client = static_cast<RtInClient*>(self);
    const MidiReceiveFn receive = client->mReceive.load();
    if (receive && message && !message->empty())
      receive(message->data(), message->size(), client->mUser.load());
  }

  std::unique_ptr<RtMidiIn> mIn;
  ErrorTrap mTrap;
  JackLink mLink;
  // Read on the library's thread.
  std::atomic<MidiReceiveFn> mReceive{nullptr};
  std::atomic<void*> mUser{nullptr};
};

class RtOutClient : public MidiOutClient {
 public:
  RtOutClient(std::unique_ptr<RtMidiOut> out, RtMidi::Api api)
      : mOut(std::move(out)),
        mTrap(*mOut),
        mLink(api, JackPortIsOutput),
        mMax(api == RtMidi::UNIX_JACK ? kJackMaxMessage : 0) {}
  ~RtOutClient() override { mOut.reset(); }  // may still report through the trap

  unsigned portCount() override { return checked(mOut->getPortCount()); }
  std::string portName(unsigned port) override {
    requireListed(port, portCount());
    return checked(mOut->getPortName(port));
  }
  void openPort(unsigned port, const std::string& ownName) override {
    mLink.opening(portName(port));
    mOut->openPort(port, ownName);
    failOnWarning(mTrap);
    mLink.opened(ownName);
  }
  void openVirtualPort(const std::string& name) override {
    mLink.closed();
    mOut->openVirtualPort(name);
    mTrap.check();
  }
  void closePort() override {
    mLink.closed();
    mOut->closePort();
    mTrap.check();
  }
  bool linkLost() override { return mLink.lost(); }

  // RtMidi only warns when its output buffer is full and drops the message;
  // a send waits (bounded) for room instead, then fails with the warning.
  bool send(const uint8_t* bytes, size_t size) override {
    const auto giveUp = std::chrono::steady_clock::now() + kSendRetryFor;
    for (;;) {
      mOut->sendMessage(bytes, size);
      if (!mTrap.check()) return true;
      if (std::chrono::steady_clock::now() >= giveUp) throw std::runtime_error(mTrap.lastWarning());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  size_t maxMessageSize() const override { return mMax; }

 private:
  template <class T>
  T checked(T value) {
    mTrap.check();
    return value;
  }

  std::unique_ptr<RtMidiOut> mOut;
  ErrorTrap mTrap;
  JackLink mLink;
  const size_t mMax;
};

}  // namespace

std::unique_ptr<MidiInClient> MidiBackendRt::createInClient(const std::string& clientName,
                                                            unsigned queueLimit, TK_LogSink* log) {
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  auto in = makeClient<RtMidiIn>(log, api, clientName, queueLimit);
  if (!in) return nullptr;
  return std::make_unique<RtInClient>(std::move(in), api);
}

std::unique_ptr<MidiOutClient> MidiBackendRt::createOutClient(const std::string& clientName,
                                                              TK_LogSink* log) {
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  auto out = makeClient<RtMidiOut>(log, api, clientName);
  if (!out) return nullptr;
  return std::make_unique<RtOutClient>(std::move(out), api);
}

bool MidiBackendRt::jackServerRunning(std::string* why) {
  jack_status_t status = static_cast<jack_status_t>(0);
  jack_client_t* probe = jack_client_open("kroma-probe", JackNoStartServer, &status);
  if (probe) {
    jack_client_close(probe);
    return true;
  }
  if (why) {
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%x", static_cast<unsigned>(status));
    *why = std::string(status & JackServerFailed ? "no JACK server is running"
                                                 : "the JACK server refused a client") +
           " (JACK status " + bits + ")";
  }
  return false;
}
