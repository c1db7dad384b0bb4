#pragma once

#include <vector>

#include "toolkit/mutex.h"

class GFX_IBitmap;

// The process-wide cache that owns every loaded bitmap, shared by all plug-in
// instances. An entry is keyed by its resource id and the scale it was loaded
// at, so that editors of different sizes in one process never draw each
// other's pictures. Entries keep insertion order; a lookup takes the first
// matching entry. Bitmaps made at run time are entered with id -1.
class BitmapStorage {
 public:
  static BitmapStorage& Instance();

  BitmapStorage() = default;
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // Null when no entry has the id and the scale.
  GFX_IBitmap* Find(int id, double scale);
  // Takes ownership.
  void Add(GFX_IBitmap* bitmap, int id, double scale = 1.0);
  // Takes ownership and returns the entry of the id and scale: the bitmap when it is the first,
  // else the one entered before (by another thread loading the same picture), and the bitmap is
  // destroyed.
  GFX_IBitmap* AddFirst(GFX_IBitmap* bitmap, int id, double scale);
  // Drops the first entry holding the bitmap; the bitmap is destroyed unless
  // another entry still holds it. Nothing when no entry holds it.
  void Remove(GFX_IBitmap* bitmap);
  int Count();

 private:
  struct Entry {
    int id;
    double scale;
    GFX_IBitmap* bitmap;
  };
  bool Holds(GFX_IBitmap* bitmap);
  GFX_IBitmap* FindLocked(int id, double scale);

  std::vector<Entry> mEntries;
  TK_Mutex mMutex;
};
