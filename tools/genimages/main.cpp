// Draws every picture of the editor's image table, for both colour styles, into the bundle's
// image folder, and a contact sheet of them all for review. With a layout, the pictures also
// carry the labels the layout prints on them.
//   genimages <image folder> <contact sheet.png> [layout.xml]
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "src/editor/ImageTable.h"
#include "tools/genimages/Art.h"
#include "tools/genimages/detail/ContactSheet.h"
#include "tools/genimages/detail/LayoutLabels.h"
#include "tools/genimages/detail/PngOut.h"

namespace {

std::string stemOf(const char* file) {
  const char* slash = std::strrchr(file, '/');
  std::string stem = slash ? slash + 1 : file;
  return stem.substr(0, stem.rfind('.'));
}

// Draws one row's file; false when its art is unknown or it cannot be written.
bool draw(const ImageRow& row, int style, const std::string& folder, ContactSheet& sheet, int group,
          const PictureLabels& labels) {
  const std::string stem = stemOf(row.file);
  const Art* art = artFor(stem.c_str());
  if (!art) {
    std::fprintf(stderr, "genimages: no art for %s\n", row.file);
    return false;
  }
  const bool horizontal = row.framesHorizontal && row.frames > 1;
  auto picture = std::make_unique<Canvas>(art->w * (horizontal ? row.frames : 1),
                                          art->h * (horizontal ? 1 : row.frames), look::kPlate);
  for (int i = 0; i < row.frames; ++i)
    art->paint(*picture, look::palette(style),
               Frame{horizontal ? i * art->w : 0, horizontal ? 0 : i * art->h, art->w, art->h, i,
                     row.frames, art->variant, art->label});
  const auto printed = labels.find(row.name);
  if (printed != labels.end()) printLabels(*picture, look::palette(style), printed->second);
  const std::string path = folder + "/" + stem + ".png";
  if (!writeFastPng(path.c_str(), picture->bitmap())) {
    std::fprintf(stderr, "genimages: cannot write %s\n", path.c_str());
    return false;
  }
  sheet.add(group, stem, std::move(picture), row.frames, horizontal);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: genimages <image folder> <contact sheet.png> [layout.xml]\n");
    return 2;
  }
  PictureLabels labels;
  if (argc == 4 && !readPictureLabels(argv[3], labels)) {
    std::fprintf(stderr, "genimages: cannot read %s\n", argv[3]);
    return 1;
  }
  ContactSheet sheet;
  std::set<std::string> written;
  bool ok = true;
  auto drawRows = [&](ImageRows rows, int style, int group) {
    for (const ImageRow& row : rows)
      if (written.insert(row.file).second)
        ok = draw(row, style, argv[1], sheet, group, labels) && ok;
  };
  drawRows(commonImageRows(), look::kCommonStyle, 0);
  drawRows(styleImageRows(0), 0, 1);
  drawRows(styleImageRows(1), 1, 2);
  if (!sheet.write(argv[2])) {
    std::fprintf(stderr, "genimages: cannot write %s\n", argv[2]);
    ok = false;
  }
  return ok ? 0 : 1;
}
