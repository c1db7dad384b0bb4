#include "toolkit/gfx/Draw.h"

#include <cmath>
#include <cstdlib>

#include "toolkit/gfx/detail/Plot.h"

using namespace gfx_internal;

void GFX_ClearRect(GFX_IBitmap* dest, int x, int y, int w, int h, unsigned int mask,
                   unsigned int orbits) {
  const Area area = clipToBitmap(dest, x, y, w, h);
  for (int j = area.y0; j < area.y1; ++j) {
    unsigned int* row = rowOf(dest, j);
    for (int i = area.x0; i < area.x1; ++i) row[i] = (row[i] & mask) | orbits;
  }
}

void GFX_FillRect(GFX_IBitmap* dest, int x, int y, int w, int h, unsigned int colour, float alpha,
                  int mode) {
  Plotter plot(dest, colour, alpha, mode);
  const Area area = clipToBitmap(dest, x, y, w, h);
  if (!plot.active()) return;
  for (int j = area.y0; j < area.y1; ++j) plot.span(j, area.x0, area.x1);
}

void GFX_PutPixel(GFX_IBitmap* dest, int x, int y, unsigned int colour, float alpha, int mode) {
  Plotter plot(dest, colour, alpha, mode);
  if (plot.active()) plot.pixel(x, y);
}

unsigned int GFX_GetPixel(GFX_IBitmap* dest, int x, int y) {
  if (!dest || x < 0 || y < 0 || x >= dest->getWidth() || y >= dest->getHeight()) return 0;
  return rowOf(dest, y)[x];
}

void GFX_Line(GFX_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int colour, float alpha,
              int mode, bool antialias) {
  Plotter plot(dest, colour, alpha, mode);
  if (!plot.active()) return;
  const long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
  const bool steep = std::llabs(dy) > std::llabs(dx);
  // Walk the major axis; the minor coordinate of step k is computed directly, so that only
  // the steps inside the bitmap are visited.
  const long long major0 = steep ? y1 : x1, minor0 = steep ? x1 : y1;
  const long long dMajor = steep ? dy : dx, dMinor = steep ? dx : dy;
  const long long length = std::llabs(dMajor), dir = dMajor < 0 ? -1 : 1;
  const long long limit = steep ? dest->getHeight() : dest->getWidth();
  // Steps k whose major coordinate major0 + dir * k lies in [0, limit).
  long long first = dir > 0 ? -major0 : major0 - (limit - 1);
  long long last = dir > 0 ? limit - 1 - major0 : major0;
  first = std::max(first, 0LL), last = std::min(last, length);
  for (long long k = first; k <= last; ++k) {
    const long long major = major0 + dir * k;
    if (antialias && length > 0) {
      const double exact = minor0 + (double)dMinor * k / length;
      const double base = std::floor(exact);
      const float frac = (float)(exact - base);
      const long long m = (long long)base;
      if (steep) {
        plot.pixel(m, major, 1.f - frac);
        plot.pixel(m + 1, major, frac);
      } else {
        plot.pixel(major, m, 1.f - frac);
        plot.pixel(major, m + 1, frac);
      }
      continue;
    }
    // Rounds k * dMinor / length half away from the start, as the integer line does.
    const long long step =
        length ? (long long)((2 * (__int128)k * std::llabs(dMinor) + length) / (2 * length)) : 0;
    const long long minor = minor0 + (dMinor < 0 ? -step : step);
    if (steep)
      plot.pixel(minor, major);
    else
      plot.pixel(major, minor);
  }
}
