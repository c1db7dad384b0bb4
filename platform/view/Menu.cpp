#include "platform/view/Menu.h"

#include <algorithm>
#include <utility>

VIEW_Menu::Item& VIEW_Menu::addItem(std::string title, int flags) {
  mItems.push_back(Item{std::move(title), flags, nullptr});
  return mItems.back();
}

VIEW_Menu* VIEW_Menu::addSubMenu(std::string title, void* tag) {
  return addSubMenu(std::move(title), std::make_unique<VIEW_Menu>(tag)).subMenu.get();
}

VIEW_Menu::Item& VIEW_Menu::addSubMenu(std::string title, std::unique_ptr<VIEW_Menu> subMenu,
                                       int flags) {
  Item& item = addItem(std::move(title), flags);
  item.subMenu = std::move(subMenu);
  return item;
}

bool VIEW_MenuSelectable(const VIEW_Menu::Item& item) {
  return !(item.flags & (VIEW_Menu::kDisabled | VIEW_Menu::kSeparator | VIEW_Menu::kHeader));
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
    if (!last || !VIEW_MenuSelectable(item)) return {};
    return VIEW_MenuChoice{current, index};
  }
  return {};
}

namespace {

void AppendLines(const VIEW_Menu& menu, int depth, std::string& lines) {
  for (int i = 0; i < menu.size(); ++i) {
    std::string title = menu.item(i).title;
    std::replace_if(
        title.begin(), title.end(), [](char c) { return c == '\n' || c == '\t'; }, ' ');
    lines += std::string(depth, '\t') + title + '\n';
    if (menu.item(i).subMenu) AppendLines(*menu.item(i).subMenu, depth + 1, lines);
  }
}

// Counts `line` down through the items in VIEW_MenuLines' order; true once it reached its item.
bool FindLine(const VIEW_Menu& menu, int& line, std::vector<int>& path) {
  for (int i = 0; i < menu.size(); ++i) {
    path.push_back(i);
    if (line-- == 0) return true;
    if (menu.item(i).subMenu && FindLine(*menu.item(i).subMenu, line, path)) return true;
    path.pop_back();
  }
  return false;
}

}  // namespace

std::string VIEW_MenuLines(const VIEW_Menu& menu) {
  std::string lines;
  AppendLines(menu, 0, lines);
  return lines;
}

std::vector<int> VIEW_MenuPathOfLine(const VIEW_Menu& menu, int line) {
  std::vector<int> path;
  if (line < 0 || !FindLine(menu, line, path)) path.clear();
  return path;
}
