// The bank view as the musician meets it: both grids drawn full of names, and the switch between
// sounds and Multis with 200 bank files loaded (lists written anew, menus rebuilt, redrawn).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>

#include "bench/support/PatchesFolder.h"
#include "src/core/Kroma.h"
#include "src/core/KromaProbe.h"
#include "src/librarian/InitDumps.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

// A raw bank of 128 init dumps, each named after its bank and slot.
void writeBank(const std::string& path, const std::string& prefix, bool multi) {
  const uint8_t* dump = multi ? InitDumps::initMultiData : InitDumps::initPatchCorvane;
  const int size = multi ? DumpLayout::kMultiSize : DumpLayout::kSoundSize;
  const int nameAt = multi ? DumpLayout::kMultiNameOffset : DumpLayout::kSoundNameOffset;
  std::ofstream out(path, std::ios::binary);
  for (int slot = 0; slot < 128; ++slot) {
    std::string bytes(dump, dump + size);
    std::string name = prefix + " " + std::to_string(slot);
    name.resize(DumpLayout::kNameLength, ' ');
    bytes.replace(nameAt, DumpLayout::kNameLength, name);
    out << bytes;
  }
}

// A plug-in over a Patches folder of 100 sound and 100 Multi banks.
struct Setting {
  Setting() {
    setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
    setenv("KROMA_DATA_DIR", data.path().c_str(), 1);
    MidiBackend::setCurrent(&midi);
    ::mkdir(data.file("Patches").c_str(), 0755);
    for (int bank = 0; bank < 100; ++bank) {
      writeBank(data.file("Patches/Sounds " + std::to_string(bank) + ".syx"), "Snd", false);
      writeBank(data.file("Patches/Multis " + std::to_string(bank) + ".syx"), "Mlt", true);
    }
    plug = std::make_unique<Kroma>(IPluginInstanceInfo());
    plug->patchTypeChanged(0, 0, false);
    plug->mainTabSwitch(1, 0);
    KromaProbe(*plug).widgets.mLibrarianView->lowerSelection = 7;
  }
  kroma_test::TempDir data;
  MidiBackendMemory midi;
  std::unique_ptr<Kroma> plug;
};

Setting& setting() {
  static Setting s;
  return s;
}

void redraw(IGraphics* graphics) {
  IRECT region;
  if (graphics->IsDirty(&region)) graphics->Draw(&region);
}

void BM_DrawBothGrids(benchmark::State& state) {
  Kroma& plug = *setting().plug;
  for (auto _ : state) KromaProbe(plug).widgets.mLibrarianView->Draw(plug.graphics());
}
BENCHMARK(BM_DrawBothGrids)->Unit(benchmark::kMicrosecond);

// One switch is half an iteration.
void BM_SwitchSoundsAndMultis(benchmark::State& state) {
  Kroma& plug = *setting().plug;
  for (auto _ : state) {
    for (bool multi : {true, false}) {
      KromaProbe(plug).selection.mMultiMode = multi;
      plug.patchTypeChanged(multi ? 1 : 0, multi ? 2 : 0, false);
      redraw(plug.graphics());
    }
  }
  state.SetItemsProcessed(state.iterations() * 2);
  state.counters["banks"] =
      static_cast<double>(KromaProbe(plug).parts.mPatchLibrarian->soundFiles.size() +
                          KromaProbe(plug).parts.mPatchLibrarian->multiFiles.size());
}
BENCHMARK(BM_SwitchSoundsAndMultis)->Unit(benchmark::kMillisecond);

// A heavy user's library: 0, 100 or 1,000 banks of 128 sounds and ten Multi banks. The plug-in
// made over it is the one the switch runs in; making it is a next instance of the process.
struct ScaledSetting {
  explicit ScaledSetting(int banks) : library(banks, 10) {
    setting();
    setenv("KROMA_DATA_DIR", library.dataFolder().c_str(), 1);
    plug = std::make_unique<Kroma>(IPluginInstanceInfo());
    plug->mainTabSwitch(1, 0);
    setenv("KROMA_DATA_DIR", setting().data.path().c_str(), 1);
  }
  PatchesFolder library;
  std::unique_ptr<Kroma> plug;
};

ScaledSetting& scaledSetting(int banks) {
  static std::map<int, std::unique_ptr<ScaledSetting>> settings;
  std::unique_ptr<ScaledSetting>& s = settings[banks];
  if (!s) s = std::make_unique<ScaledSetting>(banks);
  return *s;
}

// One switch is half an iteration; the switch to the sounds (every part's bank list written) is
// also timed alone.
void BM_SwitchAtScale(benchmark::State& state) {
  Kroma& plug = *scaledSetting((int)state.range(0)).plug;
  double toSounds = 0;
  for (auto _ : state) {
    for (bool multi : {true, false}) {
      const auto start = std::chrono::steady_clock::now();
      KromaProbe(plug).selection.mMultiMode = multi;
      plug.patchTypeChanged(multi ? 1 : 0, multi ? 2 : 0, false);
      redraw(plug.graphics());
      if (!multi)
        toSounds +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
  }
  state.SetItemsProcessed(state.iterations() * 2);
  state.counters["switch_ms"] = benchmark::Counter(
      2.0 * state.iterations() / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["to_sounds_ms"] = toSounds / (double)state.iterations();
}
BENCHMARK(BM_SwitchAtScale)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// A whole instance made over the library (a next instance: pictures already decoded).
void BM_InstanceOverLibrary(benchmark::State& state) {
  ScaledSetting& scaled = scaledSetting((int)state.range(0));
  setenv("KROMA_DATA_DIR", scaled.library.dataFolder().c_str(), 1);
  for (auto _ : state) {
    auto plug = std::make_unique<Kroma>(IPluginInstanceInfo());
    state.PauseTiming();
    plug.reset();
    state.ResumeTiming();
  }
  setenv("KROMA_DATA_DIR", setting().data.path().c_str(), 1);
}
BENCHMARK(BM_InstanceOverLibrary)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
