#include <gtest/gtest.h>

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

// Noise, flipped bits and cut files: whatever loads, with or without the checksums, has sides
// within the limit, and loading into a given bitmap agrees with loading into a new one.
TEST(PngFuzz, RandomAndMutatedInputsAreSafe) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("fuzz.png");
  GFX_MemBitmap source(33, 5, 4);
  pattern(&source);
  ASSERT_TRUE(GFX_WritePNG(path.c_str(), &source));
  std::ifstream in(path, std::ios::binary);
  const std::string valid(std::istreambuf_iterator<char>(in), {});

  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(300);
  for (int round = 0; round < rounds; ++round) {
    std::string bytes = valid;
    if (round % 10 == 0) {  // noise, half of it behind the signature
      bytes.assign(rng() % 100, '\0');
      for (char& c : bytes) c = static_cast<char>(rng());
      if (rng() % 2) bytes = valid.substr(0, 8) + bytes;
    } else if (round % 3 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int flips = 1 + rng() % 3; flips > 0; --flips)
        bytes[rng() % bytes.size()] ^= static_cast<char>(1u << (rng() % 8));
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::unique_ptr<GFX_IBitmap> unchecked(GFX_LoadPNG(path.c_str(), nullptr, false));
    if (unchecked) {
      ASSERT_TRUE(unchecked->getWidth() >= 1 && unchecked->getWidth() <= 16384) << round;
      ASSERT_TRUE(unchecked->getHeight() >= 1 && unchecked->getHeight() <= 16384) << round;
    }
    std::unique_ptr<GFX_IBitmap> own(GFX_LoadPNG(path.c_str(), nullptr));
    if (own) {
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
}
