#include "platform/view/x11/detail/X11Canvas.h"

#include <map>
#include <memory>
#include <utility>

#include "toolkit/gfx/CachedFont.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"
#include "toolkit/wsys/Font.h"

namespace {

const char kKitFont[] = "DejaVu Sans";
constexpr int kKitSize = 13;

// Fonts by name and size, made once; our windows live on the GUI thread only.
GFX_CachedFont* FontOf(const std::string& name, int size) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<GFX_CachedFont>> fonts;
  const std::string face = name.empty() ? kKitFont : name;
  const int height = size > 0 ? size : kKitSize;
  std::unique_ptr<GFX_CachedFont>& font = fonts[{face, height}];
  if (!font) {
    font = std::make_unique<GFX_CachedFont>();
    font->SetFromHFont(CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY,
                                  0, face.c_str()),
                       GFX_FONT_OWNS | GFX_FONT_NATIVE);
  }
  return font.get();
}

}  // namespace

const uint32_t X11Canvas::kFace = GFX_Pixel(255, 236, 236, 236);
const uint32_t X11Canvas::kText = GFX_Pixel(255, 20, 20, 20);
const uint32_t X11Canvas::kGreyText = GFX_Pixel(255, 150, 150, 150);
const uint32_t X11Canvas::kLine = GFX_Pixel(255, 170, 170, 170);
const uint32_t X11Canvas::kHighlight = GFX_Pixel(255, 50, 100, 200);
const uint32_t X11Canvas::kHighlightText = GFX_Pixel(255, 255, 255, 255);

void X11Canvas::fill(int x, int y, int width, int height, uint32_t colour) {
  GFX_FillRect(&mBitmap, x, y, width, height, colour, 1.f, GFX_MODE_COPY);
}

void X11Canvas::frame(int x, int y, int width, int height, uint32_t colour) {
  fill(x, y, width, 1, colour);
  fill(x, y + height - 1, width, 1, colour);
  fill(x, y, 1, height, colour);
  fill(x + width - 1, y, 1, height, colour);
}

void X11Canvas::line(int x1, int y1, int x2, int y2, uint32_t colour) {
  GFX_Line(&mBitmap, x1, y1, x2, y2, colour, 1.f, GFX_MODE_COPY, true);
}

void X11Canvas::text(const std::string& text, int x, int y, int width, int height, uint32_t colour,
                     unsigned flags, const std::string& font, int size) {
  GFX_CachedFont* cached = FontOf(font, size);
  cached->SetTextColor(colour);
  RECT rect = {x, y, x + width, y + height};
  cached->DrawText(&mBitmap, text.c_str(), -1, &rect, flags);
}

int X11Canvas::textWidth(const std::string& text, const std::string& font, int size) {
  RECT rect = {0, 0, 0, 0};
  FontOf(font, size)->DrawText(nullptr, text.c_str(), -1, &rect, DT_CALCRECT);
  return rect.right - rect.left;
}

int X11Canvas::lineHeight(const std::string& font, int size) {
  return FontOf(font, size)->GetLineHeight();
}
