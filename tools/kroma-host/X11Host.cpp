#include "tools/kroma-host/X11Host.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
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
  // The input connection looks at the plug-in's menus and dialogs, which may be gone by then:
  // that is no error of the plug-in's.
  if (sHost && display == sHost->mInput) return 0;
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
  std::lock_guard<std::mutex> lock(mWindowsMutex);
  mWindows.push_back(window);
  return window;
}

void X11Host::closeWindow(Window window) {
  XDestroyWindow(mDisplay, window);
  XSync(mDisplay, False);
  std::lock_guard<std::mutex> lock(mWindowsMutex);
  mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
}

void X11Host::pump() {
  while (XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
  }
}

bool X11Host::screenshot(Window window, const std::string& file, std::string& why) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(mDisplay, window, &attributes)) {
    why = "no such window";
    return false;
  }
  // The server keeps no pixels of what lies off the screen: reading them is an error.
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(mDisplay, window, attributes.root, 0, 0, &x, &y, &child);
  const int screenW = WidthOfScreen(attributes.screen), screenH = HeightOfScreen(attributes.screen);
  if (x < 0 || y < 0 || x + attributes.width > screenW || y + attributes.height > screenH) {
    why = std::to_string(attributes.width) + "x" + std::to_string(attributes.height) + " at " +
          std::to_string(x) + "," + std::to_string(y) + " reaches past the " +
          std::to_string(screenW) + "x" + std::to_string(screenH) + " screen";
    return false;
  }
  XImage* image = XGetImage(mDisplay, window, 0, 0, (unsigned)attributes.width,
                            (unsigned)attributes.height, AllPlanes, ZPixmap);
  if (!image) {
    why = "the server gave no picture";
    return false;
  }
  GFX_MemBitmap shot(attributes.width, attributes.height);
  for (int row = 0; row < attributes.height; ++row)
    for (int column = 0; column < attributes.width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      shot.getBits()[row * shot.getRowSpan() + column] = GFX_Pixel(
          255, (int)ChannelOf(pixel, image->red_mask), (int)ChannelOf(pixel, image->green_mask),
          (int)ChannelOf(pixel, image->blue_mask));
    }
  XDestroyImage(image);
  if (GFX_WritePNG(file.c_str(), &shot)) return true;
  why = "the file could not be written";
  return false;
}

namespace {

bool IsNumber(const std::string& word) {
  return !word.empty() && word.find_first_not_of("0123456789-") == std::string::npos;
}

// The words of a step's text one by one; the rest of it as written.
class Words {
 public:
  explicit Words(const std::string& text) : mText(text) {}
  // The next word, "" at the end.
  std::string peek() const {
    const size_t from = mText.find_first_not_of(" \t", mAt);
    if (from == std::string::npos) return "";
    return mText.substr(from, mText.find_first_of(" \t", from) - from);
  }
  std::string next() {
    const std::string word = peek();
    if (!word.empty()) mAt = mText.find(word, mAt) + word.size();
    return word;
  }
  // What follows the next blank up to the end; with a double quote there, up to the closing
  // one, false when it is missing.
  bool text(std::string& out) {
    const size_t from = std::min(mAt + 1, mText.size());
    if (mText.compare(from, 1, "\"") != 0) {
      out = mText.substr(from);
      mAt = mText.size();
      return true;
    }
    const size_t end = mText.find('"', from + 1);
    if (end == std::string::npos) return false;
    out = mText.substr(from + 1, end - from - 1);
    mAt = end + 1;
    return true;
  }

 private:
  const std::string& mText;
  size_t mAt = 0;
};

}  // namespace

bool X11Host::parse(const std::string& text, std::vector<Action>& actions, std::string& error) {
  Words words(text);
  for (std::string word = words.next(); !word.empty(); word = words.next()) {
    Action action{word};
    const int numbers = word == "move" || word == "click"      ? 2
                        : word == "press" || word == "release" ? 1
                                                               : 0;
    if (word == "type") {
      action.emplace_back();
      if (!words.text(action.back())) error = "type: no closing quote";
    } else if (word == "menu") {
      while (!words.peek().empty()) action.push_back(words.next());
      if (action.size() < 2) error = "menu: no keys";
    } else if (word == "key") {
      action.push_back(words.next());
      if (action.back().empty()) error = "key: no key named";
    } else if (!numbers && word != "dialog") {
      error = "no action " + word;
    }
    for (int i = 0; i < numbers && error.empty(); ++i) {
      action.push_back(words.next());
      if (!IsNumber(action.back())) error = word + ": a number is missing";
    }
    if (word == "click" && IsNumber(words.peek())) action.push_back(words.next());
    if (!error.empty()) return false;
    actions.push_back(action);
  }
  if (actions.empty()) error = "no action";
  return !actions.empty();
}

void X11Host::schedule(int delay, Window window, std::vector<Action> actions, int line) {
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mDisplay, window, DefaultRootWindow(mDisplay), 0, 0, &rootX, &rootY,
                        &child);
  mPlayers.emplace_back([this, delay, actions, rootX, rootY, line] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    playStep(actions, rootX, rootY, line);
  });
}

std::vector<X11Host::Failure> X11Host::takeFailures() {
  std::vector<Failure> taken;
  std::lock_guard<std::mutex> lock(mFailureMutex);
  taken.swap(mFailures);
  return taken;
}

void X11Host::fail(int line, const std::string& text) {
  std::lock_guard<std::mutex> lock(mFailureMutex);
  mFailures.push_back({line, text});
}

void X11Host::playStep(const std::vector<Action>& actions, int rootX, int rootY, int line) {
  Window dialog = None;
  std::string what = "x-input";
  for (const Action& action : actions)
    for (const std::string& word : action) what += " " + word;
  for (const Action& action : actions) {
    if (action[0] == "menu") {
      if (!playMenu(action, line)) return;
      continue;
    }
    if (action[0] == "dialog") {
      const auto deadline = std::chrono::steady_clock::now() + kMenuWait;
      while (!(dialog = focusedDialog()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kPoll);
      if (!dialog) return fail(line, what + ": no dialog took the keyboard in 30 s");
      std::lock_guard<std::mutex> lock(mInputMutex);
      Window child;
      XTranslateCoordinates(mInput, dialog, DefaultRootWindow(mInput), 0, 0, &rootX, &rootY,
                            &child);
      continue;
    }
    std::lock_guard<std::mutex> lock(mInputMutex);
    play(action, rootX, rootY, None);
    XSync(mInput, False);
  }
  if (!dialog) return;
  const auto deadline = std::chrono::steady_clock::now() + kMenuCloseWait;
  while (viewable(dialog) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(kPoll);
  if (!viewable(dialog)) return;
  fail(line, what + ": the dialog still shows after the actions; closed with Escape");
  // Each Escape dismisses one window: a question asked over the dialog, then the dialog.
  for (int escapes = 0; escapes < 4 && viewable(dialog); ++escapes) {
    {
      std::lock_guard<std::mutex> lock(mInputMutex);
      key(XK_Escape);
      XSync(mInput, False);
    }
    const auto gone = std::chrono::steady_clock::now() + kEscapeWait;
    while (viewable(dialog) && std::chrono::steady_clock::now() < gone)
      std::this_thread::sleep_for(kPoll);
  }
}

// The keys pick an item, which closes the menu: a menu still shown after them (the last key
// opened a sub-menu, or lit no item) is closed with Escape, so that the host does not wait in
// it for ever.
bool X11Host::playMenu(const Action& action, int line) {
  std::string what = "x-input";
  for (const std::string& word : action) what += " " + word;
  const Window menu = awaitMenu();
  if (!menu) {
    fail(line, what + ": no popup menu showed in 30 s");
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mInputMutex);
    play(action, 0, 0, menu);
    XSync(mInput, False);
  }
  const size_t levels = awaitMenuGone(kMenuCloseWait);
  if (!levels) return true;
  fail(line, what + ": the menu still shows after the keys, " + std::to_string(levels) +
                 (levels > 1 ? " levels deep (a sub-menu opened)" : " level deep") +
                 "; closed with Escape");
  // Each Escape leaves a level, or the lit item of the deepest one.
  for (size_t escapes = 0; escapes < 2 * levels && !shownMenus().empty(); ++escapes) {
    {
      std::lock_guard<std::mutex> lock(mInputMutex);
      keyTo(menu, "Escape");
      XSync(mInput, False);
    }
    awaitMenuGone(kEscapeWait);
  }
  return false;
}

void X11Host::play(const Action& action, int rootX, int rootY, Window menu) {
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
    keyCombination(action[1]);
  } else if (what == "type" && action.size() > 1) {
    for (unsigned c : CodePoints(action[1])) typeCharacter(SymbolOf(c));
  } else if (what == "menu" && menu) {
    for (size_t i = 1; i < action.size(); ++i) keyTo(menu, action[i]);
  }
}

void X11Host::keyCombination(const std::string& names) {
  std::vector<KeyCode> held;
  size_t from = 0;
  for (size_t plus; (plus = names.find('+', from)) != std::string::npos; from = plus + 1) {
    const KeyCode code = keycodeFor(XStringToKeysym(names.substr(from, plus - from).c_str()));
    if (!code) continue;
    XTestFakeKeyEvent(mInput, code, True, CurrentTime);
    held.push_back(code);
  }
  key(XStringToKeysym(names.substr(from).c_str()));
  for (auto it = held.rbegin(); it != held.rend(); ++it)
    XTestFakeKeyEvent(mInput, *it, False, CurrentTime);
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

Window X11Host::focusedDialog() {
  std::lock_guard<std::mutex> lock(mInputMutex);
  Window window = None, root = None, parent = None, *children = nullptr;
  int revert = 0;
  unsigned count = 0;
  XGetInputFocus(mInput, &window, &revert);
  const Window top = DefaultRootWindow(mInput);
  if (window == None || window == PointerRoot || window == top) return None;
  // Up to the top-level window that holds the focused one.
  for (; XQueryTree(mInput, window, &root, &parent, &children, &count); window = parent) {
    if (children) XFree(children);
    if (parent == top || parent == None) break;
  }
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(mInput, window, &attributes) || attributes.override_redirect ||
      attributes.map_state != IsViewable)
    return None;
  std::lock_guard<std::mutex> windows(mWindowsMutex);
  return std::find(mWindows.begin(), mWindows.end(), window) == mWindows.end() ? window : None;
}

bool X11Host::viewable(Window window) {
  std::lock_guard<std::mutex> lock(mInputMutex);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(mInput, window, &attributes) && attributes.map_state == IsViewable;
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
