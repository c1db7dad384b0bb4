#include "toolkit/wsys/MemContext.h"

#include <climits>

#include "toolkit/wsys/Font.h"
#include "toolkit/wsys/TextLayout.h"

HDC WSYS_CreateMemContext(void* bits, int width, int height, int rowSpan) {
  if (width < 0 || height < 0 || rowSpan < width || rowSpan > INT_MAX / 4) return nullptr;
  WSYS_BitmapContext* context =
      new WSYS_BitmapContext{static_cast<unsigned char*>(bits), width, height, rowSpan * 4};
  return new WSYS_DC{context, nullptr, 0};
}

bool DeleteDC(HDC dc) {
  if (!dc) return false;
  delete dc->context;
  delete dc;
  return true;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  WSYS_Font* font = dynamic_cast<WSYS_Font*>(object);
  if (!dc || !font) return nullptr;
  WSYS_Font* previous = dc->font;
  dc->font = font;
  return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  if (!dc) return 0;
  const COLORREF previous = dc->textColor;
  dc->textColor = colour;
  return previous;
}

int DrawText(HDC dc, const char* text, int len, RECT* rect, unsigned int flags) {
  if (!dc || !dc->font) return 0;
  const WSYS_BitmapContext& bitmap = *dc->context;
  WSYS_TextTarget target;
  target.bits = reinterpret_cast<uint32_t*>(bitmap.data);
  target.width = bitmap.width;
  target.height = bitmap.height;
  target.rowSpan = bitmap.bytesPerRow / 4;
  const COLORREF c = dc->textColor;
  target.colour = 0xffu | (c & 0xff) << 8 | ((c >> 8) & 0xff) << 16 | ((c >> 16) & 0xff) << 24;
  return WSYS_LayoutText(*dc->font, text, len, rect, flags & ~WSYS_DT_FGALPHA, &target);
}
