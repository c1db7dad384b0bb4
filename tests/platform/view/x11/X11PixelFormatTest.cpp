#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <cstring>
#include <vector>

#include "platform/view/x11/X11Display.h"

// Engine pixels (alpha in bits 0-7, red, green, blue) into the formats of
// the visuals a server may offer.
namespace {

// The 32-bit rows are read as stored: the red-green-blue visuals keep the engine's alpha in the
// top byte (a 32-deep visual shows it), other channel orders leave it clear.
TEST(X11PixelFormat, EnginePixelsBecomeEachVisualsPixels) {
  const struct {
    unsigned long red, green, blue;
    int depth, bitsPerPixel;
    unsigned long expected;  // of red 0x12, green 0x34, blue 0x56, alpha 0xFF
    unsigned long white;     // of all channels full
  } cases[] = {
      {0xFF0000, 0xFF00, 0xFF, 24, 32, 0xFF123456, 0xFFFFFFFF},
      {0xFF0000, 0xFF00, 0xFF, 32, 32, 0xFF123456, 0xFFFFFFFF},
      {0xFF, 0xFF00, 0xFF0000, 24, 32, 0x563412, 0xFFFFFF},           // blue first
      {0xF800, 0x7E0, 0x1F, 16, 16, 2 << 11 | 13 << 5 | 10, 0xFFFF},  // each channel rounded
  };
  for (const auto& c : cases) {
    Visual visual{};
    visual.red_mask = c.red, visual.green_mask = c.green, visual.blue_mask = c.blue;
    std::vector<char> data(64);
    XImage image{};
    image.width = 2, image.height = 2, image.format = ZPixmap, image.data = data.data();
    image.byte_order = LSBFirst, image.bitmap_unit = 32, image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32, image.depth = c.depth, image.bits_per_pixel = c.bitsPerPixel;
    image.bytes_per_line = 16;
    image.red_mask = c.red, image.green_mask = c.green, image.blue_mask = c.blue;
    ASSERT_TRUE(XInitImage(&image));
    const uint32_t pixels[4] = {0x563412FFu, 0, 0, 0xFFFFFFFFu};
    X11PixelFormat(&visual, c.depth).convert(pixels, 2, &image, 0, 0, 2, 2);
    const auto at = [&](int x, int y) -> unsigned long {
      if (c.bitsPerPixel != 32) return XGetPixel(&image, x, y);
      uint32_t stored = 0;
      std::memcpy(&stored, data.data() + y * image.bytes_per_line + x * 4, 4);
      return stored;
    };
    EXPECT_EQ(at(0, 0), c.expected) << c.depth << " " << c.red;
    EXPECT_EQ(at(1, 1), c.white) << c.depth << " " << c.red;
    EXPECT_EQ(at(1, 0), 0u) << c.depth << " " << c.red;
  }
}

}  // namespace
