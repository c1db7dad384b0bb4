#pragma once

#include <string>
#include <vector>

#include "toolkit/plugin/editor/IDrawTypes.h"

class IControl;
class Kroma;
struct EditorWidgets;
class PatchLibrarian;
class TK_LogSink;

// The librarian's selection and edit menus and the top bar's bank and program menus, which the
// plug-in makes for itself when it starts, each in a layer of its own that it attaches above the
// layout's. The slot edit and slot copy menus are made when they open, not here.
enum LibrarianMenu : int {
  kLeftPatchMenu = 0,
  kRightPatchMenu,
  kLeftPerfMenu,
  kRightPerfMenu,
  kBankEditMenu,
  kRightCategoryMenu,
  kProgramNumberMenu,
  kBankNumberMenu,
  kRightSearchMenu,
  kPerfBankNameMenu,
  kProgBankNameMenu,
  kLibrarianMenuCount
};

// Where a menu lives: its layer's name and id, its rectangle in unscaled editor pixels and
// whether its layer shows at start. In the order the menus are made.
struct LibrarianMenuPlace {
  const char* layerName;
  int layerId;
  IRECT rect;
  bool shown;
};
extern const LibrarianMenuPlace kLibrarianMenuPlaces[kLibrarianMenuCount];

// Makes the control of `menu` at `rect` (scaled) and keeps it in the plug-in's field of it.
IControl* makeLibrarianMenu(LibrarianMenu menu, Kroma* plug, EditorWidgets& widgets,
                            PatchLibrarian* librarian, IRECT rect);

// The texts the bank-selection lists show for bank files named `fileNames`, in list order. A name
// of 53 characters or more is shortened to its first 47, "~", a number counting the names in a
// row that shorten alike, "." and its extension in lower case; each such renaming is logged
// while `log` is on. Shorter names show unchanged.
std::vector<std::string> bankDisplayNames(const std::vector<std::string>& fileNames,
                                          TK_LogSink* log);
