#include "platform/view/x11/detail/X11Menu.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
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
// How long the pointer grab is tried while another client holds it.
constexpr int kGrabTries = 20;
constexpr auto kGrabPause = std::chrono::milliseconds(10);
constexpr auto kMapWait = std::chrono::seconds(1);

bool Navigable(const VIEW_Menu::Item& item) {
  return item.subMenu ? !(item.flags & VIEW_Menu::kDisabled) : VIEW_MenuSelectable(item);
}

struct Level {
  const VIEW_Menu* menu;
  std::unique_ptr<X11Surface> surface;
  std::unique_ptr<X11Canvas> canvas;
  std::vector<int> tops;  // each item's top; one more entry: the height
  int x = 0, y = 0;
  int hot = -1;
  bool mapped = false;
};

class MenuRun : public X11Handler {
 public:
  explicit MenuRun(X11Display* display) : mDisplay(display) {}
  ~MenuRun() override {
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
    for (int tries = 0; tries < kGrabTries; ++tries) {
      const int grabbed =
          XGrabPointer(d, top, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                       GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
      if (grabbed == GrabSuccess) break;
      std::this_thread::sleep_for(kGrabPause);
    }
    XGrabKeyboard(d, top, False, GrabModeAsync, GrabModeAsync, CurrentTime);
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
        press(event.xbutton.x_root, event.xbutton.y_root, true);
        break;
      case ButtonRelease:
        press(event.xbutton.x_root, event.xbutton.y_root, false);
        break;
      case KeyPress:
        key(event.xkey);
        break;
      default:
        break;
    }
  }

 private:
  bool open(const VIEW_Menu& menu, int x, int y) {
    auto level = std::make_unique<Level>();
    level->menu = &menu;
    const int row = X11Canvas::lineHeight() + 2 * kRowPad;
    int width = kMinWidth, top = 1;
    for (int i = 0; i < menu.size(); ++i) {
      const VIEW_Menu::Item& item = menu.item(i);
      level->tops.push_back(top);
      top += (item.flags & VIEW_Menu::kSeparator) ? kSeparatorHeight : row;
      const int indent = (item.flags & VIEW_Menu::kIndented) ? kIndent : 0;
      width =
          std::max(width, kCheckWidth + indent + X11Canvas::textWidth(item.title) + kArrowWidth);
    }
    level->tops.push_back(top);
    const int height = top + 1;
    level->x = std::clamp(x, 0, std::max(0, mDisplay->screenWidth() - width));
    level->y = std::clamp(y, 0, std::max(0, mDisplay->screenHeight() - height));
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
    while (mLevels.size() > first) {
      mDisplay->remove(mLevels.back()->surface->window());
      mLevels.pop_back();
    }
  }

  // The level and item under a screen point; level -1 outside every menu.
  std::pair<int, int> hit(int x, int y) const {
    for (int l = (int)mLevels.size() - 1; l >= 0; --l) {
      const Level& level = *mLevels[(size_t)l];
      const int lx = x - level.x, ly = y - level.y;
      if (lx < 0 || ly < 0 || lx >= level.surface->width() || ly >= level.surface->height())
        continue;
      for (int i = 0; i < level.menu->size(); ++i)
        if (ly >= level.tops[(size_t)i] && ly < level.tops[(size_t)i + 1]) return {l, i};
      return {l, -1};
    }
    return {-1, -1};
  }

  void setHot(size_t l, int item) {
    Level& level = *mLevels[l];
    const VIEW_Menu* sub = nullptr;
    if (item >= 0 && Navigable(level.menu->item(item))) sub = level.menu->item(item).subMenu.get();
    if (sub && sub->size() == 0) sub = nullptr;
    const bool shown =
        sub ? mLevels.size() > l + 1 && mLevels[l + 1]->menu == sub : mLevels.size() == l + 1;
    if (level.hot == item && shown) return;
    level.hot = item;
    closeFrom(l + 1);
    draw(l);
    if (!sub) return;
    const int width = level.surface->width();
    int x = level.x + width - 2;
    const int y = level.y + level.tops[(size_t)item] - 1;
    open(*sub, x, y);
    Level& opened = *mLevels.back();
    // No room on the right: the sub-menu opens to the left.
    if (x + opened.surface->width() > mDisplay->screenWidth()) {
      opened.x = std::max(0, level.x - opened.surface->width() + 2);
      XMoveWindow(mDisplay->display(), opened.surface->window(), opened.x, opened.y);
    }
  }

  void hover(int x, int y) {
    const auto [l, item] = hit(x, y);
    if (l < 0) return;
    if (item >= 0 && Navigable(mLevels[(size_t)l]->menu->item(item))) {
      mEntered = true;
      setHot((size_t)l, item);
    } else if (item >= 0) {
      setHot((size_t)l, -1);
    }
  }

  void press(int x, int y, bool down) {
    const auto [l, item] = hit(x, y);
    if (l < 0) {
      if (down) mDone = true;  // a click outside dismisses
      return;
    }
    if (down) mEntered = true;
    if (item < 0 || !mEntered) return;
    const VIEW_Menu::Item& entry = mLevels[(size_t)l]->menu->item(item);
    if (VIEW_MenuSelectable(entry) && !entry.subMenu) choose((size_t)l, item);
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
    KeySym symbol = XLookupKeysym(&event, 0);
    // The keys work in the deepest menu with an item lit: a sub-menu that
    // only opened under its item is not entered yet.
    size_t l = mLevels.size() - 1;
    while (l > 0 && mLevels[l]->hot < 0) --l;
    Level& level = *mLevels[l];
    const int hot = level.hot;
    switch (symbol) {
      case XK_Down:
        setHot(l, step(*level.menu, hot, 1));
        break;
      case XK_Up:
        setHot(l, step(*level.menu, hot, -1));
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
    setHot(l + 1, step(*mLevels[l + 1]->menu, -1, 1));
  }

  void draw(size_t l) {
    Level& level = *mLevels[l];
    X11Canvas& canvas = *level.canvas;
    const int width = level.surface->width(), height = level.surface->height();
    canvas.fill(0, 0, width, height, X11Canvas::kFace);
    canvas.frame(0, 0, width, height, X11Canvas::kLine);
    for (int i = 0; i < level.menu->size(); ++i) {
      const VIEW_Menu::Item& item = level.menu->item(i);
      const int top = level.tops[(size_t)i], bottom = level.tops[(size_t)i + 1];
      if (item.flags & VIEW_Menu::kSeparator) {
        canvas.fill(4, (top + bottom) / 2, width - 8, 1, X11Canvas::kLine);
        continue;
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
    level.surface->put(canvas.pixels(), canvas.span(), 0, 0, width, height);
    XFlush(mDisplay->display());
  }

  X11Display* mDisplay;
  std::vector<std::unique_ptr<Level>> mLevels;
  bool mDone = false;
  bool mEntered = false;
  VIEW_MenuChoice mChoice;
};

}  // namespace

VIEW_MenuChoice X11RunMenu(X11Display* display, const VIEW_Menu& menu, int rootX, int rootY) {
  MenuRun run(display);
  return run.run(menu, rootX, rootY);
}
