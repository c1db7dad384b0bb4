#include "toolkit/gfx/Png.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr png_uint_32 kMaxSide = 16384;

enum class Read { kDone, kFailed, kOtherKind };

// Whether the simplified reader would leave 8-bit values as they are: no gamma given, or one
// within its 5 % of the standard screen's.
bool sRGBGamma(png_structp png, png_infop info) {
  png_fixed_point gamma = 0;
  if (!png_get_gAMA_fixed(png, info, &gamma) || gamma == 0) return true;
  const long long screen = ((long long)gamma * 11 + 2) / 5;
  return screen >= PNG_FP_1 - 5000 && screen <= PNG_FP_1 + 5000;
}

// Fills the bitmap from an 8-bit RGB or RGBA file without the checksums, as the simplified
// reader below would fill it. A file it leaves to that reader (any other kind: palettes, grey,
// 16 bits, interlacing, a transparent colour or another gamma) is kOtherKind. Only plain locals
// live here: libpng leaves on an error by longjmp.
Read readUnchecked(std::FILE* file, GFX_IBitmap* bitmap) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return Read::kFailed;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return Read::kFailed;
  }
  png_init_io(png, file);
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int type = png_get_color_type(png, info);
  if (png_get_bit_depth(png, info) != 8 ||
      (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGB_ALPHA) ||
      png_get_interlace_type(png, info) != PNG_INTERLACE_NONE || !sRGBGamma(png, info) ||
      png_get_valid(png, info, PNG_INFO_tRNS) || w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) {
    png_destroy_read_struct(&png, &info, nullptr);
    return Read::kOtherKind;
  }
  if (type == PNG_COLOR_TYPE_RGB)
    png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
  else
    png_set_swap_alpha(png);
  png_read_update_info(png, info);
  if (!bitmap->resize((int)w, (int)h)) png_error(png, "no memory");
  for (png_uint_32 y = 0; y < h; ++y)
    png_read_row(png, reinterpret_cast<png_bytep>(bitmap->getBits() + y * bitmap->getRowSpan()),
                 nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return Read::kDone;
}

// The checking reader's way: libpng's simplified one.
bool readChecked(const char* path, GFX_IBitmap* bitmap) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return false;
  }
  // ARGB bytes in memory are exactly the engine's pixel words on a little-endian machine.
  image.format = PNG_FORMAT_ARGB;
  const bool ok =
      bitmap->resize((int)image.width, (int)image.height) &&
      png_image_finish_read(&image, nullptr, bitmap->getBits(), bitmap->getRowSpan() * 4, nullptr);
  png_image_free(&image);
  return ok;
}

// Whether the unchecked reader filled the bitmap; on kOtherKind the checking one reads it.
bool readUnchecked(const char* path, GFX_IBitmap* bitmap) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  const Read read = readUnchecked(file, bitmap);
  std::fclose(file);
  return read == Read::kDone || (read == Read::kOtherKind && readChecked(path, bitmap));
}

}  // namespace

GFX_IBitmap* GFX_LoadPNG(const char* path, GFX_IBitmap* into, bool checkSums) {
  if (!path) return nullptr;
  GFX_IBitmap* bitmap = into ? into : new GFX_MemBitmap(0, 0, 4);
  if (checkSums ? readChecked(path, bitmap) : readUnchecked(path, bitmap)) return bitmap;
  if (!into) delete bitmap;
  return nullptr;
}

bool GFX_WritePNG(const char* path, GFX_IBitmap* bitmap) {
  if (!path || !bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = (png_uint_32)bitmap->getWidth();
  image.height = (png_uint_32)bitmap->getHeight();
  image.format = PNG_FORMAT_ARGB;
  const bool ok = png_image_write_to_file(&image, path, 0, bitmap->getBits(),
                                          bitmap->getRowSpan() * 4, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
