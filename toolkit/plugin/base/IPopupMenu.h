#pragma once

#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"

class IPopupMenu;

// One entry of a popup menu. The sub-menu belongs to whoever built it.
class IPopupMenuItem {
 public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kIndented = 2, kChecked = 4, kSeparator = 8 };

  IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* subMenu = nullptr)
      : mText(text), mSubMenu(subMenu), mFlags(flags) {}

  const char* GetText() const { return mText.Get(); }
  IPopupMenu* GetSubmenu() const { return mSubMenu; }
  int GetFlags() const { return mFlags; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return mFlags & kChecked; }
  bool GetIsIndented() const { return mFlags & kIndented; }
  bool GetIsSeparator() const { return mFlags & kSeparator; }
  void SetChecked(bool state) { mFlags = state ? (mFlags | kChecked) : (mFlags & ~kChecked); }

 private:
  TK_String mText;
  IPopupMenu* mSubMenu;
  int mFlags;
};

// The platform-independent model of a popup menu: items in display order, a
// numbering prefix, and the index of the item the user chose (-1: none).
class IPopupMenu {
 public:
  enum EPrefix { kPrefixNone = 0, kPrefixOneDigit, kPrefixTwoDigits, kPrefixThreeDigits };

  IPopupMenu() = default;
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; other values are limited to 0 .. item count.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* subMenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* subMenu);
  IPopupMenuItem* AddSeparator(int index = -1);
  // Deletes every item, last first; sub-menus stay.
  void RemoveAllItems();

  int GetNItems() const { return mItems.GetSize(); }
  // Null for an index outside the list.
  IPopupMenuItem* GetItem(int index) const { return mItems.Get(index); }
  // Empty for a separator, an empty text or an index outside the list.
  const char* GetItemText(int index) const;
  // The text as shown, with the numbering prefix before it.
  void GetItemDisplayText(int index, TK_String* out) const;

  // Accepts the EPrefix values only.
  void SetPrefix(int mode);
  int GetPrefix() const { return mPrefix; }

  bool CheckItem(int index, bool state);
  // Checks index and clears every other item's check mark.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

 private:
  TK_PtrList<IPopupMenuItem> mItems;
  int mPrefix = kPrefixNone;
  int mChosenItemIdx = -1;
};
