#include "toolkit/wsys/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kMaxLines = 64;

struct Line {
  int start;
  int end;
  int width;
};

int lineWidth(WSYS_GlyphSource& font, const unsigned char* text, int start, int end) {
  long long ax = 0, ay = 0;
  WSYS_Glyph glyph;
  for (int pos = start; pos < end;) {
    if (font.glyph(WSYS_NextCodepoint(text, end, &pos), &glyph)) {
      ax += glyph.advanceX;
      ay += glyph.advanceY;
    }
  }
  if (ay == 0) return (int)((ax + 32) >> 6);
  return (int)std::lround(std::hypot((double)ax, (double)ay) / 64.0);
}

// A coordinate held where it cannot overflow later sums; far off is off the bitmap anyway.
int farOff(long long v) {
  return (int)std::clamp(v, -(1LL << 28), 1LL << 28);
}

struct Clip {
  int left, top, right, bottom;
};

void blendGlyph(const WSYS_Glyph& glyph, int x0, int y0, const Clip& clip, uint32_t colour,
                int alpha, const WSYS_TextTarget& target) {
  const int cr = (colour >> 8) & 0xff, cg = (colour >> 16) & 0xff, cb = colour >> 24;
  const int left = std::max(x0, clip.left), right = std::min(x0 + glyph.width, clip.right);
  const int top = std::max(y0, clip.top), bottom = std::min(y0 + glyph.height, clip.bottom);
  for (int y = top; y < bottom; ++y) {
    const unsigned char* cov = glyph.coverage + (y - y0) * glyph.width;
    uint32_t* row = target.bits + (ptrdiff_t)y * target.rowSpan;
    for (int x = left; x < right; ++x) {
      const int a = (cov[x - x0] * alpha + 127) / 255;
      if (a == 0) continue;
      const int w = a + (a >> 7);  // 0..256
      const uint32_t d = row[x];
      const int da = d & 0xff, dr = (d >> 8) & 0xff, dg = (d >> 16) & 0xff, db = d >> 24;
      const uint32_t oa = da + (((255 - da) * w + 128) >> 8);
      const uint32_t orr = (cr * w + dr * (256 - w) + 128) >> 8;
      const uint32_t og = (cg * w + dg * (256 - w) + 128) >> 8;
      const uint32_t ob = (cb * w + db * (256 - w) + 128) >> 8;
      row[x] = oa | orr << 8 | og << 16 | ob << 24;
    }
  }
}

void drawLine(WSYS_GlyphSource& font, const unsigned char* text, const Line& line, int x, int y,
              const Clip& clip, int alpha, const WSYS_TextTarget& target) {
  long long penX = 64LL * x, penY = 64LL * (y + font.ascent());
  WSYS_Glyph glyph;
  for (int pos = line.start; pos < line.end;) {
    if (!font.glyph(WSYS_NextCodepoint(text, line.end, &pos), &glyph)) continue;
    const int gx = (int)((penX + 32) >> 6) + glyph.left;
    const int gy = (int)((penY + 32) >> 6) - glyph.top;
    blendGlyph(glyph, gx, gy, clip, target.colour, alpha, target);
    penX += glyph.advanceX;
    penY += glyph.advanceY;
  }
}

}  // namespace

uint32_t WSYS_NextCodepoint(const unsigned char* text, int end, int* pos) {
  const unsigned char lead = text[*pos];
  const int extra = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
  if (extra == 0 || *pos + extra >= end) {
    ++*pos;
    return lead;
  }
  uint32_t code = lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = text[*pos + i];
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return lead;
    }
    code = (code << 6) | (next & 0x3F);
  }
  *pos += extra + 1;
  return code;
}

int WSYS_LayoutText(WSYS_GlyphSource& font, const char* text, int len, RECT* rect,
                    unsigned int flags, const WSYS_TextTarget* target) {
  // At most kMaxLines lines are laid out; the rest is dropped.
  if (!text || !rect) return 0;
  if (len < 0) len = (int)std::strlen(text);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);

  Line lines[kMaxLines];
  int count = 0, widest = 0;
  for (int start = 0; start <= len && count < kMaxLines;) {
    const void* nl = std::memchr(bytes + start, '\n', (size_t)(len - start));
    const int end = nl ? (int)(static_cast<const unsigned char*>(nl) - bytes) : len;
    lines[count] = {start, end, lineWidth(font, bytes, start, end)};
    widest = std::max(widest, lines[count].width);
    ++count;
    start = end + 1;
  }
  const int lineHeight = font.lineHeight();
  const int height = count * lineHeight;

  if (flags & DT_CALCRECT) {
    rect->right = (int)std::min<long long>((long long)rect->left + widest, INT32_MAX);
    rect->bottom = (int)std::min<long long>((long long)rect->top + height, INT32_MAX);
    return height;
  }
  if (!target || !target->bits) return height;

  Clip clip = {0, 0, target->width, target->height};
  if (!(flags & DT_NOCLIP)) {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  const int alpha = (flags & WSYS_DT_FGALPHA) ? (int)(target->colour & 0xff) : 255;

  // Placement in 64 bits, so that no rectangle overflows it.
  const long long left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
  long long y = top;
  if (flags & DT_BOTTOM)
    y = bottom - height;
  else if (flags & DT_VCENTER)
    y = top + (bottom - top - height) / 2;
  for (int i = 0; i < count; ++i, y += lineHeight) {
    long long x = left;
    if (flags & DT_RIGHT)
      x = right - lines[i].width;
    else if (flags & DT_CENTER)
      x = left + (right - left - lines[i].width) / 2;
    drawLine(font, bytes, lines[i], farOff(x), farOff(y), clip, alpha, *target);
  }
  return height;
}
