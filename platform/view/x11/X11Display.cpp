#include "platform/view/x11/X11Display.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

X11Display* sDisplay = nullptr;
// The traps set, innermost first. Xlib calls the process's one error handler on the thread whose
// connection failed, a host's other threads included, so the chain is read and changed under a
// lock.
std::mutex sTrapsMutex;
X11ErrorTrap* sTrap = nullptr;
// The handler before the outermost trap, kept for a call that comes in just after it ended.
XErrorHandler sBefore = nullptr;

// The longest a modal loop sleeps before it looks again.
constexpr std::chrono::milliseconds kModalWait(40);

bool IsInput(const XEvent& event) {
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case KeyPress:
    case KeyRelease:
      return true;
    default:
      return false;
  }
}

int ShiftOf(unsigned long mask) {
  return mask ? __builtin_ctzl(mask) : 0;
}

int BitsOf(unsigned long mask) {
  return __builtin_popcountl(mask);
}

unsigned long Channel(uint32_t value, unsigned long mask, int shift) {
  const unsigned long top = mask >> shift;
  return ((value * top + 127) / 255) << shift & mask;
}

}  // namespace

X11Display* X11Display::acquire() {
  if (!sDisplay) {
    std::unique_ptr<X11Display> opened(new X11Display);
    if (!opened->open()) return nullptr;
    sDisplay = opened.release();
  }
  ++sDisplay->mUsers;
  return sDisplay;
}

bool X11Display::open() {
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay) return false;
  mScreen = DefaultScreen(mDisplay);
  // Shared memory works only with a server on this machine.
  const char* name = DisplayString(mDisplay);
  mServerShm = mHasShm = XShmQueryExtension(mDisplay) && name && name[0] == ':';
  return true;
}

void X11Display::setShm(bool on) {
  mHasShm = on && mServerShm;
}

void X11Display::release() {
  if (--mUsers > 0) return;
  if (mBlank) XFreeCursor(mDisplay, mBlank);
  XCloseDisplay(mDisplay);
  sDisplay = nullptr;
  delete this;
}

Cursor X11Display::blankCursor() {
  if (mBlank) return mBlank;
  static const char kNoBits[1] = {0};
  Pixmap pixmap = XCreateBitmapFromData(mDisplay, root(), kNoBits, 1, 1);
  XColor black{};
  mBlank = XCreatePixmapCursor(mDisplay, pixmap, pixmap, &black, &black, 0, 0);
  XFreePixmap(mDisplay, pixmap);
  return mBlank;
}

void X11Display::add(Window window, X11Handler* handler) {
  mHandlers[window] = handler;
}

void X11Display::remove(Window window) {
  mHandlers.erase(window);
}

void X11Display::addTicker(X11Ticker* ticker) {
  mTickers.push_back(ticker);
}

void X11Display::removeTicker(X11Ticker* ticker) {
  mTickers.erase(std::remove(mTickers.begin(), mTickers.end(), ticker), mTickers.end());
}

void X11Display::dispatchPending() {
  while (XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    // A new keyboard layout, or keys remapped, reach every window's key translation.
    if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
    // Looked up per event: a handler may close windows, its own included.
    const auto found = mHandlers.find(event.xany.window);
    if (found == mHandlers.end()) continue;
    if (mModal && IsInput(event) && found->second != mModalOwner) continue;
    found->second->handleEvent(event);
  }
}

void X11Display::runModal(const std::function<bool()>& done, X11Handler* owner) {
  const bool wasModal = mModal;
  X11Handler* const outerOwner = mModalOwner;
  mModal = true;
  mModalOwner = owner;
  XFlush(mDisplay);
  while (!done()) {
    dispatchPending();
    if (done()) break;
    // The list may change while a view draws (a view may close): copy it.
    const std::vector<X11Ticker*> tickers = mTickers;
    auto wake = std::chrono::steady_clock::now() + kModalWait;
    for (X11Ticker* ticker : tickers) {
      if (std::find(mTickers.begin(), mTickers.end(), ticker) == mTickers.end()) continue;
      ticker->runDue();
      wake = std::min(wake, ticker->nextDue());
    }
    XFlush(mDisplay);
    if (XPending(mDisplay) > 0) continue;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        wake - std::chrono::steady_clock::now());
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, (int)std::clamp<long long>(wait.count(), 1, kModalWait.count()));
  }
  mModal = wasModal;
  mModalOwner = outerOwner;
}

// ---- Errors ------------------------------------------------------------------

X11ErrorTrap::X11ErrorTrap(Display* display) : mDisplay(display) {
  XSync(mDisplay, False);  // earlier errors are not ours to catch
  std::lock_guard<std::mutex> lock(sTrapsMutex);
  mOuter = sTrap;
  sTrap = this;
  mPrevious = XSetErrorHandler(&X11ErrorTrap::handler);
  if (!mOuter) sBefore = mPrevious;
}

X11ErrorTrap::~X11ErrorTrap() {
  XSync(mDisplay, False);
  std::lock_guard<std::mutex> lock(sTrapsMutex);
  XSetErrorHandler(mPrevious);
  sTrap = mOuter;
}

bool X11ErrorTrap::failed() {
  XSync(mDisplay, False);
  std::lock_guard<std::mutex> lock(sTrapsMutex);
  return mFailed;
}

int X11ErrorTrap::handler(Display* display, XErrorEvent* error) {
  XErrorHandler previous;
  {
    std::lock_guard<std::mutex> lock(sTrapsMutex);
    for (X11ErrorTrap* trap = sTrap; trap; trap = trap->mOuter) {
      if (trap->mDisplay == display) {
        trap->mFailed = true;
        return 0;
      }
    }
    previous = sBefore;
  }
  // Outside the lock: the handler before may do anything, even set a trap.
  return previous ? previous(display, error) : 0;
}

// ---- Pixels ------------------------------------------------------------------

X11PixelFormat::X11PixelFormat(const Visual* visual, int depth)
    : mRedMask(visual->red_mask),
      mGreenMask(visual->green_mask),
      mBlueMask(visual->blue_mask),
      mRedShift(ShiftOf(mRedMask)),
      mGreenShift(ShiftOf(mGreenMask)),
      mBlueShift(ShiftOf(mBlueMask)) {
  mByteSwap = depth >= 24 && mRedMask == 0xFF0000 && mGreenMask == 0xFF00 && mBlueMask == 0xFF;
}

void X11PixelFormat::convert(const uint32_t* src, int srcSpan, XImage* image, int x, int y,
                             int width, int height) const {
  const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
  const bool eightBits = BitsOf(mRedMask) == 8 && BitsOf(mGreenMask) == 8 && BitsOf(mBlueMask) == 8;
  for (int row = y; row < y + height; ++row) {
    const uint32_t* in = src + (size_t)row * srcSpan;
    if (direct && mByteSwap) {
      // Engine a,r,g,b bytes from the low end turned around give 0xAARRGGBB.
      uint32_t* out =
          reinterpret_cast<uint32_t*>(image->data + (size_t)row * image->bytes_per_line);
      for (int col = x; col < x + width; ++col) out[col] = __builtin_bswap32(in[col]);
    } else if (direct && eightBits) {
      uint32_t* out =
          reinterpret_cast<uint32_t*>(image->data + (size_t)row * image->bytes_per_line);
      for (int col = x; col < x + width; ++col) {
        const uint32_t p = in[col];
        out[col] = (p >> 8 & 0xFF) << mRedShift | (p >> 16 & 0xFF) << mGreenShift |
                   (p >> 24) << mBlueShift;
      }
    } else {
      for (int col = x; col < x + width; ++col) {
        const uint32_t p = in[col];
        XPutPixel(image, col, row,
                  Channel(p >> 8 & 0xFF, mRedMask, mRedShift) |
                      Channel(p >> 16 & 0xFF, mGreenMask, mGreenShift) |
                      Channel(p >> 24, mBlueMask, mBlueShift));
      }
    }
  }
}
