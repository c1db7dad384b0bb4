#include "toolkit/plugin/midi/MidiBackend.h"

#include <atomic>

#include "toolkit/plugin/midi/detail/MidiBackendRt.h"

namespace {

std::atomic<MidiBackend*> gCurrent{nullptr};

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
