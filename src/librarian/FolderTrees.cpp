#include "src/librarian/PatchLibrarian.h"

void PatchLibrarian::createSingleFolderFilesStructure(PatchFile* file, std::string) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  placeIntoTree(soundFolders, file);
}

void PatchLibrarian::createMultiFolderFilesStructure(PatchFile* file, std::string) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  placeIntoTree(multiFolders, file);
}

// A file joins every node that matches its folder path. When none does, a
// new top node made for it is appended; for files deeper than two folders
// below "Patches" that node stays empty.
void PatchLibrarian::placeIntoTree(FolderTree& tree, PatchFile* file) {
  const std::vector<std::string>& path = file->folderPath;
  const size_t n = path.size();
  auto fresh = std::make_unique<FolderFiles>();
  SubFolderFiles2 level3;
  if (n == 1) {
    fresh->name = path[0];
    fresh->files.push_back(file);
  } else if (n == 2 || n == 3) {
    SubFolderFiles level2;
    level2.name = path[1];
    if (n == 2) {
      level2.files.push_back(file);
    } else {
      level3.name = path[2];
      level3.files.push_back(file);
      level2.subFolders.push_back(level3);
    }
    fresh->subFolders.push_back(level2);
  }

  bool placed = false;
  for (const std::unique_ptr<FolderFiles>& top : tree) {
    if (n == 1 && top->name == path[0]) {
      top->files.push_back(file);
      placed = true;
    }
    if (n != 2 && n != 3) continue;
    for (SubFolderFiles& sub : top->subFolders) {
      if (sub.name != path[1]) continue;
      if (n == 2) {
        sub.files.push_back(file);
        placed = true;
      } else if (sub.subFolders.empty()) {
        sub.subFolders.push_back(level3);
        placed = true;
      } else {
        for (SubFolderFiles2& subSub : sub.subFolders) {
          if (subSub.name != path[2]) continue;
          subSub.files.push_back(file);
          placed = true;
        }
      }
    }
  }
  if (!placed) tree.push_back(std::move(fresh));
}
