#include "toolkit/plugin/editor/BitmapStorage.h"

#include "toolkit/gfx/Bitmap.h"

BitmapStorage& BitmapStorage::Instance() {
  static BitmapStorage storage;
  return storage;
}

BitmapStorage::~BitmapStorage() {
  // A bitmap entered twice is destroyed once.
  while (!mEntries.empty()) Remove(mEntries.front().bitmap);
}

GFX_IBitmap* BitmapStorage::Find(int id, double scale) {
  TK_MutexLock lock(mMutex);
  return FindLocked(id, scale);
}

GFX_IBitmap* BitmapStorage::FindLocked(int id, double scale) {
  for (const Entry& entry : mEntries)
    if (entry.id == id && entry.scale == scale) return entry.bitmap;
  return nullptr;
}

void BitmapStorage::Add(GFX_IBitmap* bitmap, int id, double scale) {
  if (!bitmap) return;
  TK_MutexLock lock(mMutex);
  mEntries.push_back(Entry{id, scale, bitmap});
}

GFX_IBitmap* BitmapStorage::AddFirst(GFX_IBitmap* bitmap, int id, double scale) {
  if (!bitmap) return nullptr;
  TK_MutexLock lock(mMutex);
  if (GFX_IBitmap* first = FindLocked(id, scale)) {
    delete bitmap;
    return first;
  }
  mEntries.push_back(Entry{id, scale, bitmap});
  return bitmap;
}

bool BitmapStorage::Holds(GFX_IBitmap* bitmap) {
  for (const Entry& entry : mEntries)
    if (entry.bitmap == bitmap) return true;
  return false;
}

void BitmapStorage::Remove(GFX_IBitmap* bitmap) {
  TK_MutexLock lock(mMutex);
  for (auto entry = mEntries.begin(); entry != mEntries.end(); ++entry) {
    if (entry->bitmap != bitmap) continue;
    mEntries.erase(entry);
    if (!Holds(bitmap)) delete bitmap;
    return;
  }
}

int BitmapStorage::Count() {
  TK_MutexLock lock(mMutex);
  return (int)mEntries.size();
}
