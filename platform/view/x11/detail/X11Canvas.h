#pragma once

#include <cstdint>
#include <string>

#include "toolkit/gfx/Bitmap.h"

// What our own windows (menus, the text field, dialogs) draw with: an engine
// bitmap, plain shapes, and text in fonts found through the font layer.
class X11Canvas {
 public:
  // The kit's greys and its highlight, as engine pixels.
  static const uint32_t kFace, kText, kGreyText, kLine, kHighlight, kHighlightText;

  X11Canvas(int width, int height) : mBitmap(width, height) {}
  GFX_MemBitmap& bitmap() { return mBitmap; }
  const uint32_t* pixels() { return mBitmap.getBits(); }
  int span() { return mBitmap.getRowSpan(); }

  void fill(int x, int y, int width, int height, uint32_t colour);
  void frame(int x, int y, int width, int height, uint32_t colour);
  void line(int x1, int y1, int x2, int y2, uint32_t colour);
  // Text in the rectangle by the font layer's DT_ alignment flags.
  void text(const std::string& text, int x, int y, int width, int height, uint32_t colour,
            unsigned flags, const std::string& font = "", int size = 0);

  // Width of a text in a font ("" and 0: the kit's own).
  static int textWidth(const std::string& text, const std::string& font = "", int size = 0);
  static int lineHeight(const std::string& font = "", int size = 0);

 private:
  GFX_MemBitmap mBitmap;
};
