#include "X11Screen.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "tests/support/Patience.h"

namespace {

uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  const int shift = __builtin_ctzl(mask);
  const unsigned long top = mask >> shift;
  return (uint32_t)(((pixel & mask) >> shift) * 255 / top);
}

}  // namespace

uint32_t X11Shot::at(int px, int py) const {
  if (px < 0 || py < 0 || px >= width || py >= height) return 0xFF000000u;
  return rgb[(size_t)py * (size_t)width + (size_t)px];
}

bool X11Shot::anyDark(int left, int top, int right, int bottom, int limit) const {
  for (int py = top; py < bottom; ++py)
    for (int px = left; px < right; ++px) {
      const uint32_t p = at(px, py);
      if (p != 0xFF000000u && (int)(p >> 16 & 0xFF) < limit && (int)(p >> 8 & 0xFF) < limit &&
          (int)(p & 0xFF) < limit)
        return true;
    }
  return false;
}

int X11Shot::firstColumn(int py, uint32_t colour, int left) const {
  for (int px = left; px < width; ++px)
    if (at(px, py) == colour) return px;
  return -1;
}

X11Shot GrabScreen(Display* display, int x, int y, int width, int height) {
  X11Shot shot;
  shot.x = x, shot.y = y, shot.width = width, shot.height = height;
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, (unsigned)width,
                            (unsigned)height, AllPlanes, ZPixmap);
  if (!image) return shot;
  shot.rgb.resize((size_t)width * (size_t)height);
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const unsigned long p = XGetPixel(image, px, py);
      shot.rgb[(size_t)py * (size_t)width + (size_t)px] = Channel(p, image->red_mask) << 16 |
                                                          Channel(p, image->green_mask) << 8 |
                                                          Channel(p, image->blue_mask);
    }
  XDestroyImage(image);
  return shot;
}

X11Shot GrabWhen(Display* display, int x, int y, int width, int height,
                 const std::function<bool(const X11Shot&)>& ready) {
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  X11Shot shot = GrabScreen(display, x, y, width, height);
  while (!ready(shot) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    shot = GrabScreen(display, x, y, width, height);
  }
  return shot;
}

void WindowBox(Display* display, Window window, int* x, int* y, int* width, int* height) {
  Window child = None;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, x, y, &child);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  *width = attributes.width, *height = attributes.height;
}

Window FocusedWindow(Display* display) {
  Window focused = None;
  int revert = 0;
  XGetInputFocus(display, &focused, &revert);
  return focused;
}

std::string Title(Display* display, Window window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, window, &name) && name) title = name;
  if (name) XFree(name);
  return title;
}
