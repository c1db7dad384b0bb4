#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "toolkit/plugin/base/ByteChunk.h"

class Kroma;

// The total-recall record: a state body taken at start-up and the 35 names
// that travel with the project.
class Patch {
 public:
  static constexpr int kNameSlots = 35;
  static constexpr int kMultiNameSlot = 0;
  static constexpr int kFirstPatchNameSlot = 1;  // + part 0..15
  static constexpr int kMIDIInPortSlot = 17;
  static constexpr int kMIDIOutPortSlot = 18;
  static constexpr int kFirstCategorySlot = 19;  // + part 0..15

  Patch();

 protected:
  ByteChunk mSnapshot;
  // Written by the sender's thread and by save and load on the host's thread.
  std::vector<std::string> mNames;
  mutable std::mutex mNamesLock;
};

// The plug-in's one state holder, written into and read from the librarian
// block of the state chunk.
class PatchManager : public Patch {
 public:
  explicit PatchManager(Kroma* plug) : mPlug(plug) {}

  // Replaces the snapshot with the plug-in's state body without librarian block.
  void init(const ByteChunk& stateBody);

  // Appends the snapshot record and the 35 names in one piece.
  bool saveAllToChunk(ByteChunk* chunk) const;
  // Reads what saveAllToChunk wrote from pos; replaces the snapshot and every
  // name, also on failure. Returns the position behind the last name, or -1
  // when the record is cut short or holds a length that does not fit.
  int loadAllFromChunk(const ByteChunk* chunk, int pos);

  // Category slots always read as "INIT"; the others as stored.
  void getName(std::string* out, int slot) const;
  // Stores a name; an empty text is stored as "Set Name", except in the port slots.
  void setName(int slot, const std::string& text);

  // A 32-bit little-endian length of at most maxLen bytes (up to the first
  // NUL), then those bytes without a terminator.
  static bool putStringToChunk(ByteChunk* chunk, const std::string& s, int maxLen);

  Kroma* getPlug() const { return mPlug; }

  int mSelectedBank = 0;
  int mSelectedPatch = 0;

 private:
  Kroma* mPlug;
};
