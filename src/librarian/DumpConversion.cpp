#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

#include "src/librarian/PatchLibrarian.h"

namespace {

using namespace DumpLayout;

// A rule maps the value at offset i; `before` is the whole dump as it stood
// before the pass, zero-filled so that reads past a short dump see 0.
using Rule = uint8_t (*)(const uint8_t* before, int i);

struct RuleRow {
  std::initializer_list<int> offsets;
  Rule rule;
};

uint8_t r20(uint8_t v) {
  return v == 20 ? 0 : v > 20 ? v - 1 : v;
}
uint8_t r31(uint8_t v) {
  return (v >= 31 && v <= 42) ? 0 : v >= 43 ? v - 12 : v;
}

// A table of rows becomes one rule per offset; offsets in no row keep their value.
std::array<Rule, kSoundSize> ruleTable(std::initializer_list<RuleRow> rows, Rule otherwise) {
  std::array<Rule, kSoundSize> table;
  table.fill(otherwise);
  for (const RuleRow& row : rows)
    for (int offset : row.offsets) table[offset] = row.rule;
  return table;
}

uint8_t keep(const uint8_t* b, int i) {
  return b[i];
}

// Vela to Nimbra: from 252 on every value moves one place down.
const std::array<Rule, kSoundSize>& velaRules() {
  static const std::array<Rule, kSoundSize> table = [] {
    auto table = ruleTable(
        {
            {{13, 29, 45},
             [](const uint8_t* b, int i) -> uint8_t {
               const uint8_t v = b[i];
               return (v >= 5 && v <= 7) ? 0 : v >= 8 ? b[i + 3] : v;
             }},
            {{15, 31, 47}, [](const uint8_t* b, int i) -> uint8_t { return b[i] + 1; }},
            {{84, 104}, [](const uint8_t* b, int i) -> uint8_t { return b[i] >= 17 ? 1 : b[i]; }},
            {{124}, [](const uint8_t* b, int i) -> uint8_t { return b[i] == 0 ? 1 : 0; }},
            {{135},
             [](const uint8_t* b, int i) -> uint8_t {
               const uint8_t v = b[i];
               return v <= 3 ? v : (v >= 5 && v <= 7) ? v - 1 : 0;
             }},
            {{151},
             [](const uint8_t* b, int i) -> uint8_t {
               const uint8_t v = b[i];
               if (v == 4) return 7;
               if (v >= 5 && v <= 7) return v - 1;
               if (v == 9) return 0;
               if (v == 32 || v == 33) return v - 23;
               return v;
             }},
        },
        keep);
    const Rule shift = [](const uint8_t* b, int i) -> uint8_t { return b[i + 1]; };
    const Rule shift20 = [](const uint8_t* b, int i) -> uint8_t { return r20(b[i + 1]); };
    const Rule shift31 = [](const uint8_t* b, int i) -> uint8_t { return r31(b[i + 1]); };
    for (int i = 252; i <= 390; ++i) table[i] = shift;
    for (int i : {252, 256, 260, 264}) table[i] = shift20;
    for (int i : {253, 257, 261, 265}) table[i] = shift31;
    for (int i = 269; i <= 290; i += 3) table[i] = shift20;
    for (int i = 292; i <= 313; i += 3) table[i] = shift31;
    for (int i = 293; i <= 314; i += 3) table[i] = shift20;
    return table;
  }();
  return table;
}

// Nimbra to Corvane: values changed in place, each offset once.
const std::array<Rule, kSoundSize>& nimbraRules() {
  static const std::array<Rule, kSoundSize> table = [] {
    const Rule waveform = [](const uint8_t* b, int i) -> uint8_t {
      const uint8_t v = b[i];
      return v == 12 ? 15 : v == 11 ? 16 : v == 10 ? 11 : v;
    };
    const Rule zero = [](const uint8_t*, int) -> uint8_t { return 0; };
    const Rule clear24 = [](const uint8_t* b, int i) -> uint8_t { return b[i] == 24 ? 0 : b[i]; };
    auto table = ruleTable(
        {
            {{17, 33, 49, 57, 96, 101, 116, 121, 130, 268, 271, 274, 277, 280, 283, 286, 289},
             waveform},
            {{19, 20, 21, 22, 23, 35, 36, 37, 38, 39, 55, 89, 109}, zero},
            {{76}, [](const uint8_t*, int) -> uint8_t { return 64; }},
            {{151},
             [](const uint8_t* b, int i) -> uint8_t {
               return b[i] == 7 ? 6 : b[i] >= 9 ? 0 : b[i];
             }},
            {{252, 253, 256, 257, 260, 261, 264, 265, 292, 295, 298, 301, 304, 307, 310, 313},
             clear24},
        },
        keep);
    for (int i = 269; i <= 290; i += 3)
      table[i] = [](const uint8_t* b, int i) -> uint8_t { return b[i] >= 31 ? 0 : b[i]; };
    for (int i = 293; i <= 314; i += 3)
      table[i] = [](const uint8_t* b, int i) -> uint8_t { return b[i] >= 54 ? 0 : b[i]; };
    return table;
  }();
  return table;
}

// Runs one pass over offsets 0..390 and leaves a closed 392-byte sound dump:
// data bytes kept 7-bit and F7 at the end whatever length the dump came with.
void convert(PatchSysexMessage* dump, const std::array<Rule, kSoundSize>& rules) {
  std::vector<uint8_t>& bytes = dump->bytes;
  std::vector<uint8_t> before(bytes);
  before.resize(std::max<size_t>(before.size(), kSoundSize + 4), 0);
  bytes.resize(kSoundSize, 0);
  for (int i = 0; i < kSoundSize - 1; ++i) bytes[i] = rules[i](before.data(), i);
  for (int i = 1; i < kSoundSize - 1; ++i)
    if (bytes[i] > 0x7F) bytes[i] = 0x7F;
  bytes[kSoundSize - 1] = 0xF7;
}

}  // namespace

void PatchLibrarian::alterPatchFromVelaFormat(PatchSysexMessage* dump) {
  convert(dump, velaRules());
}

void PatchLibrarian::alterPatchFromNimbraFormat(PatchSysexMessage* dump) {
  convert(dump, nimbraRules());
}

// The older synthesizers store the category as its text; "Init" and unknown
// texts become 0.
void PatchLibrarian::alterCategoryFormatToInt(PatchSysexMessage* dump) {
  std::vector<uint8_t>& bytes = dump->bytes;
  if (bytes.size() < (size_t)kSoundCategoryOffset + 4) return;
  uint8_t number = 0;
  for (int c = 1; c < kCategoryCount && !number; ++c)
    if (std::memcmp(bytes.data() + kSoundCategoryOffset, kCategoryNames[c], 4) == 0)
      number = (uint8_t)c;
  bytes[kSoundCategoryOffset] = number;
  std::memset(bytes.data() + kSoundCategoryOffset + 1, 0, 3);
}
