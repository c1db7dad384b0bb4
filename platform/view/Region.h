#pragma once

#include <algorithm>

// What a view has to draw: the smallest rectangle holding every rectangle
// added, held to the view's size. Empty when right <= left.
struct VIEW_Region {
  int left = 0, top = 0, right = 0, bottom = 0;

  bool empty() const { return right <= left || bottom <= top; }
  void add(int x, int y, int width, int height, int viewWidth, int viewHeight) {
    const int l = std::max(x, 0), t = std::max(y, 0);
    const int r = std::min(x + width, viewWidth), b = std::min(y + height, viewHeight);
    if (r <= l || b <= t) return;
    if (empty()) {
      *this = VIEW_Region{l, t, r, b};
      return;
    }
    left = std::min(left, l), top = std::min(top, t);
    right = std::max(right, r), bottom = std::max(bottom, b);
  }
  // The region, leaving this one empty.
  VIEW_Region take() {
    const VIEW_Region taken = *this;
    *this = VIEW_Region{};
    return taken;
  }
};
