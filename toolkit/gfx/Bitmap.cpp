#include "toolkit/gfx/Bitmap.h"

#include "toolkit/wsys/MemContext.h"

GFX_MemBitmap::GFX_MemBitmap(int w, int h, unsigned int lineAlign)
    : mLineAlign(lineAlign > 1 && lineAlign <= 4096 ? (int)lineAlign : 1) {
  resize(w, h);
}

bool GFX_MemBitmap::resize(int w, int h) {
  if (w < 0 || h < 0) return false;
  const long long span = ((long long)w + mLineAlign - 1) / mLineAlign * mLineAlign;
  // Checked before multiplying, so that no product of two large sides wraps; a row alone
  // must fit too, even with no rows, or the row span would not.
  if (span > 0x7fffffff / 4 || (h > 0 && span > 0x7fffffff / 4 / h)) return false;
  const long long bytes = span * h * 4;
  // A size of 0 may leave the buffer null, which is not a failure.
  if (!mPixels.ResizeZeroed((int)bytes) && bytes > 0) return false;
  mWidth = w;
  mHeight = h;
  mRowSpan = (int)span;
  return true;
}

GFX_SysBitmap::GFX_SysBitmap(int w, int h) : mPixels(0, 0, 4) {
  resize(w, h);
}

GFX_SysBitmap::~GFX_SysBitmap() {
  DeleteDC(mDC);
}

bool GFX_SysBitmap::resize(int w, int h) {
  if (!mPixels.resize(w, h)) return false;
  DeleteDC(mDC);
  mDC = WSYS_CreateMemContext(mPixels.getBits(), w, h, mPixels.getRowSpan());
  return true;
}
