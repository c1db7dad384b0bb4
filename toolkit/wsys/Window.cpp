#include "toolkit/wsys/Window.h"

#include <algorithm>

namespace {

// Edges are summed in 64 bits and held to the int range, so that no sum wraps.
int32_t held(long long v) {
  return (int32_t)std::clamp(v, (long long)INT32_MIN, (long long)INT32_MAX);
}

}  // namespace

HWND WSYS_CreateWindow(HWND parent, const RECT* rect, int id, const char* text) {
  WSYS_Window* window = new WSYS_Window();
  const long long dx = parent ? parent->rect.left : 0, dy = parent ? parent->rect.top : 0;
  if (rect)
    window->rect = {held(rect->left + dx), held(rect->top + dy), held(rect->right + dx),
                    held(rect->bottom + dy)};
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
  long long left = r.left, top = r.top;
  long long width = (long long)r.right - r.left, height = (long long)r.bottom - r.top;
  if (!(flags & SWP_NOSIZE)) width = cx, height = cy;
  if (!(flags & SWP_NOMOVE)) left = x, top = y;
  r = {held(left), held(top), held(left + width), held(top + height)};
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
  const long long left =
      a.left + ((long long)a.right - a.left) / 2 - ((long long)b.right - b.left) / 2;
  const long long top =
      a.top + ((long long)a.bottom - a.top) / 2 - ((long long)b.bottom - b.top) / 2;
  return SetWindowPos(window, nullptr, held(left), held(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
