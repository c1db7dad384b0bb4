#include "toolkit/plugin/midi/MidiBackend.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "toolkit/plugin/midi/MidiBackendRt.h"

namespace {

std::atomic<MidiBackend*> gCurrent{nullptr};

std::mutex& logMutex() {
  static std::mutex mutex;
  return mutex;
}

MidiPortLogSink& logSink() {
  static MidiPortLogSink sink;
  return sink;
}

}  // namespace

MidiBackend& MidiBackend::current() {
  MidiBackend* backend = gCurrent.load();
  if (backend) return *backend;
  static MidiBackendRt system;
  return system;
}

void MidiBackend::setCurrent(MidiBackend* backend) {
  gCurrent.store(backend);
}

void setMidiPortLogSink(MidiPortLogSink sink) {
  std::lock_guard<std::mutex> lock(logMutex());
  logSink() = std::move(sink);
}

void midiPortLog(const std::string& message) {
  const std::string line = "MIDI PORTS: " + message;
  std::lock_guard<std::mutex> lock(logMutex());
  try {
    if (logSink()) return logSink()(line);
  } catch (...) {
    // A failing sink must not take the MIDI thread down; standard error still works.
  }
  std::fprintf(stderr, "%s\n", line.c_str());
}
