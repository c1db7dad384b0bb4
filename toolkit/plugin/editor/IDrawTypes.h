#pragma once

class GFX_IBitmap;
class GFX_IFont;

// A rectangle in editor pixels, y downwards; right and bottom are exclusive
// for hit tests. All four edges 0 is the empty rectangle.
struct IRECT {
  int L = 0;
  int T = 0;
  int R = 0;
  int B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return (float)(L + R) * 0.5f; }
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // Touching edges count: this right edge on the other's left edge intersects.
  bool Intersects(const IRECT& other) const {
    return !Empty() && !other.Empty() && L < other.R && R >= other.L && T < other.B && B >= other.T;
  }
  IRECT Intersect(const IRECT& other) const;
  IRECT Union(const IRECT& other) const;
  bool operator==(const IRECT& other) const {
    return L == other.L && T == other.T && R == other.R && B == other.B;
  }
  bool operator!=(const IRECT& other) const { return !(*this == other); }
};

// A colour, each channel 0..255; A = 255 is opaque.
struct IColor {
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  // The engine's pixel: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31.
  unsigned int Pack() const;
  static IColor Unpack(unsigned int pixel);
  bool operator==(const IColor& other) const {
    return A == other.A && R == other.R && G == other.G && B == other.B;
  }
  bool operator!=(const IColor& other) const { return !(*this == other); }
};

extern const IColor COLOR_TRANSPARENT;
extern const IColor COLOR_BLACK;
extern const IColor COLOR_GRAY;
extern const IColor COLOR_WHITE;
extern const IColor COLOR_RED;
extern const IColor COLOR_GREEN;
extern const IColor COLOR_BLUE;
extern const IColor COLOR_YELLOW;
extern const IColor COLOR_ORANGE;
extern const IColor DEFAULT_TEXT_COLOR;
extern const IColor DEFAULT_TEXT_ENTRY_BGCOLOR;
extern const IColor DEFAULT_TEXT_ENTRY_FGCOLOR;

// A text style, copied by value into every control. The cached font is found
// on first use and never refreshed; the font cache owns it.
struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold, kStyleItalic };
  enum EAlign { kAlignNear = 0, kAlignCenter, kAlignFar };
  enum EVAlign { kVAlignTop = 0, kVAlignBottom, kVAlignCenter };
  enum EQuality {
    kQualityDefault = 0,
    kQualityNoAntiAliasing,
    kQualityAntiAliasing,
    kQualityClearType
  };
  static const int kFontNameSize = 32;

  char mFont[kFontNameSize] = "Consolas";
  int mSize = 12;
  IColor mColor = {255, 0, 0, 0};
  IColor mTextEntryBGColor = {255, 255, 255, 255};
  IColor mTextEntryFGColor = {255, 0, 0, 0};
  int mStyle = kStyleNormal;
  int mAlign = kAlignCenter;
  int mVAlign = kVAlignCenter;
  int mOrientation = 0;
  int mQuality = kQualityClearType;
  GFX_IFont* mCached = nullptr;

  IText() = default;
  // font null keeps the default name; longer names are cut to fit.
  IText(int size, const IColor* color = nullptr, const char* font = nullptr,
        int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
        int quality = kQualityClearType, int vAlign = kVAlignCenter);
  void SetFont(const char* font);
};

// A handle to a cached bitmap; it does not own the pixels.
struct IBitmap {
  GFX_IBitmap* mData = nullptr;
  int W = 0;
  int H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(GFX_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal) {}
  // The extent of one frame.
  int FrameWidth() const { return mFramesAreHorizontal && N > 1 ? W / N : W; }
  int FrameHeight() const { return !mFramesAreHorizontal && N > 1 ? H / N : H; }
};

// How a drawing call combines with the back buffer.
struct IChannelBlend {
  enum EBlendMethod { kBlendNone = 0, kBlendClobber, kBlendAdd, kBlendColorDodge };
  int mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// The engine's drawing mode and alpha of a blend; null is "no blend given".
int BlendMode(const IChannelBlend* blend);
float BlendAlpha(const IChannelBlend* blend);
