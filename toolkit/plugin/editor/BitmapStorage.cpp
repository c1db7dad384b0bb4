#include "toolkit/plugin/editor/detail/BitmapStorage.h"

#include "toolkit/gfx/Bitmap.h"

BitmapStorage& BitmapStorage::Instance() {
  static BitmapStorage storage;
  return storage;
}

BitmapStorage::~BitmapStorage() {
  // A bitmap entered twice is destroyed once.
  while (mEntries.GetSize()) Remove(mEntries.Get(0)->bitmap);
}

GFX_IBitmap* BitmapStorage::Find(int id, double scale) {
  TK_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    const Entry* entry = mEntries.Get(i);
    if (entry->id == id && entry->scale == scale) return entry->bitmap;
  }
  return nullptr;
}

void BitmapStorage::Add(GFX_IBitmap* bitmap, int id, double scale) {
  if (!bitmap) return;
  TK_MutexLock lock(mMutex);
  mEntries.Add(new Entry{id, scale, bitmap});
}

bool BitmapStorage::Holds(GFX_IBitmap* bitmap) {
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->bitmap == bitmap) return true;
  return false;
}

void BitmapStorage::Remove(GFX_IBitmap* bitmap) {
  TK_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    if (mEntries.Get(i)->bitmap != bitmap) continue;
    mEntries.Delete(i, true);
    if (!Holds(bitmap)) delete bitmap;
    return;
  }
}

int BitmapStorage::Count() {
  TK_MutexLock lock(mMutex);
  return mEntries.GetSize();
}
