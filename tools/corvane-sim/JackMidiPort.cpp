#include "tools/corvane-sim/JackMidiPort.h"

#include <jack/midiport.h>

#include <cstdint>
#include <cstring>

namespace corvane_sim {
namespace {

// Queue records: arrival time in clock ticks, byte count, bytes.
struct RecordHeader {
  std::int64_t ticks;
  std::uint32_t size;
};

}  // namespace

JackMidiPort::~JackMidiPort() {
  close();
}

bool JackMidiPort::open(const std::string& clientName, const std::string& inName,
                        const std::string& outName) {
  jack_status_t status;
  mClient = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  if (mClient == nullptr) return false;
  mSampleRate = jack_get_sample_rate(mClient);
  mInQueue = jack_ringbuffer_create(mQueueBytes);
  mOutQueue = jack_ringbuffer_create(mQueueBytes);
  mIn = jack_port_register(mClient, inName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  mOut = jack_port_register(mClient, outName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (mIn == nullptr || mOut == nullptr || jack_set_process_callback(mClient, process, this) != 0 ||
      jack_activate(mClient) != 0) {
    close();
    return false;
  }
  return true;
}

void JackMidiPort::close() {
  if (mClient != nullptr) {
    jack_deactivate(mClient);
    jack_client_close(mClient);
    mClient = nullptr;
  }
  if (mInQueue != nullptr) jack_ringbuffer_free(mInQueue);
  if (mOutQueue != nullptr) jack_ringbuffer_free(mOutQueue);
  mInQueue = mOutQueue = nullptr;
}

int JackMidiPort::process(jack_nframes_t frames, void* arg) {
  auto* self = static_cast<JackMidiPort*>(arg);
  self->readInput(frames);
  self->writeOutput(frames);
  return 0;
}

void JackMidiPort::readInput(jack_nframes_t frames) {
  void* buffer = jack_port_get_buffer(mIn, frames);
  const jack_nframes_t count = jack_midi_get_event_count(buffer);
  const Clock::time_point now = Clock::now();
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    // The events of this buffer arrived during the last period, event.time frames into it.
    const auto ago = std::chrono::nanoseconds(static_cast<std::int64_t>(frames - event.time) *
                                              1000000000 / mSampleRate);
    const RecordHeader header{(now - ago).time_since_epoch().count(),
                              static_cast<std::uint32_t>(event.size)};
    if (jack_ringbuffer_write_space(mInQueue) < sizeof header + event.size) return;
    jack_ringbuffer_write(mInQueue, reinterpret_cast<const char*>(&header), sizeof header);
    jack_ringbuffer_write(mInQueue, reinterpret_cast<const char*>(event.buffer), event.size);
  }
}

void JackMidiPort::writeOutput(jack_nframes_t frames) {
  void* buffer = jack_port_get_buffer(mOut, frames);
  jack_midi_clear_buffer(buffer);
  RecordHeader header;
  while (jack_ringbuffer_read_space(mOutQueue) >= sizeof header) {
    jack_ringbuffer_peek(mOutQueue, reinterpret_cast<char*>(&header), sizeof header);
    if (jack_ringbuffer_read_space(mOutQueue) < sizeof header + header.size) return;
    // A message that does not fit this cycle waits for the next one.
    if (header.size > jack_midi_max_event_size(buffer)) return;
    jack_midi_data_t* slot = jack_midi_event_reserve(buffer, 0, header.size);
    if (slot == nullptr) return;
    jack_ringbuffer_read_advance(mOutQueue, sizeof header);
    jack_ringbuffer_read(mOutQueue, reinterpret_cast<char*>(slot), header.size);
  }
}

std::vector<ReceivedMessage> JackMidiPort::receiveAll() {
  std::vector<ReceivedMessage> messages;
  RecordHeader header;
  while (jack_ringbuffer_read_space(mInQueue) >= sizeof header) {
    jack_ringbuffer_peek(mInQueue, reinterpret_cast<char*>(&header), sizeof header);
    // The writer puts header and bytes in two steps: take a record only once it is whole.
    if (jack_ringbuffer_read_space(mInQueue) < sizeof header + header.size) break;
    jack_ringbuffer_read_advance(mInQueue, sizeof header);
    ReceivedMessage message{Clock::time_point(Clock::duration(header.ticks)), Bytes(header.size)};
    jack_ringbuffer_read(mInQueue, reinterpret_cast<char*>(message.bytes.data()), header.size);
    messages.push_back(std::move(message));
  }
  return messages;
}

bool JackMidiPort::send(const Bytes& message) {
  const RecordHeader header{0, static_cast<std::uint32_t>(message.size())};
  if (jack_ringbuffer_write_space(mOutQueue) < sizeof header + message.size()) return false;
  jack_ringbuffer_write(mOutQueue, reinterpret_cast<const char*>(&header), sizeof header);
  jack_ringbuffer_write(mOutQueue, reinterpret_cast<const char*>(message.data()), message.size());
  return true;
}

}  // namespace corvane_sim
