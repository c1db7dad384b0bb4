#include <algorithm>
#include <cstring>

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

}  // namespace

// n records make n / 128 + 1 pieces, so a multiple of 128 ends in an empty one.
std::vector<PatchFile*> PatchLibrarian::makePieces(
    const std::vector<const LibrarianPatch*>& gathered, const std::string& name, int messagesKept) {
  std::vector<PatchFile*> pieces;
  const size_t n = gathered.size();
  for (size_t k = 0; k <= n / kBankSlots; ++k) {
    PatchFile* piece = new PatchFile;
    piece->fileName = name + " " + std::to_string(k + 1);
    piece->records.reserve(std::min(n - k * kBankSlots, (size_t)kBankSlots));
    for (size_t i = k * kBankSlots; i < n && i < (k + 1) * kBankSlots; ++i)
      piece->records.push_back(rebuilt(*gathered[i], messagesKept));
    pieces.push_back(piece);
  }
  return pieces;
}

void PatchLibrarian::createNewCategoryPatchFiles() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  // One pass sorts every sound into its category, in list and slot order.
  std::vector<const LibrarianPatch*> gathered[kCategoryCount];
  for (const PatchFile* file : soundFiles) {
    for (const LibrarianPatch& slot : file->records) {
      const int row = categoryRow(slot.category);
      if (row >= 0 && rebuildable(slot)) gathered[row].push_back(&slot);
    }
  }
  for (int c = 1; c <= kCategoryCount; ++c) {
    const std::string text = kCategoryNames[c - 1];
    for (PatchFile* piece : makePieces(gathered[c - 1], text, 1)) {
      piece->folderName = text;
      piece->origin = c;
      (piece->records.empty() ? mUnlisted : categoryFiles).push_back(piece);
      bool placed = false;
      for (FolderFiles* top : categoryFolders) {
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
        categoryFolders.push_back(new FolderFiles(piece->fileName, sub));
      }
    }
  }
}

void PatchLibrarian::createNewSearchPatchFiles(std::string query) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  // The old results go; so must the tree nodes that point at them.
  clearDataStructures(3);
  while (!searchResultFiles.empty()) discard(searchResultFiles.back());

  std::vector<const LibrarianPatch*> gathered;
  for (const PatchFile* file : soundFiles) {
    if (file->type != 0) continue;
    for (const LibrarianPatch& slot : file->records)
      if (slot.name.find(query) != std::string::npos && rebuildable(slot))
        gathered.push_back(&slot);
  }
  if (gathered.empty()) return;

  int index = 0;
  for (PatchFile* piece : makePieces(gathered, "Search Results", 2)) {
    piece->folderName = kSearchFolder;
    piece->origin = index++;
    searchResultFiles.push_back(piece);
    if (searchResultFolders.empty() || searchResultFolders[0]->name != kSearchFolder) {
      FolderFiles* node = new FolderFiles;
      node->name = kSearchFolder;
      node->files.push_back(piece);
      searchResultFolders.push_back(node);
    } else {
      searchResultFolders[0]->files.push_back(piece);
    }
  }
}
