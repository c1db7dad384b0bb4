#include "toolkit/gfx/Png.h"

#include <png.h>

#include <cstring>

namespace {

constexpr png_uint_32 kMaxSide = 16384;

}  // namespace

GFX_IBitmap* GFX_LoadPNG(const char* path, GFX_IBitmap* into) {
  if (!path) return nullptr;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return nullptr;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return nullptr;
  }
  // ARGB bytes in memory are exactly the engine's pixel words on a little-endian machine.
  image.format = PNG_FORMAT_ARGB;
  GFX_IBitmap* bitmap = into ? into : new GFX_MemBitmap(0, 0, 4);
  const bool ok =
      bitmap->resize((int)image.width, (int)image.height) &&
      png_image_finish_read(&image, nullptr, bitmap->getBits(), bitmap->getRowSpan() * 4, nullptr);
  png_image_free(&image);
  if (ok) return bitmap;
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
