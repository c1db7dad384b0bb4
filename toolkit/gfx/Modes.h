#pragma once

// The drawing mode of every drawing call.
//
// Low byte: how a source colour s combines with the destination d, per colour channel 0..255:
//   0 copy        c = s
//   1 add         c = min(255, s + d)
//   2 dodge       c = 255 when s = 255, else min(255, d * 255 / (255 - s))
//   3 multiply    c = (s * d + 127) / 255
//   4 overlay     c = (2 * s * d + 127) / 255 when d < 128,
//                 else 255 - (2 * (255 - s) * (255 - d) + 127) / 255
//   5 HSV adjust  d is turned by s.red / 255 of a full hue circle, its saturation is
//                 multiplied by s.green / 128 and its value by s.blue / 128 (capped at 1);
//                 s = (0, 128, 128) leaves d as it is
//   other values draw as copy.
// The weight w (0..256) is round(alpha * 256), alpha held to 0..1; with GFX_MODE_SRCALPHA it
// is further multiplied by (s.alpha + s.alpha / 128) / 256. A weight of 0 leaves d alone;
// otherwise each colour channel becomes (c * w + d * (256 - w) + 128) / 256.
// Alpha channel: with GFX_MODE_SRCALPHA the source is laid over d,
// d.alpha + ((255 - d.alpha) * w + 128) / 256; without it the alpha channel mixes like a
// colour channel in copy mode, so a plain copy copies the source's alpha.
enum : int {
  GFX_MODE_COPY = 0,
  GFX_MODE_ADD = 1,
  GFX_MODE_DODGE = 2,
  GFX_MODE_MULTIPLY = 3,
  GFX_MODE_OVERLAY = 4,
  GFX_MODE_HSVADJUST = 5,
  GFX_MODE_MASK = 0xff,
  GFX_MODE_BILINEAR = 0x100,  // scaled and rotated blits filter bilinearly
  GFX_MODE_SRCALPHA = 0x10000,
};

// Pixels: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31.
inline unsigned int GFX_Pixel(int a, int r, int g, int b) {
  return (unsigned int)(a & 0xff) | (unsigned int)(r & 0xff) << 8 | (unsigned int)(g & 0xff) << 16 |
         (unsigned int)(b & 0xff) << 24;
}
