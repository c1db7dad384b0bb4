// The audio callback as the host calls it (an output port open, the editor open), and the MIDI
// clock as the port sees it: the times at which the plug-in hands each byte to the port.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "platform/vst2/opcodes.h"
#include "platform/vst2/timeinfo.h"
#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/core/KromaProbe.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/midi/MidiBackend.h"

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// One output port whose sends only note the time of each one-byte message.
class TimedOut : public MidiOutClient {
 public:
  explicit TimedOut(std::vector<SteadyTime>& times, std::atomic<size_t>& count)
      : mTimes(times), mCount(count) {}
  unsigned portCount() override { return 1; }
  std::string portName(unsigned) override { return "Synth Out"; }
  void openPort(unsigned, const std::string&) override {}
  void openVirtualPort(const std::string&) override {}
  void closePort() override {}
  bool send(const uint8_t*, size_t size) override {
    if (size == 1) {
      const size_t at = mCount.fetch_add(1);
      if (at < mTimes.size()) mTimes[at] = std::chrono::steady_clock::now();
    }
    return true;
  }
  size_t maxMessageSize() const override { return 0; }

 private:
  std::vector<SteadyTime>& mTimes;
  std::atomic<size_t>& mCount;
};

class TimedBackend : public MidiBackend {
 public:
  std::unique_ptr<MidiInClient> createInClient(const std::string&, unsigned, TK_LogSink*) override {
    return nullptr;
  }
  std::unique_ptr<MidiOutClient> createOutClient(const std::string&, TK_LogSink*) override {
    return std::make_unique<TimedOut>(times, count);
  }
  std::vector<SteadyTime> times = std::vector<SteadyTime>(4096);
  std::atomic<size_t> count{0};
};

VstTimeInfo gTime{};

VstIntPtr host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float) {
  return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
}

struct Session {
  Session() {
    setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
    setenv("KROMA_DATA_DIR", data.path().c_str(), 1);
    MidiBackend::setCurrent(&midi);
    gTime.sampleRate = 44100.0;
    gTime.tempo = 120.0;
    gTime.flags = kVstTempoValid;
    IPluginInstanceInfo info;
    info.mVSTHostCallback = &host;
    plug = std::make_unique<Kroma>(info);
    effect = plug->GetAEffect();
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.f);
    effect->dispatcher(effect, effSetBlockSize, 0, 256, nullptr, 0.f);
    effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.f);
    int index = 1;
    plug->setExternalMIDIOut(index, "Synth Out");
    KromaProbe(*plug).routing.mMIDIOutSet = true;
    process();  // the first block silences every part
  }
  ~Session() {
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
    plug.reset();
    MidiBackend::setCurrent(nullptr);
  }
  void process() { effect->processDoubleReplacing(effect, channels, channels, 256); }

  kroma_test::TempDir data;
  TimedBackend midi;
  std::unique_ptr<Kroma> plug;
  AEffect* effect = nullptr;
  std::vector<double> buffer = std::vector<double>(512);
  double* channels[2] = {buffer.data(), buffer.data() + 256};
};

void BM_ProcessNoEvents(benchmark::State& state) {
  Session session;
  for (auto _ : state) session.process();
}
BENCHMARK(BM_ProcessNoEvents)->Unit(benchmark::kMicrosecond);

// DAW-buffer mode with 32 messages waiting, all due in the block; only the call is timed.
void BM_Process32Queued(benchmark::State& state) {
  Session session;
  KromaProbe(*session.plug).routing.mQueuedOutput = true;
  KromaProbe(*session.plug).routing.mBlockSize = 256;
  for (auto _ : state) {
    for (int i = 0; i < 32; ++i) {
      const IMidiMsg msg(i * 8, 0x90, static_cast<uint8_t>(60 + i % 12), 100);
      session.plug->MIDIOutRoutingSwitch(&msg);
    }
    const auto start = std::chrono::steady_clock::now();
    session.process();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_Process32Queued)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Ten seconds of timing clocks at 120 BPM: how many, and how far each lies from its deadline
// counted from the first (p99 and the worst, in microseconds).
void BM_MIDIClockTenSeconds(benchmark::State& state) {
  Session session;
  Kroma& plug = *session.plug;
  for (auto _ : state) {
    plug.GetParam(kOverrideTempo)->Set(1.0);
    KromaProbe(plug).parts.mMIDIMessageManager->setTempoValue(120.0);
    KromaProbe(plug).clock.mSendClockInfo = true;
    KromaProbe(plug).clock.mContinuousClockStarted = false;
    session.midi.count = 0;
    // The host's blocks of 256 frames at 44.1 kHz, one every 5.8 ms, as the clock runs.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(10100);
    for (auto block = std::chrono::steady_clock::now(); block < end;
         block += std::chrono::microseconds(5805)) {
      session.process();
      std::this_thread::sleep_until(block);
    }
    KromaProbe(plug).parts.mMIDIMessageManager->sender().resetContinuousClock(true);
  }
  const size_t sent = std::min(session.midi.count.load(), session.midi.times.size());
  const std::vector<SteadyTime>& at = session.midi.times;
  const std::chrono::nanoseconds interval(20833333);
  std::vector<double> offMicros;
  size_t inTenSeconds = 0;
  for (size_t k = 0; k < sent; ++k) {
    if (at[k] - at[0] < std::chrono::seconds(10)) ++inTenSeconds;
    const auto off = at[k] - (at[0] + static_cast<long long>(k) * interval);
    offMicros.push_back(std::abs(std::chrono::duration<double, std::micro>(off).count()));
  }
  std::sort(offMicros.begin(), offMicros.end());
  state.counters["ticks_in_10s"] = static_cast<double>(inTenSeconds);
  state.counters["p99_us"] = offMicros.empty() ? -1 : offMicros[offMicros.size() * 99 / 100];
  state.counters["max_us"] = offMicros.empty() ? -1 : offMicros.back();
}
BENCHMARK(BM_MIDIClockTenSeconds)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
