#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "toolkit/wsys/Font.h"
#include "toolkit/wsys/MemContext.h"

TEST(MemContext, FirstMemberDescribesTheCallersPixels) {
  std::vector<uint32_t> pixels(8 * 3);
  HDC dc = WSYS_CreateMemContext(pixels.data(), 6, 3, 8);
  ASSERT_NE(dc, nullptr);
  // The back end reads the bitmap context through the first member.
  WSYS_BitmapContext* context = *reinterpret_cast<WSYS_BitmapContext**>(dc);
  EXPECT_EQ(context->data, reinterpret_cast<unsigned char*>(pixels.data()));
  EXPECT_EQ(std::make_pair(context->width, context->bytesPerRow), std::make_pair(6, 32));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_EQ(WSYS_CreateMemContext(pixels.data(), 6, 3, 5), nullptr);
  EXPECT_EQ(WSYS_CreateMemContext(pixels.data(), -1, 3, 8), nullptr);
  EXPECT_EQ(WSYS_CreateMemContext(pixels.data(), 6, 0, INT_MAX), nullptr);  // bytes per row
  EXPECT_EQ(WSYS_CreateMemContext(pixels.data(), 6, 0, INT_MAX / 4 + 1), nullptr);
  // The widest row whose bytes still fit an int.
  HDC widest = WSYS_CreateMemContext(pixels.data(), 6, 0, INT_MAX / 4);
  ASSERT_NE(widest, nullptr);
  EXPECT_EQ((*reinterpret_cast<WSYS_BitmapContext**>(widest))->bytesPerRow, INT_MAX / 4 * 4);
  DeleteDC(widest);
  HDC empty = WSYS_CreateMemContext(nullptr, 0, 0, 0);
  ASSERT_NE(empty, nullptr);
  RECT r = {0, 0, 10, 10};
  EXPECT_EQ(DrawText(empty, "x", -1, &r, 0), 0);  // no font selected
  DeleteDC(empty);
}

TEST(MemContext, DrawsAndMeasuresWithTheSelectedFontAndColour) {
  constexpr int W = 64, H = 24;
  std::vector<uint32_t> pixels(W * H);
  HDC dc = WSYS_CreateMemContext(pixels.data(), W, H, W);
  HFONT font = CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0,
                          "DejaVu Sans");
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);  // not a font: nothing changes
  EXPECT_EQ(SetTextColor(dc, RGB(255, 0, 0)), 0u);
  EXPECT_EQ(SetTextColor(nullptr, RGB(1, 2, 3)), 0u);

  RECT measured = {0, 0, 0, 0};
  const int height = DrawText(dc, "Hi", -1, &measured, DT_CALCRECT);
  EXPECT_EQ(height, measured.bottom);
  EXPECT_GT(measured.right, 5);
  for (uint32_t p : pixels) ASSERT_EQ(p, 0u);

  // The colour's bytes (red lowest) land in the pixel's channels (alpha lowest), opaque.
  const struct {
    COLORREF colour;
    uint32_t pixel;
  } colours[] = {{RGB(255, 0, 0), 0x0000FFFFu},
                 {RGB(0, 255, 0), 0x00FF00FFu},
                 {RGB(0, 0, 255), 0xFF0000FFu},
                 {RGB(0x12, 0x34, 0x56), 0x563412FFu}};
  for (const auto& c : colours) {
    std::fill(pixels.begin(), pixels.end(), 0u);
    SetTextColor(dc, c.colour);
    RECT box = {0, 0, W, H};
    EXPECT_EQ(DrawText(dc, "Hi", -1, &box, DT_CENTER | DT_VCENTER), height);
    int lit = 0, other = 0;
    for (uint32_t p : pixels) {
      lit += p == c.pixel;
      other += p != 0 && p != c.pixel;
    }
    EXPECT_GT(lit, 10) << std::hex << c.colour;
    EXPECT_EQ(other, 0) << std::hex << c.colour;
  }
  // Over rows longer than the width, the text lands where it does over packed rows and the
  // padding stays untouched.
  constexpr int kSpan = W + 9;
  std::vector<uint32_t> padded(kSpan * H);
  HDC paddedDC = WSYS_CreateMemContext(padded.data(), W, H, kSpan);
  SelectObject(paddedDC, font);
  SetTextColor(paddedDC, RGB(255, 0, 0));
  SetTextColor(dc, RGB(255, 0, 0));
  std::fill(pixels.begin(), pixels.end(), 0u);
  RECT box = {0, 0, W, H};
  DrawText(dc, "Hi", -1, &box, DT_CENTER | DT_VCENTER);
  DrawText(paddedDC, "Hi", -1, &box, DT_CENTER | DT_VCENTER);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < kSpan; ++x)
      ASSERT_EQ(padded[y * kSpan + x], x < W ? pixels[y * W + x] : 0u) << x << "," << y;
  DeleteDC(paddedDC);
  DeleteDC(dc);
  DeleteObject(font);
}
