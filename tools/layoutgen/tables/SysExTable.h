#pragma once

#include <string>
#include <vector>

// The SysEx value list: one parameter-change template per addressable byte of the sound, of a
// Multi part record, of the Multi's own settings and of the Global record. A template is the
// message without F0 and F7: 3E 13 device type location high low value. The location is the part;
// the value is its eighth number, so every control sends through it with changing byte 8.
namespace layout_tables {

constexpr int kChangingByte = 8;

// Message types of the three records, as the synthesizer takes their parameter changes.
constexpr int kSoundChange = 0x20;
constexpr int kMultiChange = 0x21;
constexpr int kGlobalChange = 0x24;

struct SysExEntry {
  int type;
  int location;
  int high;
  int low;
  std::vector<int> params;  // parameter indices (part 0 for the sound) sent through the entry

  std::string templateText() const;
};

// The entries in SysEx index order: sound bytes, then the Multi part record of each part, the
// Multi's own settings, then Global. A sound control takes its part from the part panel it is built
// in; a Multi control may stand outside them, so every part's record bytes have entries of their
// own.
const std::vector<SysExEntry>& sysexEntries();

// The SysEx index of a parameter index (a sound parameter by its part-0 index); -1 when it
// sends no SysEx.
int sysexIndexOf(int param);

}  // namespace layout_tables
