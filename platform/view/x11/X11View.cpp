#include "platform/view/x11/detail/X11View.h"

#include <algorithm>
#include <cstdlib>

#include "platform/view/x11/detail/X11Keys.h"
#include "platform/view/x11/detail/X11Menu.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

// Plain pointer motion only once the client asks for it.
constexpr long kViewEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                             KeyPressMask | FocusChangeMask | StructureNotifyMask;
constexpr long kFieldEvents = ExposureMask | ButtonPressMask | KeyPressMask;
// Presses closer than this in time and place make a multiple click.
constexpr Time kMultiClickMs = 400;
constexpr int kMultiClickSlop = 4;
constexpr int kFieldPad = 3;

int ButtonOf(unsigned button) {
  switch (button) {
    case Button1:
      return VIEW_Event::kLeft;
    case Button2:
      return VIEW_Event::kMiddle;
    case Button3:
      return VIEW_Event::kRight;
    default:
      return VIEW_Event::kNoButton;
  }
}

}  // namespace

VIEW_View* VIEW_View::open(void* parent, int width, int height, int fps, VIEW_Client* client) {
  return VIEW_X11View::create(parent, width, height, fps, client);
}

VIEW_X11View* VIEW_X11View::create(void* parent, int width, int height, int fps,
                                   VIEW_Client* client) {
  X11Display* display = X11Display::acquire();
  if (!display) return nullptr;
  VIEW_X11View* view = new VIEW_X11View(display, client, fps);
  // The host hands its window's id in the pointer.
  if (view->make((Window) reinterpret_cast<uintptr_t>(parent), width, height)) return view;
  delete view;
  return nullptr;
}

VIEW_X11View::VIEW_X11View(X11Display* display, VIEW_Client* client, int fps)
    : mDisplay(display),
      mClient(client),
      mInterval(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(1.0 / (fps > 0 ? fps : 25)))),
      mNextTick(std::chrono::steady_clock::now()) {}

bool VIEW_X11View::make(Window parent, int width, int height) {
  mSurface =
      std::make_unique<X11Surface>(mDisplay, parent, 0, 0, width, height, kViewEvents, false);
  if (!mSurface->ok()) return false;
  Display* d = mDisplay->display();
  if (!parent) XStoreName(d, mSurface->window(), "Editor");
  XMapWindow(d, mSurface->window());
  XFlush(d);
  mDisplay->add(mSurface->window(), this);
  mDisplay->addTicker(this);
  return true;
}

VIEW_X11View::~VIEW_X11View() {
  close();
  *mAlive = false;
  mSurface.reset();
  mDisplay->release();
}

void VIEW_X11View::close() {
  if (!mClient) return;
  endTextField();
  mClient = nullptr;
  mDisplay->removeTicker(this);
  if (mSurface->ok()) {
    mDisplay->remove(mSurface->window());
    X11ErrorTrap trap(mDisplay->display());
    XUnmapWindow(mDisplay->display(), mSurface->window());
  }
}

bool VIEW_X11View::resize(int width, int height) {
  if (!mSurface->resize(width, height)) return false;
  invalidate(0, 0, width, height);
  return true;
}

// ---- Drawing -----------------------------------------------------------------

void VIEW_X11View::invalidate(int x, int y, int width, int height) {
  mDirty.add(x, y, width, height, mSurface->width(), mSurface->height());
}

void VIEW_X11View::flushDraw() {
  if (!mClient || mDirty.empty()) return;
  mDrawRect = mDirty.take();
  mDrawing = true;
  mClient->viewDraw(mDrawRect.left, mDrawRect.top, mDrawRect.right - mDrawRect.left,
                    mDrawRect.bottom - mDrawRect.top);
  mDrawing = false;
  if (mFieldOpen) drawField();  // the field lies over the editor
}

// Only the rectangle being drawn goes out: the rest of the window is as it was.
bool VIEW_X11View::present(const uint32_t* pixels, int rowSpan, int width, int height) {
  if (!mDrawing || !pixels) return false;
  const int r = std::min(mDrawRect.right, width), b = std::min(mDrawRect.bottom, height);
  mSurface->put(pixels, rowSpan, mDrawRect.left, mDrawRect.top, r - mDrawRect.left,
                b - mDrawRect.top);
  XFlush(mDisplay->display());
  return true;
}

// Exposures are drawn at the tick, right after the timer has asked for what changed: the editor
// takes every control as drawn once it draws, so an exposure drawn alone would swallow a change
// elsewhere (a status text set when a menu closes).
void VIEW_X11View::runDue() {
  if (!mClient) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < mNextTick) return;
  // Keeps the rate when the idle calls come at another one; never catches up in a burst.
  mNextTick = mNextTick + mInterval < now ? now + mInterval : mNextTick + mInterval;
  std::shared_ptr<bool> alive = mAlive;
  mClient->viewTimer();
  if (*alive) flushDraw();
}

void VIEW_X11View::pump() {
  std::shared_ptr<bool> alive = mAlive;
  mDisplay->dispatchPending();
  if (*alive) runDue();
}

// ---- Events ------------------------------------------------------------------

void VIEW_X11View::handleEvent(XEvent& event) {
  const bool field = mFieldSurface && event.xany.window == mFieldSurface->window();
  switch (event.type) {
    case Expose:
      if (field)
        drawField();
      else
        exposed(event.xexpose);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == mSurface->window()) parentGone();
      break;
    case ButtonPress:
      if (!field) button(event.xbutton, true);  // clicks in the field stay with it
      break;
    case ButtonRelease:
      button(event.xbutton, false);
      break;
    case MotionNotify:
      motion(event.xmotion);
      break;
    case KeyPress:
      key(event.xkey);
      break;
    case FocusOut:
      // The keyboard left for another window; not when it moved within ours
      // or only followed the pointer.
      if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
          event.xfocus.detail != NotifyPointer) {
        VIEW_Event deactivated;
        deactivated.type = VIEW_Event::kDeactivate;
        send(deactivated);
      }
      break;
    default:
      break;
  }
}

bool VIEW_X11View::send(const VIEW_Event& event) {
  VIEW_NoteInput(event);
  return mClient && mClient->viewEvent(event);
}

void VIEW_X11View::exposed(const XExposeEvent& event) {
  invalidate(event.x, event.y, event.width, event.height);
  if (mShown || !mClient) return;
  mShown = true;
  mClient->viewInWindow();
}

// The host destroyed its window, and ours with it.
void VIEW_X11View::parentGone() {
  VIEW_Client* client = mClient;
  close();
  if (client) client->viewParentGone();
}

void VIEW_X11View::passToParent(const XKeyEvent& event) {
  const Window parent = mSurface->parent();
  if (!parent) return;
  XEvent forwarded{};
  forwarded.xkey = event;
  forwarded.xkey.window = parent;
  forwarded.xkey.subwindow = mSurface->window();
  X11ErrorTrap trap(mDisplay->display());
  XSendEvent(mDisplay->display(), parent, False, KeyPressMask, &forwarded);
}

bool VIEW_X11View::hasFocus() const {
  Window focused = None;
  int revert = 0;
  XGetInputFocus(mDisplay->display(), &focused, &revert);
  return focused == mSurface->window();
}

void VIEW_X11View::trackPointerMotion(bool on) {
  X11ErrorTrap trap(mDisplay->display());
  XSelectInput(mDisplay->display(), mSurface->window(),
               kViewEvents | (on ? PointerMotionMask : NoEventMask));
}

void VIEW_X11View::button(const XButtonEvent& event, bool press) {
  VIEW_Event out;
  out.x = event.x;
  out.y = event.y;
  out.mods = X11ModsOf(event.state);
  if (event.button == Button4 || event.button == Button5) {
    if (!press) return;
    out.type = VIEW_Event::kWheel;
    out.wheel = event.button == Button4 ? 1 : -1;
    send(out);
    return;
  }
  out.button = ButtonOf(event.button);
  if (out.button == VIEW_Event::kNoButton || !mClient) return;
  out.type = press ? VIEW_Event::kMouseDown : VIEW_Event::kMouseUp;
  if (press) {
    const bool inactive = !hasFocus();
    if (mClient->viewAcceptsFocus()) takeFocus();
    if (inactive && !mClient->viewAcceptsFirstMouse()) return;  // the click only activated
    const bool again = event.button == mLastButton && event.time - mLastPress < kMultiClickMs &&
                       std::abs(event.x - mLastX) <= kMultiClickSlop &&
                       std::abs(event.y - mLastY) <= kMultiClickSlop;
    mClicks = again ? mClicks + 1 : 1;
    mLastButton = event.button, mLastPress = event.time, mLastX = event.x, mLastY = event.y;
    out.clickCount = mClicks;
  }
  send(out);
}

void VIEW_X11View::motion(const XMotionEvent& event) {
  VIEW_Event out;
  out.x = event.x;
  out.y = event.y;
  out.mods = X11ModsOf(event.state);
  out.type = VIEW_Event::kMouseDrag;
  if (event.state & Button1Mask)
    out.button = VIEW_Event::kLeft;
  else if (event.state & Button3Mask)
    out.button = VIEW_Event::kRight;
  else if (event.state & Button2Mask)
    out.button = VIEW_Event::kMiddle;
  else
    out.type = VIEW_Event::kMouseMove;
  send(out);
}

void VIEW_X11View::key(XKeyEvent& event) {
  const VIEW_Event out = X11KeyEvent(event);
  std::shared_ptr<bool> alive = mAlive;
  if (!mFieldOpen) {
    const bool taken = out.key && send(out);
    if (*alive && !taken) passToParent(event);
    return;
  }
  if (!out.key) return;
  VIEW_FeedTextKey(mField, mFieldOpen, mClient, out);
  if (!*alive) return;
  if (mFieldOpen)
    drawField();
  else
    endTextField();
}

// ---- Menus -------------------------------------------------------------------

VIEW_MenuChoice VIEW_X11View::popupMenu(const VIEW_Menu& menu, int x, int y) {
  if (!mClient || menu.size() == 0) return {};
  Window child;
  int rootX = x, rootY = y;
  XTranslateCoordinates(mDisplay->display(), mSurface->window(), mDisplay->root(), x, y, &rootX,
                        &rootY, &child);
  const VIEW_MenuChoice choice = X11RunMenu(mDisplay, menu, rootX, rootY);
  Window root;
  int winX, winY;
  unsigned mask = 0;
  XQueryPointer(mDisplay->display(), mDisplay->root(), &root, &child, &rootX, &rootY, &winX, &winY,
                &mask);
  VIEW_NoteMenuClosed(mask & Button1Mask, mask & ShiftMask);
  return choice;
}

// ---- Text field --------------------------------------------------------------

bool VIEW_X11View::openTextField(const VIEW_TextField& field) {
  if (mFieldOpen || !mClient) return false;
  mFieldSurface = std::make_unique<X11Surface>(mDisplay, mSurface->window(), field.x, field.y,
                                               field.width, field.height, kFieldEvents, false);
  if (!mFieldSurface->ok()) {
    mFieldSurface.reset();
    return false;
  }
  mField = field;
  mField.caret = (int)mField.text.size();
  mField.selected = true;
  mFieldOpen = true;
  mFieldCanvas = std::make_unique<X11Canvas>(mFieldSurface->width(), mFieldSurface->height());
  Display* d = mDisplay->display();
  mDisplay->add(mFieldSurface->window(), this);
  XMapRaised(d, mFieldSurface->window());
  int revert;
  XGetInputFocus(d, &mFocusBefore, &revert);
  focus(mSurface->window());
  drawField();
  return true;
}

void VIEW_X11View::endTextField() {
  mFieldOpen = false;
  if (!mFieldSurface) return;
  mDisplay->remove(mFieldSurface->window());
  mFieldSurface.reset();
  mFieldCanvas.reset();
  // The keyboard goes back to where it was.
  if (mFocusBefore != None && mFocusBefore != PointerRoot) focus(mFocusBefore);
  mFocusBefore = 0;
}

// A window that is not (yet) viewable refuses the focus; that is no error of ours.
void VIEW_X11View::focus(Window window) {
  X11ErrorTrap trap(mDisplay->display());
  XSetInputFocus(mDisplay->display(), window, RevertToParent, CurrentTime);
}

void VIEW_X11View::drawField() {
  if (!mFieldOpen || !mFieldCanvas) return;
  X11Canvas& canvas = *mFieldCanvas;
  const int w = mFieldSurface->width(), h = mFieldSurface->height();
  canvas.fill(0, 0, w, h, mField.backgroundColour);
  canvas.frame(0, 0, w, h, X11Canvas::kLine);
  const int textW = X11Canvas::textWidth(mField.text, mField.fontName, mField.fontSize);
  const int room = w - 2 * kFieldPad;
  int x = kFieldPad;
  if (textW < room && mField.align == VIEW_TextField::kCentre) x += (room - textW) / 2;
  if (textW < room && mField.align == VIEW_TextField::kRight) x += room - textW;
  const int caretX = X11Canvas::textWidth(mField.text.substr(0, (size_t)mField.caret),
                                          mField.fontName, mField.fontSize);
  if (textW > room) x = std::min(kFieldPad, room + kFieldPad - caretX);  // keep the caret in view
  uint32_t colour = mField.textColour;
  if (mField.selected && !mField.text.empty()) {
    canvas.fill(x, 2, textW, h - 4, X11Canvas::kHighlight);
    colour = X11Canvas::kHighlightText;
  }
  canvas.text(mField.text, x, 0, textW + 2, h, colour, DT_LEFT | DT_VCENTER, mField.fontName,
              mField.fontSize);
  if (!mField.selected) canvas.fill(x + caretX, 3, 1, h - 6, mField.textColour);
  mFieldSurface->put(canvas.pixels(), canvas.span(), 0, 0, w, h);
  XFlush(mDisplay->display());
}

// ---- Cursor ------------------------------------------------------------------

bool VIEW_X11View::setCursorHidden(bool hidden) {
  Display* d = mDisplay->display();
  X11ErrorTrap trap(d);
  if (hidden)
    XDefineCursor(d, mSurface->window(), mDisplay->blankCursor());
  else
    XUndefineCursor(d, mSurface->window());
  mCursorHidden = hidden;
  return !trap.failed();
}

bool VIEW_X11View::pointer(int* x, int* y) {
  Window root, child;
  int winX, winY;
  unsigned mask;
  return XQueryPointer(mDisplay->display(), mDisplay->root(), &root, &child, x, y, &winX, &winY,
                       &mask);
}

void VIEW_X11View::warpPointer(int x, int y) {
  XWarpPointer(mDisplay->display(), None, mDisplay->root(), 0, 0, 0, 0, x, y);
  XFlush(mDisplay->display());
}
