#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "ScanFixture.h"

using fixtures::Bytes;

namespace {

class BankSaving : public ScanFixture {
 protected:
  void SetUp() override {
    bank("Sounds.syx", fixtures::rawBank(fixtures::sounds(128)));
    bank("Multis.syx", fixtures::rawBank(fixtures::multis(128)));
    scan();
    ASSERT_EQ(librarian.soundFiles.size(), 1u);
    ASSERT_EQ(librarian.multiFiles.size(), 1u);
  }
  // A prompt that answers with `answer` and remembers what it was asked.
  PatchLibrarian::FilePrompt answer(const std::string& path) {
    return [this, path](const std::string& name, const std::string& folder,
                        const std::string& extension) {
      asked = name + "|" + folder + "|" + extension;
      return path;
    };
  }
  std::string asked;
};

}  // namespace

TEST_F(BankSaving, OverwriteWritesTheFirst128SlotsInTheFormatOfTheExtensionWithoutCase) {
  PatchFile* upper = librarian.soundFiles[0];
  upper->records.push_back(upper->records[0]);
  upper->records.push_back(upper->records[1]);
  const std::string path = dir.file("out");
  EXPECT_TRUE(librarian.saveEditedPatch(path, "Sounds.syx"));
  const Bytes raw = fixtures::readFile(path);
  Bytes dumps;
  for (int i = 0; i < 128; ++i) {
    const Bytes& d = upper->records[i].messages[0].bytes;
    dumps.insert(dumps.end(), d.begin(), d.end());
  }
  EXPECT_EQ(raw, dumps);
  EXPECT_EQ(upper->records.size(), 130u);
  for (const char* name : {"Sounds.MID", "Sounds.midi"}) {
    EXPECT_TRUE(librarian.saveEditedPatch(path, name));
    const Bytes written = fixtures::readFile(path);
    const bool midi = std::string(name) != "Sounds.midi";
    EXPECT_EQ(written.size(), midi ? 50740u : 50176u) << name;
    EXPECT_EQ(std::string(written.begin(), written.begin() + 4) == "MThd", midi) << name;
  }
}

TEST_F(BankSaving, SaveAsWritesTheChosenFormatAndNamesTheFileAndCancelKeepsAll) {
  ::mkdir(inPatches("My Banks").c_str(), 0755);
  PatchLibrarian::SavedFile saved;
  EXPECT_TRUE(librarian.savePatchAs("Proposed", patches(), false,
                                    answer(inPatches("My Banks/New.kro")), &saved));
  EXPECT_EQ(asked, "Proposed|" + patches() + "|kro");
  EXPECT_EQ(saved.folderName, "My Banks");
  EXPECT_EQ(saved.fileName, "New.kro");
  EXPECT_EQ(fixtures::readFile(inPatches("My Banks/New.kro")).size(), 50176u);

  librarian.type = 1;
  EXPECT_TRUE(librarian.savePatchAs("P", patches(), true, answer(inPatches("M.mid")), &saved));
  EXPECT_EQ(asked, "P|" + patches() + "|mid");
  EXPECT_EQ(fixtures::readFile(inPatches("M.mid")).size(), 54964u);

  EXPECT_FALSE(librarian.savePatchAs("P", patches(), true, answer(""), &saved));
  EXPECT_EQ(saved.fileName, "M.mid");
  EXPECT_EQ(saved.folderName, "Patches");

  librarian.upperFileIndex = 5;  // no upper bank: nothing to save
  EXPECT_FALSE(librarian.saveEditedPatch(dir.file("x.syx"), "x.syx"));
  EXPECT_FALSE(librarian.savePatchAs("P", patches(), false, answer(dir.file("y.kro")), nullptr));
  EXPECT_FALSE(fixtures::exists(dir.file("y.kro")));
}

// A name in any script is written as typed; a name that is empty or only an extension once its
// blanks are trimmed is refused, and nothing is written.
TEST_F(BankSaving, SaveAsTakesAnyScriptAndRefusesANameThatIsOnlyAnExtension) {
  const auto entries = [this] {
    return std::distance(std::filesystem::directory_iterator(patches()), {});
  };
  const auto before = entries();
  for (const char* name : {".kro", "  .kro ", " ", "", ".mid"})
    EXPECT_FALSE(librarian.savePatchAs("P", patches(), false, answer(inPatches(name)), nullptr))
        << "\"" << name << "\"";
  EXPECT_EQ(entries(), before) << "nothing written";
  PatchLibrarian::SavedFile saved;
  const std::string morning = "\xD0\xA3\xD1\x82\xD1\x80\xD0\xBE.kro";  // Утро.kro
  EXPECT_TRUE(librarian.savePatchAs("P", patches(), false, answer(inPatches(morning)), &saved));
  EXPECT_EQ(saved.fileName, morning);
  EXPECT_EQ(fixtures::readFile(inPatches(morning)).size(), 50176u);
}

// A name as long as the file system takes is written (the temporary name beside it is short);
// a destination below a regular file fails, also for root.
TEST_F(BankSaving, ANameAtTheLimitIsWrittenOneBelowAFileFailsAndLinksAreWrittenThrough) {
  const std::string path = dir.file(std::string(251, 'b') + ".syx");
  fixtures::writeFile(path, {'o', 'l', 'd'});
  EXPECT_TRUE(librarian.saveEditedPatch(path, "b.syx"));
  EXPECT_EQ(fixtures::readFile(path).size(), 50176u);
  EXPECT_FALSE(librarian.saveEditedPatch(path + "/x.syx", "x.syx"));
  EXPECT_FALSE(librarian.savePatchAs("P", patches(), false, answer(path + "/x.kro"), nullptr));

  const std::string real = dir.file("elsewhere.syx");
  fixtures::writeFile(real, {'o', 'l', 'd'});
  ::chmod(real.c_str(), 0600);
  const std::string link = inPatches("linked.syx");
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  EXPECT_TRUE(librarian.saveEditedPatch(link, "linked.syx"));
  struct stat st;
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(fixtures::readFile(real).size(), 50176u);
}

namespace {

// A 16-byte name field written as a literal, zero bytes included.
template <size_t N>
std::string nameField(const char (&text)[N]) {
  static_assert(N == 17, "a name field holds 16 bytes");
  return std::string(text, 16);
}

class StoredNames : public ScanFixture {
 protected:
  // Makes the sound bank of that file name the upper bank; false when it is not loaded.
  bool selectUpper(const std::string& fileName) {
    const std::vector<std::string> loaded = names(librarian.soundFiles);
    const auto at = std::find(loaded.begin(), loaded.end(), fileName);
    librarian.upperFileIndex = (int)(at - loaded.begin());
    return at != loaded.end();
  }
};

}  // namespace

// Name bytes no text can show (zero, control bytes, DEL) are part of the name as stored.
TEST_F(StoredNames, OddNameBytesSurviveWritingReadingAndSearch) {
  const std::string odd[] = {nameField("Nul\0 in the name"),
                             nameField("\x01\x1F"
                                       "ctrl\x7F"
                                       "bytes    "),
                             nameField("Pad\0\0\0\0\0\0\0\0\0\0\0\0\0")};
  std::vector<Bytes> dumps = fixtures::sounds(125);
  for (const std::string& name : odd) dumps.push_back(fixtures::soundDump(name, 3));
  bank("Source.syx", fixtures::rawBank(dumps));
  scan();
  for (const char* fileName : {"Written.kro", "Written.mid"}) {
    // What the librarian wrote reads back and is written again byte for byte.
    ASSERT_TRUE(selectUpper("Source.syx"));
    ASSERT_TRUE(librarian.saveEditedPatch(inPatches(fileName), fileName));
    librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
    ASSERT_TRUE(selectUpper(fileName));
    const std::vector<LibrarianPatch>& records =
        librarian.soundFiles[librarian.upperFileIndex]->records;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(records[125 + k].name, odd[k]) << fileName << k;
    ASSERT_TRUE(librarian.saveEditedPatch(dir.file("again"), fileName));
    EXPECT_EQ(fixtures::readFile(dir.file("again")), fixtures::readFile(inPatches(fileName)))
        << fileName;
  }
  for (const std::string& name : odd) {
    librarian.createNewSearchPatchFiles(name);
    ASSERT_EQ(librarian.searchResultFiles.size(), 1u) << name;
    const std::vector<LibrarianPatch>& found = librarian.searchResultFiles[0]->records;
    EXPECT_EQ(found.size(), 3u) << "one in each bank file";
    for (const LibrarianPatch& slot : found) EXPECT_EQ(slot.name, name);
  }
}
