#include <gtest/gtest.h>

#include <random>

#include "BankLoading.h"
#include "Iterations.h"
#include "src/librarian/BankFormat.h"

using fixtures::Bytes;

namespace {

// Damage of the kinds real files show: flipped and 8-bit bytes, cuts,
// repeated or missing stretches, stray dump headers and ends.
Bytes mutate(Bytes file, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? (size_t)(rng() % n) : 0; };
  for (int s = 0, steps = 1 + (int)pick(6); s < steps; ++s) {
    const size_t at = pick(file.size() + 1);
    switch (pick(7)) {
      case 0:
        if (at < file.size()) file[at] = (uint8_t)rng();
        break;
      case 1:
        if (at < file.size()) file[at] |= 0x80;
        break;
      case 2:
        file.resize(at);
        break;
      case 3:
        file.erase(file.begin() + at, file.begin() + std::min(file.size(), at + pick(600)));
        break;
      case 4: {
        const Bytes copy(file.begin() + at, file.begin() + std::min(file.size(), at + pick(500)));
        file.insert(file.begin() + pick(file.size() + 1), copy.begin(), copy.end());
        break;
      }
      case 5: {
        // clang-format off
        const Bytes header = {0xF0, 0x3E, (uint8_t)(0x0F + pick(5)), (uint8_t)pick(0x81),
                              (uint8_t)(0x10 + pick(3)), (uint8_t)pick(0x81), (uint8_t)pick(0x81)};
        // clang-format on
        file.insert(file.begin() + at, header.begin(), header.end());
        break;
      }
      default:
        if (at < file.size()) file[at] = 0xF7;
        break;
    }
  }
  return file;
}

// Empty when every slot holds one whole, framed 7-bit dump named by its stored bytes.
std::string fault(const PatchFile& file, bool padded) {
  for (const LibrarianPatch& slot : file.records) {
    if (slot.messages.size() != 1) return "slot without exactly one dump";
    const Bytes& d = slot.messages[0].bytes;
    const bool multi = d.size() > 4 && d[4] == 0x11;
    if (d.size() < (multi ? 425u : 390u)) return "short dump";
    if (d.front() != 0xF0 || d.back() != 0xF7) return "unframed dump";
    for (size_t i = 1; i + 1 < d.size(); ++i)
      if (d[i] >= 0x80) return "8-bit data byte";
    const size_t at = multi ? 7 : 370;
    if (slot.name != std::string(d.begin() + at, d.begin() + at + 16))
      return "name not the stored bytes";
  }
  if (padded && !file.records.empty() && file.records.size() < 128) return "bank not padded";
  return "";
}

}  // namespace

// Every reader, on damaged raw and MIDI files of both kinds: whole dumps only; what the bank
// loader read is written and read again unchanged but for the slot numbers.
TEST(BankFuzz, DamagedFilesYieldOnlyWholeDumpsAndLoadedBanksRoundTrip) {
  std::vector<Bytes> mixed = fixtures::sounds(4);
  mixed.push_back(fixtures::multiDump("mixed"));
  mixed.push_back(fixtures::soundDump("older", 0, 9, 0, 0, 0, 0x10));
  const std::vector<Bytes> bases = {fixtures::rawBank(mixed),
                                    fixtures::midiBank(fixtures::sounds(4), false),
                                    fixtures::midiBank(fixtures::multis(2), true),
                                    fixtures::midiBank(fixtures::sounds(128), false)};
  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(200);
  size_t taken = 0;
  for (int round = 0; round < 3 * rounds; ++round) {
    const Bytes damaged = mutate(bases[round % bases.size()], rng);
    const int reader = round % 3;
    const PatchFile bank =
        reader == 2 ? fixtures::load(damaged) : fixtures::readAll(damaged, reader);
    ASSERT_EQ(fault(bank, reader == 2), "") << "round " << round;
    taken += bank.records.size();
    if (reader != 2) continue;
    const PatchFile back =
        fixtures::load(fixtures::bytesOf(BankFormat::bankBytes(bank, round % 2)));
    ASSERT_EQ(back.records.size(), bank.records.size()) << "round " << round;
    for (size_t i = 0; i < back.records.size(); ++i) {
      const Bytes &was = bank.records[i].messages[0].bytes,
                  &is = back.records[i].messages.at(0).bytes;
      ASSERT_EQ(Bytes(is.begin() + 7, is.end()), Bytes(was.begin() + 7, was.end()))
          << "round " << round;
    }
  }
  // Most damaged files still hold readable dumps.
  EXPECT_GT(taken, (size_t)rounds);
}
