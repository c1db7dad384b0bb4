#include "toolkit/wsys/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <strings.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>

#include "toolkit/tkstring.h"

struct WSYS_Font::Face {
  FT_Face face = nullptr;
  TK_String family;
};

namespace {

// FreeType's library object and fontconfig are set up once; faces are made and freed under
// this lock because the library object is not thread-safe.
std::mutex gLibraryLock;
FT_Library gLibrary = nullptr;

FT_Library library() {
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) gLibrary = nullptr;
  return gLibrary;
}

const char* const kMonospacedNames[] = {"Consolas", "Monaco",      "Menlo",
                                        "Courier",  "Courier New", "Lucida Console"};

bool looksMonospaced(const char* name) {
  for (const char* known : kMonospacedNames)
    if (strcasecmp(name, known) == 0) return true;
  return strcasestr(name, "mono") != nullptr;
}

bool patternHasFamily(FcPattern* pattern, const char* name) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i)
    if (strcasecmp(reinterpret_cast<const char*>(family), name) == 0) return true;
  return false;
}

// The best match for the family, or null when fontconfig only has a substitute.
FcPattern* matchFamily(const char* name, int weight, bool italic, bool exactOnly) {
  FcPattern* want = FcPatternCreate();
  FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
  FcPatternAddInteger(want, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(want, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, want, FcMatchPattern);
  FcDefaultSubstitute(want);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, want, &result);
  FcPatternDestroy(want);
  if (found && exactOnly && !patternHasFamily(found, name)) {
    FcPatternDestroy(found);
    found = nullptr;
  }
  return found;
}

FT_Face openFace(FcPattern* pattern, TK_String* family) {
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
  FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
  FcChar8* name = nullptr;
  if (FcPatternGetString(pattern, FC_FAMILY, 0, &name) == FcResultMatch)
    family->Set(reinterpret_cast<const char*>(name));
  FT_Library lib = library();
  FT_Face face = nullptr;
  if (!lib || FT_New_Face(lib, reinterpret_cast<const char*>(file), index, &face) != 0)
    return nullptr;
  return face;
}

FT_Face findFace(const char* name, int weight, bool italic, TK_String* family) {
  if (!FcInit()) return nullptr;
  const char* asked = name && *name ? name : "DejaVu Sans";
  FcPattern* match = matchFamily(asked, weight, italic, true);
  if (!match) {
    const char* fallback = looksMonospaced(asked) ? "DejaVu Sans Mono" : "DejaVu Sans";
    match = matchFamily(fallback, weight, italic, false);
  }
  if (!match) return nullptr;
  FT_Face face = openFace(match, family);
  FcPatternDestroy(match);
  return face;
}

void setRotation(FT_Face face, int escapement) {
  if (escapement % 3600 == 0) return;
  const double radians = escapement / 10.0 * M_PI / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  FT_Matrix matrix;
  matrix.xx = (FT_Fixed)std::lround(c * 0x10000);
  matrix.xy = (FT_Fixed)std::lround(-s * 0x10000);
  matrix.yx = (FT_Fixed)std::lround(s * 0x10000);
  matrix.yy = (FT_Fixed)std::lround(c * 0x10000);
  FT_Set_Transform(face, &matrix, nullptr);
}

}  // namespace

WSYS_Font* WSYS_Font::create(int height, int escapement, int weight, bool italic, int quality,
                             const char* faceName) {
  if (height == 0) height = 12;
  if (height < 0) height = height == INT_MIN ? INT_MAX : -height;
  std::lock_guard<std::mutex> lock(gLibraryLock);
  TK_String family;
  FT_Face face = findFace(faceName, weight, italic, &family);
  if (!face) return nullptr;
  if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)height) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  setRotation(face, escapement);
  WSYS_Font* font = new WSYS_Font();
  font->mFace = std::make_unique<Face>(Face{face, family});
  font->mAscent = (int)((face->size->metrics.ascender + 63) >> 6);
  font->mDescent = (int)((-face->size->metrics.descender + 63) >> 6);
  font->mAntialiased = quality != NONANTIALIASED_QUALITY;
  return font;
}

WSYS_Font::WSYS_Font() = default;

WSYS_Font::~WSYS_Font() {
  std::lock_guard<std::mutex> lock(gLibraryLock);
  FT_Done_Face(mFace->face);
  mFace.reset();
}

const char* WSYS_Font::familyName() const {
  return mFace->family.Get();
}

bool WSYS_Font::glyph(uint32_t codepoint, WSYS_Glyph* out) {
  FT_Face face = mFace->face;
  const FT_Int32 target = mAntialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
  if (FT_Load_Char(face, codepoint, FT_LOAD_RENDER | target) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  const long long bytes = (long long)bitmap.width * bitmap.rows;
  if (bytes > INT_MAX) return false;
  const int width = (int)bitmap.width, height = (int)bitmap.rows;
  unsigned char* mask = static_cast<unsigned char*>(mMask.Resize((int)bytes, false));
  if (width * height > 0 && !mask) return false;
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = bitmap.buffer + (ptrdiff_t)y * bitmap.pitch;
    unsigned char* dst = mask + y * width;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < width; ++x) dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    } else {
      std::memcpy(dst, row, (size_t)width);
    }
  }
  out->left = slot->bitmap_left;
  out->top = slot->bitmap_top;
  out->width = width;
  out->height = height;
  out->advanceX = (int)slot->advance.x;
  out->advanceY = (int)-slot->advance.y;
  out->coverage = mask;
  return true;
}

HFONT CreateFont(int height, int /*width*/, int escapement, int /*orientation*/, int weight,
                 char italic, char /*underline*/, char /*strikeout*/, char /*charset*/,
                 char /*outPrecision*/, char /*clipPrecision*/, char quality,
                 char /*pitchAndFamily*/, const char* faceName) {
  return WSYS_Font::create(height, escapement, weight, italic != 0, quality, faceName);
}

bool DeleteObject(HGDIOBJ object) {
  if (!object) return false;
  delete object;
  return true;
}

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while it parses its configuration, some of them allocated through
// FreeType, whose frames the leak checker cannot walk back to fontconfig; every program that makes
// fonts links this file, so the leak checker is told here rather than in each test.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libfreetype.so\n";
}
#endif
