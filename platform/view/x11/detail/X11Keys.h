#pragma once

#include <X11/Xlib.h>

#include "platform/view/View.h"

// The character a key symbol outside Latin-1, the keypad and Unicode's own range types
// (Cyrillic_U: U+0423), as the X11 headers name it; 0 for a symbol that types none. Made by the
// build from those headers.
int X11KeysymCharacter(unsigned long symbol);

// The kit's key of a key symbol: a VIEW_Key, the character it types as its code point (the one
// libxkbcommon names, as other X clients type), or 0 for a symbol that types no character.
int X11KitKey(unsigned long symbol);

// The kit's modifiers of an X event's state; the Super key stands for Command.
VIEW_Mods X11ModsOf(unsigned state);

// The kit's key event of an X key press, for the editor's view and our dialogs alike: the key (a
// VIEW_Key, a character as its code point, or 0 for a key the kit has no use for) and the
// modifiers. Shift, Caps Lock, Num Lock, the third level (AltGr) and the keyboard's layout make
// the character; Ctrl, Alt and Super do not, so that a shortcut arrives as its plain key with
// modifiers, which a text field then does not type.
VIEW_Event X11KeyEvent(const XKeyEvent& event);
