#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "platform/vst2/aeffect.h"

enum VstEventType : int32_t {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// The common head of every event; each kind below begins with these fields.
struct VstEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  char data[16];
};

struct VstMidiEvent {
  int32_t type;  // kVstMidiType
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  int32_t type;  // kVstSysExType
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

// A list of events; the array runs on past its declared two entries for as
// many events as numEvents says.
struct VstEvents {
  int32_t numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

// Where entry i lies in a list. Entries past the declared two lie outside the
// array's type, so a subscript there is undefined: entries are reached through
// the list's bytes instead.
inline size_t VstEventOffset(int i) {
  return offsetof(VstEvents, events) + (size_t)i * sizeof(VstEvent*);
}

inline VstEvent* VstEventAt(const VstEvents* list, int i) {
  VstEvent* event;
  std::memcpy(&event, reinterpret_cast<const char*>(list) + VstEventOffset(i), sizeof event);
  return event;
}

inline void SetVstEventAt(VstEvents* list, int i, VstEvent* event) {
  std::memcpy(reinterpret_cast<char*>(list) + VstEventOffset(i), &event, sizeof event);
}

// A list with room for n entries, all null, laid out as hosts lay it out.
class VstEventList {
 public:
  explicit VstEventList(int n) : mBytes(VstEventOffset(n > 2 ? n : 2)) {
    new (mBytes.data()) VstEvents{n, 0, {}};
  }
  VstEvents* Get() { return reinterpret_cast<VstEvents*>(mBytes.data()); }
  void Set(int i, VstEvent* event) { SetVstEventAt(Get(), i, event); }

 private:
  std::vector<unsigned char> mBytes;
};
