#pragma once

#include <cstdint>
#include <string>

struct VIEW_Event;

// A one-line text field over the editor and its editing: a caret, and the
// whole text selected when the field opens, so that typing replaces it.
struct VIEW_TextField {
  enum Align { kLeft = 0, kCentre, kRight };

  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string text;
  std::string fontName;
  int fontSize = 0;
  int align = kLeft;
  uint32_t textColour = 0;  // engine pixels
  uint32_t backgroundColour = 0;
  // Byte offset of the caret; with selected the whole text is selected.
  int caret = 0;
  bool selected = true;

  // Whether the key edits the text: backspace, delete, and characters typed without Ctrl or Alt.
  static bool edits(const VIEW_Event& key);
  // Whether a text fits a field of at most maxLength characters; 0 means no
  // limit. Judge the text a key would leave (candidate), so that a key that
  // replaces the selection is measured against what remains.
  static bool fits(const std::string& text, int maxLength);
  // Whether a typed character (a code point) is printable ASCII, the blank to the tilde: all that
  // a field whose text goes out one byte a character takes.
  static bool printableAscii(int character);
  // The text after the key (the text itself for keys that do not edit it).
  std::string candidate(const VIEW_Event& key) const;
  // Applies the key: the edit, or the caret moves.
  void apply(const VIEW_Event& key);
};

class VIEW_Client;

// Feeds a key to an open field, as every back end does: Escape cancels it,
// Return, Enter and Tab commit it (reported through viewTextEnded), any other
// key is applied when the client's filter lets it through. open is the
// back end's flag of the field: cleared when the field ends, also when the
// client ends it from its filter.
void VIEW_FeedTextKey(VIEW_TextField& field, bool& open, VIEW_Client* client,
                      const VIEW_Event& key);
