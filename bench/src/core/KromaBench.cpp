// Making the plug-in as a host does (the shipped layout and pictures, an empty data folder),
// saving and loading its project state without a synthesizer to push to, an edit's way to the
// synthesizer's port, the idle call that tells the host of changes, and its look for ports.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "bench/support/Resident.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/core/KromaProbe.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

// No MIDI system: the state load lists the ports, and a real one would be asked.
struct Setting {
  Setting() {
    setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
    setenv("KROMA_DATA_DIR", data.path().c_str(), 1);
    MidiBackend::setCurrent(&midi);
  }
  kroma_test::TempDir data;
  MidiBackendMemory midi;
};

Setting& setting() {
  static Setting s;
  return s;
}

std::unique_ptr<Kroma> makePlugin() {
  return std::make_unique<Kroma>(IPluginInstanceInfo());
}

// The first instance of the process decodes every picture; it stays, as in a host session.
std::vector<std::unique_ptr<Kroma>> gKept;

void BM_FirstInstance(benchmark::State& state) {
  setting();
  const double before = residentMB();
  for (auto _ : state) gKept.push_back(makePlugin());
  state.counters["resident_MB"] = residentMB() - before;
}
BENCHMARK(BM_FirstInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_NextInstance(benchmark::State& state) {
  setting();
  for (auto _ : state) benchmark::DoNotOptimize(makePlugin());
}
BENCHMARK(BM_NextInstance)->Unit(benchmark::kMillisecond);

// The memory each further open instance holds.
void BM_FurtherInstanceMemory(benchmark::State& state) {
  setting();
  const double before = residentMB();
  std::vector<std::unique_ptr<Kroma>> open;
  for (auto _ : state) open.push_back(makePlugin());
  state.counters["resident_MB_each"] = (residentMB() - before) / (double)open.size();
}
BENCHMARK(BM_FurtherInstanceMemory)->Iterations(4)->Unit(benchmark::kMillisecond);

void BM_ChunkSave(benchmark::State& state) {
  setting();
  std::unique_ptr<Kroma> plug = makePlugin();
  AEffect* effect = plug->GetAEffect();
  for (auto _ : state) {
    void* data = nullptr;
    benchmark::DoNotOptimize(effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.f));
  }
}
BENCHMARK(BM_ChunkSave)->Unit(benchmark::kMicrosecond);

void BM_ChunkRestore(benchmark::State& state) {
  setting();
  std::unique_ptr<Kroma> plug = makePlugin();
  AEffect* effect = plug->GetAEffect();
  void* data = nullptr;
  const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.f);
  const std::vector<unsigned char> chunk(static_cast<unsigned char*>(data),
                                         static_cast<unsigned char*>(data) + size);
  for (auto _ : state) {
    if (effect->dispatcher(effect, effSetChunk, 1, size, (void*)chunk.data(), 0.f) != 1)
      state.SkipWithError("the state was not restored");
  }
}
BENCHMARK(BM_ChunkRestore)->Unit(benchmark::kMicrosecond);

// A SysEx-bound sound parameter turned in the editor: from the knob's new value through the
// dispatch and the control action to the bytes handed to the output port.
void BM_SysExEditToPort(benchmark::State& state) {
  setting().midi.addOutputPort("Synth Out");
  std::unique_ptr<Kroma> plug = makePlugin();
  plug->controlOf(kDeviceOutSelection)->SetValueFromUserInput(1.0);
  IControl* knob = plug->controlOf(kFilter1Cutoff + 3);
  if (!KromaProbe(*plug).routing.mMIDIOutSet || !knob) state.SkipWithError("no port or no knob");
  const size_t before = setting().midi.received("Synth Out").size();
  double value = 0.25;
  for (auto _ : state) {
    knob->SetValueFromUserInput(value);
    value = 1.0 - value;
  }
  const size_t sent = setting().midi.received("Synth Out").size() - before;
  if (sent != static_cast<size_t>(state.iterations()))
    state.SkipWithError("not every edit was sent");
  setting().midi.removePort("Synth Out");
}
BENCHMARK(BM_SysExEditToPort)->Unit(benchmark::kMicrosecond);

// The idle call's look for ports that went or came back, with both ports chosen: between two
// looks (every idle call but one in two seconds) and when one is due, which lists the ports and
// asks whether the links still hold. The rest of the idle call is the same in both.
void BM_IdlePortLook(benchmark::State& state) {
  const bool due = state.range(0) == 1;
  setting().midi.addInputPort("Synth In");
  setting().midi.addOutputPort("Synth Out");
  std::unique_ptr<Kroma> plug = makePlugin();
  plug->controlOf(kDeviceInSelection)->SetValueFromUserInput(1.0);
  plug->controlOf(kDeviceOutSelection)->SetValueFromUserInput(1.0);
  if (!plug->inputPortOpen() || !plug->outputPortOpen()) state.SkipWithError("no ports");
  plug->GetParam(kCancelDataRequest)->Set(1.0);
  plug->OnParamChange(kCancelDataRequest);  // the connection check, which nothing answers
  while (plug->ThreadRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  MidiRouting& routing = KromaProbe(*plug).routing;
  routing.mNextPortLook = std::chrono::steady_clock::now() + std::chrono::hours(1);
  for (auto _ : state) {
    if (due) routing.mNextPortLook = {};
    plug->OnIdle();
  }
  if (!plug->outputPortOpen()) state.SkipWithError("the look lost the ports");
  plug.reset();
  setting().midi.removePort("Synth In");
  setting().midi.removePort("Synth Out");
}
BENCHMARK(BM_IdlePortLook)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The idle call that tells the host of changes, as an open editor's timer makes it 25 times a
// second (and a host without one about 50): with nothing changed since the last, and after each
// edit, when it looks at the whole state a save would write.
void BM_IdleCallUntouched(benchmark::State& state) {
  setting();
  std::unique_ptr<Kroma> plug = makePlugin();
  plug->OnIdle();
  for (auto _ : state) plug->OnIdle();
}
BENCHMARK(BM_IdleCallUntouched)->Unit(benchmark::kMicrosecond);

void BM_IdleCallAfterAnEdit(benchmark::State& state) {
  setting();
  std::unique_ptr<Kroma> plug = makePlugin();
  IControl* knob = plug->controlOf(kFilter1Cutoff);
  if (!knob) state.SkipWithError("no knob");
  double value = 0.25;
  for (auto _ : state) {
    state.PauseTiming();
    knob->SetValueFromUserInput(value);
    value = 1.0 - value;
    state.ResumeTiming();
    plug->OnIdle();
  }
}
BENCHMARK(BM_IdleCallAfterAnEdit)->Unit(benchmark::kMicrosecond);

}  // namespace
