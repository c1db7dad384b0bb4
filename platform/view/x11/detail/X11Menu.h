#pragma once

#include "platform/view/Menu.h"
#include "platform/view/x11/X11Display.h"

// Shows a menu of ours with its top-left corner at a screen point (kept on
// the screen) and runs it modally: sub-menus open as the pointer rests on
// their items, the keys move through the items (arrows, Return or space to
// choose, Escape to step back), and a click outside dismisses it. Returns the
// choice, or none.
VIEW_MenuChoice X11RunMenu(X11Display* display, const VIEW_Menu& menu, int rootX, int rootY);
