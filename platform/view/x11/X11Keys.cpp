#include "platform/view/x11/detail/X11Keys.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

// Where a core event's state carries the keyboard's layout (its group).
constexpr unsigned kGroupMask = 0x6000;

// What a character types: space is the kit's key of its own; control characters (C0, DEL, C1)
// and UTF-16 surrogates type nothing.
int KeyOfCharacter(unsigned long character) {
  if (character == ' ') return VIEW_KEY_SPACE;
  const bool control = character < 0x20 || (character >= 0x7F && character < 0xA0);
  const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  return control || surrogate ? 0 : (int)character;
}

// The character a key symbol names, as other X clients type it (control characters included).
unsigned long CharacterOf(KeySym symbol) {
  if (symbol <= 0xFF) return symbol;  // Latin-1
  // The keypad's characters (Num Lock on) sit at their ASCII codes plus 0xFF80, but for space.
  if (symbol == XK_KP_Space) return ' ';
  if ((symbol >= XK_KP_Multiply && symbol <= XK_KP_9) || symbol == XK_KP_Equal)
    return symbol & 0x7F;
  if (symbol >= 0x1000000 && symbol <= 0x110FFFF) return symbol - 0x1000000;  // Unicode
  return (unsigned long)X11KeysymCharacter(symbol);
}

}  // namespace

int X11KitKey(unsigned long symbol) {
  struct Named {
    KeySym symbol;
    int key;
  };
  static const Named kNamed[] = {
      {XK_space, VIEW_KEY_SPACE},
      {XK_Up, VIEW_KEY_UP},
      {XK_KP_Up, VIEW_KEY_UP},
      {XK_Down, VIEW_KEY_DOWN},
      {XK_KP_Down, VIEW_KEY_DOWN},
      {XK_Left, VIEW_KEY_LEFT},
      {XK_KP_Left, VIEW_KEY_LEFT},
      {XK_Right, VIEW_KEY_RIGHT},
      {XK_KP_Right, VIEW_KEY_RIGHT},
      {XK_Return, VIEW_KEY_RETURN},
      {XK_KP_Enter, VIEW_KEY_ENTER},
      {XK_Tab, VIEW_KEY_TAB},
      {XK_ISO_Left_Tab, VIEW_KEY_TAB},
      {XK_Escape, VIEW_KEY_ESCAPE},
      {XK_BackSpace, VIEW_KEY_BACKSPACE},
      {XK_Delete, VIEW_KEY_DELETE},
      {XK_KP_Delete, VIEW_KEY_DELETE},
      {XK_Home, VIEW_KEY_HOME},
      {XK_End, VIEW_KEY_END},
  };
  for (const Named& named : kNamed)
    if (named.symbol == symbol) return named.key;
  return KeyOfCharacter(CharacterOf(symbol));
}

VIEW_Mods X11ModsOf(unsigned state) {
  VIEW_Mods mods;
  mods.shift = state & ShiftMask;
  mods.control = state & ControlMask;
  mods.alt = state & Mod1Mask;
  mods.command = state & Mod4Mask;
  return mods;
}

VIEW_Event X11KeyEvent(const XKeyEvent& event) {
  XKeyEvent plain = event;
  // Num Lock makes the keypad's keys type digits; it is whichever modifier the keyboard gives it.
  const unsigned numLock = XkbKeysymToModifiers(event.display, XK_Num_Lock);
  plain.state &= ShiftMask | LockMask | Mod5Mask | kGroupMask | numLock;
  char text[8];
  KeySym symbol = NoSymbol;
  XLookupString(&plain, text, sizeof text, &symbol, nullptr);
  VIEW_Event out;
  out.type = VIEW_Event::kKey;
  out.key = X11KitKey(symbol);
  out.mods = X11ModsOf(event.state);
  return out;
}
