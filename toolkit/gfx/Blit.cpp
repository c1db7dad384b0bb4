#include "toolkit/gfx/Blit.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "toolkit/gfx/detail/Area.h"
#include "toolkit/gfx/detail/Combine.h"

using namespace gfx_internal;

namespace {

// Linear mix of two pixels, f in 0..256, two channels at a time.
inline uint32_t lerp(uint32_t a, uint32_t b, int f) {
  const uint32_t g = 256 - f;
  const uint32_t rb = (((a & 0x00ff00ffu) * g + (b & 0x00ff00ffu) * f) >> 8) & 0x00ff00ffu;
  const uint32_t ag = (((a >> 8) & 0x00ff00ffu) * g + ((b >> 8) & 0x00ff00ffu) * f) & 0xff00ff00u;
  return rb | ag;
}

// lerp on two pixels at once, each channel in a 16-bit lane: a * (256 - f) + b * f stays below
// 65536, so the lanes give exactly what the word arithmetic above gives.
inline __m128i lerp2(__m128i a, __m128i b, __m128i f) {
  const __m128i g = _mm_sub_epi16(_mm_set1_epi16(256), f);
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f)), 8);
}

// lerp on four pixels, with the weights of the first two in fLow and of the last two in fHigh.
inline __m128i lerp4(__m128i a, __m128i b, __m128i fLow, __m128i fHigh) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = lerp2(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), fLow);
  const __m128i high = lerp2(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), fHigh);
  return _mm_packus_epi16(low, high);
}

// out[i] = lerp(a[i], b[i], f) for a row; out may be a or b.
void lerpRow(uint32_t* out, const uint32_t* a, const uint32_t* b, int f, int n) {
  const __m128i weight = _mm_set1_epi16((short)f);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), lerp4(pa, pb, weight, weight));
  }
  for (; i < n; ++i) out[i] = lerp(a[i], b[i], f);
}

// Source indices and the weight of the second one for a sampling point, held to [lo, hi).
struct Tap {
  int i0, i1, f;
};

inline Tap tapAt(double u, bool bilinear, int lo, int hi) {
  u = std::clamp(u, lo - 2.0, hi + 2.0);  // far points only ever reach the edge
  if (!bilinear) {
    const int i = std::clamp((int)std::floor(u), lo, hi - 1);
    return {i, i, 0};
  }
  u -= 0.5;
  int i0 = (int)std::floor(u);
  int f = (int)std::lround((u - i0) * 256);
  if (f == 256) ++i0, f = 0;
  return {std::clamp(i0, lo, hi - 1), std::clamp(i0 + 1, lo, hi - 1), f};
}

// into[i] = lerp(line[taps[i].i0], line[taps[i].i1], taps[i].f) for a row; lanes[i] holds
// taps[i].f in each of its four 16-bit lanes.
void filterAcross(uint32_t* into, const uint32_t* line, const Tap* taps, const uint64_t* lanes,
                  int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const Tap* t = taps + i;
    const __m128i a = _mm_setr_epi32((int)line[t[0].i0], (int)line[t[1].i0], (int)line[t[2].i0],
                                     (int)line[t[3].i0]);
    const __m128i b = _mm_setr_epi32((int)line[t[0].i1], (int)line[t[1].i1], (int)line[t[2].i1],
                                     (int)line[t[3].i1]);
    const __m128i fLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + i));
    const __m128i fHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + i + 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(into + i), lerp4(a, b, fLow, fHigh));
  }
  for (; i < n; ++i) into[i] = lerp(line[taps[i].i0], line[taps[i].i1], taps[i].f);
}

inline uint32_t between(const uint32_t* r0, const uint32_t* r1, const Tap& tx, int fy) {
  return lerp(lerp(r0[tx.i0], r0[tx.i1], tx.f), lerp(r1[tx.i0], r1[tx.i1], tx.f), fy);
}

inline uint32_t sample(GFX_IBitmap* src, const Tap& tx, const Tap& ty) {
  return between(rowOf(src, ty.i0), rowOf(src, ty.i1), tx, ty.f);
}

bool finite(float a, float b, float c, float d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The source pixels [lo, hi) that a source span (pos, size) covers, within the bitmap.
void sourceRange(double pos, double size, int limit, int* lo, int* hi) {
  *lo = (int)std::clamp(std::floor(pos), 0.0, (double)limit);
  *hi = (int)std::clamp(std::ceil(pos + size), 0.0, (double)limit);
}

}  // namespace

void GFX_Blit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int w,
              int h, float alpha, int mode) {
  const int weight = weightOf(alpha);
  if (!dest || !src || weight == 0 || w <= 0 || h <= 0) return;
  long long dx = dstx, dy = dsty, sx = srcx, sy = srcy, ww = w, hh = h;
  const long long cutX = std::max({0LL, -dx, -sx}), cutY = std::max({0LL, -dy, -sy});
  dx += cutX, sx += cutX, ww -= cutX;
  dy += cutY, sy += cutY, hh -= cutY;
  ww = std::min({ww, (long long)dest->getWidth() - dx, (long long)src->getWidth() - sx});
  hh = std::min({hh, (long long)dest->getHeight() - dy, (long long)src->getHeight() - sy});
  if (ww <= 0 || hh <= 0) return;
  if (dest == src) {
    // Within one bitmap the blocks may overlap: blit from a copy.
    GFX_MemBitmap block((int)ww, (int)hh);
    GFX_Blit(&block, src, 0, 0, (int)sx, (int)sy, (int)ww, (int)hh, 1.f, GFX_MODE_COPY);
    GFX_Blit(dest, &block, (int)dx, (int)dy, 0, 0, (int)ww, (int)hh, alpha, mode);
    return;
  }
  const RowCombiner combine = rowCombiner(mode);
  for (long long j = 0; j < hh; ++j)
    combine(rowOf(dest, (int)(dy + j)) + dx, rowOf(src, (int)(sy + j)) + sx, (int)ww, 1, weight);
}

void GFX_ScaledBlit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, float alpha, int mode) {
  const int weight = weightOf(alpha);
  if (!dest || !src || weight == 0 || !finite(srcx, srcy, srcw, srch) || srcw <= 0 || srch <= 0)
    return;
  const Area area = clipToBitmap(dest, dstx, dsty, dstw, dsth);
  int loX, hiX, loY, hiY;
  sourceRange(srcx, srcw, src->getWidth(), &loX, &hiX);
  sourceRange(srcy, srch, src->getHeight(), &loY, &hiY);
  if (area.empty() || loX >= hiX || loY >= hiY) return;

  const bool bilinear = (mode & GFX_MODE_BILINEAR) != 0;
  const double scaleX = (double)srcw / dstw, scaleY = (double)srch / dsth;
  const int n = area.x1 - area.x0;
  TK_TypedBuf<Tap> taps(n * (int)sizeof(Tap));
  TK_TypedBuf<uint64_t> lanes(n * (int)sizeof(uint64_t));
  TK_TypedBuf<uint32_t> row(n * 4);
  if (!taps.Resize(n, false) || !lanes.Resize(n, false) || !row.Resize(n, false)) return;
  for (int i = 0; i < n; ++i) {
    taps.Get()[i] = tapAt(srcx + (area.x0 - dstx + i + 0.5) * scaleX, bilinear, loX, hiX);
    lanes.Get()[i] = 0x0001000100010001ull * (uint64_t)taps.Get()[i].f;
  }

  const RowCombiner combine = rowCombiner(mode);
  uint32_t* out = row.Get();
  // Source rows filtered across, kept while the next destination rows still use them.
  TK_TypedBuf<uint32_t> across[2] = {TK_TypedBuf<uint32_t>(n * 4), TK_TypedBuf<uint32_t>(n * 4)};
  int acrossRow[2] = {-1, -1};
  if (bilinear && (!across[0].Resize(n, false) || !across[1].Resize(n, false))) return;
  auto filtered = [&](int srcRow, int keep) {
    for (int k = 0; k < 2; ++k)
      if (acrossRow[k] == srcRow) return across[k].Get();
    const int k = acrossRow[0] == keep ? 1 : 0;
    acrossRow[k] = srcRow;
    filterAcross(across[k].Get(), rowOf(src, srcRow), taps.Get(), lanes.Get(), n);
    return across[k].Get();
  };
  // A whole copy needs no row in between: the filter writes straight into the destination.
  const bool direct =
      (mode & GFX_MODE_MASK) == GFX_MODE_COPY && !(mode & GFX_MODE_SRCALPHA) && weight == 256;
  for (int y = area.y0; y < area.y1; ++y) {
    const Tap ty = tapAt(srcy + (y - dsty + 0.5) * scaleY, bilinear, loY, hiY);
    uint32_t* target = direct ? rowOf(dest, y) + area.x0 : out;
    if (bilinear) {
      const uint32_t* r0 = filtered(ty.i0, ty.i1);
      const uint32_t* r1 = filtered(ty.i1, ty.i0);
      lerpRow(target, r0, r1, ty.f, n);
    } else {
      const uint32_t* line = rowOf(src, ty.i0);
      for (int i = 0; i < n; ++i) target[i] = line[taps.Get()[i].i0];
    }
    if (!direct) combine(rowOf(dest, y) + area.x0, out, n, 1, weight);
  }
}

void GFX_RotatedBlit(GFX_IBitmap* dest, GFX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float angle,
                     bool cliptosourcerect, float alpha, int mode, float rotxcent, float rotycent) {
  const int weight = weightOf(alpha);
  if (!dest || !src || weight == 0 || dstw <= 0 || dsth <= 0 || !(srcw > 0) || !(srch > 0)) return;
  int loX = 0, hiX = src->getWidth(), loY = 0, hiY = src->getHeight();
  if (cliptosourcerect) {
    sourceRange(srcx, srcw, hiX, &loX, &hiX);
    sourceRange(srcy, srch, hiY, &loY, &hiY);
  }
  if (loX >= hiX || loY >= hiY) return;

  const double c = std::cos((double)angle), s = std::sin((double)angle);
  const double cx = dstx + dstw * 0.5 + rotxcent, cy = dsty + dsth * 0.5 + rotycent;
  // Bounding box of the turned destination rectangle.
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double px = (k & 1 ? dstx + (double)dstw : dstx) - cx;
    const double py = (k & 2 ? dsty + (double)dsth : dsty) - cy;
    const double x = cx + c * px - s * py, y = cy + s * px + c * py;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  const Area area = clipBox(dest, minX, minY, maxX, maxY);
  if (area.empty()) return;

  const bool bilinear = (mode & GFX_MODE_BILINEAR) != 0;
  const double scaleX = (double)srcw / dstw, scaleY = (double)srch / dsth;
  const int n = area.x1 - area.x0;
  TK_TypedBuf<uint32_t> row(n * 4);
  if (!row.Resize(n, false)) return;
  const RowCombiner combine = rowCombiner(mode);
  for (int y = area.y0; y < area.y1; ++y) {
    const double py = y + 0.5 - cy;
    uint32_t* out = rowOf(dest, y);
    int runStart = 0, runLength = 0;
    for (int x = area.x0; x <= area.x1; ++x) {
      bool inside = false;
      if (x < area.x1) {
        // Turn the destination point back into the source.
        const double px = x + 0.5 - cx;
        const double u = srcx + (cx + c * px + s * py - dstx) * scaleX;
        const double v = srcy + (cy - s * px + c * py - dsty) * scaleY;
        inside = u >= loX && u < hiX && v >= loY && v < hiY;
        if (inside) {
          if (runLength == 0) runStart = x;
          row.Get()[runLength++] =
              sample(src, tapAt(u, bilinear, loX, hiX), tapAt(v, bilinear, loY, hiY));
        }
      }
      if (!inside && runLength > 0) {
        combine(out + runStart, row.Get(), runLength, 1, weight);
        runLength = 0;
      }
    }
  }
}

void GFX_Copy(GFX_IBitmap* dest, GFX_IBitmap* src) {
  if (!dest || !src || dest == src) return;
  if (!dest->resize(src->getWidth(), src->getHeight())) return;
  GFX_Blit(dest, src, 0, 0, 0, 0, src->getWidth(), src->getHeight(), 1.f, GFX_MODE_COPY);
}
