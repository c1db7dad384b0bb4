#include "platform/view/x11/detail/X11Keys.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

// Where a core event's state carries the keyboard's layout (its group).
constexpr unsigned kGroupMask = 0x6000;

// The kit's key of a key symbol: a VIEW_Key, a character, or 0 for none.
int KitKey(KeySym symbol) {
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
  if (symbol >= 0x21 && symbol <= 0xFF && symbol != 0x7F) return (int)symbol;        // Latin-1
  if (symbol >= 0x1000100 && symbol <= 0x110FFFF) return (int)(symbol - 0x1000000);  // Unicode
  return X11KeysymCharacter(symbol);
}

}  // namespace

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
  plain.state &= ShiftMask | LockMask | Mod5Mask | kGroupMask;
  char text[8];
  KeySym symbol = NoSymbol;
  XLookupString(&plain, text, sizeof text, &symbol, nullptr);
  VIEW_Event out;
  out.type = VIEW_Event::kKey;
  out.key = KitKey(symbol);
  out.mods = X11ModsOf(event.state);
  return out;
}
