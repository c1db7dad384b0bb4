#pragma once

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Modes.h"

// Circles, arcs, rounded rectangles and filled polygons, clipped to the bitmap. Pixel (x, y)
// is the point (x, y): a circle of radius r about (cx, cy) takes the pixels whose distance
// from the centre is within half a pixel of r (antialiased: weighted by 1 - |distance - r|).
// Modes and arithmetic: Modes.h.

void GFX_Circle(GFX_IBitmap* dest, float cx, float cy, float r, unsigned int colour, float alpha,
                int mode, bool antialias);
// The pixels within r of the centre (antialiased: weighted by r + 0.5 - distance).
void GFX_FillCircle(GFX_IBitmap* dest, float cx, float cy, float r, unsigned int colour,
                    float alpha, int mode, bool antialias);
// The part of the circle from minAngle to maxAngle (radians, 0 pointing up, growing clockwise).
void GFX_Arc(GFX_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
             unsigned int colour, float alpha, int mode, bool antialias);
// The outline of the pixels x .. x + w - 1, y .. y + h - 1 with corners of the given radius.
void GFX_RoundRect(GFX_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                   unsigned int colour, float alpha, int mode, bool antialias);

// Polygons cover the pixels whose centres (x + 0.5, y + 0.5) lie inside, so that shapes with
// shared edges meet without gaps or overlaps. Fewer than 3 points draw nothing.
void GFX_FillTriangle(GFX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      unsigned int colour, float alpha, int mode);
void GFX_FillConvexPolygon(GFX_IBitmap* dest, const int* xs, const int* ys, int count,
                           unsigned int colour, float alpha, int mode);
