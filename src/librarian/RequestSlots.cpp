#include "src/librarian/PatchLibrarian.h"

namespace {

// A bank holds dumps of one kind; a Multi in a sound bank would spoil the file.
bool ofBankKind(const LibrarianPatch& record, int type) {
  if (record.messages.empty()) return false;
  const std::vector<uint8_t>& dump = record.messages[0].bytes;
  return (int)dump.size() > DumpLayout::kTypeOffset &&
         dump[DumpLayout::kTypeOffset] ==
             (type == 1 ? DumpLayout::kTypeMulti : DumpLayout::kTypeSound);
}

}  // namespace

bool PatchLibrarian::setSysexDatatoSelectedSlot(const LibrarianPatch* record, SlotChange* change) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  return (type == 0 || type == 1) &&
         setSysexDataToSlot(upperBank(), selectedProgram, record, change);
}

bool PatchLibrarian::setSysexDataToSlot(PatchFile* file, int slot, const LibrarianPatch* record,
                                        SlotChange* change) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const int kind = soundFiles.contains(file) ? 0 : multiFiles.contains(file) ? 1 : -1;
  if (kind < 0 || record == nullptr || slot < 0 || slot >= DumpLayout::kBankSlots ||
      !ofBankKind(*record, kind))
    return false;
  file->records.resize(DumpLayout::kBankSlots);
  if (change != nullptr) *change = SlotChange{file, slot, file->records[slot]};
  file->records[slot] = *record;
  return true;
}

bool PatchLibrarian::restoreSlot(const SlotChange& change) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (change.file == nullptr ||
      !(soundFiles.contains(change.file) || multiFiles.contains(change.file)))
    return false;
  if (change.slot < 0 || change.slot >= (int)change.file->records.size()) return false;
  change.file->records[change.slot] = change.before;
  return true;
}
