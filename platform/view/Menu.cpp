#include "platform/view/Menu.h"

#include <utility>

VIEW_Menu::Item& VIEW_Menu::addItem(std::string title, int flags) {
  mItems.push_back(Item{std::move(title), flags, nullptr});
  return mItems.back();
}

VIEW_Menu* VIEW_Menu::addSubMenu(std::string title, void* tag) {
  Item& item = addItem(std::move(title));
  item.subMenu = std::make_unique<VIEW_Menu>(tag);
  return item.subMenu.get();
}

VIEW_MenuChoice VIEW_FollowMenuPath(const VIEW_Menu& menu, const std::vector<int>& path) {
  const VIEW_Menu* current = &menu;
  for (size_t step = 0; step < path.size(); ++step) {
    const int index = path[step];
    if (index < 0 || index >= current->size()) return {};
    const VIEW_Menu::Item& item = current->item(index);
    if (item.subMenu) {
      current = item.subMenu.get();
      continue;
    }
    const bool last = step + 1 == path.size();
    if (!last || (item.flags & (VIEW_Menu::kDisabled | VIEW_Menu::kSeparator))) return {};
    return VIEW_MenuChoice{current, index};
  }
  return {};
}
