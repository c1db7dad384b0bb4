#include "toolkit/plugin/midi/MidiBackendMemory.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

struct MidiBackendMemory::State {
  struct Port {
    std::string name;
    std::vector<std::vector<uint8_t>> received;
    unsigned serial = 0;  // a port that came back under its name is another port
  };
  struct Connection {
    const void* client;
    std::string port;
    MidiReceiveFn receive;
    void* user;
  };

  mutable std::mutex mutex;
  std::vector<Port> inputs, outputs;
  std::vector<Port> virtuals;  // opened by clients, not listed as destinations
  std::vector<Connection> connections;
  unsigned serials = 0;
  bool available = true, failOpen = false, failNames = false, failCreate = false;
  std::string failName;
  size_t maxMessage = 0;

  // Lock held.
  static Port* find(std::vector<Port>& ports, const std::string& name) {
    auto it =
        std::find_if(ports.begin(), ports.end(), [&](const Port& p) { return p.name == name; });
    return it == ports.end() ? nullptr : &*it;
  }
  Port* findOutput(const std::string& name) {
    Port* port = find(outputs, name);
    return port ? port : find(virtuals, name);
  }
  Port* findOutput(const std::string& name, unsigned serial) {
    Port* port = findOutput(name);
    return port && port->serial == serial ? port : nullptr;
  }
  void add(std::vector<Port>& ports, const std::string& name) {
    ports.push_back({name, {}, ++serials});
  }
  bool connected(const void* client) const {
    return std::any_of(connections.begin(), connections.end(),
                       [&](const Connection& c) { return c.client == client; });
  }
  std::string nameOf(const std::vector<Port>& ports, unsigned port) const {
    if (failNames) throw std::runtime_error("port name unreadable");
    if (port >= ports.size()) throw std::runtime_error("no such port");
    if (!failName.empty() && ports[port].name == failName)
      throw std::runtime_error("port name unreadable");
    return ports[port].name;
  }
  void disconnect(const void* client) {
    connections.erase(std::remove_if(connections.begin(), connections.end(),
                                     [&](const Connection& c) { return c.client == client; }),
                      connections.end());
  }
  void checkOpen(const std::vector<Port>& ports, unsigned port) const {
    if (failOpen) throw std::runtime_error("port refused to open");
    if (port >= ports.size()) throw std::runtime_error("no such port");
  }
};

namespace {

using State = MidiBackendMemory::State;

class MemoryInClient : public MidiInClient {
 public:
  explicit MemoryInClient(std::shared_ptr<State> state) : mState(std::move(state)) {}
  ~MemoryInClient() override { closePort(); }

  unsigned portCount() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return (unsigned)mState->inputs.size();
  }
  std::string portName(unsigned port) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return mState->nameOf(mState->inputs, port);
  }
  void openPort(unsigned port, const std::string&, MidiReceiveFn receive, void* user) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    mState->checkOpen(mState->inputs, port);
    mState->disconnect(this);
    mState->connections.push_back({this, mState->inputs[port].name, receive, user});
    mOpen = true;
  }
  // Messages are delivered under the lock, so none comes after this returns.
  void closePort() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    mState->disconnect(this);
    mOpen = false;
  }
  bool linkLost() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return mOpen && !mState->connected(this);
  }

 private:
  std::shared_ptr<State> mState;
  bool mOpen = false;
};

class MemoryOutClient : public MidiOutClient {
 public:
  explicit MemoryOutClient(std::shared_ptr<State> state) : mState(std::move(state)) {}

  unsigned portCount() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return (unsigned)mState->outputs.size();
  }
  std::string portName(unsigned port) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return mState->nameOf(mState->outputs, port);
  }
  void openPort(unsigned port, const std::string&) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    mState->checkOpen(mState->outputs, port);
    mPort = mState->outputs[port].name;
    mSerial = mState->outputs[port].serial;
  }
  void openVirtualPort(const std::string& name) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    if (mState->failOpen) throw std::runtime_error("port refused to open");
    if (!State::find(mState->virtuals, name)) mState->add(mState->virtuals, name);
    mPort = name;
    mSerial = State::find(mState->virtuals, name)->serial;
  }
  void closePort() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    mPort.clear();
  }
  bool send(const uint8_t* bytes, size_t size) override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    State::Port* port = mPort.empty() ? nullptr : mState->findOutput(mPort, mSerial);
    if (!port) return false;
    port->received.emplace_back(bytes, bytes + size);
    return true;
  }
  size_t maxMessageSize() const override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return mState->maxMessage;
  }
  bool linkLost() override {
    std::lock_guard<std::mutex> lock(mState->mutex);
    return !mPort.empty() && !mState->findOutput(mPort, mSerial);
  }

 private:
  std::shared_ptr<State> mState;
  std::string mPort;
  unsigned mSerial = 0;
};

}  // namespace

MidiBackendMemory::MidiBackendMemory() : mState(std::make_shared<State>()) {}

std::unique_ptr<MidiInClient> MidiBackendMemory::createInClient(const std::string&, unsigned,
                                                                TK_LogSink*) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  if (mState->failCreate) throw std::runtime_error("client refused");
  if (!mState->available) return nullptr;
  return std::make_unique<MemoryInClient>(mState);
}

std::unique_ptr<MidiOutClient> MidiBackendMemory::createOutClient(const std::string&, TK_LogSink*) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  if (mState->failCreate) throw std::runtime_error("client refused");
  if (!mState->available) return nullptr;
  return std::make_unique<MemoryOutClient>(mState);
}

void MidiBackendMemory::addInputPort(const std::string& name) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->add(mState->inputs, name);
}

void MidiBackendMemory::addOutputPort(const std::string& name) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->add(mState->outputs, name);
}

void MidiBackendMemory::removePort(const std::string& name) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  for (auto* ports : {&mState->inputs, &mState->outputs})
    ports->erase(std::remove_if(ports->begin(), ports->end(),
                                [&](const State::Port& p) { return p.name == name; }),
                 ports->end());
  auto& connections = mState->connections;
  connections.erase(std::remove_if(connections.begin(), connections.end(),
                                   [&](const State::Connection& c) { return c.port == name; }),
                    connections.end());
}

bool MidiBackendMemory::deviceSend(const std::string& port, const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  if (!State::find(mState->inputs, port)) return false;
  bool taken = false;
  for (const State::Connection& c : mState->connections) {
    if (c.port != port) continue;
    c.receive(bytes.data(), bytes.size(), c.user);
    taken = true;
  }
  return taken;
}

std::vector<std::vector<uint8_t>> MidiBackendMemory::received(const std::string& port) const {
  std::lock_guard<std::mutex> lock(mState->mutex);
  State::Port* found = mState->findOutput(port);
  return found ? found->received : std::vector<std::vector<uint8_t>>{};
}

bool MidiBackendMemory::inputConnected(const std::string& port) const {
  std::lock_guard<std::mutex> lock(mState->mutex);
  return std::any_of(mState->connections.begin(), mState->connections.end(),
                     [&](const State::Connection& c) { return c.port == port; });
}

void MidiBackendMemory::setAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->available = available;
}

void MidiBackendMemory::setFailOpen(bool fail) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->failOpen = fail;
}

void MidiBackendMemory::setFailNames(bool fail) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->failNames = fail;
}

void MidiBackendMemory::setFailName(const std::string& port) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->failName = port;
}

void MidiBackendMemory::setFailCreate(bool fail) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->failCreate = fail;
}

void MidiBackendMemory::setMaxMessageSize(size_t size) {
  std::lock_guard<std::mutex> lock(mState->mutex);
  mState->maxMessage = size;
}
