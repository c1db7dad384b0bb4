#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "toolkit/gfx/Bitmap.h"

class GFX_CachedFont;

struct Rgb {
  int r, g, b;
};

// 0xRRGGBB.
constexpr Rgb hex(uint32_t v) {
  return Rgb{(int)(v >> 16 & 255), (int)(v >> 8 & 255), (int)(v & 255)};
}
Rgb mix(Rgb a, Rgb b, float t);

enum class Align { Left, Centre, Right };

// An opaque picture drawn with antialiased shapes (each shape's coverage comes from its signed
// distance, so edges are smooth at any size), vertical gradients and FreeType text. Angles are
// in radians, 0 pointing up, growing clockwise.
class Canvas {
 public:
  Canvas(int w, int h, Rgb background);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  GFX_MemBitmap& bitmap() { return mBitmap; }
  int width() const { return mWidth; }
  int height() const { return mHeight; }

  void rect(int x, int y, int w, int h, Rgb c);
  void gradient(int x, int y, int w, int h, Rgb top, Rgb bottom);
  void roundRect(float x, float y, float w, float h, float r, Rgb c, float alpha = 1.f);
  void roundRectGradient(float x, float y, float w, float h, float r, Rgb top, Rgb bottom);
  void roundRectStroke(float x, float y, float w, float h, float r, float width, Rgb c,
                       float alpha = 1.f);
  void circle(float cx, float cy, float r, Rgb c, float alpha = 1.f);
  void circleGradient(float cx, float cy, float r, Rgb top, Rgb bottom);
  void ring(float cx, float cy, float r, float width, Rgb c, float alpha = 1.f);
  void arc(float cx, float cy, float r, float width, float from, float to, Rgb c);
  void line(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1.f);
  // A filled triangle.
  void triangle(float x0, float y0, float x1, float y1, float x2, float y2, Rgb c);
  // Text in the box by the alignment, centred vertically; DejaVu Sans at a pixel size.
  void text(const char* s, int x, int y, int w, int h, int size, bool bold, Rgb c,
            Align align = Align::Centre);
  int textWidth(const char* s, int size, bool bold);

  // Copies another canvas in at (x, y).
  void paste(Canvas& from, int x, int y);

 private:
  template <class Distance, class Colour>
  void shape(float x0, float y0, float x1, float y1, Distance distance, Colour colour, float alpha);
  void blend(int x, int y, Rgb c, float a);
  GFX_CachedFont* font(int size, bool bold);

  GFX_MemBitmap mBitmap;
  int mWidth, mHeight;
  std::map<std::pair<int, bool>, std::unique_ptr<GFX_CachedFont>> mFonts;
};
