#pragma once

#include <atomic>

#include "src/librarian/LibrarianRecords.h"

// Collects the answer to a librarian request: while armed it takes every SysEx from the
// synthesizer and completes on the first whole dump of its kind, which becomes the record. Only
// that dump is kept: parameter changes, cut-off dumps and dumps of the other kind that arrive
// meanwhile are no part of the slot.
//
// Not locked by itself: the manager holds the librarian's lock around every call, so that a
// completion and the store into the slot are one step against arming, disarming and the editor.
class LibrarianRequest {
 public:
  // Empties the record (dumps, name, category) and starts collecting.
  void arm();
  void disarm() { mCollecting = false; }
  bool collecting() const { return mCollecting; }

  // Takes one message while collecting; true when it completed the record, which then holds that
  // dump and the name (and category) read from it, and collecting stops.
  bool addMessageData(const unsigned char* bytes, int size);
  const LibrarianPatch& record() const { return mRecord; }
  // The completion marker: 1 from the start, set to 1 again by each completion.
  int completionMarker() const { return mCompletionMarker; }

 protected:
  // A dump of `type` and exactly `size` bytes completes the record; its name is at `nameOffset`,
  // its category byte at `categoryOffset` (-1: none).
  LibrarianRequest(unsigned char type, int size, int nameOffset, int categoryOffset);

 private:
  const unsigned char mType;
  const int mSize;
  const int mNameOffset;
  const int mCategoryOffset;
  // Read without the lock by the incoming path to decide whether to take the lock at all.
  std::atomic<bool> mCollecting{false};
  LibrarianPatch mRecord;
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
