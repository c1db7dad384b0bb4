// The drawing primitives, bitmaps and text of IGraphics.
#include <algorithm>
#include <cmath>
#include <memory>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/CachedFont.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Shapes.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/BitmapStorage.h"
#include "toolkit/plugin/editor/detail/FontStorage.h"
#include "toolkit/wsys/Font.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kRowAlign = 4;
constexpr int kMinFontHeight = 2;

// Window-system font qualities by text style quality; others are not antialiased.
int FontQuality(int styleQuality) {
  static const int kQualities[] = {DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY,
                                   ANTIALIASED_QUALITY};
  return styleQuality >= 0 && styleQuality < 4 ? kQualities[styleQuality] : NONANTIALIASED_QUALITY;
}

HFONT MakeSystemFont(const IText* style, int height) {
  const int tenths = 10 * style->mOrientation;
  return CreateFont(height, 0, tenths, tenths,
                    style->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                    style->mStyle == IText::kStyleItalic ? 1 : 0, 0, 0, 0, 0, 0,
                    (char)FontQuality(style->mQuality), 0, style->mFont);
}

unsigned int TextFlags(const IText* style) {
  unsigned int flags = DT_NOCLIP;
  if (style->mColor.A != 255) flags |= WSYS_DT_FGALPHA;
  if (style->mAlign == IText::kAlignCenter)
    flags |= DT_CENTER;
  else if (style->mAlign != IText::kAlignNear)
    flags |= DT_RIGHT;
  if (style->mVAlign == IText::kVAlignBottom)
    flags |= DT_BOTTOM;
  else if (style->mVAlign != IText::kVAlignTop)
    flags |= DT_VCENTER;
  return flags;
}

GFX_MemBitmap* NewMemBitmap(int w, int h) {
  return new GFX_MemBitmap(std::max(w, 0), std::max(h, 0), kRowAlign);
}

}  // namespace

// ---- Bitmaps ---------------------------------------------------------------

IBitmap IGraphics::LoadIBitmap(int id, const char* name, double scale, int frameCount,
                               bool framesHorizontal) {
  BitmapStorage& storage = BitmapStorage::Instance();
  GFX_IBitmap* cached = storage.Find(id, scale);
  if (!cached) {
    GFX_IBitmap* loaded = OSLoadBitmap(id, name);
    if (!loaded) return IBitmap(nullptr, 0, 0, frameCount, framesHorizontal);
    const int w = (int)(loaded->getWidth() * scale);
    const int h = (int)(loaded->getHeight() * scale);
    cached = loaded;
    // At an unchanged size the filter would only copy.
    if (w != loaded->getWidth() || h != loaded->getHeight()) {
      cached = NewMemBitmap(w, h);
      GFX_ScaledBlit(cached, loaded, 0, 0, w, h, 0.f, 0.f, (float)loaded->getWidth(),
                     (float)loaded->getHeight(), 1.f, GFX_MODE_BILINEAR);
      delete loaded;
    }
    // Another thread may have loaded it meanwhile: every caller draws the same pixels.
    cached = storage.AddFirst(cached, id, scale);
  }
  return IBitmap(cached, cached->getWidth(), cached->getHeight(), frameCount, framesHorizontal);
}

IBitmap IGraphics::getImageById(int id, double scale, int frameCount, bool framesHorizontal) {
  GFX_IBitmap* cached = BitmapStorage::Instance().Find(id, scale);
  if (!cached) return IBitmap(nullptr, 0, 0, frameCount, framesHorizontal);
  return IBitmap(cached, cached->getWidth(), cached->getHeight(), frameCount, framesHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
  if (bitmap && bitmap->mData) BitmapStorage::Instance().Add(bitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
  if (bitmap && bitmap->mData) BitmapStorage::Instance().Remove(bitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int destW, int destH) {
  GFX_MemBitmap* scaled = NewMemBitmap(destW, destH);
  if (bitmap && bitmap->mData)
    GFX_ScaledBlit(scaled, bitmap->mData, 0, 0, destW, destH, 0.f, 0.f, (float)bitmap->W,
                   (float)bitmap->H, 1.f, GFX_MODE_BILINEAR);
  BitmapStorage::Instance().Add(scaled, -1);
  return IBitmap(scaled, scaled->getWidth(), scaled->getHeight(), bitmap ? bitmap->N : 1, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* rect) {
  GFX_MemBitmap* cropped = NewMemBitmap(rect->W(), rect->H());
  if (bitmap && bitmap->mData)
    GFX_Blit(cropped, bitmap->mData, 0, 0, rect->L, rect->T, rect->W(), rect->H(), 1.f,
             GFX_MODE_COPY);
  BitmapStorage::Instance().Add(cropped, -1);
  return IBitmap(cropped, cropped->getWidth(), cropped->getHeight(), bitmap ? bitmap->N : 1, false);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend) {
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.Empty() || !bitmap || !bitmap->mData) return true;
  GFX_Blit(mBackBuffer.get(), bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T,
           r.W(), r.H(), BlendAlpha(blend), BlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int state, const IChannelBlend* blend) {
  return DrawBitmap(bitmap, dest, state, 0, 0, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int state, int srcX, int srcY,
                           const IChannelBlend* blend) {
  if (bitmap && state >= 2 && bitmap->N >= 2) {
    const int size = bitmap->mFramesAreHorizontal ? bitmap->W : bitmap->H;
    const int offset = (int)((double)(state - 1) * size / bitmap->N + 0.5);
    (bitmap->mFramesAreHorizontal ? srcX : srcY) = offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend) {
  if (!bitmap || !bitmap->mData) return true;
  const int w = bitmap->W;
  const int h = bitmap->H;
  GFX_RotatedBlit(mBackBuffer.get(), bitmap->mData, centreX - w / 2, centreY - h / 2, w, h, 0.f,
                  0.f, (float)w, (float)h, (float)angle, false, BlendAlpha(blend),
                  BlendMode(blend) | GFX_MODE_BILINEAR, 0.f, (float)yOffsetZeroDeg);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend) {
  if (!base || !base->mData || !mask || !top) return true;
  const int w = base->W;
  const int h = base->H;
  const float xOffset = (w % 2) ? -0.5f : 0.f;
  if (!mScratch) mScratch.reset(NewMemBitmap(0, 0));
  GFX_Copy(mScratch.get(), base->mData);
  // Keep the colours, clear the alpha.
  GFX_ClearRect(mScratch.get(), 0, 0, w, h, 0xFFFFFF00u, 0);
  const float radians = (float)(angle * kPi / 180.0);
  GFX_RotatedBlit(mScratch.get(), mask->mData, 0, 0, w, h, 0.f, 0.f, (float)w, (float)h, radians,
                  true, 1.f, GFX_MODE_SRCALPHA | GFX_MODE_BILINEAR | GFX_MODE_ADD, xOffset, 0.f);
  GFX_RotatedBlit(mScratch.get(), top->mData, 0, 0, w, h, 0.f, 0.f, (float)w, (float)h, radians,
                  true, 1.f, GFX_MODE_SRCALPHA | GFX_MODE_BILINEAR, xOffset, 0.f);
  const IRECT r = IRECT(x, y, x + w, y + h).Intersect(mDrawRECT);
  if (!r.Empty())
    GFX_Blit(mBackBuffer.get(), mScratch.get(), r.L, r.T, r.L - x, r.T - y, r.W(), r.H(),
             BlendAlpha(blend), BlendMode(blend));
  return true;
}

// ---- Primitives ------------------------------------------------------------

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool) {
  GFX_PutPixel(mBackBuffer.get(), (int)(x + 0.5f), (int)(y + 0.5f), color->Pack(),
               BlendAlpha(blend), BlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
  // A point outside the buffer would be written into other memory.
  if (!mBackBuffer || x < 0 || y < 0 || x >= mBackBuffer->getWidth() ||
      y >= mBackBuffer->getHeight())
    return true;
  mBackBuffer->getBits()[y * mBackBuffer->getRowSpan() + x] = color->Pack();
  return true;
}

IColor IGraphics::GetPoint(int x, int y) {
  return IColor::Unpack(GFX_GetPixel(mBackBuffer.get(), x, y));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antialias) {
  GFX_Line(mBackBuffer.get(), (int)x1, (int)y1, (int)x2, (int)y2, color->Pack(), BlendAlpha(blend),
           BlendMode(blend), antialias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antialias) {
  const float s = std::sin(angle);
  const float c = std::cos(angle);
  GFX_Line(mBackBuffer.get(), (int)(cx + rMin * s), (int)(cy - rMin * c), (int)(cx + rMax * s),
           (int)(cy - rMax * c), color->Pack(), BlendAlpha(blend), BlendMode(blend), antialias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antialias) {
  GFX_Arc(mBackBuffer.get(), cx, cy, r, minAngle, maxAngle, color->Pack(), BlendAlpha(blend),
          BlendMode(blend), antialias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antialias) {
  GFX_Circle(mBackBuffer.get(), cx, cy, r, color->Pack(), BlendAlpha(blend), BlendMode(blend),
             antialias);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r) {
  DrawHorizontalLine(color, r->T, r->L, r->R);
  DrawHorizontalLine(color, r->B, r->L, r->R);
  DrawVerticalLine(color, r->L, r->T, r->B);
  DrawVerticalLine(color, r->R, r->T, r->B);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2) {
  GFX_Line(mBackBuffer.get(), x, y1, x, y2, color->Pack(), 1.f, GFX_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2) {
  GFX_Line(mBackBuffer.get(), x1, y, x2, y, color->Pack(), 1.f, GFX_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x) {
  x = x > 0.f ? std::min(x, 1.f) : 0.f;  // NaN too becomes 0
  return DrawVerticalLine(color, r->L + (int)(r->W() * x), r->T, r->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y) {
  y = y > 0.f ? std::min(y, 1.f) : 0.f;
  return DrawHorizontalLine(color, r->B - (int)(r->H() * y), r->L, r->R);
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend,
                          int cornerRadius, bool antialias) {
  GFX_RoundRect(mBackBuffer.get(), (float)r->L, (float)r->T, (float)r->W(), (float)r->H(),
                cornerRadius, color->Pack(), BlendAlpha(blend), BlendMode(blend), antialias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int c,
                              bool antialias) {
  const unsigned int pixel = color->Pack();
  const float alpha = BlendAlpha(blend);
  const int mode = BlendMode(blend);
  const int w = r->W();
  const int h = r->H();
  GFX_FillRect(mBackBuffer.get(), r->L + c, r->T, w - 2 * c, h, pixel, alpha, mode);
  GFX_FillRect(mBackBuffer.get(), r->L, r->T + c, c, h - 2 * c, pixel, alpha, mode);
  GFX_FillRect(mBackBuffer.get(), r->R - c, r->T + c, c, h - 2 * c, pixel, alpha, mode);
  const float cf = (float)c;
  const float left = (float)r->L + cf;
  const float top = (float)r->T + cf;
  const float right = (float)(r->L + w) - cf - 1.f;
  const float bottom = (float)(r->T + h) - cf - 1.f;
  GFX_FillCircle(mBackBuffer.get(), left, top, cf, pixel, alpha, mode, antialias);
  GFX_FillCircle(mBackBuffer.get(), right, bottom, cf, pixel, alpha, mode, antialias);
  GFX_FillCircle(mBackBuffer.get(), right, top, cf, pixel, alpha, mode, antialias);
  GFX_FillCircle(mBackBuffer.get(), left, bottom, cf, pixel, alpha, mode, antialias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend) {
  GFX_FillRect(mBackBuffer.get(), r->L, r->T, r->W(), r->H(), color->Pack(), BlendAlpha(blend),
               BlendMode(blend));
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antialias) {
  GFX_FillCircle(mBackBuffer.get(), (float)cx, (float)cy, r, color->Pack(), BlendAlpha(blend),
                 BlendMode(blend), antialias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             IChannelBlend* blend) {
  GFX_FillTriangle(mBackBuffer.get(), x1, y1, x2, y2, x3, y3, color->Pack(), BlendAlpha(blend),
                   BlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* xs, int* ys, int count,
                                   const IChannelBlend* blend) {
  GFX_FillConvexPolygon(mBackBuffer.get(), xs, ys, count, color->Pack(), BlendAlpha(blend),
                        BlendMode(blend));
  return true;
}

unsigned int* IGraphics::GetBits() {
  return mBackBuffer ? mBackBuffer->getBits() : nullptr;
}

// ---- Text ------------------------------------------------------------------

GFX_IFont* IGraphics::CacheFont(IText* style) {
  FontStorage& storage = FontStorage::Instance();
  GFX_IFont* font = storage.Find(style);
  if (!font) {
    const int height = std::max(style->mSize, kMinFontHeight);
    HFONT system = MakeSystemFont(style, height);
    if (!system) return nullptr;
    auto cached = std::make_unique<GFX_CachedFont>();
    cached->SetFromHFont(system, GFX_FONT_OWNS | GFX_FONT_NATIVE);
    const int lineHeight = cached->GetLineHeight();
    // One correction when the system's line height is not the height asked for.
    if (lineHeight != height && lineHeight > 0) {
      const double q = style->mSize < kMinFontHeight ? 4.0 : (double)style->mSize * style->mSize;
      HFONT corrected = MakeSystemFont(style, (int)(q / lineHeight + 0.5));
      if (!corrected) return nullptr;
      cached->SetFromHFont(corrected, GFX_FONT_OWNS | GFX_FONT_NATIVE);
    }
    font = cached.get();
    storage.Add(std::move(cached), style);
  }
  style->mCached = font;
  return font;
}

bool IGraphics::DrawIText(IText* style, const char* text, IRECT* rect, bool measure) {
  if (!text || !*text) return true;
  GFX_IFont* font = style->mCached ? style->mCached : CacheFont(style);
  if (!font) return false;
  font->SetTextColor(style->mColor.Pack());
  unsigned int flags = TextFlags(style);
  if (!measure) {
    RECT r = {rect->L, rect->T, rect->R, rect->B};
    font->DrawText(mBackBuffer.get(), text, -1, &r, flags);
    return true;
  }
  RECT r = {0, 0, 0, 0};
  font->DrawText(mBackBuffer.get(), text, -1, &r, flags | DT_CALCRECT);
  const int width = r.right;
  if (style->mAlign == IText::kAlignNear) {
    rect->R = rect->L + width;
  } else if (style->mAlign == IText::kAlignCenter) {
    rect->L = (int)((float)(rect->L + rect->R) * 0.5f) - width / 2;
    rect->R = rect->L + width;
  } else {
    rect->L = rect->R - width;
  }
  rect->B = rect->T + r.bottom;
  return true;
}

bool IGraphics::DrawITextInside(IText* style, const char* text, const IRECT& rect) {
  IRECT extent = rect;
  if (!DrawIText(style, text, &extent, true)) return false;
  if (extent.W() <= rect.W()) {
    IRECT place = rect;
    return DrawIText(style, text, &place);
  }
  GFX_IFont* font = style->mCached;
  RECT r = {rect.L, rect.T, rect.R, rect.B};
  font->DrawText(mBackBuffer.get(), text, -1, &r,
                 (TextFlags(style) & ~(DT_NOCLIP | DT_CENTER | DT_RIGHT)) | DT_LEFT);
  return true;
}

bool IGraphics::MeasureIText(IText* style, char* text, IRECT* rect) {
  return DrawIText(style, text, rect, true);
}
