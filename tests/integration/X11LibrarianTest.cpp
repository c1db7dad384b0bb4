#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Patience.h"
#include "TempDir.h"
#include "XvfbTest.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/gfx/Png.h"
#include "tools/session/BankFile.h"
#include "tools/session/Session.h"

// The product's editor in a real X window of kroma-host, on an X server of the test's own: the
// librarian's text fields as a musician types into them. Coordinates are the editor's. Input
// reaches the editor in the order the server takes it; each step waits for what the window
// shows before the next one depends on it.
namespace {

using session::Seconds;

// An area of the window; a text field's pixel just inside its corner is white while its entry is
// open.
struct Field {
  int left, top, right, bottom;
};
constexpr Field kSearchField{1280, 376, 1452, 396};
constexpr Field kRenameField{624, 361, 936, 381};
constexpr int kSearchSwitchX = 1372, kSearchSwitchY = 152;
constexpr int kUpperBankStepX = 376, kUpperBankStepY = 197;
constexpr int kFirstSlotX = 150, kFirstSlotY = 222;
// The lists' slots from the second column on (the first holds the edit bank's highlighted slot):
// the upper list's, and how far below them the lower list's lie.
constexpr Field kUpperRows{230, 214, 1136, 439};
constexpr int kLowerRows = 273;
constexpr Seconds kLimit = kroma_test::kWaitCap;

class X11Librarian : public XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped()) return;
    std::ofstream(mData.file("Kroma Editor UI.txt")) << "white\nnormal\nyes\n";
    mkdir(mData.file("Patches").c_str(), 0755);
  }
  void TearDown() override {
    if (mSession) {
      EXPECT_TRUE(mSession->close()) << mSession->error();
    }
  }

  void bank(const std::string& name, const std::string& prefix) {
    ASSERT_TRUE(session::writeBank(bankFile(name), prefix));
  }
  std::string bankFile(const std::string& name) { return mData.file("Patches/" + name); }

  // The plug-in in its window, on the librarian's page, both lists showing the first bank.
  void openLibrarian() {
    mSession = std::make_unique<session::Session>(
        session::Setup{KROMA_HOST, KROMA_PLUGIN, "", mData.path(), true});
    ASSERT_TRUE(mSession->open()) << mSession->error();
    ASSERT_TRUE(mSession->showPage(1)) << mSession->error();
    ASSERT_TRUE(windowShows([](GFX_IBitmap* shot) {
      const std::vector<unsigned> rows = pixels(shot, kUpperRows);
      return listsAlike(shot) && std::count(rows.begin(), rows.end(), rows[0]) != (long)rows.size();
    })) << "the librarian's page";
  }
  bool step(const std::string& line) {
    const bool done = mSession->host().step(line);
    EXPECT_TRUE(done) << line << ": " << mSession->error();
    return done;
  }
  bool click(int x, int y, int button = 1) {
    return step("x-input 0 click " + std::to_string(x) + " " + std::to_string(y) + " " +
                std::to_string(button));
  }
  // Clicks, then waits until the area no longer looks as it did.
  bool clickChanges(int x, int y, const Field& area, int button = 1) {
    std::vector<unsigned> before;
    return windowShows([&](GFX_IBitmap* shot) {
             before = pixels(shot, area);
             return true;
           }) &&
           click(x, y, button) &&
           windowShows([&](GFX_IBitmap* shot) { return pixels(shot, area) != before; });
  }
  // Pictures of the window until one shows what `holds` looks for, at most kLimit.
  bool windowShows(const std::function<bool(GFX_IBitmap*)>& holds) {
    const std::string file = mData.file("window.png");
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (std::chrono::steady_clock::now() < end) {
      if (!mSession->screenshot(file)) return false;
      std::unique_ptr<GFX_IBitmap> shot(GFX_LoadPNG(file.c_str(), nullptr));
      if (shot && holds(shot.get())) return true;
    }
    return false;
  }
  static std::vector<unsigned> pixels(GFX_IBitmap* shot, int left, int top, int right, int bottom) {
    std::vector<unsigned> area;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) area.push_back(GFX_GetPixel(shot, x, y));
    return area;
  }
  static std::vector<unsigned> pixels(GFX_IBitmap* shot, const Field& field) {
    return pixels(shot, field.left, field.top, field.right, field.bottom);
  }
  static bool entryOpen(GFX_IBitmap* shot, const Field& field) {
    return GFX_GetPixel(shot, field.left + 4, field.top + 4) == GFX_Pixel(255, 255, 255, 255);
  }
  static bool listsAlike(GFX_IBitmap* shot) {
    const Field& upper = kUpperRows;
    return pixels(shot, upper) ==
           pixels(shot, upper.left, upper.top + kLowerRows, upper.right, upper.bottom + kLowerRows);
  }
  // Clicks the field, plays the keys into its entry (x-input's actions: "type Pad") and commits
  // it with Return. A first key (End) goes in before them, once the field shows that it took it.
  void typeInto(const Field& field, const std::string& keys, const std::string& firstKey = "") {
    ASSERT_TRUE(click((field.left + field.right) / 2, (field.top + field.bottom) / 2));
    std::vector<unsigned> opened;
    ASSERT_TRUE(windowShows([&](GFX_IBitmap* shot) {
      opened = pixels(shot, field);
      return entryOpen(shot, field);
    })) << "the entry opens";
    if (!firstKey.empty()) {
      ASSERT_TRUE(step("x-input 0 key " + firstKey));
      ASSERT_TRUE(windowShows([&](GFX_IBitmap* shot) {
        const std::vector<unsigned> moved = pixels(shot, field);
        if (moved == opened) return false;
        opened = moved;
        return true;
      })) << "the entry takes "
          << firstKey;
    }
    ASSERT_TRUE(step("x-input 0 " + keys));
    // All the keys went out at once: once one shows, Return comes after them.
    ASSERT_TRUE(windowShows([&](GFX_IBitmap* shot) { return pixels(shot, field) != opened; }))
        << "the entry takes " << keys;
    ASSERT_TRUE(step("x-input 0 key Return"));
    ASSERT_TRUE(windowShows([&](GFX_IBitmap* shot) { return !entryOpen(shot, field); }))
        << "Return closes the entry";
  }

  // Saves the upper bank, which must then hold `name` as its first sound's.
  void saveAndExpectFirstName(const std::string& name) {
    ASSERT_TRUE(step("x-input 0 menu Down Down Down Down Down Return"));  // Save
    ASSERT_TRUE(mSession->click(session::place::kLibrarianMenu)) << mSession->error();
    EXPECT_TRUE(session::within(
        kLimit,
        [&] {
          const session::Bytes dump = session::dumpInFile(bankFile("One.syx"), 0);
          return std::string(dump.begin(), dump.end()).find(name) != std::string::npos;
        }))
        << "the saved bank's first sound is named \"" << name << "\"";
  }

  // Save As (Kroma Format) in the editor's own panel, whose line proposes `proposed` after the
  // folder: the proposed name is taken away, the keys (x-input's actions) write the new one and
  // Return answers the panel. The status the save shows.
  std::string saveAs(const std::string& proposed, const std::string& keys) {
    std::string taken;
    for (unsigned char c : proposed)
      if ((c & 0xC0) != 0x80) taken += " key BackSpace";
    if (!step("x-input 0 dialog" + taken + " " + keys + " key Return") ||
        !step("x-input 0 menu Down Down Down Down Down Down Return Down Return"))
      return "";
    // Half a second on: a press within the double-click time of the one before, which opened the
    // last menu, would count as its second click.
    const session::Place& menu = session::place::kLibrarianMenu;
    return mSession->await(
        [&] {
          return step("x-input 500 click " + std::to_string(menu.x) + " " + std::to_string(menu.y));
        },
        {"Bank saved!", "Bank save FAILED!"}, kLimit);
  }

  kroma_test::TempDir mData;
  std::unique_ptr<session::Session> mSession;
};

// A word typed into the search field (no length limit) lists the sounds that hold it in the lower
// list: they are the sounds of the bank the upper list shows.
TEST_F(X11Librarian, ASearchForATypedWordListsItsSounds) {
  bank("One.syx", "Lead");
  bank("Two.syx", "Pad");
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  ASSERT_TRUE(clickChanges(kUpperBankStepX, kUpperBankStepY, kUpperRows))
      << "the upper list shows the second bank";
  ASSERT_TRUE(clickChanges(kSearchSwitchX, kSearchSwitchY, kSearchField)) << "the search field";
  ASSERT_NO_FATAL_FAILURE(typeInto(kSearchField, "type Pad"));
  EXPECT_TRUE(windowShows(listsAlike)) << "the lower list shows the bank's sounds";
}

// Each word typed and committed searches anew, also after a search without results: the lower
// list shows the sounds of the last word, here those of the bank the upper list shows.
TEST_F(X11Librarian, EachTypedWordSearchesAnew) {
  bank("One.syx", "Lead");
  bank("Two.syx", "Pad");
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  ASSERT_TRUE(clickChanges(kSearchSwitchX, kSearchSwitchY, kSearchField)) << "the search field";
  ASSERT_NO_FATAL_FAILURE(typeInto(kSearchField, "type Pad"));
  ASSERT_TRUE(windowShows([](GFX_IBitmap* shot) { return !listsAlike(shot); }))
      << "the lower list shows the second bank's sounds";
  ASSERT_NO_FATAL_FAILURE(typeInto(kSearchField, "type Zq"));
  ASSERT_NO_FATAL_FAILURE(typeInto(kSearchField, "type Lead"));
  EXPECT_TRUE(windowShows(listsAlike)) << "the lower list shows the first bank's sounds";
}

// A name typed over a slot's whole name, selected in its field and as long as the field takes,
// replaces it: the saved bank holds the new name.
TEST_F(X11Librarian, ANameTypedOverASlotsNameRenamesIt) {
  bank("One.syx", "Lead Synth Pad");  // its first sound's name fills the field's 16 characters
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  ASSERT_TRUE(step("x-input 0 menu Down Down Return"));  // Rename
  ASSERT_TRUE(clickChanges(kFirstSlotX, kFirstSlotY, kRenameField, 3)) << "the rename field";
  ASSERT_NO_FATAL_FAILURE(typeInto(kRenameField, "type Brass Lead"));
  saveAndExpectFirstName("Brass Lead      ");
}

// A slot's name ends in blanks, which the field leaves out: End and typing extend it. Characters
// the synthesizer cannot show (é, €) are refused as they are typed, so the saved sound, which a
// store sends to the synthesizer, holds the name the field showed.
TEST_F(X11Librarian, ASlotsNameIsExtendedWithWhatTheSynthesizerShows) {
  bank("One.syx", "Lead");
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  ASSERT_TRUE(step("x-input 0 menu Down Down Return"));  // Rename
  ASSERT_TRUE(clickChanges(kFirstSlotX, kFirstSlotY, kRenameField, 3)) << "the rename field";
  ASSERT_NO_FATAL_FAILURE(typeInto(kRenameField,
                                   "type \xC3\xA9-\xE2\x82\xAC"
                                   "2",
                                   "End"));
  saveAndExpectFirstName("Lead 1-2        ");
}

// Ctrl+A and Alt+A are shortcuts, not letters: a name extended after them holds neither.
TEST_F(X11Librarian, LettersWithCtrlOrAltTypeNothingIntoAName) {
  bank("One.syx", "Lead");
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  ASSERT_TRUE(step("x-input 0 menu Down Down Return"));  // Rename
  ASSERT_TRUE(clickChanges(kFirstSlotX, kFirstSlotY, kRenameField, 3)) << "the rename field";
  ASSERT_NO_FATAL_FAILURE(
      typeInto(kRenameField, "key Control_L+a key Alt_L+a key Control_L+space type -2", "End"));
  saveAndExpectFirstName("Lead 1-2        ");
}

// With neither zenity nor kdialog installed the editor shows its own Save panel. A name typed
// there in any script, from a layout of its own or as text, saves the bank under it, which then is
// the bank being edited, and a second name saves beside it; a name that is only an extension is
// refused, and nothing is written.
TEST_F(X11Librarian, SaveAsInTheEditorsPanelTakesANameInAnyScript) {
  const kroma_test::TempDir noDialogPrograms;
  const kroma_test::ScopedEnv path("PATH", noDialogPrograms.path().c_str());
  const std::string morning = "\xD0\xA3\xD1\x82\xD1\x80\xD0\xBE.kro";  // Утро.kro
  const std::string evening =
      "\xD0\x92\xD0\xB5\xD1\x87\xD0\xB5\xD1\x80 \xE2\x82\xAC.kro";  // Вечер €.kro
  bank("One.syx", "Lead");
  ASSERT_NO_FATAL_FAILURE(openLibrarian());
  // As a Cyrillic layout types it, and as a text.
  EXPECT_EQ(saveAs("One.kro",
                   "key Cyrillic_U key Cyrillic_te key Cyrillic_er key Cyrillic_o type \".kro\""),
            "Bank saved!")
      << mSession->error();
  EXPECT_TRUE(std::ifstream(bankFile(morning)).good()) << morning;
  EXPECT_EQ(saveAs(morning, "type \"" + evening + "\""), "Bank saved!") << mSession->error();
  EXPECT_TRUE(std::ifstream(bankFile(evening)).good()) << evening;
  EXPECT_EQ(saveAs(evening, "type \" .kro\""), "Bank save FAILED!") << mSession->error();
  for (const char* nameless : {".kro", " .kro"})
    EXPECT_FALSE(std::ifstream(bankFile(nameless)).good()) << nameless;
}

}  // namespace
