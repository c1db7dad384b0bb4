#include "toolkit/plugin/base/IPopupMenu.h"

IPopupMenu::~IPopupMenu() {
  RemoveAllItems();
}

void IPopupMenu::RemoveAllItems() {
  for (int i = mItems.GetSize() - 1; i >= 0; --i) mItems.Delete(i, true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index) {
  if (!item) return nullptr;
  const int position = index == -1 ? mItems.GetSize() : index;
  if (!mItems.Insert(item, position)) {
    delete item;  // ours from the call on; the list could not take it
    return nullptr;
  }
  return item;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags) {
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* subMenu) {
  return AddItem(new IPopupMenuItem(text, IPopupMenuItem::kNoFlags, subMenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* subMenu) {
  return AddItem(text, -1, subMenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
  return AddItem("", index, IPopupMenuItem::kSeparator);
}

const char* IPopupMenu::GetItemText(int index) const {
  const IPopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::GetItemDisplayText(int index, TK_String* out) const {
  static const char* const kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
  out->SetFormatted(-1, kFormats[mPrefix], index + 1);
  out->Append(GetItemText(index));
}

void IPopupMenu::SetPrefix(int mode) {
  if (mode >= kPrefixNone && mode <= kPrefixThreeDigits) mPrefix = mode;
}

bool IPopupMenu::CheckItem(int index, bool state) {
  IPopupMenuItem* item = GetItem(index);
  if (!item) return false;
  item->SetChecked(state);
  return true;
}

void IPopupMenu::CheckItemAlone(int index) {
  for (int i = 0; i < mItems.GetSize(); ++i) mItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
  const IPopupMenuItem* item = GetItem(index);
  return item && item->GetChecked();
}
