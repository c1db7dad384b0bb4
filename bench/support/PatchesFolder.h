#pragma once

#include <string>

// A data folder of its own in /tmp whose Patches folder holds a heavy user's library: `banks`
// raw sound banks of 128 distinct sounds each, named after bank and slot, categories in turn, in
// sub-folders of 100 banks, and `multiBanks` banks of 128 Multis directly in Patches. Removed with
// everything in it when the object goes away.
class PatchesFolder {
 public:
  explicit PatchesFolder(int banks, int multiBanks = 0);
  ~PatchesFolder();
  PatchesFolder(const PatchesFolder&) = delete;
  PatchesFolder& operator=(const PatchesFolder&) = delete;

  // The folder to hand the plug-in as KROMA_DATA_DIR.
  const std::string& dataFolder() const { return mRoot; }
  std::string patches() const { return mRoot + "/Patches"; }

  // The file bytes of bank `index`, as written into the folder.
  static std::string bankBytes(int index, bool multi = false);
  // Where bank `index` lies below patches().
  static std::string bankPath(int index);

 private:
  std::string mRoot;
};
