#include "tools/kroma-host/X11Host.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/gfx/Png.h"
#include "tools/kroma-host/HostCallback.h"

int X11Host::sErrors = 0;
X11Host* X11Host::sHost = nullptr;

namespace {

constexpr auto kMapWait = std::chrono::seconds(5);
constexpr auto kMenuWait = std::chrono::seconds(30);
// How long a menu may take to close once its keys went out.
constexpr auto kMenuCloseWait = std::chrono::seconds(10);
constexpr auto kEscapeWait = std::chrono::milliseconds(500);
constexpr auto kPoll = std::chrono::milliseconds(10);

unsigned ChannelOf(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  const int shift = __builtin_ctzl(mask);
  const unsigned long top = mask >> shift;
  return (unsigned)(((pixel & mask) >> shift) * 255 / top);
}

// The code points of a UTF-8 text.
std::vector<unsigned> CodePoints(const std::string& text) {
  std::vector<unsigned> out;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80 && !out.empty())
      out.back() = out.back() << 6 | (c & 0x3F);
    else
      out.push_back(c >= 0xF0 ? c & 0x07 : c >= 0xE0 ? c & 0x0F : c >= 0xC0 ? c & 0x1F : c);
  }
  return out;
}

// Latin-1 characters are their own key symbols; the others have one in the Unicode range.
KeySym SymbolOf(unsigned character) {
  return character < 0x100 ? character : 0x1000000 | character;
}

}  // namespace

X11Host* X11Host::instance() {
  if (sHost) return sHost;
  Display* display = XOpenDisplay(nullptr);
  Display* input = display ? XOpenDisplay(nullptr) : nullptr;
  int event, error, major, minor;
  if (!input || !XTestQueryExtension(input, &event, &error, &major, &minor)) {
    if (input) XCloseDisplay(input);
    if (display) XCloseDisplay(display);
    return nullptr;
  }
  sHost = new X11Host;
  sHost->mDisplay = display;
  sHost->mInput = input;
  XSetErrorHandler(&X11Host::countError);
  return sHost;
}

void X11Host::joinPlayers() {
  for (std::thread& player : mPlayers) player.join();
  mPlayers.clear();
}

X11Host::~X11Host() {
  joinPlayers();
  XCloseDisplay(mInput);
  XCloseDisplay(mDisplay);
}

int X11Host::countError(Display* display, XErrorEvent* error) {
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof text);
  ++sErrors;
  HostCallback::instance().print("x error: " + std::string(text) + " (request " +
                                 std::to_string(error->request_code) + ")");
  return 0;
}

Window X11Host::openWindow(int x, int y, int width, int height) {
  const int screen = DefaultScreen(mDisplay);
  Window window = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), x, y, (unsigned)width,
                                      (unsigned)height, 0, BlackPixel(mDisplay, screen),
                                      BlackPixel(mDisplay, screen));
  XSelectInput(mDisplay, window, StructureNotifyMask);
  XStoreName(mDisplay, window, "kroma-host");
  XMapWindow(mDisplay, window);
  const auto deadline = std::chrono::steady_clock::now() + kMapWait;
  XEvent event;
  while (std::chrono::steady_clock::now() < deadline) {
    if (XCheckTypedWindowEvent(mDisplay, window, MapNotify, &event)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  XSync(mDisplay, False);
  return window;
}

void X11Host::closeWindow(Window window) {
  XDestroyWindow(mDisplay, window);
  XSync(mDisplay, False);
}

void X11Host::pump() {
  while (XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
  }
}

bool X11Host::screenshot(Window window, const std::string& file) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(mDisplay, window, &attributes)) return false;
  XImage* image = XGetImage(mDisplay, window, 0, 0, (unsigned)attributes.width,
                            (unsigned)attributes.height, AllPlanes, ZPixmap);
  if (!image) return false;
  GFX_MemBitmap shot(attributes.width, attributes.height);
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      shot.getBits()[y * shot.getRowSpan() + x] = GFX_Pixel(
          255, (int)ChannelOf(pixel, image->red_mask), (int)ChannelOf(pixel, image->green_mask),
          (int)ChannelOf(pixel, image->blue_mask));
    }
  XDestroyImage(image);
  return GFX_WritePNG(file.c_str(), &shot);
}

bool X11Host::schedule(int delay, Window window, const std::vector<std::string>& action) {
  if (action.empty()) return false;
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mDisplay, window, DefaultRootWindow(mDisplay), 0, 0, &rootX, &rootY,
                        &child);
  mPlayers.emplace_back([this, delay, action, rootX, rootY] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    if (action[0] == "menu") return playMenu(action);
    std::lock_guard<std::mutex> lock(mInputMutex);
    play(action, rootX, rootY, None);
    XSync(mInput, False);
  });
  return true;
}

std::vector<std::string> X11Host::takeFailures() {
  std::vector<std::string> taken;
  std::lock_guard<std::mutex> lock(mFailureMutex);
  taken.swap(mFailures);
  return taken;
}

void X11Host::fail(const std::string& text) {
  std::lock_guard<std::mutex> lock(mFailureMutex);
  mFailures.push_back(text);
}

// The keys pick an item, which closes the menu: a menu still shown after them (the last key
// opened a sub-menu, or lit no item) is closed with Escape, so that the host does not wait in
// it for ever.
void X11Host::playMenu(const std::vector<std::string>& action) {
  std::string what = "x-input";
  for (const std::string& word : action) what += " " + word;
  const Window menu = awaitMenu();
  if (!menu) return fail(what + ": no popup menu showed in 30 s");
  {
    std::lock_guard<std::mutex> lock(mInputMutex);
    play(action, 0, 0, menu);
    XSync(mInput, False);
  }
  const size_t levels = awaitMenuGone(kMenuCloseWait);
  if (!levels) return;
  fail(what + ": the menu still shows after the keys, " + std::to_string(levels) +
       (levels > 1 ? " levels deep (a sub-menu opened)" : " level deep") + "; closed with Escape");
  // Each Escape leaves a level, or the lit item of the deepest one.
  for (size_t escapes = 0; escapes < 2 * levels && !shownMenus().empty(); ++escapes) {
    {
      std::lock_guard<std::mutex> lock(mInputMutex);
      keyTo(menu, "Escape");
      XSync(mInput, False);
    }
    awaitMenuGone(kEscapeWait);
  }
}

void X11Host::play(const std::vector<std::string>& action, int rootX, int rootY, Window menu) {
  const std::string& what = action[0];
  auto number = [&](size_t i, int fallback) {
    return i < action.size() ? std::atoi(action[i].c_str()) : fallback;
  };
  if (what == "move" || what == "click") {
    XTestFakeMotionEvent(mInput, -1, rootX + number(1, 0), rootY + number(2, 0), CurrentTime);
    if (what == "move") return;
    XTestFakeButtonEvent(mInput, (unsigned)number(3, 1), True, CurrentTime);
    XTestFakeButtonEvent(mInput, (unsigned)number(3, 1), False, CurrentTime);
  } else if (what == "press" || what == "release") {
    XTestFakeButtonEvent(mInput, (unsigned)number(1, 1), what == "press", CurrentTime);
  } else if (what == "key" && action.size() > 1) {
    key(XStringToKeysym(action[1].c_str()));
  } else if (what == "type" && action.size() > 1) {
    for (unsigned c : CodePoints(action[1])) typeCharacter(SymbolOf(c));
  } else if (what == "menu" && menu) {
    for (size_t i = 1; i < action.size(); ++i) keyTo(menu, action[i]);
  }
}

void X11Host::typeCharacter(KeySym symbol) {
  const KeyCode code = keycodeFor(symbol);
  if (!code) return;
  const bool shift = XkbKeycodeToKeysym(mInput, code, 0, 0) != symbol;
  const KeyCode shiftCode = XKeysymToKeycode(mInput, XK_Shift_L);
  if (shift) XTestFakeKeyEvent(mInput, shiftCode, True, CurrentTime);
  key(symbol);
  if (shift) XTestFakeKeyEvent(mInput, shiftCode, False, CurrentTime);
}

// Menus are the only override-redirect windows the editor shows; a sub-menu is one more.
std::vector<Window> X11Host::shownMenus() {
  std::vector<Window> menus;
  std::lock_guard<std::mutex> lock(mInputMutex);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  XQueryTree(mInput, DefaultRootWindow(mInput), &root, &parent, &children, &count);
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(mInput, children[i], &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      menus.push_back(children[i]);
  }
  if (children) XFree(children);
  return menus;
}

Window X11Host::awaitMenu() {
  const auto deadline = std::chrono::steady_clock::now() + kMenuWait;
  while (std::chrono::steady_clock::now() < deadline) {
    const std::vector<Window> menus = shownMenus();
    if (!menus.empty()) return menus.back();
    std::this_thread::sleep_for(kPoll);
  }
  return None;
}

size_t X11Host::awaitMenuGone(std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  size_t levels = shownMenus().size();
  while (levels && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kPoll);
    levels = shownMenus().size();
  }
  return levels;
}

// Sent to the menu itself: a key played into the server could come before the menu holds the
// keyboard and go to the window that had it.
void X11Host::keyTo(Window menu, const std::string& name) {
  XEvent event{};
  XKeyEvent& key = event.xkey;
  key.display = mInput;
  key.window = menu;
  key.root = DefaultRootWindow(mInput);
  key.time = CurrentTime;
  key.same_screen = True;
  key.keycode = XKeysymToKeycode(mInput, XStringToKeysym(name.c_str()));
  key.type = KeyPress;
  XSendEvent(mInput, menu, False, KeyPressMask, &event);
}

// A character the keyboard lacks (é on the server's US keyboard) goes on a key that has no
// symbol, as a layout that has it would.
KeyCode X11Host::keycodeFor(KeySym symbol) {
  const KeyCode code = XKeysymToKeycode(mInput, symbol);
  if (code) return code;
  int low = 0, high = 0, perKey = 0;
  XDisplayKeycodes(mInput, &low, &high);
  KeySym* map = XGetKeyboardMapping(mInput, (KeyCode)low, high - low + 1, &perKey);
  if (!map) return 0;
  KeyCode spare = 0;
  for (int k = high; k >= low && !spare; --k) {
    bool empty = true;
    for (int i = 0; i < perKey; ++i) empty = empty && map[(k - low) * perKey + i] == NoSymbol;
    if (empty) spare = (KeyCode)k;
  }
  XFree(map);
  if (!spare) return 0;
  KeySym both[2] = {symbol, symbol};
  XChangeKeyboardMapping(mInput, spare, 2, both, 1);
  XSync(mInput, False);
  return spare;
}

void X11Host::key(KeySym symbol) {
  const KeyCode code = keycodeFor(symbol);
  if (!code) return;
  XTestFakeKeyEvent(mInput, code, True, CurrentTime);
  XTestFakeKeyEvent(mInput, code, False, CurrentTime);
}
