#pragma once

#include "toolkit/mutex.h"
#include "toolkit/ptrlist.h"

class GFX_IBitmap;

// The process-wide cache that owns every loaded bitmap, shared by all plug-in
// instances. Entries keep insertion order; a lookup takes the first entry of
// an id. Bitmaps made at run time are entered with id -1.
class BitmapStorage {
 public:
  static BitmapStorage& Instance();

  BitmapStorage() = default;
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // Null when no entry has the id.
  GFX_IBitmap* Find(int id);
  // Takes ownership.
  void Add(GFX_IBitmap* bitmap, int id);
  // Drops the first entry holding the bitmap; the bitmap is destroyed unless
  // another entry still holds it. Nothing when no entry holds it.
  void Remove(GFX_IBitmap* bitmap);
  int Count();

 private:
  struct Entry {
    int id;
    GFX_IBitmap* bitmap;
  };
  bool Holds(GFX_IBitmap* bitmap);

  TK_PtrList<Entry> mEntries;
  TK_Mutex mMutex;
};
