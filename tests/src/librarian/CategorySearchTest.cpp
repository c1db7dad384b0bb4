#include <gtest/gtest.h>

#include "BankLoading.h"

namespace {

class CategorySearch : public ::testing::Test {
 protected:
  // A sound bank of the librarian whose slots are `names` with `category`.
  PatchFile* addBank(const std::vector<std::string>& names, uint8_t category) {
    auto file = std::make_unique<PatchFile>();
    for (const std::string& name : names)
      file->records.push_back(fixtures::slotOf(fixtures::soundDump(name, category)));
    return librarian.soundFiles.push_back(std::move(file));
  }
  std::vector<std::string> categoryPieces() const {
    std::vector<std::string> out;
    for (const PatchFile* f : librarian.categoryFiles)
      out.push_back(f->fileName + ":" + std::to_string(f->records.size()));
    return out;
  }
  const FolderFiles* categoryNode(const std::string& name) const {
    for (const auto& top : librarian.categoryFolders)
      if (top->name == name) return top.get();
    return nullptr;
  }

  PatchLibrarian librarian;
};

}  // namespace

TEST_F(CategorySearch, CategoryBanksAreSplitIntoPiecesOf128) {
  addBank(std::vector<std::string>(200, "lead"), 7);
  addBank(std::vector<std::string>(100, "lead"), 7);
  addBank(std::vector<std::string>(128, "pad"), 9);
  addBank(std::vector<std::string>(1, "arp"), 1);
  librarian.createNewCategoryPatchFiles();
  EXPECT_EQ(categoryPieces(), std::vector<std::string>({"Arp  1:1", "Lead 1:128", "Lead 2:128",
                                                        "Lead 3:44", "Pad  1:128"}));
  EXPECT_EQ(librarian.categoryFiles[1]->folderName, "Lead");

  ASSERT_EQ(librarian.categoryFolders.size(), 13u);
  const FolderFiles* leadNode = categoryNode("Lead 1");
  ASSERT_NE(leadNode, nullptr);
  EXPECT_EQ(leadNode->subFolders.at(0).files.size(), 3u);
  // 128 pads: the empty second piece stands only in the tree.
  EXPECT_EQ(categoryNode("Pad  1")->subFolders[0].files.size(), 2u);
  EXPECT_TRUE(categoryNode("Pad  1")->subFolders[0].files[1]->records.empty());
  // No drum at all: an empty piece in the tree, none in the list.
  ASSERT_NE(categoryNode("Drum 1"), nullptr);
  EXPECT_TRUE(categoryNode("Drum 1")->subFolders.at(0).files.at(0)->records.empty());
}

TEST_F(CategorySearch, PiecesAreRebuiltFromTheDumps) {
  PatchFile* bank = addBank({"Real Name"}, 3);
  bank->records[0].name = "Renamed";
  bank->records[0].messages.push_back(bank->records[0].messages[0]);
  LibrarianPatch shortSlot;
  shortSlot.messages.push_back(PatchSysexMessage{fixtures::Bytes(300, 0)});
  shortSlot.category = "Bass";
  shortSlot.name = "Real short";
  bank->records.push_back(shortSlot);
  bank->records.push_back(LibrarianPatch());  // no dump at all

  librarian.createNewCategoryPatchFiles();
  ASSERT_EQ(librarian.categoryFiles.size(), 1u);
  const PatchFile* bass = librarian.categoryFiles[0];
  ASSERT_EQ(bass->records.size(), 1u);
  EXPECT_EQ(bass->records[0].name, "Real Name       ");
  EXPECT_EQ(bass->records[0].category, "Bass");
  EXPECT_EQ(bass->records[0].messages.size(), 1u);

  // The search goes by the record's name; the short record is not rebuilt.
  librarian.createNewSearchPatchFiles("Real");
  EXPECT_TRUE(librarian.searchResultFiles.empty());
  librarian.createNewSearchPatchFiles("Renamed");
  ASSERT_EQ(librarian.searchResultFiles.size(), 1u);
  const PatchFile* found = librarian.searchResultFiles[0];
  ASSERT_EQ(found->records.size(), 1u);
  EXPECT_EQ(found->records[0].name, "Real Name       ");
  EXPECT_EQ(found->records[0].messages.size(), 2u);
}

TEST_F(CategorySearch, SearchIsCaseSensitiveAndSplitsLikeCategories) {
  std::vector<std::string> names = std::vector<std::string>(120, "Fat Bass");
  for (int i = 0; i < 8; ++i) names.push_back("Sub Bass");
  names.push_back("deep bass");
  addBank(names, 3);
  librarian.createNewSearchPatchFiles("bass");
  ASSERT_EQ(librarian.searchResultFiles.size(), 1u);
  EXPECT_EQ(librarian.searchResultFiles[0]->records.size(), 1u);

  librarian.createNewSearchPatchFiles("Bass");
  ASSERT_EQ(librarian.searchResultFiles.size(), 2u);
  EXPECT_EQ(librarian.searchResultFiles[0]->records.size(), 128u);
  EXPECT_TRUE(librarian.searchResultFiles[1]->records.empty());
  EXPECT_EQ(librarian.searchResultFiles[1]->fileName, "Search Results 2");
  ASSERT_EQ(librarian.searchResultFolders.size(), 1u);
  EXPECT_EQ(librarian.searchResultFolders[0]->files,
            std::vector<PatchFile*>(librarian.searchResultFiles.begin(),
                                    librarian.searchResultFiles.end()));

  librarian.createNewSearchPatchFiles("Nothing like it");
  EXPECT_TRUE(librarian.searchResultFiles.empty());
  EXPECT_TRUE(librarian.searchResultFolders.empty());
}
