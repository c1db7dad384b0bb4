#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/heapbuf.h"
#include "toolkit/wsys/WsysTypes.h"

// One rendered glyph: a coverage mask placed relative to the pen on the baseline.
struct WSYS_Glyph {
  int left = 0;   // columns from the pen to the mask's left edge
  int top = 0;    // rows from the baseline up to the mask's top edge
  int width = 0;  // mask size in pixels
  int height = 0;
  int advanceX = 0;  // pen movement in 1/64 pixel, y downwards
  int advanceY = 0;
  const unsigned char* coverage = nullptr;  // width x height bytes, 0 (clear) to 255 (covered)
};

// Where the text layout takes its glyphs and metrics from.
class WSYS_GlyphSource {
 public:
  virtual ~WSYS_GlyphSource() = default;
  // Fills out for the code point; the mask stays valid until the source's next call.
  virtual bool glyph(uint32_t codepoint, WSYS_Glyph* out) = 0;
  virtual int ascent() = 0;
  virtual int lineHeight() = 0;
};

// A system font over FreeType, found through fontconfig. Not shared between threads.
class WSYS_Font : public WSYS_GdiObject, public WSYS_GlyphSource {
 public:
  ~WSYS_Font() override;
  WSYS_Font(const WSYS_Font&) = delete;
  WSYS_Font& operator=(const WSYS_Font&) = delete;

  // Null when no font file can be found or opened.
  static WSYS_Font* create(int height, int escapement, int weight, bool italic, int quality,
                           const char* faceName);

  bool glyph(uint32_t codepoint, WSYS_Glyph* out) override;
  int ascent() override { return mAscent; }
  int lineHeight() override { return mAscent + mDescent; }

  bool antialiased() const { return mAntialiased; }
  // The family that fontconfig chose (the fallback's when the name was unknown).
  const char* familyName() const;

 private:
  WSYS_Font();
  struct Face;
  std::unique_ptr<Face> mFace;
  int mAscent = 0;
  int mDescent = 0;
  bool mAntialiased = true;
  TK_HeapBuf mMask{1024};  // the last glyph's coverage, one byte a pixel
};

// height: pixel size (0 gives 12, negative counts as positive); escapement in tenths of a
// degree, counter-clockwise; weight 400 normal, 700 bold; quality 3 monochrome, 0 and 4
// antialiased. A name that fontconfig does not know falls back to DejaVu Sans Mono for
// monospaced families and to DejaVu Sans otherwise. Returns null when no font can be made.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                 char underline, char strikeout, char charset, char outPrecision,
                 char clipPrecision, char quality, char pitchAndFamily, const char* faceName);

// Frees a font (or any other object of the layer); false for null.
bool DeleteObject(HGDIOBJ object);
