#include "platform/view/x11/X11Surface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

X11Surface::X11Surface(X11Display* display, Window parent, int x, int y, int width, int height,
                       long eventMask, bool popup)
    : mDisplay(display), mParent(parent), mWidth(std::max(width, 1)), mHeight(std::max(height, 1)) {
  Display* d = display->display();
  X11ErrorTrap trap(d);
  XWindowAttributes parentAttributes{};
  const Window under = parent ? parent : display->root();
  if (!XGetWindowAttributes(d, under, &parentAttributes) || trap.failed()) return;
  mVisual = parentAttributes.visual;
  mDepth = parentAttributes.depth;
  XSetWindowAttributes attributes{};
  attributes.event_mask = eventMask;
  attributes.background_pixmap = None;  // we paint every pixel: no flash of a background
  attributes.bit_gravity = NorthWestGravity;
  attributes.override_redirect = popup;
  attributes.save_under = popup;
  const Window made = XCreateWindow(
      d, under, x, y, (unsigned)mWidth, (unsigned)mHeight, 0, CopyFromParent, InputOutput,
      CopyFromParent, CWEventMask | CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWSaveUnder,
      &attributes);
  if (trap.failed()) return;
  mWindow = made;
  mGC = XCreateGC(d, mWindow, 0, nullptr);
  mFormat = std::make_unique<X11PixelFormat>(mVisual, mDepth);
  if (!makeImage() || trap.failed()) {
    freeImage();
    if (mGC) XFreeGC(d, mGC);
    XDestroyWindow(d, mWindow);
    mWindow = 0;
  }
}

X11Surface::~X11Surface() {
  if (!mWindow) return;
  Display* d = mDisplay->display();
  // The host may have destroyed its window, and ours with it, already.
  X11ErrorTrap trap(d);
  freeImage();
  XFreeGC(d, mGC);
  XDestroyWindow(d, mWindow);
}

bool X11Surface::makeImage() {
  Display* d = mDisplay->display();
  if (mDisplay->hasShm()) {
    X11ErrorTrap trap(d);
    mImage = XShmCreateImage(d, mVisual, (unsigned)mDepth, ZPixmap, nullptr, &mShm,
                             (unsigned)mWidth, (unsigned)mHeight);
    if (mImage) {
      mShm.shmid = shmget(IPC_PRIVATE, (size_t)mImage->bytes_per_line * mHeight, IPC_CREAT | 0600);
      void* at = mShm.shmid >= 0 ? shmat(mShm.shmid, nullptr, 0) : (void*)-1;
      if (at != (void*)-1) {
        mShm.shmaddr = mImage->data = static_cast<char*>(at);
        mShm.readOnly = False;
        XShmAttach(d, &mShm);
      }
      // Removed now, so that it goes when both sides have detached, whatever happens.
      if (mShm.shmid >= 0) shmctl(mShm.shmid, IPC_RMID, nullptr);
      if (at != (void*)-1 && !trap.failed()) return true;
      if (at != (void*)-1) shmdt(at);
      mShm = XShmSegmentInfo{};
      mImage->data = nullptr;
      XDestroyImage(mImage);
      mImage = nullptr;
    }
  }
  mImage = XCreateImage(d, mVisual, (unsigned)mDepth, ZPixmap, 0, nullptr, (unsigned)mWidth,
                        (unsigned)mHeight, 32, 0);
  if (!mImage) return false;
  mImage->data = static_cast<char*>(std::calloc((size_t)mImage->bytes_per_line, (size_t)mHeight));
  return mImage->data != nullptr;
}

void X11Surface::freeImage() {
  if (!mImage) return;
  Display* d = mDisplay->display();
  if (mShm.shmaddr) {
    XShmDetach(d, &mShm);
    XSync(d, False);
    shmdt(mShm.shmaddr);
    mShm = XShmSegmentInfo{};
    mImage->data = nullptr;
  }
  XDestroyImage(mImage);  // frees a plain image's pixels too
  mImage = nullptr;
}

bool X11Surface::resize(int width, int height) {
  if (!mWindow) return false;
  freeImage();
  mWidth = std::max(width, 1);
  mHeight = std::max(height, 1);
  XResizeWindow(mDisplay->display(), mWindow, (unsigned)mWidth, (unsigned)mHeight);
  return makeImage();
}

void X11Surface::put(const uint32_t* pixels, int span, int x, int y, int width, int height) {
  if (!mImage || !pixels) return;
  const int l = std::max(x, 0), t = std::max(y, 0);
  const int r = std::min(x + width, mWidth), b = std::min(y + height, mHeight);
  if (r <= l || b <= t) return;
  mFormat->convert(pixels, span, mImage, l, t, r - l, b - t);
  Display* d = mDisplay->display();
  if (mShm.shmaddr) {
    XShmPutImage(d, mWindow, mGC, mImage, l, t, l, t, (unsigned)(r - l), (unsigned)(b - t), False);
    // The server reads the segment later: wait, so that the next frame does not overwrite it.
    XSync(d, False);
  } else {
    XPutImage(d, mWindow, mGC, mImage, l, t, l, t, (unsigned)(r - l), (unsigned)(b - t));
  }
}
