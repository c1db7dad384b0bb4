#pragma once

#include "toolkit/gfx/Bitmap.h"

// Reads a PNG file into 32-bit pixels (alpha, red, green, blue in memory order; rows top
// first). With into null it returns a new memory bitmap that the caller owns; otherwise into
// is resized, filled and returned. Null when the file is missing, not a PNG, damaged or
// larger than 16384 pixels a side. Without checkSums the checksums of the compressed data and
// of the chunks are not verified: for the program's own files, which decode faster so.
GFX_IBitmap* GFX_LoadPNG(const char* path, GFX_IBitmap* into, bool checkSums = true);

// Writes the bitmap as an 8-bit RGBA PNG; false when it cannot (a 0-size bitmap included).
bool GFX_WritePNG(const char* path, GFX_IBitmap* bitmap);
