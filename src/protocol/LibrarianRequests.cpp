#include "src/protocol/LibrarianRequests.h"

#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"

LibrarianRequest::LibrarianRequest(unsigned char type, int size, int nameOffset, int categoryOffset)
    : mType(type), mSize(size), mNameOffset(nameOffset), mCategoryOffset(categoryOffset) {}

namespace {

bool addressed(const unsigned char* dump, const RequestTarget& target) {
  return (target.dumpBank < 0 || dump[sysex::kBankOffset] == target.dumpBank) &&
         (target.dumpProgram < 0 || dump[sysex::kProgramOffset] == target.dumpProgram);
}

}  // namespace

void LibrarianRequest::arm(const RequestTarget& target) {
  mRecord = LibrarianPatch();
  mTarget = target;
  mCollecting = true;
}

bool LibrarianRequest::addMessageData(const unsigned char* bytes, int size) {
  if (!mCollecting || bytes == nullptr || size != mSize) return false;
  if (bytes[0] != sysex::kStart || bytes[size - 1] != sysex::kEnd ||
      !sysex::hasDumpHeader(bytes, size, mSize, mType) || !addressed(bytes, mTarget))
    return false;
  mRecord = LibrarianPatch();
  mRecord.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(bytes, bytes + size)});
  mRecord.parseName(mNameOffset);
  if (mCategoryOffset >= 0) mRecord.parseCategory(mCategoryOffset);
  mCompletionMarker = 1;
  mCollecting = false;
  return true;
}

LibraryPatchRequest::LibraryPatchRequest()
    : LibrarianRequest(sysex::kSoundDump, sysex::kSoundDumpSize, sound_dump::kNameOffset,
                       sound_dump::kCategoryOffset) {}

LibraryPerformanceRequest::LibraryPerformanceRequest()
    : LibrarianRequest(sysex::kMultiDump, sysex::kMultiDumpSize, multi_dump::kNameOffset, -1) {}
