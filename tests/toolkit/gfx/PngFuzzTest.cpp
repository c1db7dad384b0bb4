#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "Iterations.h"
#include "Pixels.h"
#include "TempDir.h"
#include "toolkit/gfx/Png.h"

using namespace gfx_test;

namespace {

using Bytes = std::string;

uint32_t crc32Of(const char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<uint8_t>(data[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void writeBE(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + static_cast<size_t>(k)] = static_cast<char>(v >> (24 - 8 * k));
}

// The header chunk comes first: 8 signature bytes, then length, type, 13 data bytes, CRC.
constexpr size_t kHeader = 8, kHeaderEnd = kHeader + 25;

// Damage that gets past the checksums: the header's CRC is made good again.
Bytes mutate(Bytes png, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    switch (pick(5)) {
      case 0:
        if (!png.empty()) png[pick(png.size())] ^= static_cast<char>(1u << pick(8));
        break;
      case 1:
        png.resize(pick(png.size() + 1));
        break;
      case 2: {  // sides of any size
        if (png.size() < kHeaderEnd) break;
        const uint32_t sides[] = {0, 1, 3, 16385, 0x7FFFFFFFu, 0xFFFFFFFFu};
        writeBE(png, kHeader + 8 + 4 * pick(2), sides[pick(6)]);
        writeBE(png, kHeaderEnd - 4, crc32Of(png.data() + kHeader + 4, 17));
        break;
      }
      case 3: {  // another bit depth, colour type or interlace
        if (png.size() < kHeaderEnd) break;
        png[kHeader + 16 + pick(5)] = static_cast<char>(pick(2) ? pick(17) : rng());
        writeBE(png, kHeaderEnd - 4, crc32Of(png.data() + kHeader + 4, 17));
        break;
      }
      default: {  // a well-formed chunk of another kind after the header
        if (png.size() < kHeaderEnd) break;
        const char* const types[] = {"PLTE", "tRNS", "gAMA", "tEXt", "iCCP", "IDAT"};
        Bytes c(8 + pick(40), '\0');
        writeBE(c, 0, static_cast<uint32_t>(c.size() - 8));
        c.replace(4, 4, types[pick(6)]);
        for (size_t i = 8; i < c.size(); ++i) c[i] = static_cast<char>(rng());
        c += Bytes(4, '\0');
        writeBE(c, c.size() - 4, crc32Of(c.data() + 4, c.size() - 8));
        png.insert(kHeaderEnd, c);
        break;
      }
    }
  }
  return png;
}

}  // namespace

TEST(PngFuzz, RandomAndMutatedInputsAreSafe) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("fuzz.png");
  GFX_MemBitmap source(33, 5, 4);
  pattern(&source);
  ASSERT_TRUE(GFX_WritePNG(path.c_str(), &source));
  std::ifstream in(path, std::ios::binary);
  const Bytes valid(std::istreambuf_iterator<char>(in), {});

  std::mt19937 rng(20261206);
  int loaded = 0;
  const int rounds = kroma_test::fuzzIterations(300);
  for (int round = 0; round < rounds; ++round) {
    Bytes bytes = mutate(valid, rng);
    if (round % 10 == 0) {  // noise, half of it behind the signature
      bytes.assign(rng() % 100, '\0');
      for (char& c : bytes) c = static_cast<char>(rng());
      if (rng() % 2) bytes = valid.substr(0, 8) + bytes;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::unique_ptr<GFX_IBitmap> own(GFX_LoadPNG(path.c_str(), nullptr));
    if (own) {
      ++loaded;
      ASSERT_TRUE(own->getWidth() >= 1 && own->getWidth() <= 16384) << round;
      ASSERT_TRUE(own->getHeight() >= 1 && own->getHeight() <= 16384) << round;
      GFX_GetPixel(own.get(), own->getWidth() - 1, own->getHeight() - 1);
    }
    GFX_MemBitmap into(2, 2);
    GFX_IBitmap* result = GFX_LoadPNG(path.c_str(), &into);
    ASSERT_EQ(result, own ? &into : nullptr) << round;
    if (result) {
      ASSERT_EQ(into.getWidth(), own->getWidth());
    }
  }
  // Damage that keeps the file readable (ancillary chunks, some data) still loads.
  EXPECT_GT(loaded, rounds / 40);
}
