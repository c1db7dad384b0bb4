#include "toolkit/gfx/CachedFont.h"

#include <cstring>

#include "toolkit/wsys/TextLayout.h"

struct GFX_CachedFont::Entry {
  uint32_t codepoint = 0;
  bool present = false;  // the font could render it
  WSYS_Glyph glyph;
  TK_HeapBuf mask{64};
};

GFX_CachedFont::GFX_CachedFont() = default;

GFX_CachedFont::~GFX_CachedFont() {
  release();
}

void GFX_CachedFont::release() {
  for (std::unique_ptr<Entry>& entry : mLatin1) entry.reset();
  mOthers.clear();
  if (mOwnsFont) DeleteObject(mFont);
  mFont = nullptr;
  mOwnsFont = false;
}

void GFX_CachedFont::SetFromHFont(HFONT font, int flags) {
  WSYS_Font* next = dynamic_cast<WSYS_Font*>(font);
  // Given the font it already holds, only the ownership changes: releasing it would free it.
  if (next && next == mFont) mOwnsFont = false;
  release();
  mFont = next;
  mOwnsFont = mFont && (flags & GFX_FONT_OWNS);
}

int GFX_CachedFont::GetLineHeight() {
  return mFont ? mFont->lineHeight() : 0;
}

int GFX_CachedFont::ascent() {
  return mFont ? mFont->ascent() : 0;
}

const GFX_CachedFont::Entry* GFX_CachedFont::find(uint32_t codepoint) {
  if (codepoint < 256) {
    if (mLatin1[codepoint]) return mLatin1[codepoint].get();
  } else {
    for (const std::unique_ptr<Entry>& other : mOthers)
      if (other->codepoint == codepoint) return other.get();
  }

  auto made = std::make_unique<Entry>();
  made->codepoint = codepoint;
  Entry* entry = made.get();
  WSYS_Glyph rendered;
  if (mFont->glyph(codepoint, &rendered)) {
    const int bytes = rendered.width * rendered.height;
    void* mask = entry->mask.Resize(bytes, false);
    entry->present = bytes == 0 || mask;
    if (entry->present) {
      if (bytes > 0) std::memcpy(mask, rendered.coverage, (size_t)bytes);
      entry->glyph = rendered;
      entry->glyph.coverage = static_cast<const unsigned char*>(mask);
    }
  }
  if (codepoint < 256)
    mLatin1[codepoint] = std::move(made);
  else
    mOthers.push_back(std::move(made));
  return entry;
}

bool GFX_CachedFont::glyph(uint32_t codepoint, WSYS_Glyph* out) {
  const Entry* entry = find(codepoint);
  if (!entry->present) return false;
  *out = entry->glyph;
  return true;
}

int GFX_CachedFont::DrawText(GFX_IBitmap* dest, const char* text, int len, RECT* rect,
                             unsigned int flags) {
  if (!mFont) return 0;
  WSYS_TextTarget target;
  if (dest) {
    target.bits = dest->getBits();
    target.width = dest->getWidth();
    target.height = dest->getHeight();
    target.rowSpan = dest->getRowSpan();
  }
  target.colour = mColour;
  return WSYS_LayoutText(*this, text, len, rect, flags, &target);
}
