#pragma once

#include <memory>
#include <string>
#include <vector>

// A popup menu as the window system shows it: items in order, each with a
// title, flags and an optional sub-menu. tag lets the owner find its own
// model again from a choice.
class VIEW_Menu {
 public:
  enum Flags { kDisabled = 1, kIndented = 2, kChecked = 4, kSeparator = 8 };
  struct Item {
    std::string title;
    int flags = 0;
    std::unique_ptr<VIEW_Menu> subMenu;
  };

  explicit VIEW_Menu(void* tag = nullptr) : mTag(tag) {}
  VIEW_Menu(const VIEW_Menu&) = delete;
  VIEW_Menu& operator=(const VIEW_Menu&) = delete;

  Item& addItem(std::string title, int flags = 0);
  // The new sub-menu, owned by the item.
  VIEW_Menu* addSubMenu(std::string title, void* tag);
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

// Follows a path of item indices from menu down through sub-menus. A path
// that ends on a selectable item is a choice; any other path dismisses.
VIEW_MenuChoice VIEW_FollowMenuPath(const VIEW_Menu& menu, const std::vector<int>& path);
