// Time from a send on the synthesizer's side to the plug-in's MIDI handler
// over a private JACK server. Target: the median within one JACK period plus
// 1 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "tests/integration/midiports/JackServer.h"
#include "tests/integration/midiports/SynthSide.h"
#include "tests/toolkit/plugin/base/PortPlugin.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits (bounded) until the plug-in has handled more than `count` messages.
bool handledMoreThan(const midi_test::PortPlugin& plug, size_t count) {
  const auto end = Clock::now() + std::chrono::seconds(1);
  while (plug.count() <= count)
    if (Clock::now() > end) return false;
  return true;
}

void BM_SynthToHandlerOverJack(benchmark::State& state) {
  kroma_test::ScopedEnv api("KROMA_MIDI_API", "jack");
  midi_test::JackServer server;
  if (!server.running()) return state.SkipWithError(server.error().c_str());
  midi_test::SynthSide synth;
  midi_test::PortPlugin plug;
  std::string source;
  for (const std::string& name : plug.getExternalMIDIInNames())
    if (name.find(midi_test::SynthSide::kOutPort) != std::string::npos) source = name;
  int index = 1;
  if (plug.setExternalMIDIIn(index, source.c_str()) <= 0)
    return state.SkipWithError("the synthesizer's port could not be selected");
  if (!midi_test::linkAndWipe(synth, plug, false))
    return state.SkipWithError("the connection carried no message");

  // Sends land at random places in the JACK period, as a device's would;
  // back-to-back sends would lock onto the period's start.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> phaseUs(
      0, 1000000 * midi_test::JackServer::kPeriod / midi_test::JackServer::kSampleRate);
  std::vector<double> latencies;
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::microseconds(phaseUs(random)));
    const size_t before = plug.count();
    const auto sent = Clock::now();
    synth.send({0xB0, 0x07, 0x40});
    if (!handledMoreThan(plug, before)) return state.SkipWithError("a message was lost");
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
    state.SetIterationTime(ms / 1000.0);
    latencies.push_back(ms);
  }
  std::sort(latencies.begin(), latencies.end());
  const double periodMs =
      1000.0 * midi_test::JackServer::kPeriod / midi_test::JackServer::kSampleRate;
  state.counters["median_ms"] = latencies[latencies.size() / 2];
  state.counters["p90_ms"] = latencies[latencies.size() * 9 / 10];
  state.counters["target_ms"] = periodMs + 1.0;
}

BENCHMARK(BM_SynthToHandlerOverJack)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(500);

}  // namespace
