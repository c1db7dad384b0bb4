#include <benchmark/benchmark.h>

#include "src/librarian/BankFormat.h"
#include "src/librarian/InitDumps.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

// A full bank of 128 distinct sounds as file bytes.
ByteChunk soundBankFile(bool midi) {
  PatchFile bank;
  for (int i = 0; i < 128; ++i) {
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(
        InitDumps::initPatchCorvane, InitDumps::initPatchCorvane + DumpLayout::kSoundSize)});
    slot.messages[0].bytes[6] = (uint8_t)i;
    slot.messages[0].bytes[380] = (uint8_t)('A' + i % 26);
    bank.records.push_back(slot);
  }
  return BankFormat::bankBytes(bank, midi);
}

void readBank(benchmark::State& state, bool midi) {
  ByteChunk file = soundBankFile(midi);
  PatchLibrarian librarian;
  for (auto _ : state) {
    PatchFile bank;
    librarian.loadFromChunk(&file, file.Size(), &bank);
    if (bank.records.size() != 128) state.SkipWithError("bank not read whole");
    benchmark::DoNotOptimize(bank.records.data());
  }
  state.SetBytesProcessed(state.iterations() * file.Size());
}

void BM_ReadSyxBank(benchmark::State& state) {
  readBank(state, false);
}
void BM_ReadMidBank(benchmark::State& state) {
  readBank(state, true);
}

}  // namespace

BENCHMARK(BM_ReadSyxBank)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMidBank)->Unit(benchmark::kMicrosecond);
