#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>

#include "platform/view/x11/X11Display.h"

// A window of ours and the image through which engine pixels reach it: a
// shared-memory image where the server offers one, else a plain one sent
// with the request. The window takes the visual and depth of its parent.
class X11Surface {
 public:
  // parent 0 makes a top-level window; popup makes one the window manager
  // leaves alone (menus).
  X11Surface(X11Display* display, Window parent, int x, int y, int width, int height,
             long eventMask, bool popup);
  ~X11Surface();
  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  // False when the window could not be made (a parent that is gone).
  bool ok() const { return mWindow != 0; }
  Window window() const { return mWindow; }
  Window parent() const { return mParent; }
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  bool usesShm() const { return mShm.shmaddr != nullptr; }
  bool resize(int width, int height);
  // Copies an area of engine pixels (span pixels a row, from the top-left
  // corner) to the same area of the window.
  void put(const uint32_t* pixels, int span, int x, int y, int width, int height);

 private:
  bool makeImage();
  void freeImage();

  X11Display* mDisplay;
  Window mParent;
  Window mWindow = 0;
  GC mGC = nullptr;
  Visual* mVisual = nullptr;
  int mDepth = 0;
  std::unique_ptr<X11PixelFormat> mFormat;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm{};
  int mWidth;
  int mHeight;
};
