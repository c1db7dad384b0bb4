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

uint32_t readBE(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8 |
         static_cast<uint8_t>(b[at + 3]);
}

void writeBE(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + static_cast<size_t>(k)] = static_cast<char>(v >> (24 - 8 * k));
}

// Offsets of the chunks (their length words) of a PNG whose chunk lengths are intact.
std::vector<size_t> chunkStarts(const Bytes& png) {
  std::vector<size_t> starts;
  for (size_t at = 8; at + 12 <= png.size();) {
    starts.push_back(at);
    const uint64_t next = at + 12 + static_cast<uint64_t>(readBE(png, at));
    if (next > png.size()) break;
    at = static_cast<size_t>(next);
  }
  return starts;
}

// Gives the chunk at `at` the CRC its type and data deserve, so damage gets past the check.
void fixCrc(Bytes& png, size_t at) {
  const uint64_t end = at + 8 + static_cast<uint64_t>(readBE(png, at));
  if (end + 4 > png.size()) return;
  writeBE(png, static_cast<size_t>(end),
          crc32Of(png.data() + at + 4, static_cast<size_t>(end - at - 4)));
}

Bytes chunk(const std::string& type, const Bytes& data) {
  Bytes c(8, '\0');
  writeBE(c, 0, static_cast<uint32_t>(data.size()));
  c.replace(4, 4, type);
  c += data;
  c += Bytes(4, '\0');
  writeBE(c, c.size() - 4, crc32Of(c.data() + 4, c.size() - 8));
  return c;
}

Bytes mutate(Bytes png, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const std::vector<size_t> starts = chunkStarts(png);
  const size_t ihdr = 8;  // the writer puts IHDR first
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    switch (pick(7)) {
      case 0:
        if (!png.empty()) png[pick(png.size())] ^= static_cast<char>(1u << pick(8));
        break;
      case 1: {  // damage inside a chunk's data, CRC made good
        if (starts.empty()) break;
        const size_t at = starts[pick(starts.size())];
        const uint32_t length = readBE(png, at);
        if (length == 0 || at + 8 + length > png.size()) break;
        png[at + 8 + pick(length)] = static_cast<char>(rng());
        fixCrc(png, at);
        break;
      }
      case 2:
        png.resize(pick(png.size() + 1));
        break;
      case 3: {  // sides of any size, CRC made good
        if (png.size() < ihdr + 25) break;
        const uint32_t sides[] = {0, 1, 3, 300, 16385, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
        writeBE(png, ihdr + 8 + 4 * pick(2), sides[pick(8)]);
        fixCrc(png, ihdr);
        break;
      }
      case 4: {  // a length word huge or negative
        if (starts.empty()) break;
        const uint32_t lengths[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0, 1u << 20};
        writeBE(png, starts[pick(starts.size())], lengths[pick(5)]);
        break;
      }
      case 5: {  // another bit depth, colour type or interlace, CRC made good
        if (png.size() < ihdr + 25) break;
        png[ihdr + 16 + pick(5)] = static_cast<char>(pick(2) ? pick(17) : rng());
        fixCrc(png, ihdr);
        break;
      }
      default: {  // a well-formed chunk of another kind after IHDR
        if (png.size() < ihdr + 25) break;
        const char* const types[] = {"PLTE", "tRNS", "gAMA", "tEXt",
                                     "iCCP", "zTXt", "sBIT", "IDAT"};
        Bytes data(pick(40), '\0');
        for (char& c : data) c = static_cast<char>(rng());
        png.insert(ihdr + 25, chunk(types[pick(8)], data));
        break;
      }
    }
  }
  return png;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(PngFuzz, RandomAndMutatedInputsAreSafe) {
  kroma_test::TempDir dir;
  std::vector<Bytes> valid;
  for (const auto& size : {std::pair<int, int>{16, 12}, {1, 1}, {33, 5}}) {
    GFX_MemBitmap b(size.first, size.second, 4);
    pattern(&b);
    const std::string path = dir.file("valid.png");
    ASSERT_TRUE(GFX_WritePNG(path.c_str(), &b));
    valid.push_back(readBytes(path));
  }

  std::mt19937 rng(20261206);
  const std::string path = dir.file("mutated.png");
  int loaded = 0;
  const int rounds = kroma_test::fuzzIterations(300);
  for (int round = 0; round < rounds; ++round) {
    Bytes bytes;
    if (round % 10 == 0) {
      bytes.resize(rng() % 100);
      for (char& c : bytes) c = static_cast<char>(rng());
      if (rng() % 2) bytes = valid[0].substr(0, 8) + bytes;
    } else {
      bytes = mutate(valid[static_cast<size_t>(round) % valid.size()], rng);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    std::unique_ptr<GFX_IBitmap> own(GFX_LoadPNG(path.c_str(), nullptr));
    if (own) {
      ++loaded;
      ASSERT_TRUE(own->getWidth() >= 1 && own->getWidth() <= 16384) << round;
      ASSERT_TRUE(own->getHeight() >= 1 && own->getHeight() <= 16384) << round;
      // Every pixel of what loaded can be read.
      GFX_GetPixel(own.get(), own->getWidth() - 1, own->getHeight() - 1);
    }
    GFX_MemBitmap into(2, 2);
    GFX_IBitmap* result = GFX_LoadPNG(path.c_str(), &into);
    ASSERT_TRUE(result == nullptr || result == &into);
    ASSERT_EQ(result != nullptr, own != nullptr) << round;
    if (result) {
      ASSERT_EQ(into.getWidth(), own->getWidth());
      ASSERT_EQ(into.getHeight(), own->getHeight());
    }
  }
  // Damage that keeps the file readable (ancillary chunks, some data) still loads.
  EXPECT_GT(loaded, rounds / 40);
}
