#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "Pixels.h"
#include "TempDir.h"
#include "toolkit/gfx/Png.h"

using namespace gfx_test;

namespace {

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(Png, RoundTripKeepsEveryChannelAndAlpha) {
  kroma_test::TempDir dir;
  GFX_MemBitmap b(5, 3, 4);
  pattern(&b);
  GFX_PutPixel(&b, 1, 1, GFX_Pixel(0, 0, 0, 0), 1.f, GFX_MODE_COPY);
  GFX_PutPixel(&b, 2, 2, GFX_Pixel(77, 200, 10, 250), 1.f, GFX_MODE_COPY);
  const std::string path = dir.file("round.png");
  ASSERT_TRUE(GFX_WritePNG(path.c_str(), &b));

  std::unique_ptr<GFX_IBitmap> loaded(GFX_LoadPNG(path.c_str(), nullptr));
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->getWidth(), 5);
  ASSERT_EQ(loaded->getHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(GFX_GetPixel(loaded.get(), x, y), GFX_GetPixel(&b, x, y));

  GFX_MemBitmap into(1, 1);
  EXPECT_EQ(GFX_LoadPNG(path.c_str(), &into), &into);
  EXPECT_EQ(into.getWidth(), 5);
  EXPECT_EQ(GFX_GetPixel(&into, 2, 2), GFX_Pixel(77, 200, 10, 250));
}

TEST(Png, MissingDamagedOrForeignFilesGiveNull) {
  kroma_test::TempDir dir;
  GFX_MemBitmap b(16, 16);
  pattern(&b);
  const std::string good = dir.file("good.png");
  ASSERT_TRUE(GFX_WritePNG(good.c_str(), &b));
  const std::string bytes = readBytes(good);

  EXPECT_EQ(GFX_LoadPNG(dir.file("missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(GFX_LoadPNG(nullptr, nullptr), nullptr);
  EXPECT_EQ(GFX_LoadPNG(dir.path().c_str(), nullptr), nullptr);  // a folder

  writeBytes(dir.file("text.png"), "not a picture at all");
  EXPECT_EQ(GFX_LoadPNG(dir.file("text.png").c_str(), nullptr), nullptr);
  writeBytes(dir.file("empty.png"), "");
  EXPECT_EQ(GFX_LoadPNG(dir.file("empty.png").c_str(), nullptr), nullptr);
  writeBytes(dir.file("cut.png"), bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(GFX_LoadPNG(dir.file("cut.png").c_str(), nullptr), nullptr);
  std::string damaged = bytes;
  for (size_t i = 40; i < damaged.size() - 12; ++i) damaged[i] = (char)(damaged[i] ^ 0x5a);
  writeBytes(dir.file("damaged.png"), damaged);
  EXPECT_EQ(GFX_LoadPNG(dir.file("damaged.png").c_str(), nullptr), nullptr);
}

TEST(Png, SidesUpTo16384PixelsLoadAndLongerOnesAreRefused) {
  kroma_test::TempDir dir;
  for (int width : {16384, 16385}) {
    GFX_MemBitmap wide(width, 1), tall(1, width);
    pattern(&wide);
    pattern(&tall);
    const std::string widePath = dir.file("wide.png"), tallPath = dir.file("tall.png");
    ASSERT_TRUE(GFX_WritePNG(widePath.c_str(), &wide));
    ASSERT_TRUE(GFX_WritePNG(tallPath.c_str(), &tall));
    std::unique_ptr<GFX_IBitmap> wideLoaded(GFX_LoadPNG(widePath.c_str(), nullptr));
    std::unique_ptr<GFX_IBitmap> tallLoaded(GFX_LoadPNG(tallPath.c_str(), nullptr));
    EXPECT_EQ(wideLoaded != nullptr, width == 16384) << width;
    EXPECT_EQ(tallLoaded != nullptr, width == 16384) << width;
    if (wideLoaded) {
      EXPECT_EQ(GFX_GetPixel(wideLoaded.get(), 300, 0), GFX_GetPixel(&wide, 300, 0));
    }
  }
}

TEST(Png, NothingToWriteFails) {
  kroma_test::TempDir dir;
  GFX_MemBitmap empty(0, 0);
  EXPECT_FALSE(GFX_WritePNG(dir.file("empty.png").c_str(), &empty));
  EXPECT_FALSE(GFX_WritePNG(dir.file("null.png").c_str(), nullptr));
  GFX_MemBitmap one(1, 1);
  EXPECT_FALSE(GFX_WritePNG(dir.file("no/such/folder.png").c_str(), &one));
}
