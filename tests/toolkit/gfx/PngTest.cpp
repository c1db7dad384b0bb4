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
    EXPECT_EQ(loaded->getRowSpan(), 8) << "rows of four pixels at a time";
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

// Files of kinds the engine never writes: three RGB pixels without alpha load opaque, and three
// grey ones (left to the checking reader) as grey, with either reader.
TEST(Png, RgbAndGreyFilesLoadOpaque) {
  const std::string rgb(
      "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52"
      "\x00\x00\x00\x03\x00\x00\x00\x01\x08\x02\x00\x00\x00\x94\x82\x83"
      "\xe3\x00\x00\x00\x12\x49\x44\x41\x54\x78\xda\x63\xe0\x12\x91\xd3"
      "\x30\xb2\xf9\xd5\xc0\x08\x00\x08\x9f\x02\x4e\xce\x34\x1a\x89\x00"
      "\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
      75);
  const std::string grey(
      "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52"
      "\x00\x00\x00\x03\x00\x00\x00\x01\x08\x00\x00\x00\x00\x3e\x8b\x4b"
      "\x68\x00\x00\x00\x0c\x49\x44\x41\x54\x78\xda\x63\x60\xf0\xfd\x0f"
      "\x00\x01\x9d\x01\x4d\xb4\x2c\x22\xc1\x00\x00\x00\x00\x49\x45\x4e"
      "\x44\xae\x42\x60\x82",
      69);
  const struct {
    const std::string& bytes;
    uint32_t pixels[3];
  } cases[] = {
      {rgb, {GFX_Pixel(255, 10, 20, 30), GFX_Pixel(255, 40, 50, 60), GFX_Pixel(255, 250, 128, 1)}},
      {grey, {GFX_Pixel(255, 0, 0, 0), GFX_Pixel(255, 77, 77, 77), GFX_Pixel(255, 255, 255, 255)}},
  };
  kroma_test::TempDir dir;
  for (const auto& c : cases) {
    std::ofstream(dir.file("kind.png"), std::ios::binary | std::ios::trunc) << c.bytes;
    for (bool checkSums : {true, false}) {
      std::unique_ptr<GFX_IBitmap> loaded(
          GFX_LoadPNG(dir.file("kind.png").c_str(), nullptr, checkSums));
      ASSERT_TRUE(loaded) << "checked " << checkSums;
      ASSERT_EQ(std::pair(loaded->getWidth(), loaded->getHeight()), std::pair(3, 1));
      EXPECT_TRUE(pixelsAre(loaded.get(), [&](int x, int) { return c.pixels[x]; }))
          << "checked " << checkSums;
    }
  }
}

namespace {

uint32_t crc32Of(const std::string& bytes) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
  }
  return ~crc;
}

std::string bigEndian(uint32_t v) {
  return {(char)(v >> 24), (char)(v >> 16), (char)(v >> 8), (char)v};
}

// The file with a gamma chunk (in 1/100000) in place of its colour space chunks.
std::string withGamma(const std::string& file, uint32_t gamma) {
  const std::string body = "gAMA" + bigEndian(gamma);
  std::string out = file.substr(0, 8);
  for (size_t at = 8; at + 12 <= file.size();) {
    const size_t length = (size_t)(unsigned char)file[at] << 24 |
                          (size_t)(unsigned char)file[at + 1] << 16 |
                          (size_t)(unsigned char)file[at + 2] << 8 | (unsigned char)file[at + 3];
    const std::string type = file.substr(at + 4, 4);
    if (type != "sRGB" && type != "gAMA" && type != "cHRM") out += file.substr(at, length + 12);
    if (type == "IHDR") out += bigEndian(4) + body + bigEndian(crc32Of(body));
    at += length + 12;
  }
  return out;
}

}  // namespace

// Whatever gamma a file declares, the reader that skips the checksums fills the bitmap as the
// checking one does; near the standard screen's gamma the bytes are taken as they are, further
// off they are converted.
TEST(Png, BothReadersAgreeOnEveryGamma) {
  kroma_test::TempDir dir;
  GFX_MemBitmap b(16, 2);
  for (int x = 0; x < 16; ++x) {
    GFX_PutPixel(&b, x, 0, GFX_Pixel(255, x * 17, 255 - x * 17, 100), 1.f, GFX_MODE_COPY);
    GFX_PutPixel(&b, x, 1, GFX_Pixel(255, 128, x * 16, 30), 1.f, GFX_MODE_COPY);
  }
  const std::string path = dir.file("gamma.png");
  ASSERT_TRUE(GFX_WritePNG(path.c_str(), &b));
  std::ifstream in(path, std::ios::binary);
  const std::string plain(std::istreambuf_iterator<char>(in), {});
  const struct {
    uint32_t gamma;
    bool asWritten;
  } cases[] = {{45455, true},  {43182, true},  {47727, true},   {47728, true}, {1, true},
               {43181, false}, {50000, false}, {100000, false}, {22727, false}};
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << withGamma(plain, c.gamma);
    std::unique_ptr<GFX_IBitmap> checked(GFX_LoadPNG(path.c_str(), nullptr, true));
    std::unique_ptr<GFX_IBitmap> unchecked(GFX_LoadPNG(path.c_str(), nullptr, false));
    ASSERT_TRUE(checked && unchecked) << c.gamma;
    EXPECT_TRUE(pixelsAre(unchecked.get(), [&](int x, int y) {
      return GFX_GetPixel(checked.get(), x, y);
    })) << c.gamma;
    const bool same =
        pixelsAre(checked.get(), [&](int x, int y) { return GFX_GetPixel(&b, x, y); });
    EXPECT_EQ(same, c.asWritten) << c.gamma;
  }
}
