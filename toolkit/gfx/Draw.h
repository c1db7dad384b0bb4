#pragma once

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"

// Pixels, rectangles and lines, clipped to the bitmap. Modes and arithmetic: Modes.h.

// Every pixel of the rectangle becomes (pixel AND mask) OR orbits.
void GFX_ClearRect(GFX_IBitmap* dest, int x, int y, int w, int h, unsigned int mask,
                   unsigned int orbits);
void GFX_FillRect(GFX_IBitmap* dest, int x, int y, int w, int h, unsigned int colour, float alpha,
                  int mode);
void GFX_PutPixel(GFX_IBitmap* dest, int x, int y, unsigned int colour, float alpha, int mode);
// 0 outside the bitmap.
unsigned int GFX_GetPixel(GFX_IBitmap* dest, int x, int y);

// Both end points included. Without antialiasing the pixels are those of the classic
// integer line; with it each step along the major axis shares the colour between the two
// pixels nearest to the exact line.
void GFX_Line(GFX_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int colour, float alpha,
              int mode, bool antialias);
