#include "toolkit/plugin/editor/detail/FontStorage.h"

#include <cstring>

#include "toolkit/gfx/CachedFont.h"

FontStorage& FontStorage::Instance() {
  static FontStorage storage;
  return storage;
}

FontStorage::FontStorage() = default;

FontStorage::~FontStorage() = default;

GFX_IFont* FontStorage::Find(const IText* style) {
  TK_MutexLock lock(mMutex);
  for (const Entry& entry : mEntries) {
    if (entry.size == style->mSize && entry.orientation == style->mOrientation &&
        entry.style == style->mStyle && std::strcmp(entry.name, style->mFont) == 0)
      return entry.font.get();
  }
  return nullptr;
}

void FontStorage::Add(std::unique_ptr<GFX_IFont> font, const IText* style) {
  if (!font) return;
  Entry entry{style->mSize, style->mOrientation, style->mStyle, {}, std::move(font)};
  std::memcpy(entry.name, style->mFont, strnlen(style->mFont, sizeof entry.name - 1));
  TK_MutexLock lock(mMutex);
  mEntries.push_back(std::move(entry));
}

int FontStorage::Count() {
  TK_MutexLock lock(mMutex);
  return (int)mEntries.size();
}
