#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "Pixels.h"
#include "TempDir.h"
#include "toolkit/gfx/Png.h"

using namespace gfx_test;

namespace {

// The descriptors this process has open.
int openFiles() {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int count = 0;
  while (readdir(dir)) ++count;
  closedir(dir);
  return count;
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
  for (bool checkSums : {true, false}) {
    std::unique_ptr<GFX_IBitmap> loaded(GFX_LoadPNG(path.c_str(), nullptr, checkSums));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->getWidth(), 5);
    ASSERT_EQ(loaded->getHeight(), 3);
    EXPECT_TRUE(pixelsAre(loaded.get(), [&](int x, int y) { return GFX_GetPixel(&b, x, y); }));
    GFX_MemBitmap into(1, 1);
    EXPECT_EQ(GFX_LoadPNG(path.c_str(), &into, checkSums), &into);
    EXPECT_EQ(GFX_GetPixel(&into, 2, 2), GFX_Pixel(77, 200, 10, 250));
  }
}

// The compressed data's checksum at the end of the last IDAT chunk, and that chunk's own, both
// spoilt: only the reader that checks refuses the file, whatever its sides.
TEST(Png, OnlyTheCheckingReaderRefusesWrongChecksums) {
  kroma_test::TempDir dir;
  for (auto [w, h] : {std::pair{9, 4}, {1, 4}, {5, 1}, {1, 1}, {16384, 1}, {1, 16384}}) {
    GFX_MemBitmap b(w, h);
    pattern(&b);
    const std::string path = dir.file("sums.png");
    ASSERT_TRUE(GFX_WritePNG(path.c_str(), &b));
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    const size_t end = bytes.size() - 12;  // IEND: length, type, CRC
    for (size_t i = end - 8; i < end; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(std::unique_ptr<GFX_IBitmap>(GFX_LoadPNG(path.c_str(), nullptr)), nullptr)
        << w << " x " << h;
    std::unique_ptr<GFX_IBitmap> loaded(GFX_LoadPNG(path.c_str(), nullptr, false));
    ASSERT_TRUE(loaded) << w << " x " << h;
    EXPECT_TRUE(pixelsAre(loaded.get(), [&](int x, int y) { return GFX_GetPixel(&b, x, y); }))
        << w << " x " << h;
  }
}

TEST(Png, MissingForeignOrCutFilesGiveNullAndNothingToWriteFails) {
  kroma_test::TempDir dir;
  GFX_MemBitmap b(16, 16);
  pattern(&b);
  ASSERT_TRUE(GFX_WritePNG(dir.file("good.png").c_str(), &b));
  std::ifstream in(dir.file("good.png"), std::ios::binary);
  const std::string good(std::istreambuf_iterator<char>(in), {});
  for (const std::string& bytes :
       {std::string("not a picture at all"), std::string(), good.substr(0, good.size() / 2)}) {
    std::ofstream(dir.file("bad.png"), std::ios::binary | std::ios::trunc) << bytes;
    for (bool checkSums : {true, false})
      EXPECT_EQ(GFX_LoadPNG(dir.file("bad.png").c_str(), nullptr, checkSums), nullptr)
          << bytes.size() << " checked " << checkSums;
  }
  for (bool checkSums : {true, false}) {
    EXPECT_EQ(GFX_LoadPNG(dir.file("missing.png").c_str(), nullptr, checkSums), nullptr);
    EXPECT_EQ(GFX_LoadPNG(nullptr, nullptr, checkSums), nullptr);
    EXPECT_EQ(GFX_LoadPNG(dir.path().c_str(), nullptr, checkSums), nullptr);  // a folder
  }
  GFX_MemBitmap empty(0, 0);
  EXPECT_FALSE(GFX_WritePNG(dir.file("empty.png").c_str(), &empty));
  EXPECT_FALSE(GFX_WritePNG(dir.file("null.png").c_str(), nullptr));
  EXPECT_FALSE(GFX_WritePNG(dir.file("no/such/folder.png").c_str(), &b));
}

TEST(Png, SidesUpTo16384PixelsLoadAndLongerOnesAreRefused) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("long.png");
  for (auto [w, h] : {std::pair{16384, 1}, {16385, 1}, {1, 16384}, {1, 16385}}) {
    GFX_MemBitmap b(w, h);
    ASSERT_TRUE(GFX_WritePNG(path.c_str(), &b));
    for (bool checkSums : {true, false}) {
      std::unique_ptr<GFX_IBitmap> loaded(GFX_LoadPNG(path.c_str(), nullptr, checkSums));
      EXPECT_EQ(loaded != nullptr, w * h == 16384) << w << " x " << h;
    }
  }
}

// Loading a good, a foreign or a missing file, with either reader, leaves no file open.
TEST(Png, LoadingLeavesNoFileOpen) {
  kroma_test::TempDir dir;
  GFX_MemBitmap b(4, 4);
  pattern(&b);
  ASSERT_TRUE(GFX_WritePNG(dir.file("good.png").c_str(), &b));
  std::ofstream(dir.file("bad.png"), std::ios::binary) << "not a picture";
  const std::string paths[] = {dir.file("good.png"), dir.file("bad.png"), dir.file("missing.png")};
  const int before = openFiles();
  ASSERT_GT(before, 0);
  for (const std::string& path : paths)
    for (bool checkSums : {true, false})
      for (int i = 0; i < 3; ++i)
        std::unique_ptr<GFX_IBitmap>(GFX_LoadPNG(path.c_str(), nullptr, checkSums));
  EXPECT_EQ(openFiles(), before);
}
