#include "toolkit/gfx/detail/Combine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/gfx/Modes.h"

namespace gfx_internal {

namespace {

inline int ch(uint32_t p, int shift) {
  return (int)((p >> shift) & 0xff);
}

template <int Mode>
inline int channel(int s, int d) {
  switch (Mode) {
    case GFX_MODE_ADD:
      return std::min(255, s + d);
    case GFX_MODE_DODGE:
      return s == 255 ? 255 : std::min(255, d * 255 / (255 - s));
    case GFX_MODE_MULTIPLY:
      return (s * d + 127) / 255;
    case GFX_MODE_OVERLAY:
      return d < 128 ? (2 * s * d + 127) / 255 : 255 - (2 * (255 - s) * (255 - d) + 127) / 255;
    default:
      return s;
  }
}

// d turned and scaled in HSV space by s (see Modes.h); alpha of the result is s's.
uint32_t hsvAdjust(uint32_t s, uint32_t d) {
  const float r = ch(d, 8) / 255.f, g = ch(d, 16) / 255.f, b = ch(d, 24) / 255.f;
  const float maxc = std::max({r, g, b}), minc = std::min({r, g, b}), delta = maxc - minc;
  float hue = 0;  // in sixths of the circle
  if (delta > 0) {
    if (maxc == r)
      hue = std::fmod((g - b) / delta + 6.f, 6.f);
    else if (maxc == g)
      hue = (b - r) / delta + 2.f;
    else
      hue = (r - g) / delta + 4.f;
  }
  float sat = maxc > 0 ? delta / maxc : 0.f;
  float val = maxc;
  hue = std::fmod(hue + ch(s, 8) * 6.f / 255.f, 6.f);
  sat = std::min(1.f, sat * ch(s, 16) / 128.f);
  val = std::min(1.f, val * ch(s, 24) / 128.f);
  const int sector = std::min(5, (int)hue);
  const float f = hue - sector;
  const float p = val * (1 - sat), q = val * (1 - sat * f), t = val * (1 - sat * (1 - f));
  const float rgb[6][3] = {{val, t, p}, {q, val, p}, {p, val, t},
                           {p, q, val}, {t, p, val}, {val, p, q}};
  auto byte = [](float v) { return (int)std::lround(v * 255.f); };
  return GFX_Pixel(ch(s, 0), byte(rgb[sector][0]), byte(rgb[sector][1]), byte(rgb[sector][2]));
}

inline int mix(int c, int d, int w) {
  return (c * w + d * (256 - w) + 128) >> 8;
}

template <int Mode, bool SrcAlpha>
inline uint32_t combinePixel(uint32_t s, uint32_t d, int w) {
  int cr, cg, cb;
  if (Mode == GFX_MODE_HSVADJUST) {
    const uint32_t c = hsvAdjust(s, d);
    cr = ch(c, 8), cg = ch(c, 16), cb = ch(c, 24);
  } else {
    cr = channel<Mode>(ch(s, 8), ch(d, 8));
    cg = channel<Mode>(ch(s, 16), ch(d, 16));
    cb = channel<Mode>(ch(s, 24), ch(d, 24));
  }
  const int da = ch(d, 0);
  const int a = SrcAlpha ? da + (((255 - da) * w + 128) >> 8) : mix(ch(s, 0), da, w);
  return GFX_Pixel(a, mix(cr, ch(d, 8), w), mix(cg, ch(d, 16), w), mix(cb, ch(d, 24), w));
}

template <int Mode, bool SrcAlpha>
void combineRow(uint32_t* dst, const uint32_t* src, int n, int srcStep, int weight) {
  for (int i = 0; i < n; ++i, src += srcStep) {
    const uint32_t s = *src;
    int w = weight;
    if (SrcAlpha) {
      const int sa = (int)(s & 0xff);
      w = (weight * (sa + (sa >> 7))) >> 8;
      if (w == 0) continue;
    }
    dst[i] = combinePixel<Mode, SrcAlpha>(s, dst[i], w);
  }
}

void copyRow(uint32_t* dst, const uint32_t* src, int n, int srcStep, int weight) {
  if (weight < 256) return combineRow<GFX_MODE_COPY, false>(dst, src, n, srcStep, weight);
  if (srcStep)
    std::memcpy(dst, src, (size_t)n * sizeof(uint32_t));
  else
    std::fill(dst, dst + n, *src);
}

// Copy with source alpha, the knob and overlay case: red and blue mixed in one word, and no
// branches (weights 0 and 256 give d and s exactly), so that the loop vectorises.
inline uint32_t copyOver(uint32_t s, uint32_t d, uint32_t weight) {
  const uint32_t sa = s & 0xff;
  const uint32_t w = (weight * (sa + (sa >> 7))) >> 8;
  const uint32_t iw = 256 - w, da = d & 0xff;
  const uint32_t rb =
      ((((s >> 8) & 0x00ff00ffu) * w + ((d >> 8) & 0x00ff00ffu) * iw + 0x00800080u) >> 8) &
      0x00ff00ffu;
  const uint32_t g = (((s >> 16) & 0xff) * w + ((d >> 16) & 0xff) * iw + 128) >> 8;
  const uint32_t a = da + (((255 - da) * w + 128) >> 8);
  return a | rb << 8 | g << 16;
}

void copyOverRow(uint32_t* dst, const uint32_t* src, int n, int srcStep, int weight) {
  if (srcStep == 0) {
    for (int i = 0; i < n; ++i) dst[i] = copyOver(*src, dst[i], (uint32_t)weight);
    return;
  }
  for (int i = 0; i < n; ++i) dst[i] = copyOver(src[i], dst[i], (uint32_t)weight);
}

template <int Mode>
constexpr RowCombiner pair(bool srcAlpha) {
  return srcAlpha ? combineRow<Mode, true> : combineRow<Mode, false>;
}

}  // namespace

RowCombiner rowCombiner(int mode) {
  const bool srcAlpha = (mode & GFX_MODE_SRCALPHA) != 0;
  switch (mode & GFX_MODE_MASK) {
    case GFX_MODE_ADD:
      return pair<GFX_MODE_ADD>(srcAlpha);
    case GFX_MODE_DODGE:
      return pair<GFX_MODE_DODGE>(srcAlpha);
    case GFX_MODE_MULTIPLY:
      return pair<GFX_MODE_MULTIPLY>(srcAlpha);
    case GFX_MODE_OVERLAY:
      return pair<GFX_MODE_OVERLAY>(srcAlpha);
    case GFX_MODE_HSVADJUST:
      return pair<GFX_MODE_HSVADJUST>(srcAlpha);
    default:
      return srcAlpha ? copyOverRow : copyRow;
  }
}

int weightOf(float alpha) {
  if (!(alpha > 0)) return 0;  // NaN too
  if (alpha >= 1) return 256;
  return (int)(alpha * 256 + 0.5f);
}

}  // namespace gfx_internal
