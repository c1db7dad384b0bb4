#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "src/librarian/BankFormat.h"
#include "src/librarian/InitDumps.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

using namespace DumpLayout;

LibrarianPatch initSlot(const uint8_t* dump, int size, int nameOffset, bool sound) {
  LibrarianPatch slot;
  slot.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(dump, dump + size)});
  slot.parseName(nameOffset);
  if (sound) slot.parseCategory(kSoundCategoryOffset);
  return slot;
}

LibrarianPatch initSound() {
  return initSlot(InitDumps::initPatchCorvane, kSoundSize, kSoundNameOffset, true);
}

LibrarianPatch initMulti() {
  return initSlot(InitDumps::initMultiData, kMultiSize, kMultiNameOffset, false);
}

// "Init", nine blanks, then the slot number in three places (blank hundreds).
LibrarianPatch numberedInitSound(int number) {
  uint8_t dump[kSoundSize];
  std::memcpy(dump, InitDumps::initPatchCorvane, kSoundSize);
  std::string name = "Init         ";
  name += number >= 100 ? (char)('0' + number / 100 % 10) : ' ';
  name += (char)('0' + number / 10 % 10);
  name += (char)('0' + number % 10);
  std::memcpy(dump + kSoundNameOffset, name.data(), kNameLength);
  return initSlot(dump, kSoundSize, kSoundNameOffset, true);
}

int dumpType(const LibrarianPatch& slot) {
  if (slot.messages.empty() || slot.messages[0].bytes.size() <= (size_t)kTypeOffset) return -1;
  return slot.messages[0].bytes[kTypeOffset];
}

}  // namespace

void PatchLibrarian::checkBankSizeAndAddData(PatchFile* file) {
  std::vector<LibrarianPatch>& records = file->records;
  if (records.empty()) return;
  if (file->type == 1) {
    while (records.size() < (size_t)kBankSlots) records.push_back(initMulti());
  } else if (file->type == 0) {
    while (records.size() < (size_t)kBankSlots)
      records.push_back(numberedInitSound((int)records.size() + 1));
  }
}

void PatchLibrarian::fillUncompletedBankFiles(PatchFile* file) {
  std::vector<LibrarianPatch>& records = file->records;
  if (records.empty()) return;
  const bool sound = dumpType(records[0]) == kTypeSound;
  while (records.size() < (size_t)kBankSlots) records.push_back(sound ? initSound() : initMulti());
}

bool PatchLibrarian::createNewPatchFile(PatchFile* source, const std::string& folderName,
                                        const std::string& fileName, const std::string& extension,
                                        const std::string& path, int origin, int block, bool midi,
                                        bool multis) {
  std::vector<const LibrarianPatch*> gathered;
  for (const LibrarianPatch& slot : source->records)
    if (dumpType(slot) == (multis ? kTypeMulti : kTypeSound)) gathered.push_back(&slot);
  const int count = (int)gathered.size();
  const int piece = block + 1;
  const int rest = count - kBankSlots * piece;
  splitCount = count / kBankSlots + ((!multis && rest >= 1 && rest < kBankSlots) ? 1 : 0);
  if (rest <= 0) return true;

  auto bank = std::make_unique<PatchFile>();
  bank->type = multis ? 1 : 0;
  for (int i = kBankSlots * piece; i < count && i < kBankSlots * (piece + 1); ++i)
    bank->records.push_back(*gathered[i]);
  bank->folderName = folderName;
  bank->folderPath = source->folderPath;  // a save of the piece writes beside the source
  bank->origin = origin;
  fillUncompletedBankFiles(bank.get());
  bank->records.resize(kBankSlots);

  // Pieces are numbered; a name already taken gets " (2)", " (3)" and so on,
  // so that splitting never replaces a file.
  std::string stem = LibrarianFiles::stemOf(fileName);
  if (splitFlag) {
    if (!multis)
      stem += " Singles " + std::to_string(piece + 1);
    else
      stem += count > kBankSlots ? " Multis " + std::to_string(piece + 1) : " Multis";
  }
  const std::string target =
      LibrarianFiles::freeName(LibrarianFiles::folderOf(path), stem, extension);
  bank->fileName = LibrarianFiles::fileNameOf(target);

  const ByteChunk bytes = BankFormat::bankBytes(*bank, midi);
  if (!LibrarianFiles::writeFile(target, bytes, false)) return false;
  bank->path = LibrarianFiles::canonicalPath(target);
  bank->contents = FileContents::of(bytes);
  PatchFileList& list = multis ? multiFiles : soundFiles;
  mSplitPieces.emplace_back(target, list.push_back(std::move(bank)));
  return true;
}

bool PatchLibrarian::splitBankFile(PatchFile* source, const std::string& folderName,
                                   const std::string& fileName, const std::string& extension,
                                   const std::string& path, int origin) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mSplitPieces.clear();
  splitCount = (int)source->records.size() / kBankSlots;
  splitFlag = true;
  const bool midi = extension == "mid";
  bool ok = true;
  for (int multis = 0; multis < 2 && ok; ++multis)
    for (int block = -1; ok && block < splitCount; ++block)
      ok = createNewPatchFile(source, folderName, fileName, extension, path, origin, block, midi,
                              multis != 0);
  if (!ok) undoSplit();
  return ok;
}

void PatchLibrarian::undoSplit() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  for (const std::pair<std::string, PatchFile*>& written : mSplitPieces) {
    ::remove(written.first.c_str());
    discard(written.second);
  }
  mSplitPieces.clear();
}
