#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "EditorDoubles.h"
#include "platform/bundle/Bundle.h"
#include "platform/view/headless/Script.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/detail/IGraphicsCarbon.h"
#include "toolkit/plugin/editor/detail/IGraphicsCocoa.h"

// The window object's two back ends over the headless kit: the view a host
// that announced views gets, and the pane every other host gets.
using namespace editor_test;
using ::testing::ElementsAre;

namespace {

constexpr int kWidth = 100, kHeight = 100;

// Whether a block is still allocated, as far as the build can tell: only AddressSanitizer's
// allocator answers (a freed block waits in its quarantine, not live).
enum class Block { kLive, kFreed, kUnknown };
#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_get_ownership(const volatile void* p);
Block blockState(const void* p) {
  return __sanitizer_get_ownership(p) ? Block::kLive : Block::kFreed;
}
#else
Block blockState(const void*) {
  return Block::kUnknown;
}
#endif

// Records where and with which modifiers the mouse and the keys reach it.
class ModProbe : public IControl {
 public:
  ModProbe(IPluginBase* plug, std::vector<std::string>* log)
      : IControl(plug, IRECT(-5, 0, kWidth, kHeight), 0), mLog(log) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod* m) override { record("down", x, y, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { record("double", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { record("up", x, y, m); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override { record("drag", x, y, m); }
  void OnMouseWheel(int x, int y, IMouseMod* m, int d) override {
    record(("wheel " + std::to_string(d)).c_str(), x, y, m);
  }
  bool OnKeyDown(int x, int y, int key) override {
    mLog->push_back("key " + std::to_string(key) + " at " + std::to_string(x) + "," +
                    std::to_string(y));
    return true;
  }

 private:
  void record(const char* what, int x, int y, IMouseMod* m) {
    mLog->push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                    (m->L ? "L" : "") + (m->R ? "R" : "") + (m->S ? "S" : "") + (m->C ? "C" : "") +
                    (m->A ? "A" : ""));
  }
  std::vector<std::string>* mLog;
};

// A probe that keeps each text its entries commit.
class TypedProbe : public ModProbe {
 public:
  using ModProbe::ModProbe;
  void TextFromTextEntry(const char* text) override { typed.push_back(text); }
  std::vector<std::string> typed;
};

class BackEndsTest : public ::testing::Test {
 protected:
  BackEndsTest() : plug(2, 2) {
    VIEW_Script::instance().reset();
    graphics = new TestGraphics(&plug, kWidth, kHeight);
    plug.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_WHITE);
    probe = new ModProbe(&plug, &log);
    graphics->AttachControl(probe);
  }
  VIEW_HeadlessView* open(bool carbon) {
    view = carbon ? OpenCarbonView(graphics) : OpenCocoaView(graphics);
    view->tick();  // the first exposure
    return view;
  }

  RecordingPlug plug;
  TestGraphics* graphics;
  ModProbe* probe;
  VIEW_HeadlessView* view = nullptr;
  std::vector<std::string> log;
};

}  // namespace

// The view asks for one pixel more on each side and comes back with it; the
// pane takes the dirty rectangle as it is; a pane that is not composited
// always draws the whole editor.
TEST_F(BackEndsTest, TheTimerInvalidatesWhatIsDirtyAndTheDrawCoversIt) {
  const struct {
    bool carbon;
    bool composited;
    IRECT dirty;
    std::vector<int> drawn;
  } cases[] = {{false, true, IRECT(0, 0, 10, 10), {0, 0, 11, 11}},
               {true, true, IRECT(10, 20, 30, 40), {10, 20, 20, 20}},
               {true, false, IRECT(10, 20, 30, 40), {0, 0, kWidth, kHeight}}};
  for (const auto& c : cases) {
    VIEW_Script::instance().setComposited(c.composited);
    open(c.carbon);
    graphics->AttachControl(new Probe(&plug, c.dirty, -1, "spot", nullptr));
    view->tick();
    EXPECT_EQ(view->drawn().back(), c.drawn) << "carbon " << c.carbon;
    if (c.carbon) {
      EXPECT_EQ(graphics->GetDrawRect(), c.composited ? c.dirty : IRECT(0, 0, kWidth, kHeight))
          << "composited " << c.composited;
    }
  }
}

TEST_F(BackEndsTest, ClicksLandAtTheDocumentedOffsetsWithTheBackEndsModifiers) {
  VIEW_Mods command;
  command.command = true;
  VIEW_Mods shift;
  shift.shift = true;
  open(false);
  view->mouseDown(0, kHeight - 1);  // the view's bottom-left corner
  view->mouseDown(10, 20, VIEW_Event::kRight, shift);
  view->mouseDown(10, 20, VIEW_Event::kLeft, command);
  view->mouseDown(10, 20, VIEW_Event::kRight, {}, 2);  // right double clicks are presses
  open(true);
  view->mouseDown(10, 20, VIEW_Event::kRight, shift);
  view->mouseDown(10, 20, VIEW_Event::kLeft, command);
  view->mouseDown(10, 20, VIEW_Event::kLeft, {}, 2);
  EXPECT_THAT(log, ElementsAre("down -2,97 L", "down 8,18 RS", "down 8,18 LR", "down 8,18 R",
                               "down 8,17 LRS", "down 8,17 LR", "double 8,17 L"));
}

// A press, drag and release with either button reach the control with that button's modifiers,
// at the offsets of each back end.
TEST_F(BackEndsTest, DragsAndReleasesOfEitherButtonReachTheControl) {
  const struct {
    bool carbon;
    std::vector<std::string> events;
  } cases[] = {
      {false,
       {"down 8,18 L", "drag 13,23 L", "up 13,23 L", "down 8,18 R", "drag 13,23 R", "up 13,23 R"}},
      {true,
       {"down 8,17 L", "drag 13,22 L", "up 13,22 L", "down 8,17 LR", "drag 13,22 LR",
        "up 13,22 LR"}}};
  for (const auto& c : cases) {
    open(c.carbon);
    log.clear();
    for (int button : {VIEW_Event::kLeft, VIEW_Event::kRight}) {
      view->mouseDown(10, 20, button);
      view->mouseDrag(15, 25, button);
      view->mouseUp(15, 25, button);
    }
    EXPECT_EQ(log, c.events) << "carbon " << c.carbon;
  }
}

// A resize reaches the open view, or the pane and the host's window, and the editor's own size;
// the same size again does nothing. A pane without a window of the host's keeps its size.
TEST_F(BackEndsTest, AResizeReachesTheOpenViewOrPane) {
  VIEW_HostFrame hostWindow;
  for (bool carbon : {false, true}) {
    graphics->Resize(kWidth, kHeight);
    if (carbon)
      graphics->OpenWindow(&hostWindow, nullptr, 0, 0);
    else
      graphics->OpenWindow(nullptr);
    view = VIEW_HeadlessView::of(graphics->KitView());
    graphics->Resize(kWidth + 30, kHeight + 10);
    EXPECT_EQ(std::vector<int>({view->screenWidth(), view->screenHeight(), graphics->Width(),
                                graphics->Height()}),
              std::vector<int>({kWidth + 30, kHeight + 10, kWidth + 30, kHeight + 10}))
        << "carbon " << carbon;
    ASSERT_NE(graphics->GetBackBuffer(), nullptr);
    EXPECT_EQ(std::make_pair(graphics->GetBackBuffer()->getWidth(),
                             graphics->GetBackBuffer()->getHeight()),
              std::make_pair(kWidth + 30, kHeight + 10))
        << "the editor draws at the new size, carbon " << carbon;
    view->resize(1, 1);
    graphics->Resize(kWidth + 30, kHeight + 10);
    EXPECT_EQ(view->screenWidth(), 1) << "carbon " << carbon;
  }
  EXPECT_THAT(VIEW_Script::instance().hostResizes(),
              ElementsAre(ElementsAre(kWidth + 30, kHeight + 10)));
  open(true);
  EXPECT_FALSE(graphics->GetCarbon()->Resize(kWidth, kHeight));
  EXPECT_EQ(view->screenWidth(), kWidth + 30);
}

// The framework's key numbers: the space bar and the arrows first, then digits, capitals and
// small letters in turn; other keys have none.
TEST(KeyNumbers, EachKitKeyHasItsNumber) {
  const struct {
    int key, number;
  } keys[] = {{VIEW_KEY_SPACE, 0},
              {VIEW_KEY_UP, 1},
              {VIEW_KEY_DOWN, 2},
              {VIEW_KEY_LEFT, 3},
              {VIEW_KEY_RIGHT, 4},
              {'0', 5},
              {'9', 14},
              {'A', 15},
              {'Z', 40},
              {'a', 15},
              {'z', 40},
              {'/', -1},
              {':', -1},
              {'@', -1},
              {'[', -1},
              {'`', -1},
              {'{', -1},
              {VIEW_KEY_RETURN, -1},
              {VIEW_KEY_ESCAPE, -1}};
  for (const auto& k : keys) EXPECT_EQ(IGraphicsKeyNumber(k.key), k.number) << k.key;
}

// Keys reach the control at the last mouse position: the view's last event,
// the pane's last move; before any, the corner.
TEST_F(BackEndsTest, KeysMapToTheFrameworksNumbers) {
  for (bool carbon : {false, true}) {
    log.clear();
    open(carbon);
    view->key('a');
    EXPECT_THAT(log, ElementsAre("key 15 at 0,0")) << "carbon " << carbon;
    log.clear();
    view->mouseMove(30, 40);
    view->mouseDown(50, 50);
    for (int key :
         {(int)'a', (int)'Z', (int)'5', (int)VIEW_KEY_SPACE, (int)VIEW_KEY_LEFT, (int)'#'})
      view->key(key);
    const std::string at = carbon ? " at 28,37" : " at 48,48";
    EXPECT_THAT(
        std::vector<std::string>(log.begin() + 1, log.end()),
        ElementsAre("key 15" + at, "key 40" + at, "key 10" + at, "key 0" + at, "key 3" + at))
        << "carbon " << carbon;
  }
}

// A choice in a sub-menu returns the sub-menu's model with the index counted
// within it, separators included.
TEST_F(BackEndsTest, MenusReturnTheModelInWhichTheChoiceWasMade) {
  for (bool carbon : {false, true}) {
    open(carbon);
    IPopupMenu sub;
    sub.AddItem("one");
    sub.AddSeparator();
    sub.AddItem("three");
    IPopupMenu top;
    top.SetPrefix(IPopupMenu::kPrefixTwoDigits);
    for (int i = 0; i < 8; ++i) top.AddItem("item");
    top.AddItem("nine", &sub);
    VIEW_Script::instance().answerMenu({8, 2});
    IRECT anchor(10, 20, 30, 40);
    view->mouseDown(50, 50);  // the press that opens a menu lets go of the control
    ASSERT_EQ(graphics->GetCapturedControl(), probe);
    EXPECT_EQ(graphics->CreateIPopupMenu(&top, &anchor), &sub);
    EXPECT_EQ(graphics->GetCapturedControl(), nullptr);
    EXPECT_EQ(sub.GetChosenItemIdx(), 2);
    EXPECT_EQ(VIEW_Script::instance().menusShown().back()[8], "09: nine");
    EXPECT_THAT(VIEW_Script::instance().menuPlaces().back(), ElementsAre(10, 45));
    VIEW_Script::instance().answerMenu({0});  // the first item counts as any other
    EXPECT_EQ(graphics->CreateIPopupMenu(&top, &anchor), &top);
    EXPECT_EQ(top.GetChosenItemIdx(), 0);
    VIEW_Script::instance().answerMenu({});
    EXPECT_EQ(graphics->CreateIPopupMenu(&top, &anchor), nullptr);
    EXPECT_EQ(graphics->GetWindow() != nullptr, !carbon) << "only the view is a window object";
  }
  IPopupMenu empty;
  IRECT anchor(0, 0, 5, 5);
  const size_t shown = VIEW_Script::instance().menusShown().size();
  EXPECT_EQ(graphics->CreateIPopupMenu(&empty, &anchor), nullptr);
  EXPECT_EQ(VIEW_Script::instance().menusShown().size(), shown);  // the pane shows none
}

// Each back end's menu carries every item's state: disabled, checked, indented (a caption in the
// pane), separators, and the sub-menu's items under their title.
TEST_F(BackEndsTest, MenuItemsKeepTheirStatesInBothBackEnds) {
  IPopupMenu sub;
  sub.AddItem("inner", -1, IPopupMenuItem::kChecked);
  IPopupMenu menu;
  menu.AddItem("plain");
  menu.AddItem("off", -1, IPopupMenuItem::kDisabled);
  menu.AddItem("ticked", -1, IPopupMenuItem::kChecked);
  menu.AddItem("caption", -1, IPopupMenuItem::kIndented);
  menu.AddSeparator();
  menu.AddItem("both", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kChecked);
  menu.AddItem("more", &sub);
  const struct {
    const char* title;
    int pane, view;
  } items[] = {
      {"plain", 0, 0},
      {"off", VIEW_Menu::kDisabled, VIEW_Menu::kDisabled},
      {"ticked", VIEW_Menu::kChecked, VIEW_Menu::kChecked},
      {"caption", VIEW_Menu::kHeader, VIEW_Menu::kIndented},
      {"", VIEW_Menu::kSeparator, VIEW_Menu::kSeparator},
      {"both", VIEW_Menu::kDisabled | VIEW_Menu::kChecked,
       VIEW_Menu::kDisabled | VIEW_Menu::kChecked},
      {"more", 0, 0},
  };
  open(true);
  const std::unique_ptr<VIEW_Menu> pane = graphics->GetCarbon()->CreateMenu(&menu);
  const IGraphicsNSMenu_vKroma_vst view(&menu);
  for (const VIEW_Menu* built :
       {static_cast<const VIEW_Menu*>(pane.get()), static_cast<const VIEW_Menu*>(&view)}) {
    const bool isPane = built == pane.get();
    ASSERT_NE(built, nullptr);
    ASSERT_EQ(built->size(), (int)std::size(items));
    for (int i = 0; i < built->size(); ++i) {
      EXPECT_EQ(built->item(i).title, items[i].title) << "pane " << isPane;
      EXPECT_EQ(built->item(i).flags, isPane ? items[i].pane : items[i].view)
          << items[i].title << ", pane " << isPane;
    }
    const VIEW_Menu* inner = built->item(6).subMenu.get();
    ASSERT_NE(inner, nullptr) << "pane " << isPane;
    ASSERT_EQ(inner->size(), 1);
    EXPECT_EQ(inner->item(0).flags, VIEW_Menu::kChecked) << "pane " << isPane;
  }
}

// The pane's key filter: characters by parameter kind and the control's length; a commit holds
// at most 63 bytes; a click outside commits, deactivation cancels; a pane that is not composited
// opens no entry.
TEST_F(BackEndsTest, ThePanesTextEntryFiltersKeysAndCommitsThroughItsBuffer) {
  open(true);
  IParam* param = plug.GetParam(0);
  IRECT area(10, 10, 60, 30);
  probe->SetTextEntryLength(5);
  graphics->CreateTextEntry(probe, probe->GetText(), &area, "", param);
  view->typeText("0,9.");
  EXPECT_EQ(view->textFieldText(), "09.");
  view->key(VIEW_KEY_ESCAPE);
  graphics->CreateTextEntry(probe, probe->GetText(), &area, "", param);
  view->typeText("1,2.3456");
  EXPECT_EQ(view->textFieldText(), "12.34");
  view->key(VIEW_KEY_BACKSPACE);
  view->typeText("9");
  EXPECT_EQ(view->textFieldText(), "12.39");
  view->key(VIEW_KEY_RETURN);
  EXPECT_DOUBLE_EQ(param->Value(), 1.0);  // held to the range

  class Named : public ModProbe {
   public:
    using ModProbe::ModProbe;
    void TextFromTextEntry(const char* text) override { typed = text; }
    std::string typed;
  };
  Named* named = new Named(&plug, &log);
  graphics->AttachControl(named);
  named->SetTextEntryLength(100);
  graphics->CreateTextEntry(named, named->GetText(), &area, "", nullptr);
  view->typeText(std::string(70, 'x'));
  view->mouseDown(90, 90);
  EXPECT_EQ(named->typed, std::string(63, 'x'));
  graphics->CreateTextEntry(named, named->GetText(), &area, "old", nullptr);
  view->deactivate();
  EXPECT_EQ(named->typed, std::string(63, 'x'));
  // A character that would not fit whole is left out whole.
  const std::string straddling = std::string(62, 'x') + "\xC3\xA9yy";
  graphics->CreateTextEntry(named, named->GetText(), &area, straddling.c_str(), nullptr);
  view->mouseDown(90, 90);
  EXPECT_EQ(named->typed, std::string(62, 'x'));

  VIEW_Script::instance().setComposited(false);
  open(true);
  EXPECT_STREQ(graphics->GetGUIAPI(), "Carbon Non-Composited gui");
  graphics->CreateTextEntry(probe, probe->GetText(), &area, "", param);
  EXPECT_FALSE(view->textFieldOpen());
}

// The pane's field covers the area with the text given, in the style's face, size and alignment,
// and keeps its own black on white whatever the style's colours.
TEST_F(BackEndsTest, ThePanesFieldTakesTheAreaAndStyleButItsOwnColours) {
  open(true);
  const int aligns[][2] = {{IText::kAlignNear, VIEW_TextField::kLeft},
                           {IText::kAlignCenter, VIEW_TextField::kCentre},
                           {IText::kAlignFar, VIEW_TextField::kRight}};
  for (const auto& a : aligns) {
    IText style(17, &COLOR_RED, "DejaVu Sans", IText::kStyleNormal, a[0]);
    style.mTextEntryFGColor = COLOR_BLUE;
    style.mTextEntryBGColor = COLOR_YELLOW;
    IRECT area(12, 14, 70, 33);
    graphics->CreateTextEntry(probe, &style, &area, "Bank 7", nullptr);
    const VIEW_TextField* field = view->textField();
    ASSERT_NE(field, nullptr) << "alignment " << a[0];
    EXPECT_EQ(std::vector<int>({field->x, field->y, field->width, field->height}),
              std::vector<int>({12, 14, 58, 19}));
    EXPECT_EQ(field->text, "Bank 7");
    EXPECT_EQ(std::make_pair(field->fontName, field->fontSize),
              std::make_pair(std::string("DejaVu Sans"), 17));
    EXPECT_EQ(field->align, a[1]) << "alignment " << a[0];
    EXPECT_EQ(std::make_pair(field->textColour, field->backgroundColour),
              std::make_pair(COLOR_BLACK.Pack(), COLOR_WHITE.Pack()));
    view->key(VIEW_KEY_ESCAPE);
  }
}

// The pane's entry takes, by the parameter's kind, digits and signs, a point too for numbers
// with fractions, anything for texts and for no parameter.
TEST_F(BackEndsTest, ThePanesEntryTakesTheCharactersOfTheParametersKind) {
  const struct {
    const char* kind;
    std::function<void(IParam*)> init;
    const char* kept;
  } cases[] = {
      {"int", [](IParam* p) { p->InitInt("Steps", 0, -100, 100); }, "-0+9"},
      {"enum", [](IParam* p) { p->InitEnum("Mode", 0, 3); }, "-0+9"},
      {"bool", [](IParam* p) { p->InitBool("On", false); }, "-0+9"},
      {"double", [](IParam* p) { p->InitDouble("Level", 0, 0, 1, 0.01); }, "-0.+9"},
      {"text", [](IParam* p) { p->InitText(); }, "-0.a+9"},
  };
  open(true);
  probe->SetTextEntryLength(20);
  IRECT area(10, 10, 60, 30);
  for (const auto& c : cases) {
    IParam param;  // a kind is given once
    c.init(&param);
    graphics->CreateTextEntry(probe, probe->GetText(), &area, "", &param);
    view->typeText("-0.a+9");
    EXPECT_EQ(view->textFieldText(), c.kept) << c.kind;
    view->key(VIEW_KEY_ESCAPE);
  }
  graphics->CreateTextEntry(probe, probe->GetText(), &area, "", nullptr);
  view->typeText("-0.a+9");
  EXPECT_EQ(view->textFieldText(), "-0.a+9");
}

// An entry that takes printable ASCII only tells its control of each character it refuses, and
// of nothing else: not what it takes, not a shortcut, not a key the field uses.
TEST_F(BackEndsTest, TheEntryTellsItsControlOfEachCharacterItRefusesAsNoAscii) {
  class Refusing : public ModProbe {
   public:
    using ModProbe::ModProbe;
    void OnTextEntryRefused() override { ++refused; }
    int refused = 0;
  };
  Refusing* named = new Refusing(&plug, &log);
  graphics->AttachControl(named);
  open(true);
  IRECT area(10, 10, 60, 30);
  for (bool asciiOnly : {true, false}) {
    named->refused = 0;
    named->SetTextEntryAsciiOnly(asciiOnly);
    graphics->CreateTextEntry(named, named->GetText(), &area, "", nullptr);
    view->typeText("a\xC3\xA9 \xE2\x82\xAC~");  // aé €~
    VIEW_Mods control;
    control.control = true;
    view->key(0xE9, control);
    if (asciiOnly) view->key(VIEW_KEY_TAB);  // else it commits
    view->key(VIEW_KEY_LEFT);
    EXPECT_EQ(view->textFieldText(), asciiOnly ? "a ~" : "a\xC3\xA9 \xE2\x82\xAC~");
    EXPECT_EQ(named->refused, asciiOnly ? 2 : 0);
    view->key(VIEW_KEY_ESCAPE);
  }
}

// A click into the view outside its open entry commits what was typed; a click with no entry open
// reaches the control and commits nothing.
TEST_F(BackEndsTest, AClickIntoTheViewCommitsItsEntry) {
  TypedProbe* named = new TypedProbe(&plug, &log);
  graphics->AttachControl(named);
  open(false);
  view->mouseDown(90, 90);
  view->mouseUp(90, 90);
  IRECT area(10, 10, 60, 30);
  graphics->CreateTextEntry(named, named->GetText(), &area, "", nullptr);
  view->typeText("Pad");
  view->mouseDown(90, 90);
  EXPECT_FALSE(view->textFieldOpen());
  EXPECT_THAT(named->typed, ElementsAre("Pad"));
}

// A committed entry in the view has the whole editor drawn again, to clear where the field was.
TEST_F(BackEndsTest, TheViewIsDrawnWholeAfterAnEntry) {
  open(false);
  view->pump();
  const size_t before = view->drawn().size();
  IRECT area(10, 10, 60, 30);
  graphics->CreateTextEntry(probe, probe->GetText(), &area, "", nullptr);
  view->typeText("x");
  view->key(VIEW_KEY_RETURN);
  view->pump();
  ASSERT_EQ(view->drawn().size(), before + 1);
  EXPECT_EQ(view->drawn().back(), std::vector<int>({0, 0, kWidth, kHeight}));
}

// In both back ends a field of length 0 takes text of any length, and a key that replaces the
// selected text is measured against the text it leaves: typing over a full name works.
TEST_F(BackEndsTest, AnEntrysLengthCountsWhatTheKeyLeaves) {
  IParam name;
  name.InitText();
  IRECT area(10, 10, 60, 30);
  for (bool carbon : {false, true}) {
    open(carbon);
    probe->SetTextEntryLength(0);
    graphics->CreateTextEntry(probe, probe->GetText(), &area, "search...", &name);
    view->typeText(std::string(40, 'x'));
    EXPECT_EQ(view->textFieldText(), std::string(40, 'x')) << "carbon " << carbon;
    view->key(VIEW_KEY_ESCAPE);
    probe->SetTextEntryLength(4);
    graphics->CreateTextEntry(probe, probe->GetText(), &area, "Bass", &name);
    view->typeText("Lead1");
    EXPECT_EQ(view->textFieldText(), "Lead") << "carbon " << carbon;
    view->key(VIEW_KEY_ESCAPE);
  }
}

// In the pane's full entry the keys that move the caret or delete still reach the field; only a
// character that would not fit is refused.
TEST_F(BackEndsTest, MovingAndDeletingKeysEditAFullEntry) {
  const struct {
    std::vector<int> keys;
    const char* text;
  } cases[] = {
      {{VIEW_KEY_LEFT, VIEW_KEY_BACKSPACE}, "abd"},
      {{VIEW_KEY_HOME, VIEW_KEY_DELETE}, "bcd"},
      {{VIEW_KEY_UP, VIEW_KEY_DELETE}, "bcd"},
      {{VIEW_KEY_HOME, VIEW_KEY_RIGHT, VIEW_KEY_BACKSPACE}, "bcd"},
      {{VIEW_KEY_HOME, VIEW_KEY_END, VIEW_KEY_BACKSPACE}, "abc"},
      {{VIEW_KEY_UP, VIEW_KEY_DOWN, VIEW_KEY_BACKSPACE}, "abc"},
      {{VIEW_KEY_LEFT, VIEW_KEY_LEFT, VIEW_KEY_BACKSPACE, 'x'}, "axcd"},
      {{VIEW_KEY_BACKSPACE, 'e', 'f'}, "abce"},
  };
  probe->SetTextEntryLength(4);
  IRECT area(10, 10, 60, 30);
  open(true);
  for (const auto& c : cases) {
    graphics->CreateTextEntry(probe, probe->GetText(), &area, "", nullptr);
    view->typeText("abcde");
    ASSERT_EQ(view->textFieldText(), "abcd");
    for (int key : c.keys) view->key(key);
    EXPECT_EQ(view->textFieldText(), c.text);
    view->key(VIEW_KEY_ESCAPE);
  }
}

// A wheel turn while an entry is open cancels it: what was typed is not taken; the turn still
// reaches the control under the pointer, in both back ends.
TEST_F(BackEndsTest, AWheelTurnCancelsAnOpenTextEntry) {
  open(true);
  TypedProbe* named = new TypedProbe(&plug, &log);
  graphics->AttachControl(named);
  named->SetTextEntryLength(100);
  IRECT area(10, 10, 60, 30);
  graphics->CreateTextEntry(named, named->GetText(), &area, "old", nullptr);
  view->typeText("new");
  view->wheel(90, 90, 1);
  EXPECT_FALSE(view->textFieldOpen());
  EXPECT_TRUE(named->typed.empty());
  EXPECT_THAT(log, ElementsAre("wheel 1 88,87 L")) << "the turn still reaches the control";
  graphics->CreateTextEntry(named, named->GetText(), &area, "old", nullptr);
  view->typeText("new");
  view->key(VIEW_KEY_RETURN);
  EXPECT_THAT(named->typed, ::testing::ElementsAre("new"));
  log.clear();
  VIEW_Mods shift;
  shift.shift = true;
  open(false);
  view->wheel(30, 40, -2, shift);
  EXPECT_THAT(log, ElementsAre("wheel -2 28,38 LS"));
}

// The cursor comes back where it was hidden; a failed hide is tried again.
TEST_F(BackEndsTest, TheCursorIsHiddenOnceAndComesBackWhereItWas) {
  open(true);
  view->warpPointer(40, 50);
  view->setCursorRefused(true);
  graphics->HideMouseCursor();
  EXPECT_FALSE(view->cursorHidden());
  view->setCursorRefused(false);
  view->warpPointer(41, 51);
  graphics->HideMouseCursor();
  view->warpPointer(90, 90);
  graphics->HideMouseCursor();  // already hidden: the place stays
  graphics->ShowMouseCursor();
  EXPECT_FALSE(view->cursorHidden());
  int x = 0, y = 0;
  view->pointer(&x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(41, 51));
}

TEST_F(BackEndsTest, LinksWithHttpAnywhereAreWebAddressesOthersFiles) {
  EXPECT_TRUE(graphics->OpenURL("see http://example.org", nullptr, nullptr, nullptr));
  EXPECT_TRUE(graphics->OpenURL("/help/Kroma Manual.pdf", nullptr, nullptr, nullptr));
  EXPECT_TRUE(graphics->OpenURL(nullptr, nullptr, nullptr, nullptr));
  EXPECT_THAT(VIEW_Script::instance().urlsOpened(),
              ElementsAre("see http://example.org", "file:///help/Kroma%20Manual.pdf"));
}

// Every byte outside letters, digits and "/-._~" becomes %XY with both hex digits right, and a
// relative path is taken from the working folder.
TEST_F(BackEndsTest, FileLinksEscapeEveryOtherByteInHex) {
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  const struct {
    const char* path;
    std::string url;
  } cases[] = {
      {"/a+b#c(1)!;?=.pdf", "file:///a%2Bb%23c%281%29%21%3B%3F%3D.pdf"},
      {"/Z_y~x-9/\xC3\xA9\x7F\x01\xFF%", "file:///Z_y~x-9/%C3%A9%7F%01%FF%25"},
      {"doc s/m.txt", "file://" + std::string(cwd) + "/doc%20s/m.txt"},
  };
  for (const auto& c : cases) {
    VIEW_Script::instance().reset();
    EXPECT_TRUE(graphics->OpenURL(c.path, nullptr, nullptr, nullptr));
    EXPECT_THAT(VIEW_Script::instance().urlsOpened(), ElementsAre(c.url)) << c.path;
  }
}

namespace {

// Takes the arrow keys only, as the bank view does.
class ArrowTaker : public ModProbe {
 public:
  using ModProbe::ModProbe;
  bool OnKeyDown(int x, int y, int key) override {
    return key >= 1 && key <= 4 && ModProbe::OnKeyDown(x, y, key);
  }
};

}  // namespace

// A key without a number and a key the control declines go on to the host's window; a key the
// control takes, and what is typed into a text entry, never do.
TEST_F(BackEndsTest, KeysTheEditorDeclinesGoOnToTheHostsWindow) {
  graphics->AttachControl(new ArrowTaker(&plug, &log));
  for (bool carbon : {false, true}) {
    open(carbon);
    view->mouseMove(30, 40);
    for (int key : {(int)'q', (int)'#', (int)VIEW_KEY_UP, (int)VIEW_KEY_SPACE}) view->key(key);
    IRECT area(10, 10, 60, 30);
    graphics->CreateTextEntry(probe, probe->GetText(), &area, "", nullptr);
    ASSERT_TRUE(view->textFieldOpen()) << "carbon " << carbon;
    view->typeText("a#");
    view->key(VIEW_KEY_UP);
    view->key(VIEW_KEY_ESCAPE);
    EXPECT_THAT(view->keysToHost(), ElementsAre('q', '#', VIEW_KEY_SPACE)) << "carbon " << carbon;
  }
}

// The view takes the keyboard when it is shown, takes it back with a click after another window
// had it, and follows the pointer; the pane leaves the keyboard where it is.
TEST_F(BackEndsTest, TheViewTakesTheKeyboardWhenShownAndFollowsThePointer) {
  for (bool carbon : {false, true}) {
    VIEW_HeadlessView* shown = carbon ? OpenCarbonView(graphics) : OpenCocoaView(graphics);
    EXPECT_FALSE(shown->hasFocus());
    shown->tick();  // the first exposure
    EXPECT_EQ(shown->hasFocus(), !carbon);
    EXPECT_TRUE(shown->tracksPointerMotion());
    shown->deactivate();
    log.clear();
    shown->mouseDown(50, 50);
    EXPECT_EQ(shown->hasFocus(), !carbon);
    EXPECT_EQ(log.size(), 1u) << "the first click into an inactive window acts";
  }
  IGraphicsCocoa_vKroma_vst unattached;
  EXPECT_EQ(unattached.graphics(), nullptr);
  EXPECT_FALSE(unattached.isOpen());
  EXPECT_TRUE(unattached.acceptsFirstResponder() && unattached.acceptsFirstMouse());
}

// The view's own removal closes the editor without freeing the view under its feet (address
// sanitizer); so does the host destroying the window it lives in. The editor opens again.
TEST_F(BackEndsTest, TheViewRemovedWhileAttachedClosesTheEditorSafely) {
  open(false);
  IGraphicsCocoa_vKroma_vst* cocoa = graphics->GetCocoa();
  cocoa->removeFromSuperview();
  EXPECT_FALSE(graphics->WindowIsOpen());
  EXPECT_EQ(cocoa->graphics(), nullptr);
  EXPECT_FALSE(cocoa->isOpaque());
  cocoa->removeFromSuperview();  // again: nothing more happens
  EXPECT_NE(blockState(cocoa), Block::kFreed);
  open(false);
  EXPECT_TRUE(graphics->WindowIsOpen());
  EXPECT_NE(blockState(cocoa), Block::kLive) << "freed once the editor opens again";
  cocoa = graphics->GetCocoa();
  view->destroyParent();
  EXPECT_FALSE(graphics->WindowIsOpen());
  EXPECT_NE(blockState(cocoa), Block::kFreed);
  graphics->PumpEvents();
  EXPECT_NE(blockState(cocoa), Block::kLive) << "freed by the next pump";
  open(false);
  view->mouseDown(50, 50);
  EXPECT_FALSE(log.empty());
}

TEST_F(BackEndsTest, TheSubWindowHoldsTheViewUntilRemoved) {
  graphics->AttachSubWindow(nullptr);
  EXPECT_FALSE(graphics->WindowIsOpen());
  VIEW_HostFrame host;
  graphics->AttachSubWindow(&host);
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), 1);
  ASSERT_NE(graphics->GetCocoa(), nullptr);
  EXPECT_STREQ(graphics->GetGUIAPI(), "Cocoa gui");
  graphics->AttachSubWindow(&host);  // the first is removed
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), 1);
  graphics->RemoveSubWindow();
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), 0);
  EXPECT_FALSE(graphics->WindowIsOpen());
  graphics->RemoveSubWindow();
  {
    IGraphicsMac other(&plug, 10, 10);
    other.AttachSubWindow(&host);
    EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), 1);
  }
  EXPECT_EQ(VIEW_HeadlessSubWindow::openCount(), 0) << "taken with the graphics object";
}

// The draw event's shape, else the whole view; the pane draws what the shape covers.
TEST(CarbonRegions, TheRegionRectIsTheShapesBoundsOrTheWholeView) {
  const VIEW_Region shape{10, 20, 30, 40}, empty{5, 5, 5, 9};
  const struct {
    const VIEW_Region* shape;
    IRECT rect;
  } cases[] = {{&shape, IRECT(10, 20, 30, 40)},
               {&empty, IRECT(0, 0, 120, 80)},
               {nullptr, IRECT(0, 0, 120, 80)}};
  for (const auto& c : cases) {
    const IRECT rect = GetRegionRect(c.shape, 120, 80);
    EXPECT_TRUE(rect == c.rect) << rect.L << "," << rect.T << "," << rect.R << "," << rect.B;
  }
  VIEW_HostFrame host;
  EXPECT_TRUE(ResizeWindow(&host, 300, 200));
  EXPECT_FALSE(ResizeWindow(nullptr, 300, 200));
  EXPECT_THAT(VIEW_Script::instance().hostResizes().back(), ElementsAre(300, 200));
}

TEST(SystemVersion, ThePackedWordOfTheKernelRelease) {
  const struct {
    const char* release;
    long word;
  } cases[] = {{"6.1.0-18-amd64", 0x0610},
               {"5.15.3", 0x0593},
               {"10.6.8", 0x1068},
               {"100.2.3", 0x9923},  // held to 99
               {"4", 0x0400},
               {"", 0},
               {"linux", 0},
               {nullptr, 0},
               {"-1.2", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(IGraphicsPackedOSVersion(c.release), c.word) << (c.release ? c.release : "null");
  utsname name{};
  ASSERT_EQ(uname(&name), 0);
  EXPECT_EQ(IGraphicsMac::GetUserOSVersion(), IGraphicsPackedOSVersion(name.release));
  EXPECT_NE(IGraphicsMac::GetUserOSVersion(), 0);
}

// Paths of the bundle found by the identifier: the plug-in's own executable, the folder holding
// the bundle with one slash; without the identifier nothing changes. The desktop is under HOME.
TEST(GraphicsPaths, HostPluginAndDesktopPaths) {
  RecordingPlug plug(1, 1);
  IGraphicsMac graphics(&plug, 10, 10);
  TK_String host("unchanged"), plugin("unchanged"), desktop;
  kroma_test::ScopedEnv bundle("KROMA_BUNDLE_DIR", "/opt/vst/F/KromaEditor.vst/");
  graphics.HostPath(&host);
  graphics.PluginPath(&plugin);
  EXPECT_STREQ(host.Get(), "unchanged");
  EXPECT_STREQ(plugin.Get(), "unchanged");
  graphics.SetBundleID(kBundleID);
  graphics.HostPath(&host);
  graphics.PluginPath(&plugin);
  EXPECT_EQ(std::string(host.Get()), Bundle::executable());
  EXPECT_EQ(host.Get()[0], '/');
  EXPECT_STREQ(plugin.Get(), "/opt/vst/F/");
  {
    kroma_test::ScopedEnv home("HOME", "/home/musician");
    graphics.DesktopPath(&desktop);
    EXPECT_STREQ(desktop.Get(), "/home/musician/Desktop/");
  }
  kroma_test::ScopedEnv noHome("HOME", nullptr);
  graphics.DesktopPath(&desktop);
  EXPECT_STREQ(desktop.Get(), "/Desktop/");
}

// An edit stays within the character set, the length in characters (a UTF-8 sequence is one)
// and the largest number; a limit of 0 is none.
TEST(EntryFormatter, EditsStayWithinCharactersLengthAndValue) {
  const struct {
    const char* set;
    int length, value;
    const char* partial;
    bool valid;
  } cases[] = {
      {"0123456789", 0, 0, "12345678", true},
      {"0123456789", 0, 0, "12a", false},
      {nullptr, 0, 0, "anything \xC3\xA9", true},
      {nullptr, 3, 0, "abc", true},
      {nullptr, 3, 0, "abcd", false},
      {nullptr, 3, 0, "\xC3\xA9\xC3\xA9\xC3\xA9", true},  // three e acutes in six bytes
      {nullptr, 2, 0, "\xE2\x82\xAC\xC3\xBF", true},
      {nullptr, 2, 0, "\xE2\x82\xAC\xC3\xBF!", false},
      {"0123456789", 0, 127, "127", true},
      {"0123456789", 0, 127, "128", false},
      {"0123456789", 2, 127, "99", true},
  };
  for (const auto& c : cases) {
    CocoaFormatter_vKroma_vst formatter;
    formatter.setAcceptableCharacterSet(c.set);
    formatter.setMaximumLength(c.length);
    formatter.setMaximumValue(c.value);
    EXPECT_EQ(formatter.isPartialStringValid(c.partial), c.valid)
        << c.partial << " within " << c.length << " and " << c.value;
  }
}
