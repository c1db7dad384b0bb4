#include "toolkit/plugin/midi/IMidiPortInFramer.h"

#include <string>

#include "toolkit/plugin/midi/MidiBackend.h"

namespace {

bool isStatus(uint8_t byte) {
  return byte & 0x80;
}
bool isRealTime(uint8_t byte) {
  return byte >= 0xF8;
}

// Time code, clock and active sensing: ignored like the MIDI system ignores them.
bool isIgnored(uint8_t status) {
  return status == 0xF1 || status == 0xF8 || status == 0xFE;
}

// Length of the message a status byte begins, with the status byte.
size_t messageLength(uint8_t status) {
  switch (status >> 4) {
    case 0xC:
    case 0xD:
      return 2;
    case 0xF:
      return status == 0xF2 ? 3 : (status == 0xF1 || status == 0xF3) ? 2 : 1;
    default:
      return 3;
  }
}

void emitShort(const uint8_t* bytes, size_t size, const IMidiPortInFramer::Emit& emit) {
  if (!isIgnored(bytes[0])) emit(bytes, size);
}

}  // namespace

void IMidiPortInFramer::feed(const uint8_t* bytes, size_t size, const Emit& emit) {
  if (size == 0) return;
  if (mInSysEx || bytes[0] == 0xF0) return feedStream(bytes, size, emit);
  if (size <= 3)
    emitShort(bytes, size, emit);
  else
    emit(bytes, size);
}

void IMidiPortInFramer::reset() {
  mSysEx.clear();
  mInSysEx = false;
  mTooLong = false;
}

void IMidiPortInFramer::feedStream(const uint8_t* bytes, size_t size, const Emit& emit) {
  size_t stray = 0;
  for (size_t i = 0; i < size;) {
    const uint8_t byte = bytes[i];
    if (isRealTime(byte)) {
      emitShort(&bytes[i++], 1, emit);
    } else if (mInSysEx && !isStatus(byte)) {
      appendSysEx(bytes[i++]);
    } else if (mInSysEx && byte == 0xF7) {
      appendSysEx(bytes[i++]);
      finishSysEx(emit);
    } else if (mInSysEx) {
      dropSysEx();  // the status byte is looked at again as a new message
    } else if (byte == 0xF0) {
      mInSysEx = true;
      appendSysEx(bytes[i++]);
    } else if (!isStatus(byte) || byte == 0xF7) {
      ++stray;
      ++i;
    } else {
      i += feedShort(bytes + i, size - i, emit);
    }
  }
  if (stray) midiPortLog(mLog, std::to_string(stray) + " stray data bytes from the device dropped");
}

size_t IMidiPortInFramer::feedShort(const uint8_t* bytes, size_t size, const Emit& emit) {
  const size_t length = messageLength(bytes[0]);
  for (size_t i = 1; i < length; ++i) {
    if (i >= size || isStatus(bytes[i])) {
      midiPortLog(mLog, "incomplete message from the device dropped");
      return i;
    }
  }
  emitShort(bytes, length, emit);
  return length;
}

void IMidiPortInFramer::appendSysEx(uint8_t byte) {
  if (mSysEx.size() >= kMaxSysEx) {
    mTooLong = true;
    return;
  }
  mSysEx.push_back(byte);
}

void IMidiPortInFramer::finishSysEx(const Emit& emit) {
  if (mTooLong)
    midiPortLog(
        mLog, "SysEx from the device longer than " + std::to_string(kMaxSysEx) + " bytes dropped");
  else
    emit(mSysEx.data(), mSysEx.size());
  reset();
}

void IMidiPortInFramer::dropSysEx() {
  midiPortLog(mLog, "unterminated SysEx of " + std::to_string(mSysEx.size()) +
                        " bytes from the device dropped");
  reset();
}
