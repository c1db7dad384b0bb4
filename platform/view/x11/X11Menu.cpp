#include "platform/view/x11/detail/X11Menu.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/view/x11/X11Surface.h"
#include "platform/view/x11/detail/X11Canvas.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

constexpr long kMenuEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                             PointerMotionMask | KeyPressMask | StructureNotifyMask;
constexpr int kRowPad = 4;
constexpr int kSeparatorHeight = 7;
constexpr int kCheckWidth = 22;
constexpr int kArrowWidth = 20;
constexpr int kIndent = 12;
constexpr int kMinWidth = 80;
// A menu taller than the screen shows a part of its items between two strips that scroll it
// while the pointer rests on them; the wheel scrolls it too.
constexpr int kStripHeight = 16;
constexpr int kWheelRows = 3;
constexpr auto kScrollPause = std::chrono::milliseconds(25);
// What lies under a point of a scrolling menu besides its items.
constexpr int kUpStrip = -2, kDownStrip = -3;
// How long a grab of the pointer or the keyboard is tried while another client holds it.
constexpr int kGrabTries = 20;
constexpr auto kGrabPause = std::chrono::milliseconds(10);

void Grab(const std::function<int()>& grab) {
  for (int tries = 0; tries < kGrabTries && grab() != GrabSuccess; ++tries)
    std::this_thread::sleep_for(kGrabPause);
}
constexpr auto kMapWait = std::chrono::seconds(1);

bool Navigable(const VIEW_Menu::Item& item) {
  return item.subMenu ? !(item.flags & VIEW_Menu::kDisabled) : VIEW_MenuSelectable(item);
}

struct Level {
  const VIEW_Menu* menu;
  std::unique_ptr<X11Surface> surface;
  std::unique_ptr<X11Canvas> canvas;
  std::vector<int> tops;  // each item's top in the whole menu; one more entry: its height
  int x = 0, y = 0;
  int hot = -1;
  bool mapped = false;
  bool scrolls = false;  // taller than the screen
  int scroll = 0;        // how far the items have moved up

  int height() const { return surface->height(); }
  // Where an item's top in the whole menu lies in the window.
  int offset() const { return scrolls ? kStripHeight - 1 - scroll : 0; }
  int maxScroll() const {
    return scrolls ? std::max(0, tops.back() - 1 + 2 * kStripHeight - height()) : 0;
  }
};

class MenuRun : public X11Handler, private X11Ticker {
 public:
  explicit MenuRun(X11Display* display) : mDisplay(display) { mDisplay->addTicker(this); }
  ~MenuRun() override {
    mDisplay->removeTicker(this);
    while (!mLevels.empty()) closeFrom(0);
    Display* d = mDisplay->display();
    XUngrabPointer(d, CurrentTime);
    XUngrabKeyboard(d, CurrentTime);
    XFlush(d);
  }

  VIEW_MenuChoice run(const VIEW_Menu& menu, int x, int y) {
    if (!open(menu, x, y)) return {};
    Display* d = mDisplay->display();
    const Window top = mLevels[0]->surface->window();
    const auto deadline = std::chrono::steady_clock::now() + kMapWait;
    mDisplay->runModal(
        [&] { return mLevels[0]->mapped || std::chrono::steady_clock::now() > deadline; }, this);
    // Every press and key comes to the menu, also over the editor's own windows: a click outside
    // the menu closes it and does nothing else.
    Grab([&] {
      return XGrabPointer(d, top, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                          GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    });
    Grab([&] { return XGrabKeyboard(d, top, False, GrabModeAsync, GrabModeAsync, CurrentTime); });
    mDisplay->runModal([&] { return mDone; }, this);
    return mChoice;
  }

  void handleEvent(XEvent& event) override {
    switch (event.type) {
      case MapNotify:
        for (auto& level : mLevels)
          if (level->surface->window() == event.xmap.window) level->mapped = true;
        break;
      case Expose:
        for (size_t i = 0; i < mLevels.size(); ++i)
          if (mLevels[i]->surface->window() == event.xexpose.window) draw(i);
        break;
      case MotionNotify:
        hover(event.xmotion.x_root, event.xmotion.y_root);
        break;
      case ButtonPress:
        press(event.xbutton, true);
        break;
      case ButtonRelease:
        press(event.xbutton, false);
        break;
      case KeyPress:
        key(event.xkey);
        break;
      default:
        break;
    }
  }

 private:
  static int rowHeight() { return X11Canvas::lineHeight() + 2 * kRowPad; }

  bool open(const VIEW_Menu& menu, int x, int y) {
    auto level = std::make_unique<Level>();
    level->menu = &menu;
    int width = kMinWidth, top = 1;
    for (int i = 0; i < menu.size(); ++i) {
      const VIEW_Menu::Item& item = menu.item(i);
      level->tops.push_back(top);
      top += (item.flags & VIEW_Menu::kSeparator) ? kSeparatorHeight : rowHeight();
      const int indent = (item.flags & VIEW_Menu::kIndented) ? kIndent : 0;
      width =
          std::max(width, kCheckWidth + indent + X11Canvas::textWidth(item.title) + kArrowWidth);
    }
    level->tops.push_back(top);
    const int screenHeight = mDisplay->screenHeight();
    level->scrolls = top + 1 > screenHeight;
    const int height = std::min(top + 1, screenHeight);
    level->x = std::clamp(x, 0, std::max(0, mDisplay->screenWidth() - width));
    level->y = std::clamp(y, 0, std::max(0, screenHeight - height));
    level->surface = std::make_unique<X11Surface>(mDisplay, 0, level->x, level->y, width, height,
                                                  kMenuEvents, true);
    if (!level->surface->ok()) return false;
    level->canvas = std::make_unique<X11Canvas>(width, height);
    mDisplay->add(level->surface->window(), this);
    XMapRaised(mDisplay->display(), level->surface->window());
    mLevels.push_back(std::move(level));
    draw(mLevels.size() - 1);
    return true;
  }

  void closeFrom(size_t first) {
    if (mStripLevel >= (int)first) mStripLevel = -1;
    while (mLevels.size() > first) {
      mDisplay->remove(mLevels.back()->surface->window());
      mLevels.pop_back();
    }
  }

  // The level and item (or scrolling strip) under a screen point; level -1 outside every menu.
  std::pair<int, int> hit(int x, int y) const {
    for (int l = (int)mLevels.size() - 1; l >= 0; --l) {
      const Level& level = *mLevels[(size_t)l];
      const int lx = x - level.x, ly = y - level.y;
      if (lx < 0 || ly < 0 || lx >= level.surface->width() || ly >= level.height()) continue;
      if (level.scrolls && ly < kStripHeight) return {l, kUpStrip};
      if (level.scrolls && ly >= level.height() - kStripHeight) return {l, kDownStrip};
      const int at = ly - level.offset();
      for (int i = 0; i < level.menu->size(); ++i)
        if (at >= level.tops[(size_t)i] && at < level.tops[(size_t)i + 1]) return {l, i};
      return {l, -1};
    }
    return {-1, -1};
  }

  // Lights an item (-1: none) and opens its sub-menu beside it; `reveal` first scrolls it wholly
  // into view.
  void setHot(size_t l, int item, bool reveal = false) {
    Level& level = *mLevels[l];
    const VIEW_Menu* sub = nullptr;
    if (item >= 0 && Navigable(level.menu->item(item))) sub = level.menu->item(item).subMenu.get();
    if (sub && sub->size() == 0) sub = nullptr;
    const bool shown =
        sub ? mLevels.size() > l + 1 && mLevels[l + 1]->menu == sub : mLevels.size() == l + 1;
    if (level.hot == item && shown) return;
    level.hot = item;
    if (reveal && item >= 0) scrollTo(level, item);
    closeFrom(l + 1);
    draw(l);
    if (!sub) return;
    const int width = level.surface->width();
    int x = level.x + width - 2;
    const int y = level.y + level.tops[(size_t)item] + level.offset() - 1;
    open(*sub, x, y);
    Level& opened = *mLevels.back();
    // No room on the right: the sub-menu opens to the left.
    if (x + opened.surface->width() > mDisplay->screenWidth()) {
      opened.x = std::max(0, level.x - opened.surface->width() + 2);
      XMoveWindow(mDisplay->display(), opened.surface->window(), opened.x, opened.y);
    }
  }

  // Scrolls so that the item shows whole between the strips.
  static void scrollTo(Level& level, int item) {
    if (!level.scrolls) return;
    const int top = level.tops[(size_t)item] + level.offset();
    const int bottom = level.tops[(size_t)item + 1] + level.offset();
    const int last = level.height() - kStripHeight;
    if (top < kStripHeight)
      level.scroll -= kStripHeight - top;
    else if (bottom > last)
      level.scroll += bottom - last;
    level.scroll = std::clamp(level.scroll, 0, level.maxScroll());
  }

  void scrollBy(size_t l, int amount) {
    Level& level = *mLevels[l];
    const int to = std::clamp(level.scroll + amount, 0, level.maxScroll());
    if (to == level.scroll) return;
    level.scroll = to;
    closeFrom(l + 1);  // it opened beside an item that moved
    draw(l);
  }

  // While the pointer rests on a strip, the timer scrolls its menu a row at a time.
  void runDue() override {
    if (mStripLevel < 0 || std::chrono::steady_clock::now() < mNextScroll) return;
    mNextScroll = std::chrono::steady_clock::now() + kScrollPause;
    scrollBy((size_t)mStripLevel, mStripDirection * rowHeight());
  }
  std::chrono::steady_clock::time_point nextDue() const override {
    return mStripLevel >= 0 ? mNextScroll : std::chrono::steady_clock::time_point::max();
  }

  void hover(int x, int y) {
    if (mEndingButton) return;
    const auto [l, item] = hit(x, y);
    const int direction = item == kUpStrip ? -1 : item == kDownStrip ? 1 : 0;
    if (l < 0 || !direction) {
      mStripLevel = -1;
    } else if (mStripLevel != l || mStripDirection != direction) {
      mStripLevel = l;
      mStripDirection = direction;
      mNextScroll = std::chrono::steady_clock::now();
    }
    if (l < 0 || direction) return;
    if (item >= 0 && Navigable(mLevels[(size_t)l]->menu->item(item))) {
      mEntered = true;
      setHot((size_t)l, item);
    } else if (item >= 0) {
      setHot((size_t)l, -1);
    }
  }

  // A press that picks or dismisses ends the menu with its release, so that neither reaches the
  // editor below. The wheel scrolls the menu under the pointer.
  void press(const XButtonEvent& event, bool down) {
    const auto [l, item] = hit(event.x_root, event.y_root);
    if (event.button == Button4 || event.button == Button5) {
      const int rows = event.button == Button4 ? -kWheelRows : kWheelRows;
      if (down && l >= 0) scrollBy((size_t)l, rows * rowHeight());
      return;
    }
    if (event.button > Button3) return;
    if (mEndingButton) {
      if (!down && event.button == mEndingButton) mDone = true;
      return;
    }
    if (l < 0) {
      if (down) mEndingButton = event.button;  // a click outside dismisses
      return;
    }
    if (down) mEntered = true;
    if (item < 0 || !mEntered) return;
    const VIEW_Menu::Item& entry = mLevels[(size_t)l]->menu->item(item);
    if (!VIEW_MenuSelectable(entry) || entry.subMenu) return;
    mChoice = VIEW_MenuChoice{mLevels[(size_t)l]->menu, item};
    if (down)
      mEndingButton = event.button;
    else
      mDone = true;
  }

  void choose(size_t l, int item) {
    mChoice = VIEW_MenuChoice{mLevels[l]->menu, item};
    mDone = true;
  }

  // The next navigable item from one, in a direction; -1 when none.
  static int step(const VIEW_Menu& menu, int from, int direction) {
    for (int n = 1; n <= menu.size(); ++n) {
      const int i =
          ((from < 0 && direction < 0 ? 0 : from) + direction * n + menu.size() * 2) % menu.size();
      if (Navigable(menu.item(i))) return i;
    }
    return -1;
  }

  void key(XKeyEvent& event) {
    if (mEndingButton) return;
    KeySym symbol = XLookupKeysym(&event, 0);
    // The keys work in the deepest menu with an item lit: a sub-menu that
    // only opened under its item is not entered yet.
    size_t l = mLevels.size() - 1;
    while (l > 0 && mLevels[l]->hot < 0) --l;
    Level& level = *mLevels[l];
    const int hot = level.hot;
    switch (symbol) {
      case XK_Down:
        setHot(l, step(*level.menu, hot, 1), true);
        break;
      case XK_Up:
        setHot(l, step(*level.menu, hot, -1), true);
        break;
      case XK_Right:
        if (hot >= 0 && level.menu->item(hot).subMenu) enterSub(l);
        break;
      case XK_Left:
        if (l > 0) setHot(l, -1);
        break;
      case XK_Return:
      case XK_KP_Enter:
      case XK_space:
        if (hot < 0) break;
        if (level.menu->item(hot).subMenu)
          enterSub(l);
        else if (VIEW_MenuSelectable(level.menu->item(hot)))
          choose(l, hot);
        break;
      case XK_Escape:
        if (l > 0)
          setHot(l, -1);
        else
          mDone = true;
        break;
      default:
        break;
    }
  }

  // Opens the hot item's sub-menu and enters its first item.
  void enterSub(size_t l) {
    setHot(l, mLevels[l]->hot);
    if (mLevels.size() <= l + 1) return;
    setHot(l + 1, step(*mLevels[l + 1]->menu, -1, 1), true);
  }

  void draw(size_t l) {
    Level& level = *mLevels[l];
    X11Canvas& canvas = *level.canvas;
    const int width = level.surface->width(), height = level.height();
    canvas.fill(0, 0, width, height, X11Canvas::kFace);
    for (int i = 0; i < level.menu->size(); ++i) {
      const int top = level.tops[(size_t)i] + level.offset();
      const int bottom = level.tops[(size_t)i + 1] + level.offset();
      if (bottom > 0 && top < height) drawItem(level, i, top, bottom);
    }
    if (level.scrolls) {
      drawStrip(canvas, 0, width, -1, level.scroll > 0);
      drawStrip(canvas, height - kStripHeight, width, 1, level.scroll < level.maxScroll());
    }
    canvas.frame(0, 0, width, height, X11Canvas::kLine);
    level.surface->put(canvas.pixels(), canvas.span(), 0, 0, width, height);
    XFlush(mDisplay->display());
  }

  // Item i between the window rows top and bottom.
  static void drawItem(Level& level, int i, int top, int bottom) {
    X11Canvas& canvas = *level.canvas;
    const int width = level.surface->width();
    const VIEW_Menu::Item& item = level.menu->item(i);
    if (item.flags & VIEW_Menu::kSeparator) {
      canvas.fill(4, (top + bottom) / 2, width - 8, 1, X11Canvas::kLine);
      return;
    }
    const bool hot = i == level.hot;
    if (hot) canvas.fill(1, top, width - 2, bottom - top, X11Canvas::kHighlight);
    uint32_t colour = Navigable(item) ? X11Canvas::kText : X11Canvas::kGreyText;
    if (hot) colour = X11Canvas::kHighlightText;
    const int mid = (top + bottom) / 2;
    if (item.flags & VIEW_Menu::kChecked) {
      canvas.line(6, mid, 9, mid + 3, colour);
      canvas.line(9, mid + 3, 15, mid - 4, colour);
    }
    const int indent = (item.flags & VIEW_Menu::kIndented) ? kIndent : 0;
    canvas.text(item.title, kCheckWidth + indent, top, width - kCheckWidth - indent - kArrowWidth,
                bottom - top, colour, DT_LEFT | DT_VCENTER);
    if (item.subMenu) {
      const int ax = width - 12;
      canvas.line(ax, mid - 4, ax + 4, mid, colour);
      canvas.line(ax + 4, mid, ax, mid + 4, colour);
    }
  }

  // A scrolling strip with its arrow, up (-1) or down (1); grey where the menu ends.
  static void drawStrip(X11Canvas& canvas, int y, int width, int direction, bool enabled) {
    canvas.fill(0, y, width, kStripHeight, X11Canvas::kFace);
    const uint32_t colour = enabled ? X11Canvas::kText : X11Canvas::kGreyText;
    const int tip = y + kStripHeight / 2 + 2 * direction;
    for (int i = 0; i < 5; ++i)
      canvas.fill(width / 2 - i, tip - direction * i, 2 * i + 1, 1, colour);
  }
  X11Display* mDisplay;
  std::vector<std::unique_ptr<Level>> mLevels;
  bool mDone = false;
  bool mEntered = false;
  // The button whose release ends the menu, once a press picked or dismissed.
  unsigned mEndingButton = 0;
  // The level whose strip the pointer rests on (-1: none), the way it scrolls, and when next.
  int mStripLevel = -1;
  int mStripDirection = 0;
  std::chrono::steady_clock::time_point mNextScroll;
  VIEW_MenuChoice mChoice;
};

}  // namespace

VIEW_MenuChoice X11RunMenu(X11Display* display, const VIEW_Menu& menu, int rootX, int rootY) {
  MenuRun run(display);
  return run.run(menu, rootX, rootY);
}
