#pragma once

#include "toolkit/heapbuf.h"

// A list of pointers. The list never deletes its items by itself: the owner
// passes deleteItems where it owns them.
template <class T>
class TK_PtrList {
 public:
  explicit TK_PtrList(int granularityItems = 64) : mBuf(granularityItems * (int)sizeof(T*)) {}
  TK_PtrList(const TK_PtrList&) = delete;
  TK_PtrList& operator=(const TK_PtrList&) = delete;

  int GetSize() const { return mBuf.GetSize(); }
  T** GetList() const { return mBuf.Get(); }

  // The item at index, or null when the index is out of range.
  T* Get(int index) const { return index >= 0 && index < GetSize() ? mBuf.Get()[index] : nullptr; }

  // Appends; returns the item, or null when the list could not grow.
  T* Add(T* item) { return Insert(item, GetSize()); }

  // Inserts before index (clamped to the list); returns the item or null.
  T* Insert(T* item, int index) {
    const int size = GetSize();
    if (index < 0) index = 0;
    if (index > size) index = size;
    if (!mBuf.Resize(size + 1)) return nullptr;
    T** list = mBuf.Get();
    for (int i = size; i > index; --i) list[i] = list[i - 1];
    list[index] = item;
    return item;
  }

  // Index of the first occurrence of item, or -1.
  int Find(const T* item) const {
    for (int i = 0; i < GetSize(); ++i)
      if (mBuf.Get()[i] == item) return i;
    return -1;
  }

  // Removes the entry at index; deletes the item too when deleteItem.
  void Delete(int index, bool deleteItem = false) {
    const int size = GetSize();
    if (index < 0 || index >= size) return;
    T** list = mBuf.Get();
    T* item = list[index];
    for (int i = index; i < size - 1; ++i) list[i] = list[i + 1];
    mBuf.Resize(size - 1);
    if (deleteItem) delete item;
  }

  // Removes the first occurrence of item; returns whether it was there.
  bool DeletePtr(T* item, bool deleteItem = false) {
    const int index = Find(item);
    if (index < 0) return false;
    Delete(index, deleteItem);
    return true;
  }

  // Removes every entry; deletes the items too when deleteItems.
  void Empty(bool deleteItems = false) {
    if (deleteItems)
      for (int i = 0; i < GetSize(); ++i) delete mBuf.Get()[i];
    mBuf.Resize(0);
  }

 private:
  TK_TypedBuf<T*> mBuf;
};
