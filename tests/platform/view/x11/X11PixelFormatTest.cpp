#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <vector>

#include "platform/view/x11/X11Display.h"

// Engine pixels (alpha in bits 0-7, red, green, blue) into the formats of
// the visuals a server may offer.
namespace {

TEST(X11PixelFormat, EnginePixelsBecomeEachVisualsPixels) {
  const struct {
    unsigned long red, green, blue;
    int depth, bitsPerPixel;
    unsigned long expected;  // of red 0x12, green 0x34, blue 0x56
  } cases[] = {
      {0xFF0000, 0xFF00, 0xFF, 24, 32, 0x123456},
      {0xFF, 0xFF00, 0xFF0000, 24, 32, 0x563412},             // blue first
      {0xF800, 0x7E0, 0x1F, 16, 16, 2 << 11 | 13 << 5 | 10},  // each channel rounded
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
    const unsigned long white = c.red | c.green | c.blue;
    EXPECT_EQ(XGetPixel(&image, 0, 0) & white, c.expected);
    EXPECT_EQ(XGetPixel(&image, 1, 1) & white, white);
    EXPECT_EQ(XGetPixel(&image, 1, 0) & white, 0u);
  }
}

}  // namespace
