#include "src/librarian/PatchLibrarian.h"

#include <algorithm>

namespace {

template <class T>
void deleteAll(std::vector<T*>& list) {
  for (T* item : list) delete item;
  list.clear();
}

void dropFrom(std::vector<PatchFile*>& list, PatchFile* file) {
  list.erase(std::remove(list.begin(), list.end(), file), list.end());
}

}  // namespace

PatchLibrarian::~PatchLibrarian() {
  for (int kind = 0; kind < 4; ++kind) clearDataStructures(kind);
  discardAllFiles();
}

void PatchLibrarian::clearDataStructures(int kind) {
  FolderTree* trees[] = {&soundFolders, &multiFolders, &categoryFolders, &searchResultFolders};
  if (kind < 0 || kind > 3) return;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  trees[kind]->clear();
}

PatchFile* PatchLibrarian::listedFile(int list, int lowerListKind) const {
  const int kind = list == 0 ? -1 : lowerListKind;
  const std::vector<PatchFile*>* files = kind == 1   ? &categoryFiles
                                         : kind == 4 ? &searchResultFiles
                                         : type == 1 ? &multiFiles
                                         : type == 0 ? &soundFiles
                                                     : nullptr;
  const int index = list == 0 ? upperFileIndex : lowerFileIndex;
  if (!files || index < 0 || index >= static_cast<int>(files->size())) return nullptr;
  return (*files)[index];
}

void PatchLibrarian::discard(PatchFile* file) {
  dropFrom(soundFiles, file);
  dropFrom(multiFiles, file);
  dropFrom(searchResultFiles, file);
  dropFrom(categoryFiles, file);
  delete file;
}

void PatchLibrarian::discardAllFiles() {
  deleteAll(soundFiles);
  deleteAll(multiFiles);
  deleteAll(searchResultFiles);
  deleteAll(categoryFiles);
  deleteAll(mUnlisted);
  mSplitPieces.clear();
}

void PatchLibrarian::log(const std::string& message) const {
  TK_Log(mLog, "PATCH LIBRARIAN: ", message);
}
