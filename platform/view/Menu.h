#pragma once

#include <memory>
#include <string>
#include <vector>

// A popup menu as the window system shows it: items in order, each with a
// title, flags and an optional sub-menu. tag lets the owner find its own
// model again from a choice.
class VIEW_Menu {
 public:
  // A header is a caption that cannot be chosen.
  enum Flags { kDisabled = 1, kIndented = 2, kChecked = 4, kSeparator = 8, kHeader = 16 };
  struct Item {
    std::string title;
    int flags = 0;
    std::unique_ptr<VIEW_Menu> subMenu;
  };

  explicit VIEW_Menu(void* tag = nullptr) : mTag(tag) {}
  virtual ~VIEW_Menu() = default;
  VIEW_Menu(const VIEW_Menu&) = delete;
  VIEW_Menu& operator=(const VIEW_Menu&) = delete;

  Item& addItem(std::string title, int flags = 0);
  // The new sub-menu, owned by the item.
  VIEW_Menu* addSubMenu(std::string title, void* tag);
  Item& addSubMenu(std::string title, std::unique_ptr<VIEW_Menu> subMenu, int flags = 0);
  int size() const { return (int)mItems.size(); }
  const Item& item(int index) const { return mItems[(size_t)index]; }
  void* tag() const { return mTag; }

 private:
  std::vector<Item> mItems;
  void* mTag;
};

// The menu in which an item was chosen and the item's index in it; no menu
// when the menu was dismissed.
struct VIEW_MenuChoice {
  const VIEW_Menu* menu = nullptr;
  int index = -1;
};

// Whether the item can be chosen (an item with a sub-menu opens it instead).
bool VIEW_MenuSelectable(const VIEW_Menu::Item& item);

// Follows a path of item indices from menu down through sub-menus. A path
// that ends on a selectable item is a choice; any other path dismisses.
VIEW_MenuChoice VIEW_FollowMenuPath(const VIEW_Menu& menu, const std::vector<int>& path);

// The menu as text, as the kit hands it to a host that answers menus: one line per item in order,
// a sub-menu's items right after their item, each line led by one tab per level of depth.
std::string VIEW_MenuLines(const VIEW_Menu& menu);
// The path of item indices to line `line` of VIEW_MenuLines; empty for a line outside it.
std::vector<int> VIEW_MenuPathOfLine(const VIEW_Menu& menu, int line);
