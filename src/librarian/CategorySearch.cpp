#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "src/librarian/PatchLibrarian.h"

namespace {

using namespace DumpLayout;

const char* const kSearchFolder = "Patches";

// Only records whose first dump reaches the category byte can be rebuilt.
bool rebuildable(const LibrarianPatch& slot) {
  return !slot.messages.empty() && (int)slot.messages[0].bytes.size() > kSoundCategoryOffset;
}

// A record made anew from its dumps: name and category as the dump holds them.
LibrarianPatch rebuilt(const LibrarianPatch& source, int messagesKept) {
  LibrarianPatch slot;
  const int kept = std::min<int>(messagesKept, (int)source.messages.size());
  slot.messages.assign(source.messages.begin(), source.messages.begin() + kept);
  slot.parseName(kSoundNameOffset);
  slot.parseCategory(kSoundCategoryOffset);
  return slot;
}

// The row of the category table whose text the slot's category is, or -1.
int categoryRow(const std::string& category) {
  if (category.size() != 4) return -1;
  for (int row = 0; row < kCategoryCount; ++row)
    if (std::memcmp(category.data(), kCategoryNames[row], 4) == 0) return row;
  return -1;
}

// Fills pieces of at most 128 rebuilt records in the order records are added; n records make
// n / 128 + 1 pieces, so a multiple of 128 (or nothing) ends in an empty one. Records are copied
// as they are met, in the order they lie in memory, rather than category by category.
class PieceMaker {
 public:
  PieceMaker(std::string name, int messagesKept)
      : mName(std::move(name)), mMessagesKept(messagesKept) {}

  void add(const LibrarianPatch& source) {
    if (mPieces.empty() || full()) open();
    mPieces.back()->records.push_back(rebuilt(source, mMessagesKept));
  }
  bool empty() const { return mPieces.empty(); }
  // The pieces, for the librarian's file lists to own.
  std::vector<std::unique_ptr<PatchFile>> finish() {
    if (mPieces.empty() || full()) open();
    mPieces.back()->records.shrink_to_fit();
    return std::exchange(mPieces, {});
  }

 private:
  bool full() const { return mPieces.back()->records.size() >= (size_t)kBankSlots; }
  void open() {
    auto piece = std::make_unique<PatchFile>();
    piece->fileName = mName + " " + std::to_string(mPieces.size() + 1);
    piece->records.reserve(kBankSlots);
    mPieces.push_back(std::move(piece));
  }

  std::string mName;
  int mMessagesKept;
  std::vector<std::unique_ptr<PatchFile>> mPieces;
};

}  // namespace

void PatchLibrarian::createNewCategoryPatchFiles() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  // One pass over the sounds, in list and slot order, fills the pieces of every category.
  std::vector<PieceMaker> categories;
  for (int row = 0; row < kCategoryCount; ++row) categories.emplace_back(kCategoryNames[row], 1);
  for (const PatchFile* file : soundFiles) {
    for (const LibrarianPatch& slot : file->records) {
      const int row = categoryRow(slot.category);
      if (row >= 0 && rebuildable(slot)) categories[row].add(slot);
    }
  }
  for (int c = 1; c <= kCategoryCount; ++c) {
    const std::string text = kCategoryNames[c - 1];
    for (std::unique_ptr<PatchFile>& owned : categories[c - 1].finish()) {
      owned->folderName = text;
      owned->origin = c;
      PatchFileList& list = owned->records.empty() ? mUnlisted : categoryFiles;
      PatchFile* piece = list.push_back(std::move(owned));
      bool placed = false;
      for (const std::unique_ptr<FolderFiles>& top : categoryFolders) {
        for (SubFolderFiles& sub : top->subFolders) {
          if (sub.name == text && !placed) {
            sub.files.push_back(piece);
            placed = true;
          }
        }
      }
      if (!placed) {
        SubFolderFiles sub;
        sub.name = text;
        sub.files.push_back(piece);
        categoryFolders.push_back(std::make_unique<FolderFiles>(piece->fileName, sub));
      }
    }
  }
}

void PatchLibrarian::createNewSearchPatchFiles(std::string query) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  // The old results go; so must the tree nodes that point at them.
  clearDataStructures(3);
  searchResultFiles.clear();

  PieceMaker results("Search Results", 2);
  for (const PatchFile* file : soundFiles) {
    if (file->type != 0) continue;
    for (const LibrarianPatch& slot : file->records)
      if (slot.name.find(query) != std::string::npos && rebuildable(slot)) results.add(slot);
  }
  if (results.empty()) return;

  int index = 0;
  for (std::unique_ptr<PatchFile>& owned : results.finish()) {
    owned->folderName = kSearchFolder;
    owned->origin = index++;
    PatchFile* piece = searchResultFiles.push_back(std::move(owned));
    if (searchResultFolders.empty() || searchResultFolders[0]->name != kSearchFolder) {
      auto node = std::make_unique<FolderFiles>();
      node->name = kSearchFolder;
      node->files.push_back(piece);
      searchResultFolders.push_back(std::move(node));
    } else {
      searchResultFolders[0]->files.push_back(piece);
    }
  }
}
