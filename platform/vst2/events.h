#pragma once

#include <cstdint>

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
