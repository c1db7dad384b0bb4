#pragma once

#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"
#include "toolkit/wsys/WsysTypes.h"

// A window, dialog or control: a rectangle in screen pixels inside a tree. Children are owned
// and kept in z-order, topmost first.
struct WSYS_Window {
  RECT rect = {0, 0, 0, 0};
  HWND parent = nullptr;
  int id = 0;
  TK_String kind;  // of a dialog's control: "static", "edit", "button", ...
  TK_String text;
  TK_PtrList<WSYS_Window> children;
  bool ended = false;  // a modal dialog was ended
  int result = 0;      // with this result

  ~WSYS_Window() { children.Empty(true); }
};

// Makes a window at rect, given relative to the parent's top-left corner (to the screen
// without a parent), as the parent's topmost child.
HWND WSYS_CreateWindow(HWND parent, const RECT* rect, int id, const char* text);
// Destroys the window with its children and takes it out of its parent.
bool DestroyWindow(HWND window);

bool GetWindowRect(HWND window, RECT* rect);
// x, y in screen pixels; SWP_NOMOVE, SWP_NOSIZE and SWP_NOZORDER keep what they name.
// Otherwise the window goes behind insertAfter among its siblings, or on top when
// insertAfter is null or no sibling.
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, int flags);
// Centres the window on its parent; false without one.
bool CenterWindow(HWND window);
