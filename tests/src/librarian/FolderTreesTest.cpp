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

TEST_F(FolderTrees, PatchesSharesOneTopNodeAndEachFolderGetsAnUnnamedOneCaseSensitively) {
  PatchFile* a = place({"Patches"});
  PatchFile* inA = place({"Patches", "A"});
  PatchFile* b = place({"Patches"});
  PatchFile* inB = place({"Patches", "B"});
  PatchFile* inA2 = place({"Patches", "A"});
  place({"Patches", "a"});
  ASSERT_EQ(librarian.soundFolders.size(), 4u);
  EXPECT_TRUE(librarian.multiFolders.empty());
  EXPECT_EQ(top(0).name, "Patches");
  EXPECT_EQ(top(0).files, Files({a, b}));
  EXPECT_TRUE(top(0).subFolders.empty());
  EXPECT_EQ(top(1).name, "");
  EXPECT_TRUE(top(1).files.empty());
  ASSERT_EQ(top(1).subFolders.size(), 1u);
  EXPECT_EQ(top(1).subFolders[0].name, "A");
  EXPECT_EQ(top(1).subFolders[0].files, Files({inA, inA2}));
  EXPECT_EQ(top(2).subFolders.at(0).files, Files({inB}));
  EXPECT_EQ(top(3).subFolders.at(0).name, "a");
}

TEST_F(FolderTrees, ThirdLevelFoldersAndTheirLimits) {
  PatchFile* inA = place({"Patches", "A"});
  PatchFile* inX = place({"Patches", "A", "X"});
  PatchFile* inY = place({"Patches", "A", "Y"});
  PatchFile* inY2 = place({"Patches", "A", "Y"});
  place({"Patches", "A", "B", "C"});
  ASSERT_EQ(librarian.soundFolders.size(), 3u);
  const SubFolderFiles& first = top(0).subFolders.at(0);
  EXPECT_EQ(first.name, "A");
  EXPECT_EQ(first.files, Files({inA}));
  ASSERT_EQ(first.subFolders.size(), 1u);
  EXPECT_EQ(first.subFolders[0].name, "X");
  EXPECT_EQ(first.subFolders[0].files, Files({inX}));
  const SubFolderFiles& second = top(1).subFolders.at(0);
  EXPECT_EQ(second.name, "A");
  ASSERT_EQ(second.subFolders.size(), 1u);
  EXPECT_EQ(second.subFolders[0].name, "Y");
  EXPECT_EQ(second.subFolders[0].files, Files({inY, inY2}));
  // Too deep: an empty node.
  EXPECT_TRUE(top(2).name.empty() && top(2).files.empty() && top(2).subFolders.empty());
}
