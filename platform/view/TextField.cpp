#include "platform/view/TextField.h"

#include <algorithm>

#include "platform/view/View.h"

namespace {

// Bytes of the UTF-8 sequence that ends before, or starts at, a position.
int backStep(const std::string& text, int at) {
  int step = 1;
  while (at - step > 0 && (static_cast<unsigned char>(text[at - step]) & 0xC0) == 0x80) ++step;
  return std::min(step, at);
}

int forwardStep(const std::string& text, int at) {
  int step = 1;
  while (at + step < (int)text.size() &&
         (static_cast<unsigned char>(text[at + step]) & 0xC0) == 0x80)
    ++step;
  return std::min(step, (int)text.size() - at);
}

// A typed character as UTF-8 (the kit's characters are code points).
std::string utf8(int c) {
  std::string out;
  if (c < 0x80) {
    out += (char)c;
  } else if (c < 0x800) {
    out += (char)(0xC0 | c >> 6);
    out += (char)(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += (char)(0xE0 | c >> 12);
    out += (char)(0x80 | (c >> 6 & 0x3F));
    out += (char)(0x80 | (c & 0x3F));
  } else {
    out += (char)(0xF0 | c >> 18);
    out += (char)(0x80 | (c >> 12 & 0x3F));
    out += (char)(0x80 | (c >> 6 & 0x3F));
    out += (char)(0x80 | (c & 0x3F));
  }
  return out;
}

// Surrogates are halves of characters in other encodings, none of their own.
bool isCharacter(int key) {
  return key >= 0x20 && key < VIEW_KEY_SPACE && key != 0x7F && (key < 0xD800 || key > 0xDFFF);
}

}  // namespace

bool VIEW_TextField::edits(const VIEW_Event& key) {
  if (key.key == VIEW_KEY_BACKSPACE || key.key == VIEW_KEY_DELETE) return true;
  // With Ctrl or Alt a character is a shortcut (Ctrl+A), never text.
  return (key.key == VIEW_KEY_SPACE || isCharacter(key.key)) && !key.mods.control && !key.mods.alt;
}

bool VIEW_TextField::fits(const std::string& text, int maxLength) {
  if (maxLength <= 0) return true;
  int characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
  return characters <= maxLength;
}

bool VIEW_TextField::printableAscii(int character) {
  return character >= 0x20 && character <= 0x7E;
}

std::string VIEW_TextField::candidate(const VIEW_Event& key) const {
  VIEW_TextField edited = *this;
  edited.apply(key);
  return edited.text;
}

void VIEW_TextField::apply(const VIEW_Event& key) {
  caret = std::clamp(caret, 0, (int)text.size());
  if (selected && edits(key)) {
    // The selection goes first; backspace and delete take only it.
    text.clear();
    caret = 0;
    selected = false;
    if (key.key == VIEW_KEY_BACKSPACE || key.key == VIEW_KEY_DELETE) return;
  }
  switch (key.key) {
    case VIEW_KEY_BACKSPACE:
      if (caret > 0) {
        const int step = backStep(text, caret);
        text.erase((size_t)(caret - step), (size_t)step);
        caret -= step;
      }
      break;
    case VIEW_KEY_DELETE:
      if (caret < (int)text.size()) text.erase((size_t)caret, (size_t)forwardStep(text, caret));
      break;
    case VIEW_KEY_LEFT:
      caret = selected ? 0 : caret - (caret > 0 ? backStep(text, caret) : 0);
      break;
    case VIEW_KEY_RIGHT:
      caret = selected ? (int)text.size()
                       : caret + (caret < (int)text.size() ? forwardStep(text, caret) : 0);
      break;
    case VIEW_KEY_HOME:
    case VIEW_KEY_UP:
      caret = 0;
      break;
    case VIEW_KEY_END:
    case VIEW_KEY_DOWN:
      caret = (int)text.size();
      break;
    default:
      if (edits(key)) {
        const std::string typed = utf8(key.key == VIEW_KEY_SPACE ? ' ' : key.key);
        text.insert((size_t)caret, typed);
        caret += (int)typed.size();
      }
      return;
  }
  selected = false;
}

void VIEW_FeedTextKey(VIEW_TextField& field, bool& open, VIEW_Client* client,
                      const VIEW_Event& key) {
  if (!open || !client) return;
  if (key.key == VIEW_KEY_ESCAPE) {
    open = false;
    client->viewTextEnded(field.text, false);
    return;
  }
  if (!client->viewTextKey(key, field.candidate(key)) || !open) return;
  if (key.key == VIEW_KEY_RETURN || key.key == VIEW_KEY_ENTER || key.key == VIEW_KEY_TAB) {
    open = false;
    client->viewTextEnded(field.text, true);
    return;
  }
  field.apply(key);
}
