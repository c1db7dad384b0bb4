#pragma once

#include <string>
#include <vector>

#include "platform/view/View.h"
#include "platform/view/x11/X11Display.h"

// Our own modal dialogs, for desktops without a dialog program: both run
// until a button is pressed (Return presses the focused one, Escape and the
// window manager's close dismiss).

// A message box: the caption as its title and header, the text, the buttons
// with the first focused. Returns the position of the button pressed (1 the
// first), 0 when dismissed.
int X11RunMessageBox(X11Display* display, const std::string& caption, const std::string& text,
                     const std::vector<std::string>& buttons);

// A plain file panel: the folder's sub-folders and the files of the panel's
// extensions in a list (a click takes a name, a double click opens a folder
// or takes a file), and the path as a line to edit. A save panel asks before
// it takes a file that is there, and stays open when the file is kept.
// Returns the chosen path, "" when cancelled.
std::string X11RunFilePanel(X11Display* display, const VIEW_FilePanel& panel);
