#include <gtest/gtest.h>

#include "src/librarian/PatchLibrarian.h"

namespace {

class FolderTrees : public ::testing::Test {
 protected:
  PatchFile* file(std::vector<std::string> folderPath) {
    files.emplace_back(new PatchFile);
    files.back()->folderPath = std::move(folderPath);
    return files.back().get();
  }
  void place(PatchFile* f) { librarian.createSingleFolderFilesStructure(f, ""); }

  std::vector<std::unique_ptr<PatchFile>> files;  // the trees never own them
  PatchLibrarian librarian;
};

}  // namespace

TEST_F(FolderTrees, FilesDirectlyInPatchesShareOneTopNode) {
  PatchFile* a = file({"Patches"});
  PatchFile* b = file({"Patches"});
  place(a);
  place(b);
  ASSERT_EQ(librarian.soundFolders.size(), 1u);
  EXPECT_EQ(librarian.soundFolders[0]->name, "Patches");
  EXPECT_EQ(librarian.soundFolders[0]->files, std::vector<PatchFile*>({a, b}));
  EXPECT_TRUE(librarian.soundFolders[0]->subFolders.empty());
  EXPECT_TRUE(librarian.multiFolders.empty());
}

TEST_F(FolderTrees, EachFolderGetsAnUnnamedTopNode) {
  PatchFile* a = file({"Patches", "A"});
  PatchFile* b = file({"Patches", "B"});
  PatchFile* a2 = file({"Patches", "A"});
  place(a);
  place(b);
  place(a2);
  ASSERT_EQ(librarian.soundFolders.size(), 2u);
  EXPECT_EQ(librarian.soundFolders[0]->name, "");
  EXPECT_TRUE(librarian.soundFolders[0]->files.empty());
  ASSERT_EQ(librarian.soundFolders[0]->subFolders.size(), 1u);
  EXPECT_EQ(librarian.soundFolders[0]->subFolders[0].name, "A");
  EXPECT_EQ(librarian.soundFolders[0]->subFolders[0].files, std::vector<PatchFile*>({a, a2}));
  EXPECT_EQ(librarian.soundFolders[1]->subFolders[0].name, "B");
}

TEST_F(FolderTrees, ThirdLevelFoldersAndTheirLimits) {
  PatchFile* inA = file({"Patches", "A"});
  PatchFile* inX = file({"Patches", "A", "X"});
  PatchFile* inY = file({"Patches", "A", "Y"});
  PatchFile* inY2 = file({"Patches", "A", "Y"});
  for (PatchFile* f : {inA, inX, inY, inY2}) place(f);
  ASSERT_EQ(librarian.soundFolders.size(), 2u);
  const SubFolderFiles& first = librarian.soundFolders[0]->subFolders.at(0);
  EXPECT_EQ(first.name, "A");
  EXPECT_EQ(first.files, std::vector<PatchFile*>({inA}));
  ASSERT_EQ(first.subFolders.size(), 1u);
  EXPECT_EQ(first.subFolders[0].name, "X");
  EXPECT_EQ(first.subFolders[0].files, std::vector<PatchFile*>({inX}));
  const SubFolderFiles& second = librarian.soundFolders[1]->subFolders.at(0);
  EXPECT_EQ(second.name, "A");
  ASSERT_EQ(second.subFolders.size(), 1u);
  EXPECT_EQ(second.subFolders[0].name, "Y");
  EXPECT_EQ(second.subFolders[0].files, std::vector<PatchFile*>({inY, inY2}));
}

TEST_F(FolderTrees, TooDeepFilesLeaveAnEmptyNodeAndCaseMatters) {
  place(file({"Patches", "a"}));
  place(file({"Patches", "A"}));
  place(file({"Patches", "A", "B", "C"}));
  ASSERT_EQ(librarian.soundFolders.size(), 3u);
  EXPECT_EQ(librarian.soundFolders[1]->subFolders.at(0).name, "A");
  const FolderFiles* deep = librarian.soundFolders[2];
  EXPECT_TRUE(deep->name.empty() && deep->files.empty() && deep->subFolders.empty());
}
