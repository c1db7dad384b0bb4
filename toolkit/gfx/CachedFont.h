#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/wsys/Font.h"
#include "toolkit/wsys/WsysTypes.h"

// A font that draws text into engine bitmaps.
class GFX_IFont {
 public:
  virtual ~GFX_IFont() = default;
  // flags: GFX_FONT_OWNS makes the object release the system font when given another one or
  // when destroyed. GFX_FONT_NATIVE allows drawing through the window-system layer, which
  // this engine's fonts always do.
  virtual void SetFromHFont(HFONT font, int flags) = 0;
  // Pixel colour: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31.
  virtual void SetTextColor(unsigned int colour) = 0;
  // Draws or measures the text by the window-system layer's DT_ flags (see WSYS_LayoutText);
  // len -1 takes the whole zero-terminated text. Returns the text height, 0 without a font.
  virtual int DrawText(GFX_IBitmap* dest, const char* text, int len, RECT* rect,
                       unsigned int flags) = 0;
  virtual int GetLineHeight() = 0;
};

enum : int { GFX_FONT_OWNS = 0x200, GFX_FONT_NATIVE = 0x400 };

// Renders each glyph once and keeps it; later texts blend the kept masks. One thread at a time.
class GFX_CachedFont : public GFX_IFont, private WSYS_GlyphSource {
 public:
  GFX_CachedFont();
  ~GFX_CachedFont() override;
  GFX_CachedFont(const GFX_CachedFont&) = delete;
  GFX_CachedFont& operator=(const GFX_CachedFont&) = delete;

  void SetFromHFont(HFONT font, int flags) override;
  void SetTextColor(unsigned int colour) override { mColour = colour; }
  int DrawText(GFX_IBitmap* dest, const char* text, int len, RECT* rect,
               unsigned int flags) override;
  int GetLineHeight() override;

 private:
  struct Entry;

  bool glyph(uint32_t codepoint, WSYS_Glyph* out) override;
  int ascent() override;
  int lineHeight() override { return GetLineHeight(); }
  const Entry* find(uint32_t codepoint);
  void release();

  WSYS_Font* mFont = nullptr;
  bool mOwnsFont = false;
  unsigned int mColour = 0xff;          // opaque black
  std::unique_ptr<Entry> mLatin1[256];  // the common code points, found without a search
  std::vector<std::unique_ptr<Entry>> mOthers;
};
