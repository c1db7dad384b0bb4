#pragma once

#include <atomic>

#include "src/librarian/LibrarianRecords.h"

// Where the answer to a librarian request goes. A request job fixes it when it starts, so that
// nothing that comes meanwhile (a part's program change moving the selection) moves it. The
// default is the selected slot of the upper bank, taking whatever dump answers.
struct RequestTarget {
  PatchFile* bank = nullptr;  // null: the selected slot of the upper bank
  int slot = -1;
  // The bank and program bytes of the dump that answers: the stored program asked for; -1: any.
  int dumpBank = -1;
  int dumpProgram = -1;
};

// Collects the answer to a librarian request: while armed it takes every SysEx from the
// synthesizer and completes on the first whole dump of its kind that answers its target, which
// becomes the record. Only that dump is kept: parameter changes, cut-off dumps, dumps of the other
// kind and answers for another program that arrive meanwhile are no part of the slot.
//
// Not locked by itself: the manager holds the librarian's lock around every call, so that a
// completion and the store into the slot are one step against arming, disarming and the editor.
class LibrarianRequest {
 public:
  // Empties the record (dumps, name, category) and starts collecting for `target`.
  void arm(const RequestTarget& target = {});
  void disarm() { mCollecting = false; }
  bool collecting() const { return mCollecting; }

  // Takes one message while collecting; true when it completed the record, which then holds that
  // dump and the name (and category) read from it, and collecting stops.
  bool addMessageData(const unsigned char* bytes, int size);
  const LibrarianPatch& record() const { return mRecord; }
  const RequestTarget& target() const { return mTarget; }
  // The completion marker: 1 from the start, set to 1 again by each completion.
  int completionMarker() const { return mCompletionMarker; }

 protected:
  // A dump of `type` and exactly `size` bytes, addressed as the target asks, completes the
  // record; its name is at `nameOffset`, its category byte at `categoryOffset` (-1: none).
  LibrarianRequest(unsigned char type, int size, int nameOffset, int categoryOffset);

 private:
  const unsigned char mType;
  const int mSize;
  const int mNameOffset;
  const int mCategoryOffset;
  // Read without the lock by the incoming path to decide whether to take the lock at all.
  std::atomic<bool> mCollecting{false};
  LibrarianPatch mRecord;
  RequestTarget mTarget;
  int mCompletionMarker = 1;
};

// Sound requests: a 392-byte sound dump, named from 370, category from 386.
class LibraryPatchRequest : public LibrarianRequest {
 public:
  LibraryPatchRequest();
};

// Multi requests: a 425-byte multi dump, named from 7.
class LibraryPerformanceRequest : public LibrarianRequest {
 public:
  LibraryPerformanceRequest();
};
