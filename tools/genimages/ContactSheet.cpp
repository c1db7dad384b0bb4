#include "tools/genimages/detail/ContactSheet.h"

#include <algorithm>

#include "toolkit/gfx/Blit.h"
#include "toolkit/gfx/Modes.h"
#include "tools/genimages/Look.h"
#include "tools/genimages/detail/PngOut.h"

namespace {

constexpr int kSheetWidth = 1600;
constexpr int kGap = 12;
constexpr int kLabel = 16;
constexpr int kMaxWidth = 760;
constexpr Rgb kSheet = hex(0x7D848C);
const char* const kGroups[] = {"COMMON", "LIGHT STYLE (0)", "DARK STYLE (1)"};

std::unique_ptr<Canvas> thumbOf(Canvas& picture, int frames, bool horizontal) {
  if (frames > 16) {
    // Every 8th frame, side by side.
    const int fw = horizontal ? picture.width() / frames : picture.width();
    const int fh = horizontal ? picture.height() : picture.height() / frames;
    const int shown = (frames + 7) / 8;
    auto strip = std::make_unique<Canvas>(fw * shown, fh, kSheet);
    for (int i = 0; i < shown; ++i)
      GFX_Blit(&strip->bitmap(), &picture.bitmap(), i * fw, 0, horizontal ? i * 8 * fw : 0,
               horizontal ? 0 : i * 8 * fh, fw, fh, 1.f, GFX_MODE_COPY);
    return strip;
  }
  const int w = picture.width() > kMaxWidth ? picture.width() / 2 : picture.width();
  const int h = picture.width() > kMaxWidth ? picture.height() / 2 : picture.height();
  auto thumb = std::make_unique<Canvas>(w, h, kSheet);
  GFX_ScaledBlit(&thumb->bitmap(), &picture.bitmap(), 0, 0, w, h, 0.f, 0.f, (float)picture.width(),
                 (float)picture.height(), 1.f, GFX_MODE_BILINEAR);
  return thumb;
}

}  // namespace

void ContactSheet::add(int group, const std::string& name, std::unique_ptr<Canvas> picture,
                       int frames, bool framesHorizontal) {
  mItems.push_back(Item{group, name, thumbOf(*picture, frames, framesHorizontal)});
}

bool ContactSheet::write(const char* path) {
  // Lay out twice: once to measure, once to draw.
  struct Place {
    int x, y;
  };
  std::vector<Place> places;
  std::vector<int> headings;
  int x = kGap, y = 0, rowHeight = 0, group = -1;
  for (const Item& item : mItems) {
    const int w = std::max(item.thumb->width(), 120);
    if (item.group != group || x + w > kSheetWidth - kGap) {
      y += rowHeight + kGap, x = kGap, rowHeight = 0;
      if (item.group != group) headings.push_back(y), y += 30, group = item.group;
    }
    places.push_back(Place{x, y});
    x += w + kGap;
    rowHeight = std::max(rowHeight, item.thumb->height() + kLabel);
  }
  Canvas sheet(kSheetWidth, y + rowHeight + kGap, kSheet);
  for (size_t i = 0; i < headings.size(); ++i)
    sheet.text(kGroups[i], kGap, headings[i] + 4, 400, 24, 18, true, hex(0x101214), Align::Left);
  for (size_t i = 0; i < mItems.size(); ++i) {
    sheet.paste(*mItems[i].thumb, places[i].x, places[i].y);
    sheet.text(mItems[i].name.c_str(), places[i].x, places[i].y + mItems[i].thumb->height(), 300,
               kLabel, 10, false, hex(0x101214), Align::Left);
  }
  return writeFastPng(path, sheet.bitmap());
}
