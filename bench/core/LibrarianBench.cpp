// The bank view as the musician meets it: both grids drawn full of names, and the switch between
// sounds and Multis with 200 bank files loaded (lists written anew, menus rebuilt, redrawn).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "src/core/Kroma.h"
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
    plug->mLibrarianView->lowerSelection = 7;
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
  for (auto _ : state) plug.mLibrarianView->Draw(plug.graphics());
}
BENCHMARK(BM_DrawBothGrids)->Unit(benchmark::kMicrosecond);

// One switch is half an iteration.
void BM_SwitchSoundsAndMultis(benchmark::State& state) {
  Kroma& plug = *setting().plug;
  for (auto _ : state) {
    for (bool multi : {true, false}) {
      plug.mMultiMode = multi;
      plug.patchTypeChanged(multi ? 1 : 0, multi ? 2 : 0, false);
      redraw(plug.graphics());
    }
  }
  state.SetItemsProcessed(state.iterations() * 2);
  state.counters["banks"] = static_cast<double>(plug.mPatchLibrarian->soundFiles.size() +
                                                plug.mPatchLibrarian->multiFiles.size());
}
BENCHMARK(BM_SwitchSoundsAndMultis)->Unit(benchmark::kMillisecond);

}  // namespace
