#include <gtest/gtest.h>

#include "src/librarian/PatchLibrarian.h"

namespace {

using Files = std::vector<PatchFile*>;

class FolderTrees : public ::testing::Test {
 protected:
  // A sound bank in that folder, placed in the trees.
  PatchFile* place(std::vector<std::string> folderPath) {
    files.emplace_back(new PatchFile);
    files.back()->folderPath = std::move(folderPath);
    librarian.createSingleFolderFilesStructure(files.back().get(), "");
    return files.back().get();
  }
  const FolderFiles& top(size_t i) const { return *librarian.soundFolders.at(i); }

  std::vector<std::unique_ptr<PatchFile>> files;  // the trees never own them
  PatchLibrarian librarian;
};

}  // namespace

// "Patches" shares one top node; every other folder gets an unnamed one of its own, by exact name;
// a third level is a sub-folder, a fourth an empty node.
TEST_F(FolderTrees, PatchesSharesOneTopNodeAndEachFolderGetsAnUnnamedOne) {
  PatchFile* a = place({"Patches"});
  PatchFile* inA = place({"Patches", "A"});
  PatchFile* b = place({"Patches"});
  PatchFile* inX = place({"Patches", "A", "X"});
  PatchFile* inA2 = place({"Patches", "A"});
  place({"Patches", "a"});
  place({"Patches", "A", "B", "C"});
  ASSERT_EQ(librarian.soundFolders.size(), 4u);
  EXPECT_TRUE(librarian.multiFolders.empty());
  EXPECT_EQ(top(0).name, "Patches");
  EXPECT_EQ(top(0).files, Files({a, b}));
  EXPECT_EQ(top(1).name, "");
  ASSERT_EQ(top(1).subFolders.size(), 1u);
  const SubFolderFiles& folderA = top(1).subFolders[0];
  EXPECT_EQ(folderA.name, "A");
  EXPECT_EQ(folderA.files, Files({inA, inA2}));
  ASSERT_EQ(folderA.subFolders.size(), 1u);
  EXPECT_EQ(folderA.subFolders[0].name, "X");
  EXPECT_EQ(folderA.subFolders[0].files, Files({inX}));
  EXPECT_EQ(top(2).subFolders.at(0).name, "a");
  EXPECT_TRUE(top(3).name.empty() && top(3).files.empty() && top(3).subFolders.empty());
}

// A level-2 folder takes only its first level-3 folder; a further one comes under a new unnamed
// top node with a level-2 node of the same name, where later files of it gather.
TEST_F(FolderTrees, ASecondSubFolderOfOneFolderMakesATopNodeOfItsOwn) {
  PatchFile* inA = place({"Patches", "A"});
  PatchFile* inX = place({"Patches", "A", "X"});
  PatchFile* inY = place({"Patches", "A", "Y"});
  PatchFile* inY2 = place({"Patches", "A", "Y"});
  ASSERT_EQ(librarian.soundFolders.size(), 2u);
  const SubFolderFiles& first = top(0).subFolders.at(0);
  EXPECT_EQ(first.files, Files({inA}));
  ASSERT_EQ(first.subFolders.size(), 1u);
  EXPECT_EQ(first.subFolders[0].files, Files({inX}));
  EXPECT_EQ(top(1).name, "");
  ASSERT_EQ(top(1).subFolders.size(), 1u);
  const SubFolderFiles& second = top(1).subFolders[0];
  EXPECT_EQ(second.name, "A");
  EXPECT_TRUE(second.files.empty());
  ASSERT_EQ(second.subFolders.size(), 1u);
  EXPECT_EQ(second.subFolders[0].name, "Y");
  EXPECT_EQ(second.subFolders[0].files, Files({inY, inY2}));
}
