#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// One window of ours that takes its own events.
class X11Handler {
 public:
  virtual ~X11Handler() = default;
  virtual void handleEvent(XEvent& event) = 0;
};

// What runs while a modal loop waits: the open editor views' exposures and
// timers, so that they keep drawing behind a menu or a dialog.
class X11Ticker {
 public:
  virtual ~X11Ticker() = default;
  // Fires a due timer tick and draws what is invalid.
  virtual void runDue() = 0;
  // When the next tick is due.
  virtual std::chrono::steady_clock::time_point nextDue() const = 0;
};

// The process's connection to the X server, shared by every open window of
// ours and used on the host's GUI thread only. Opened with the first window,
// closed with the last. Windows register for their events; whatever reads
// the connection hands each event to its window.
class X11Display {
 public:
  // The connection, opened when needed; null without a server.
  static X11Display* acquire();
  void release();

  Display* display() const { return mDisplay; }
  Window root() const { return RootWindow(mDisplay, mScreen); }
  int screenWidth() const { return DisplayWidth(mDisplay, mScreen); }
  int screenHeight() const { return DisplayHeight(mDisplay, mScreen); }
  bool hasShm() const { return mHasShm; }
  // Turns shared-memory images off (as a remote server has none), or back on
  // where the server offers them; for images made afterwards.
  void setShm(bool on);
  // A cursor that shows nothing.
  Cursor blankCursor();

  void add(Window window, X11Handler* handler);
  void remove(Window window);
  void addTicker(X11Ticker* ticker);
  void removeTicker(X11Ticker* ticker);
  // Hands every event already sent by the server to its window.
  void dispatchPending();
  // Dispatches events, exposures and timers until done() says so. Input
  // (mouse and keys) goes to the owner's windows only, as behind a modal
  // window; none (null) takes it while a program of the desktop runs.
  void runModal(const std::function<bool()>& done, X11Handler* owner);

 private:
  X11Display() = default;
  bool open();

  Display* mDisplay = nullptr;
  int mScreen = 0;
  int mUsers = 0;
  bool mHasShm = false;
  bool mServerShm = false;
  Cursor mBlank = 0;
  std::map<Window, X11Handler*> mHandlers;
  std::vector<X11Ticker*> mTickers;
  bool mModal = false;
  X11Handler* mModalOwner = nullptr;
};

// Errors of one call sequence on our connection are caught here instead of
// reaching the process's handler (which by default ends the process); errors
// of other connections go on to the handler that was there before. Set on the
// GUI thread; Xlib calls the handler on the thread whose connection failed.
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  // Syncs with the server; true when one of our requests failed.
  bool failed();

 private:
  static int handler(Display* display, XErrorEvent* error);
  Display* mDisplay;
  bool mFailed = false;
  X11ErrorTrap* mOuter = nullptr;
  XErrorHandler mPrevious = nullptr;
};

// How the engine's pixels (alpha in bits 0-7, red, green, blue) become the
// pixels of a visual.
class X11PixelFormat {
 public:
  X11PixelFormat(const Visual* visual, int depth);
  // Fills a ZPixmap image's area from engine pixels.
  void convert(const uint32_t* src, int srcSpan, XImage* image, int x, int y, int width,
               int height) const;

 private:
  unsigned long mRedMask, mGreenMask, mBlueMask;
  int mRedShift, mGreenShift, mBlueShift;
  bool mByteSwap = false;  // the common 8-bit 0xRRGGBB layout
};
