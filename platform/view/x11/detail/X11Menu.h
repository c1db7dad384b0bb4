#pragma once

#include "platform/view/Menu.h"
#include "platform/view/x11/X11Display.h"

// Shows a menu of ours with its top-left corner at a screen point (kept on
// the screen) and runs it modally: sub-menus open as the pointer rests on
// their items, the keys move through the items (arrows, Return or space to
// choose, Escape to step back), and a click outside, the editor's own windows
// included, dismisses it. A click that picks or dismisses ends the menu with
// its release and reaches no other window. A menu taller than the screen
// fills the screen's height and scrolls: by the wheel, while the pointer rests
// on the strip above or below its items, and to the item the keys light.
// Returns the choice, or none.
VIEW_MenuChoice X11RunMenu(X11Display* display, const VIEW_Menu& menu, int rootX, int rootY);
