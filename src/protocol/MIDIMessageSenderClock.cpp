#include <pthread.h>
#include <sched.h>

#include <cstdlib>

#include "src/config/ParameterIds.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/SysExFormat.h"

namespace {

constexpr unsigned char kStart = 0xFA;
constexpr unsigned char kStop = 0xFC;
constexpr unsigned char kTimingClock = 0xF8;
constexpr int kTicksPerQuarter = 24;
constexpr long long kNanosPerMinute = 60'000'000'000LL;
constexpr int kTempoReadings = 10;
constexpr int kTempoRetryMs = 1000;
// Below the audio threads of hosts and servers, above everything else.
constexpr int kClockPriority = 10;

// A sleeping thread of ordinary priority wakes late by milliseconds on a busy machine; the
// clock's lane asks for real-time scheduling and carries on without it when refused.
void raisePriority() {
  sched_param param{};
  param.sched_priority = kClockPriority;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace

void MIDIMessageSender::startMIDIClockOutput() {
  if (mPlugin.sendClockPointer()) mPlugin.sendRealTimeByte(kStart);
}

void MIDIMessageSender::stopMIDIClockOutput() {
  if (mPlugin.sendClockPointer()) mPlugin.sendRealTimeByte(kStop);
}

int MIDIMessageSender::clockTempo() const {
  if (mPlugin.getValue(kOverrideTempo) == 1.0) return mManager.getTempoValue();
  const std::vector<std::string>& tempos = mPlugin.valueList("tempoValues");
  const int index = sysex::truncateValue(mPlugin.getValue(kMultiTempo));
  if (index < 0 || index >= static_cast<int>(tempos.size())) return 0;
  return std::atoi(tempos[index].c_str());
}

void MIDIMessageSender::sendContinuousMIDIClock(int) {
  if (!mPlugin.sendClockInfo()) return;
  int tempo = clockTempo();
  for (int reading = 1; tempo <= 0 && reading < kTempoReadings; ++reading) {
    if (!pause(kTempoRetryMs)) return;
    tempo = clockTempo();
  }
  if (tempo <= 0) {
    mPlugin.setParameterFromPlug(kSendMIDIClockInfo, 0.0);
    mPlugin.setTextDisplay(kControlDisplayValue, "Unable to get DAW Tempo");
    mPlugin.setSendClockInfo(false);
    return;
  }
  raisePriority();
  const std::chrono::nanoseconds interval(kNanosPerMinute /
                                          (kTicksPerQuarter * static_cast<long long>(tempo)));
  LaneClock::TimePoint deadline = mClock.now();
  mPlugin.sendRealTimeByte(kTimingClock);
  for (deadline += interval; clockRunning; deadline += interval) {
    if (!mClock.pauseUntil(deadline) || !clockRunning) return;
    if (!mPlugin.midiOutSet()) {
      clockRunning = false;
      return;
    }
    mPlugin.sendRealTimeByte(kTimingClock);
  }
}
