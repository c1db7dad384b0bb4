#pragma once

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"

// Blits, clipped to both bitmaps; negative, empty or off-bitmap rectangles draw what is left
// of them, or nothing. alpha 0 draws nothing. Modes and arithmetic: Modes.h.

// Combines the w x h block of src at (srcx, srcy) into dest at (dstx, dsty).
void GFX_Blit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int w,
              int h, float alpha, int mode);

// Maps the source rectangle onto the destination rectangle. Destination pixel centres sample
// the source at the matching point; GFX_MODE_BILINEAR filters between the four nearest
// source pixels, held inside the source rectangle.
void GFX_ScaledBlit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rectangle scaled into the destination rectangle and turned clockwise by
// angle (radians) about the rectangle's centre moved by (rotxcent, rotycent). Only points
// that fall inside the source rectangle (cliptosourcerect) or the source bitmap are drawn.
void GFX_RotatedBlit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float angle,
                     bool cliptosourcerect, float alpha, int mode, float rotxcent, float rotycent);

// dest takes src's size and pixels; nothing when either is missing.
void GFX_Copy(GFX_IBitmap* dest, GFX_IBitmap* src);
