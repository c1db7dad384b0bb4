#include "toolkit/plugin/editor/IDrawTypes.h"

#include <algorithm>
#include <cstring>

#include "toolkit/gfx/Modes.h"

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor DEFAULT_TEXT_COLOR(255, 0, 0, 0);
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR(255, 255, 255, 255);
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR(255, 0, 0, 0);

IRECT IRECT::Intersect(const IRECT& other) const {
  if (!Intersects(other)) return IRECT();
  return IRECT(std::max(L, other.L), std::max(T, other.T), std::min(R, other.R),
               std::min(B, other.B));
}

IRECT IRECT::Union(const IRECT& other) const {
  if (Empty()) return other;
  if (other.Empty()) return *this;
  return IRECT(std::min(L, other.L), std::min(T, other.T), std::max(R, other.R),
               std::max(B, other.B));
}

unsigned int IColor::Pack() const {
  return GFX_Pixel(A, R, G, B);
}

IColor IColor::Unpack(unsigned int pixel) {
  return IColor((int)(pixel & 0xff), (int)(pixel >> 8 & 0xff), (int)(pixel >> 16 & 0xff),
                (int)(pixel >> 24 & 0xff));
}

IText::IText(int size, const IColor* color, const char* font, int style, int align, int orientation,
             int quality, int vAlign)
    : mSize(size),
      mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mStyle(style),
      mAlign(align),
      mVAlign(vAlign),
      mOrientation(orientation),
      mQuality(quality) {
  if (font) SetFont(font);
}

void IText::SetFont(const char* font) {
  const size_t n = font ? strnlen(font, kFontNameSize - 1) : 0;
  std::memcpy(mFont, font ? font : "", n);
  mFont[n] = '\0';
}

namespace {

struct BlendEntry {
  int method;
  int mode;
};

// Method 1 is a plain copy: the source's alpha is not honoured.
const BlendEntry kBlendModes[] = {
    {IChannelBlend::kBlendClobber, GFX_MODE_COPY},
    {IChannelBlend::kBlendAdd, GFX_MODE_SRCALPHA | GFX_MODE_ADD},
    {IChannelBlend::kBlendColorDodge, GFX_MODE_SRCALPHA | GFX_MODE_DODGE},
};

}  // namespace

int BlendMode(const IChannelBlend* blend) {
  if (blend)
    for (const BlendEntry& entry : kBlendModes)
      if (entry.method == blend->mMethod) return entry.mode;
  return GFX_MODE_SRCALPHA;
}

float BlendAlpha(const IChannelBlend* blend) {
  return blend ? blend->mWeight : 1.0f;
}
