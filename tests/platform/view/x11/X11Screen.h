#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the screen shows in a rectangle, read back from the server as 0xRRGGBB.
struct X11Shot {
  int x = 0, y = 0, width = 0, height = 0;
  std::vector<uint32_t> rgb;
  // At a point relative to the rectangle; 0xFF000000 outside it.
  uint32_t at(int px, int py) const;
  // Whether a pixel of the rectangle's part is darker than every channel's limit (text).
  bool anyDark(int left, int top, int right, int bottom, int limit = 110) const;
  // The first column from left in row py whose pixel is colour; -1 when none.
  int firstColumn(int py, uint32_t colour, int left = 0) const;
};

X11Shot GrabScreen(Display* display, int x, int y, int width, int height);
// Grabs the rectangle again until the shot satisfies ready, at most ten seconds; the last shot.
X11Shot GrabWhen(Display* display, int x, int y, int width, int height,
                 const std::function<bool(const X11Shot&)>& ready);
// The top-left corner on the screen and the size of a window.
void WindowBox(Display* display, Window window, int* x, int* y, int* width, int* height);
// The window holding the keyboard focus.
Window FocusedWindow(Display* display);
// A window's title; empty when it has none.
std::string Title(Display* display, Window window);

// The kit's colours as the screen shows them.
namespace x11colour {
constexpr uint32_t kFace = 0xECECEC, kText = 0x141414, kGrey = 0x969696, kLine = 0xAAAAAA,
                   kHighlight = 0x3264C8, kWhite = 0xFFFFFF, kButton = 0xFAFAFA;
}  // namespace x11colour
