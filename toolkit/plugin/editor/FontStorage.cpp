#include "toolkit/plugin/editor/detail/FontStorage.h"

#include <cstring>

#include "toolkit/gfx/CachedFont.h"

FontStorage& FontStorage::Instance() {
  static FontStorage storage;
  return storage;
}

FontStorage::~FontStorage() {
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->font;
  mEntries.Empty(true);
}

GFX_IFont* FontStorage::Find(const IText* style) {
  TK_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    const Entry* entry = mEntries.Get(i);
    if (entry->size == style->mSize && entry->orientation == style->mOrientation &&
        entry->style == style->mStyle && std::strcmp(entry->name, style->mFont) == 0)
      return entry->font;
  }
  return nullptr;
}

void FontStorage::Add(GFX_IFont* font, const IText* style) {
  if (!font) return;
  Entry* entry = new Entry{style->mSize, style->mOrientation, style->mStyle, {}, font};
  std::memcpy(entry->name, style->mFont, strnlen(style->mFont, sizeof entry->name - 1));
  TK_MutexLock lock(mMutex);
  mEntries.Add(entry);
}

int FontStorage::Count() {
  TK_MutexLock lock(mMutex);
  return mEntries.GetSize();
}
