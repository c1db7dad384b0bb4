#pragma once

#include <array>
#include <climits>
#include <functional>
#include <random>

#include "src/protocol/ProtocolPlugin.h"

// New random values for one part's sound, section by section: each of the 40 sections whose lock
// holds exactly 0.0 takes its parameters from fixed entries of a table of 393 random bytes, each
// entry brought into its parameter's range. Values are set from the plug-in side (no change
// handler, nothing sent); wavetables, drive curves, overdrive curves, the delay clock, the name
// and the category are never touched.
class SoundRandomizer {
 public:
  static constexpr int kTableSize = 393;
  static constexpr int kSkipped = INT_MIN;
  // Raw draws; the table keeps each modulo 256.
  using Source = std::function<unsigned()>;

  // Draws from a generator of its own, seeded once from the clock.
  explicit SoundRandomizer(ProtocolPlugin& plugin);
  void setSource(Source source) { mSource = std::move(source); }

  // Refills the table for one press.
  void randomGenerator();
  // Table entry `entry` brought into the range of `param`: while above max - min it goes down by
  // the maximum (by 2 for a maximum of 1); the minimum is not added, so a parameter with a
  // negative minimum ends at its maximum through the range. kSkipped when the maximum is 0 or
  // less: the parameter is left alone.
  int randomizer(int param, int entry) const;
  // Randomizes every free section of `part` from the current table; the locks are read first.
  void randomizePatchSettings(int part);
  const std::array<int, kTableSize>& table() const { return mTable; }

  // One parameter's draw (the section table lives in the source).
  struct Item;

 private:
  void apply(const Item& item, int part);
  void set(int param, int entry, int part);

  ProtocolPlugin& mPlugin;
  std::mt19937 mGenerator;
  Source mSource;
  std::array<int, kTableSize> mTable{};
};
