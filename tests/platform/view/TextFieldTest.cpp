#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/view/View.h"

// The kit's one-line editing and the rules every back end feeds keys by.
namespace {

VIEW_Event Key(int key) {
  VIEW_Event event;
  event.type = VIEW_Event::kKey;
  event.key = key;
  return event;
}

VIEW_TextField Field(const std::string& text, int caret, bool selected) {
  VIEW_TextField field;
  field.text = text;
  field.caret = caret;
  field.selected = selected;
  return field;
}

TEST(TextField, EditsReplaceTheSelectionAndKeepUtf8Whole) {
  const struct {
    const char* text;
    int caret;
    bool selected;
    std::vector<int> keys;
    const char* after;
    int caretAfter;
  } cases[] = {
      {"20", 2, true, {'5'}, "5", 1},  // the opening selection is typed over
      {"20", 2, true, {VIEW_KEY_BACKSPACE}, "", 0},
      {"20", 2, true, {VIEW_KEY_LEFT, '5'}, "520", 1},  // an arrow drops it first
      {"20", 2, true, {VIEW_KEY_RIGHT, VIEW_KEY_BACKSPACE}, "2", 1},
      {"abc", 1, false, {VIEW_KEY_DELETE, VIEW_KEY_SPACE}, "a c", 2},
      {"abc", 3, false, {VIEW_KEY_HOME, 'x', VIEW_KEY_END, 'y'}, "xabcy", 5},
      {"a\xC3\xA9", 3, false, {VIEW_KEY_BACKSPACE}, "a", 1},  // both bytes of the e acute
      {"\xC3\xA9z", 0, false, {VIEW_KEY_DELETE}, "z", 0},
      {"ab", 2, false, {0xE9}, "ab\xC3\xA9", 4},  // a Latin-1 key becomes UTF-8
      {"", 0, false, {VIEW_KEY_BACKSPACE, VIEW_KEY_LEFT, VIEW_KEY_DELETE}, "", 0},
      // Each length of UTF-8 at its bounds, and what is no character.
      {"", 0, false, {0x7E, 0x80, 0x7FF}, "~\xC2\x80\xDF\xBF", 5},
      {"", 0, false, {0x800, 0xFFF}, "\xE0\xA0\x80\xE0\xBF\xBF", 6},
      // every code point is a character: the euro sign, the last of the first plane, a piano
      {"", 0, false, {0x20AC, 0xFFFD}, "\xE2\x82\xAC\xEF\xBF\xBD", 6},
      {"a", 1, false, {0x1F3B9, VIEW_KEY_LEFT, VIEW_KEY_BACKSPACE}, "\xF0\x9F\x8E\xB9", 0},
      {"", 0, false, {0x10FFFF}, "\xF4\x8F\xBF\xBF", 4},
      {"a", 1, false, {0x1F, 0x7F, 0x20}, "a ", 2},
      {"x\xE2\x82\xAC", 4, false, {VIEW_KEY_BACKSPACE}, "x", 1},
      {"\xE2\x82\xACy", 0, false, {VIEW_KEY_DELETE}, "y", 0},
      {"\xE2\x82\xAC", 3, false, {VIEW_KEY_LEFT, 'a'}, "a\xE2\x82\xAC", 1},
      {"\xE2\x82\xAC",
       0,
       false,
       {VIEW_KEY_RIGHT, 'a', VIEW_KEY_RIGHT, 'b'},
       "\xE2\x82\xAC"
       "ab",
       5},
      {"ab", 2, true, {VIEW_KEY_DELETE, 'c'}, "c", 1},
      {"ab", 0, true, {VIEW_KEY_END, VIEW_KEY_UP, 'c'}, "cab", 1},
      {"ab", 0, false, {VIEW_KEY_DOWN, 'c'}, "abc", 3},
      // arrows stop at the ends, leaving the caret there
      {"ab", 0, false, {VIEW_KEY_LEFT}, "ab", 0},
      {"ab", 1, false, {VIEW_KEY_LEFT, 'x'}, "xab", 1},
      {"ab", 2, false, {VIEW_KEY_RIGHT}, "ab", 2},
      // backspace takes the first character, and nothing before it
      {"ab", 1, false, {VIEW_KEY_BACKSPACE}, "b", 0},
      {"ab", 0, false, {VIEW_KEY_BACKSPACE, VIEW_KEY_DELETE}, "b", 0},
      {"ab", 2, false, {VIEW_KEY_DELETE}, "ab", 2},
  };
  for (const auto& c : cases) {
    VIEW_TextField field = Field(c.text, c.caret, c.selected);
    for (int key : c.keys) field.apply(Key(key));
    EXPECT_EQ(field.text, c.after) << c.text;
    EXPECT_EQ(field.caret, c.caretAfter) << c.text;
  }
  EXPECT_EQ(Field("20", 2, true).candidate(Key('7')), "7");
  EXPECT_EQ(Field("20", 2, true).candidate(Key(VIEW_KEY_UP)), "20");
}

VIEW_Event Key(int key, bool control, bool alt) {
  VIEW_Event event = Key(key);
  event.mods.control = control;
  event.mods.alt = alt;
  return event;
}

// A character with Ctrl or Alt is a shortcut, not text ("LOSTA" stays "LOSTA" after Ctrl+A); the
// keys the field uses keep working with them, and Shift still types.
TEST(TextField, KeysWithCtrlOrAltTypeNothing) {
  const struct {
    VIEW_Event key;
    const char* after;
    int caretAfter;
    bool selectedAfter;
  } cases[] = {
      {Key('a', true, false), "LOSTA", 5, true},
      {Key('a', false, true), "LOSTA", 5, true},
      {Key('a', true, true), "LOSTA", 5, true},
      {Key(VIEW_KEY_SPACE, true, false), "LOSTA", 5, true},
      {Key(0xE9, false, true), "LOSTA", 5, true},
      {Key(VIEW_KEY_BACKSPACE, true, false), "", 0, false},
      {Key(VIEW_KEY_DELETE, false, true), "", 0, false},
      {Key(VIEW_KEY_LEFT, true, false), "LOSTA", 0, false},
      {Key(VIEW_KEY_END, false, true), "LOSTA", 5, false},
      {Key('x', false, false), "x", 1, false},
  };
  for (const auto& c : cases) {
    VIEW_TextField field = Field("LOSTA", 5, true);
    EXPECT_EQ(VIEW_TextField::edits(c.key), c.after != std::string("LOSTA")) << c.key.key;
    field.apply(c.key);
    EXPECT_EQ(field.text, c.after) << c.key.key;
    EXPECT_EQ(field.caret, c.caretAfter) << c.key.key;
    EXPECT_EQ(field.selected, c.selectedAfter) << c.key.key;
  }
  VIEW_Event shifted = Key('A');
  shifted.mods.shift = true;
  EXPECT_EQ(Field("", 0, false).candidate(shifted), "A");
}

// A client that records what the field reports, refuses digits, and ends the
// field itself on 'q'.
struct Client : VIEW_Client {
  void viewTimer() override {}
  void viewDraw(int, int, int, int) override {}
  bool viewEvent(const VIEW_Event&) override { return true; }
  bool viewTextKey(const VIEW_Event& key, const std::string&) override {
    if (key.key == 'q') *open = false;
    return !(key.key >= '0' && key.key <= '9');
  }
  void viewTextEnded(const std::string& text, bool committed) override {
    ended.push_back((committed ? "commit " : "cancel ") + text);
  }
  bool* open = nullptr;
  std::vector<std::string> ended;
};

TEST(TextField, KeysPassTheFilterAndReturnTabEscapeEndTheField) {
  for (int ending :
       {(int)VIEW_KEY_RETURN, (int)VIEW_KEY_ENTER, (int)VIEW_KEY_TAB, (int)VIEW_KEY_ESCAPE}) {
    Client client;
    VIEW_TextField field = Field("", 0, false);
    bool open = true;
    client.open = &open;
    for (int key : {(int)'a', (int)'1', (int)'b', ending, (int)'c'})
      VIEW_FeedTextKey(field, open, &client, Key(key));
    EXPECT_FALSE(open);
    EXPECT_EQ(field.text, "ab");
    ASSERT_EQ(client.ended.size(), 1u);
    EXPECT_EQ(client.ended[0], ending == VIEW_KEY_ESCAPE ? "cancel ab" : "commit ab");
  }
  Client client;
  VIEW_TextField field = Field("x", 1, false);
  bool open = true;
  client.open = &open;
  VIEW_FeedTextKey(field, open, &client, Key('q'));  // the client ended it: nothing applied
  EXPECT_EQ(field.text, "x");
  EXPECT_TRUE(client.ended.empty());
}

}  // namespace
