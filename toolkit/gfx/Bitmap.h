#pragma once

#include "toolkit/heapbuf.h"
#include "toolkit/wsys/WsysTypes.h"

// A bitmap of 32-bit pixels (alpha in bits 0-7, red 8-15, green 16-23, blue 24-31), rows top
// first, getRowSpan() pixels apart. A bitmap may be 0 x 0; getBits() may then be null.
class GFX_IBitmap {
 public:
  virtual ~GFX_IBitmap() = default;
  virtual unsigned int* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  virtual int getRowSpan() = 0;
  // New size with every pixel 0; false (nothing changed) for a negative size or no memory.
  virtual bool resize(int w, int h) = 0;
  // The drawing context over the pixels; null for bitmaps without one.
  virtual HDC getDC() { return nullptr; }
};

// A bitmap in heap memory whose row span is the width rounded up to a multiple of lineAlign
// pixels (1 or less: no rounding).
class GFX_MemBitmap : public GFX_IBitmap {
 public:
  GFX_MemBitmap(int w = 0, int h = 0, unsigned int lineAlign = 1);

  unsigned int* getBits() override { return static_cast<unsigned int*>(mPixels.Get()); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mRowSpan; }
  bool resize(int w, int h) override;

 private:
  TK_HeapBuf mPixels{65536};
  int mWidth = 0;
  int mHeight = 0;
  int mRowSpan = 0;
  int mLineAlign = 1;
};

// A bitmap over a memory drawing context of the window-system layer, so that the platform
// can put it on the screen and system text can be drawn into it. Rows are the width rounded
// up to a multiple of 4 pixels.
class GFX_SysBitmap : public GFX_IBitmap {
 public:
  GFX_SysBitmap(int w = 0, int h = 0);
  ~GFX_SysBitmap() override;
  GFX_SysBitmap(const GFX_SysBitmap&) = delete;
  GFX_SysBitmap& operator=(const GFX_SysBitmap&) = delete;

  unsigned int* getBits() override { return mPixels.getBits(); }
  int getWidth() override { return mPixels.getWidth(); }
  int getHeight() override { return mPixels.getHeight(); }
  int getRowSpan() override { return mPixels.getRowSpan(); }
  bool resize(int w, int h) override;
  HDC getDC() override { return mDC; }

 private:
  GFX_MemBitmap mPixels;
  HDC mDC = nullptr;
};
