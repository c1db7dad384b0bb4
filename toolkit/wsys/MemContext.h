#pragma once

#include <cstdint>

#include "toolkit/wsys/WsysTypes.h"

class WSYS_Font;

// The bitmap context of a memory drawing context: 32-bit pixels whose first byte (alpha) the
// screen skips, then red, green and blue; rows top first. The window back end reads it to put
// the image on the screen.
struct WSYS_BitmapContext {
  unsigned char* data;
  int width;
  int height;
  int bytesPerRow;
};

// A drawing context. Its first member is the bitmap context.
struct WSYS_DC {
  WSYS_BitmapContext* context;
  WSYS_Font* font;
  COLORREF textColor;
};

// A memory context over pixels that the caller owns and keeps alive longer than the context;
// rowSpan in pixels. Null when the size is negative, rowSpan < width or a row's bytes do not
// fit an int.
HDC WSYS_CreateMemContext(void* bits, int width, int height, int rowSpan);
bool DeleteDC(HDC dc);

// Selects a font into the context; returns the font selected before (null when none, or when
// the object is not a font).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Returns the previous text colour.
COLORREF SetTextColor(HDC dc, COLORREF colour);

// Draws or measures text with the selected font (see WSYS_LayoutText for the flags); returns
// the text height, 0 without a context or font.
int DrawText(HDC dc, const char* text, int len, RECT* rect, unsigned int flags);

inline COLORREF RGB(int r, int g, int b) {
  return (COLORREF)((r & 0xff) | (g & 0xff) << 8 | (b & 0xff) << 16);
}
