#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/view/Backend.h"
#include "platform/view/Region.h"
#include "platform/view/x11/X11Display.h"
#include "platform/view/x11/X11Surface.h"
#include "platform/view/x11/detail/X11Canvas.h"

// The editor's view on X11: a child window of the window the host hands the
// editor-open call (a top-level window of its own when it hands none). Every
// X call happens on the GUI thread: the host's idle call pumps the events,
// exposures and the redraw timer through pump(). The text field is a child
// window of ours, drawn by us, that takes the keyboard while it is open.
class VIEW_X11View : public VIEW_View, private X11Handler, private X11Ticker {
 public:
  // Null when there is no X server or the parent is gone.
  static VIEW_X11View* create(void* parent, int width, int height, int fps, VIEW_Client* client);
  ~VIEW_X11View() override;

  Window window() const { return mSurface->window(); }
  bool usesShm() const { return mSurface->usesShm(); }

  void close() override;
  bool isOpen() const override { return mClient != nullptr; }
  // Always: the editor has a window of its own whose exposures it answers
  // region by region.
  bool composited() const override { return true; }
  bool resize(int width, int height) override;
  void invalidate(int x, int y, int width, int height) override;
  bool present(const uint32_t* pixels, int rowSpan, int width, int height) override;
  VIEW_MenuChoice popupMenu(const VIEW_Menu& menu, int x, int y) override;
  bool openTextField(const VIEW_TextField& field) override;
  std::string textFieldText() const override { return mFieldOpen ? mField.text : ""; }
  void endTextField() override;
  bool textFieldOpen() const override { return mFieldOpen; }
  bool setCursorHidden(bool hidden) override;
  bool pointer(int* x, int* y) override;
  void warpPointer(int x, int y) override;
  void takeFocus() override { focus(mSurface->window()); }
  bool hasFocus() const override;
  void trackPointerMotion(bool on) override;
  void pump() override;

 private:
  VIEW_X11View(X11Display* display, VIEW_Client* client, int fps);
  bool make(Window parent, int width, int height);
  void handleEvent(XEvent& event) override;
  void runDue() override;
  std::chrono::steady_clock::time_point nextDue() const override { return mNextTick; }
  void button(const XButtonEvent& event, bool press);
  void motion(const XMotionEvent& event);
  void key(XKeyEvent& event);
  bool send(const VIEW_Event& event);
  void exposed(const XExposeEvent& event);
  void parentGone();
  // A key press the client declined, to the window we live in.
  void passToParent(const XKeyEvent& event);
  void flushDraw();
  void drawField();
  void focus(Window window);

  X11Display* mDisplay;
  VIEW_Client* mClient;
  std::unique_ptr<X11Surface> mSurface;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  std::chrono::steady_clock::duration mInterval;
  std::chrono::steady_clock::time_point mNextTick;
  // The invalid region, and the one being drawn.
  VIEW_Region mDirty;
  VIEW_Region mDrawRect;
  bool mDrawing = false;
  bool mCursorHidden = false;
  bool mShown = false;
  // Multi-click counting.
  unsigned mLastButton = 0;
  Time mLastPress = 0;
  int mLastX = 0, mLastY = 0, mClicks = 0;
  // The text field.
  VIEW_TextField mField;
  bool mFieldOpen = false;
  std::unique_ptr<X11Surface> mFieldSurface;
  std::unique_ptr<X11Canvas> mFieldCanvas;
  Window mFocusBefore = 0;
};
