#include "toolkit/wsys/Window.h"

HWND WSYS_CreateWindow(HWND parent, const RECT* rect, int id, const char* text) {
  WSYS_Window* window = new WSYS_Window();
  const int dx = parent ? parent->rect.left : 0, dy = parent ? parent->rect.top : 0;
  if (rect) window->rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
  window->parent = parent;
  window->id = id;
  window->text.Set(text);
  if (parent) parent->children.Insert(window, 0);
  return window;
}

bool DestroyWindow(HWND window) {
  if (!window) return false;
  if (window->parent) window->parent->children.DeletePtr(window);
  delete window;
  return true;
}

bool GetWindowRect(HWND window, RECT* rect) {
  if (!window || !rect) return false;
  *rect = window->rect;
  return true;
}

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, int flags) {
  if (!window) return false;
  RECT& r = window->rect;
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  if (!(flags & SWP_NOMOVE)) r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
  if (!(flags & SWP_NOZORDER) && window->parent && insertAfter != window) {
    TK_PtrList<WSYS_Window>& siblings = window->parent->children;
    siblings.DeletePtr(window);
    siblings.Insert(window, insertAfter ? siblings.Find(insertAfter) + 1 : 0);
  }
  return true;
}

bool CenterWindow(HWND window) {
  if (!window || !window->parent) return false;
  const RECT& a = window->parent->rect;
  const RECT& b = window->rect;
  const int left = a.left + (a.right - a.left) / 2 - (b.right - b.left) / 2;
  const int top = a.top + (a.bottom - a.top) / 2 - (b.bottom - b.top) / 2;
  return SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
