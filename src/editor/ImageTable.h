#pragma once

#include <cstddef>

// One picture of the editor: the name the layout asks for, the resource id it is cached under,
// the bundle file, and how its frames lie (side by side when framesHorizontal is set, else
// stacked).
struct ImageRow {
  const char* name;
  int id;
  const char* file;
  int frames;
  bool framesHorizontal;
};

// A run of table rows, for range loops.
struct ImageRows {
  const ImageRow* first;
  size_t count;
  const ImageRow* begin() const { return first; }
  const ImageRow* end() const { return first + count; }
  size_t size() const { return count; }
};

// The rows loaded whatever the style.
ImageRows commonImageRows();
// The rows of a GUI style: 0 light, 1 dark; no rows for any other style. Both styles hold the
// same names, so that one layout serves both.
ImageRows styleImageRows(int style);

// Resource ids the plug-in core loads by id.
constexpr int kEditorBackgroundId = 104;
constexpr int kProgressOverlayIdLight = 122;
constexpr int kProgressOverlayIdDark = 995;
