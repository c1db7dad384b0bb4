#pragma once

#include <memory>
#include <vector>

#include "toolkit/mutex.h"
#include "toolkit/plugin/editor/IDrawTypes.h"

class GFX_IFont;

// The process-wide cache that owns every font, shared by all plug-in
// instances. A font's key is (size, orientation, style, name): colour,
// alignment and quality are not part of it.
class FontStorage {
 public:
  static FontStorage& Instance();

  FontStorage();
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The first font made for the style's key, or null.
  GFX_IFont* Find(const IText* style);
  void Add(std::unique_ptr<GFX_IFont> font, const IText* style);
  int Count();

 private:
  struct Entry {
    int size;
    int orientation;
    int style;
    char name[IText::kFontNameSize];
    std::unique_ptr<GFX_IFont> font;
  };

  std::vector<Entry> mEntries;
  TK_Mutex mMutex;
};
