#include "tools/genimages/detail/PngOut.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kZlibLevel = 6;

struct File {
  FILE* f;
  ~File() {
    if (f) std::fclose(f);
  }
};

}  // namespace

bool writeFastPng(const char* path, GFX_IBitmap& bitmap) {
  File out{std::fopen(path, "wb")};
  if (!out.f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  const int w = bitmap.getWidth(), h = bitmap.getHeight();
  std::vector<png_byte> row((size_t)w * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out.f);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, kZlibLevel);
  png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    const unsigned int* pixels = bitmap.getBits() + (size_t)y * bitmap.getRowSpan();
    for (int x = 0; x < w; ++x) {
      row[x * 3] = (png_byte)(pixels[x] >> 8);
      row[x * 3 + 1] = (png_byte)(pixels[x] >> 16);
      row[x * 3 + 2] = (png_byte)(pixels[x] >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}
