#include "tools/layoutgen/tables/ImageSizes.h"

#include <cstring>

#include "src/editor/ImageTable.h"
#include "tools/genimages/Art.h"

namespace layout_tables {
namespace {

std::string stemOf(const char* file) {
  const char* slash = std::strrchr(file, '/');
  const std::string name = slash ? slash + 1 : file;
  return name.substr(0, name.rfind('.'));
}

}  // namespace

// Both styles draw a name at one size, so the light style's rows serve for both.
ImageSize imageSize(const std::string& name) {
  for (ImageRows rows : {commonImageRows(), styleImageRows(0)})
    for (const ImageRow& row : rows)
      if (name == row.name) {
        const Art* art = artFor(stemOf(row.file).c_str());
        return art ? ImageSize{art->w, art->h, row.frames} : ImageSize{};
      }
  return {};
}

bool isCommonImage(const std::string& name) {
  for (const ImageRow& row : commonImageRows())
    if (name == row.name) return true;
  return false;
}

}  // namespace layout_tables
