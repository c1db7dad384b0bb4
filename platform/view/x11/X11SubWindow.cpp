#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <set>

#include "platform/view/Backend.h"
#include "platform/view/x11/X11Display.h"

// Sub-windows hold the connection open while they live.
namespace {

std::set<Window> gSubWindows;

Window WindowOf(void* handle) {
  return (Window) reinterpret_cast<uintptr_t>(handle);
}

// Asks the window manager for no frame, title or border.
void Borderless(Display* d, Window window) {
  struct {
    unsigned long flags, functions, decorations;
    long inputMode;
    unsigned long status;
  } hints = {2, 0, 0, 0, 0};  // the decorations field counts, and says none
  const Atom atom = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  XChangeProperty(d, window, atom, atom, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&hints), 5);
}

// The sub-window over the host's window, or 0 when the host's window is gone. The trap ends
// here, before the caller may close the connection.
Window MakeSubWindow(X11Display* display, Window host, int width, int height) {
  Display* d = display->display();
  X11ErrorTrap trap(d);
  XWindowAttributes frame{};
  int hostX = 0, hostY = 0;
  Window child = None;
  if (!XGetWindowAttributes(d, host, &frame) ||
      !XTranslateCoordinates(d, host, display->root(), 0, 0, &hostX, &hostY, &child) ||
      trap.failed())
    return 0;
  int x = 0, y = 0;
  VIEW_SubWindowPlace(hostX, hostY, frame.width, width, &x, &y);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  const Window window =
      XCreateWindow(d, display->root(), x, y, (unsigned)width, (unsigned)height, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixmap, &attributes);
  if (trap.failed()) return 0;
  Borderless(d, window);
  XSetTransientForHint(d, window, host);  // kept above the host's window
  XSizeHints place{};
  place.flags = USPosition | PPosition;
  place.x = x, place.y = y;
  XSetWMNormalHints(d, window, &place);
  XMapRaised(d, window);
  XFlush(d);
  return window;
}

}  // namespace

void* VIEW_OpenSubWindow(void* hostWindow, int width, int height) {
  const Window host = WindowOf(hostWindow);
  if (!host || width <= 0 || height <= 0) return nullptr;
  X11Display* display = X11Display::acquire();
  if (!display) return nullptr;
  const Window window = MakeSubWindow(display, host, width, height);
  if (!window) {
    display->release();
    return nullptr;
  }
  gSubWindows.insert(window);
  return reinterpret_cast<void*>((uintptr_t)window);
}

void VIEW_CloseSubWindow(void* subWindow) {
  const auto found = gSubWindows.find(WindowOf(subWindow));
  if (found == gSubWindows.end()) return;
  gSubWindows.erase(found);
  X11Display* display = X11Display::acquire();
  {
    X11ErrorTrap trap(display->display());
    XDestroyWindow(display->display(), WindowOf(subWindow));
  }
  display->release();
  display->release();  // the hold of the opening
}

bool VIEW_ResizeHostWindow(void* window, int width, int height) {
  const Window host = WindowOf(window);
  if (!host || width <= 0 || height <= 0) return false;
  X11Display* display = X11Display::acquire();
  if (!display) return false;
  bool failed;
  {
    X11ErrorTrap trap(display->display());
    XResizeWindow(display->display(), host, (unsigned)width, (unsigned)height);
    failed = trap.failed();
  }
  display->release();
  return !failed;
}
