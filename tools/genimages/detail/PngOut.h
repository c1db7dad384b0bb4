#pragma once

#include "toolkit/gfx/Bitmap.h"

// Writes an opaque picture as an 8-bit RGB PNG made to decode fast: no row filters and light
// compression (the pictures are flat colours and long runs, which compress well anyway). The
// bytes depend only on the pixels. False when the file cannot be written.
bool writeFastPng(const char* path, GFX_IBitmap& bitmap);
