#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/log.h"

// Turns what a device sends into whole messages. Messages that neither start
// nor continue a SysEx pass as they came. A SysEx may arrive in pieces;
// real-time bytes inside it are passed on by themselves; a status byte before
// its F7 ends it unterminated, and it is dropped with a log line instead of
// reaching the plug-in truncated. Clock, MIDI time code and active sensing are
// dropped, as the MIDI system is told to do.
class IMidiPortInFramer {
 public:
  using Emit = std::function<void(const uint8_t* bytes, size_t size)>;

  // A SysEx longer than this is dropped whole.
  static constexpr size_t kMaxSysEx = 1 << 16;

  // Dropped data is logged to `log` (standard error when null).
  explicit IMidiPortInFramer(TK_LogSink* log = nullptr) : mLog(log) {}

  void feed(const uint8_t* bytes, size_t size, const Emit& emit);
  // Forgets a SysEx in progress.
  void reset();
  bool inSysEx() const { return mInSysEx; }

 private:
  void feedStream(const uint8_t* bytes, size_t size, const Emit& emit);
  // Returns the bytes used by the short message at `bytes`.
  size_t feedShort(const uint8_t* bytes, size_t size, const Emit& emit);
  void appendSysEx(uint8_t byte);
  void finishSysEx(const Emit& emit);
  void dropSysEx();

  TK_LogSink* const mLog;
  std::vector<uint8_t> mSysEx;
  bool mInSysEx = false;
  bool mTooLong = false;
};
