#pragma once

#include <cstdint>

#include "toolkit/wsys/Font.h"
#include "toolkit/wsys/WsysTypes.h"

// 32-bit pixels (alpha in bits 0-7, red 8-15, green 16-23, blue 24-31) that text is drawn into.
struct WSYS_TextTarget {
  uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int rowSpan = 0;      // pixels per row
  uint32_t colour = 0;  // in the pixel layout above
};

// The code point of the UTF-8 sequence at text[*pos] (pos before end), moving *pos past it; a byte
// that starts no whole sequence is read as Latin-1.
uint32_t WSYS_NextCodepoint(const unsigned char* text, int end, int* pos);

// Lays out UTF-8 text (bytes that are not UTF-8 read as Latin-1; '\n' starts a line) in rect
// by the DT_ flags. With DT_CALCRECT it draws nothing and sets rect->right and rect->bottom to
// rect->left + width and rect->top + height; otherwise it draws into target (when given),
// clipped to the target and, without DT_NOCLIP, to rect. A pixel takes the text colour by the
// glyph's coverage (times the colour's alpha with WSYS_DT_FGALPHA); its own alpha rises as if
// the text were laid over it. len < 0 means up to the terminating zero. Returns the height of
// the text.
int WSYS_LayoutText(WSYS_GlyphSource& font, const char* text, int len, RECT* rect,
                    unsigned int flags, const WSYS_TextTarget* target);
