#include <gtest/gtest.h>

#include <random>

#include "BankFixtures.h"
#include "src/librarian/BankFormat.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/plugin/base/ByteChunk.h"

using fixtures::Bytes;

namespace {

// Damage of the kinds real files show: flipped and 8-bit bytes, cuts,
// repeated or missing stretches, stray dump headers.
Bytes mutate(Bytes file, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? (size_t)(rng() % n) : 0; };
  const int steps = 1 + (int)pick(6);
  for (int s = 0; s < steps; ++s) {
    switch (pick(7)) {
      case 0:
        if (!file.empty()) file[pick(file.size())] = (uint8_t)rng();
        break;
      case 1:
        if (!file.empty()) file[pick(file.size())] |= 0x80;
        break;
      case 2:
        file.resize(pick(file.size() + 1));
        break;
      case 3: {
        const size_t from = pick(file.size() + 1), n = pick(600);
        file.erase(file.begin() + from, file.begin() + std::min(file.size(), from + n));
        break;
      }
      case 4: {
        const size_t from = pick(file.size() + 1), n = std::min(file.size() - from, pick(500));
        Bytes copy(file.begin() + from, file.begin() + from + n);
        file.insert(file.begin() + pick(file.size() + 1), copy.begin(), copy.end());
        break;
      }
      case 5: {
        const Bytes header = {0xF0,
                              0x3E,
                              (uint8_t)(0x0F + pick(5)),
                              (uint8_t)pick(0x81),
                              (uint8_t)(0x10 + pick(3)),
                              (uint8_t)pick(0x81),
                              (uint8_t)pick(0x81)};
        file.insert(file.begin() + pick(file.size() + 1), header.begin(), header.end());
        break;
      }
      default:
        if (!file.empty()) file[pick(file.size())] = 0xF7;
        break;
    }
  }
  return file;
}

void expectSound(const PatchFile& file, bool padded, std::string& failure) {
  for (const LibrarianPatch& slot : file.records) {
    if (slot.messages.size() != 1) return void(failure = "slot without exactly one dump");
    const Bytes& d = slot.messages[0].bytes;
    const bool multi = d.size() > 4 && d[4] == 0x11;
    if (d.size() < (multi ? 425u : 390u)) return void(failure = "short dump");
    if (d.front() != 0xF0 || d.back() != 0xF7) return void(failure = "unframed dump");
    for (size_t i = 1; i + 1 < d.size(); ++i)
      if (d[i] >= 0x80) return void(failure = "8-bit data byte");
    const size_t at = multi ? 7 : 370;
    if (slot.name != std::string(d.begin() + at, d.begin() + at + 16))
      return void(failure = "name not the stored bytes");
  }
  if (padded && !file.records.empty() && file.records.size() < 128) failure = "bank not padded";
}

}  // namespace

TEST(BankFuzz, MutatedBankFilesNeverYieldShortDumps) {
  std::vector<Bytes> sounds = fixtures::sounds(4);
  std::vector<Bytes> mixed = sounds;
  mixed.push_back(fixtures::multiDump("mixed"));
  mixed.push_back(fixtures::soundDump("older", 0, 9, 0, 0, 0, 0x10));
  const std::vector<Bytes> bases = {
      fixtures::rawBank(mixed),
      fixtures::midiBank(sounds, false),
      fixtures::rawBank(fixtures::multis(3)),
      fixtures::midiBank(fixtures::multis(2), true),
  };
  const Bytes fullBank = fixtures::midiBank(fixtures::sounds(128), false);

  std::mt19937 rng(20261206);
  PatchLibrarian librarian;
  size_t taken = 0;
  for (int round = 0; round < 100000; ++round) {
    const Bytes& base = round % 500 == 0 ? fullBank : bases[round % bases.size()];
    const Bytes file = mutate(base, rng);
    ByteChunk chunk;
    chunk.AppendBytes(file.data(), (int)file.size());
    PatchFile bank;
    // Padding is the same for every file; most rounds read without it.
    if (round % 20 == 0) {
      librarian.loadFromChunk(&chunk, chunk.Size(), &bank);
    } else {
      const bool midi = round % 2 == 1;
      int position = midi ? 14 : 0;
      while ((midi ? librarian.readMIDIMessage(&chunk, position, &bank, 0, 0)
                   : librarian.readSysexMessage(&chunk, position, &bank, 0, 0)) > 0) {
      }
    }
    std::string failure;
    expectSound(bank, round % 20 == 0, failure);
    ASSERT_EQ(failure, "") << "round " << round;
    taken += bank.records.size();
    if (round % 1000 == 0) {
      // What was read is written and read again unchanged.
      const ByteChunk written = BankFormat::bankBytes(bank, round % 2000 == 0);
      ByteChunk copy = written;
      PatchFile back;
      librarian.loadFromChunk(&copy, copy.Size(), &back);
      ASSERT_EQ(back.records.size(), bank.records.size()) << "round " << round;
    }
  }
  // Most damaged files still hold readable dumps.
  EXPECT_GT(taken, 100000u);
}
