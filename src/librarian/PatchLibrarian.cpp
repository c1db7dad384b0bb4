#include "src/librarian/PatchLibrarian.h"

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
  const PatchFileList* files = kind == 1   ? &categoryFiles
                               : kind == 4 ? &searchResultFiles
                               : type == 1 ? &multiFiles
                               : type == 0 ? &soundFiles
                                           : nullptr;
  const int index = list == 0 ? upperFileIndex : lowerFileIndex;
  if (!files || index < 0 || index >= static_cast<int>(files->size())) return nullptr;
  return (*files)[index];
}

void PatchLibrarian::discard(const PatchFile* file) {
  for (PatchFileList* list : {&soundFiles, &multiFiles, &searchResultFiles, &categoryFiles})
    list->drop(file);
}

void PatchLibrarian::discardAllFiles() {
  for (PatchFileList* list :
       {&soundFiles, &multiFiles, &searchResultFiles, &categoryFiles, &mUnlisted})
    list->clear();
  mSplitPieces.clear();
}

void PatchLibrarian::log(const std::string& message) const {
  TK_Log(mLog, "PATCH LIBRARIAN: ", message);
}
