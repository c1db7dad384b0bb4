#include "src/core/detail/LibrarianMenus.h"

#include <algorithm>
#include <cctype>

#include "src/core/Kroma.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/NumberMenus.h"
#include "toolkit/log.h"

const LibrarianMenuPlace kLibrarianMenuPlaces[kLibrarianMenuCount] = {
    {"UPPERPOPUPMENU", 70, IRECT(394, 188, 810, 207), false},
    {"LOWERPOPUPMENU", 71, IRECT(394, 461, 810, 480), false},
    {"LeftPerformancePopupMenu", 72, IRECT(394, 188, 810, 207), false},
    {"RightPerformancePopupMenu", 73, IRECT(394, 461, 810, 480), false},
    {"BANKEDITMENU", 74, IRECT(839, 187, 916, 205), false},
    {"RightPatchPopupMenu", 75, IRECT(394, 461, 810, 480), false},
    {"PROGRAMNUMBERMENU", 76, IRECT(1184, 60, 1229, 84), true},
    {"BANKNUMBERMENUPROGRAMS", 77, IRECT(1142, 60, 1180, 84), true},
    {"RightSearchPopupMenu", 78, IRECT(394, 461, 810, 480), false},
    {"PERFBANKNAMEMENUPROGRAMS", 79, IRECT(1142, 60, 1180, 84), false},
    {"PROGBANKNAMEMENUPROGRAMS", 80, IRECT(1142, 60, 1180, 84), false},
};

IControl* makeLibrarianMenu(LibrarianMenu menu, Kroma* plug, EditorWidgets& widgets,
                            PatchLibrarian* librarian, IRECT rect) {
  switch (menu) {
    case kLeftPatchMenu:
      return widgets.mLeftPatchMenu = new LeftPatchPopupMenu(plug, librarian, rect, plug);
    case kRightPatchMenu:
      return widgets.mRightPatchMenu = new RightPatchPopupMenu(plug, librarian, rect, plug);
    case kLeftPerfMenu:
      return widgets.mLeftPerfMenu = new LeftPerfPopupMenu(plug, librarian, rect, plug);
    case kRightPerfMenu:
      return widgets.mRightPerfMenu = new RightPerfPopupMenu(plug, librarian, rect, plug);
    case kBankEditMenu:
      return widgets.mBankEditMenu = new BankEditPopupMenu(plug, librarian, rect, plug);
    case kRightCategoryMenu:
      return widgets.mRightCategoryMenu = new RightCategoryPopupMenu(plug, librarian, rect, plug);
    case kProgramNumberMenu:
      return widgets.mProgramNumberMenu = new ProgramNumberPopupMenu(plug, librarian, rect, plug);
    case kBankNumberMenu:
      return widgets.mBankNumberMenu = new BankNumberPopupMenu(plug, librarian, rect, plug);
    case kRightSearchMenu:
      return widgets.mRightSearchMenu = new RightSearchPopupMenu(plug, librarian, rect, plug);
    case kPerfBankNameMenu:
      return widgets.mPerfBankNameMenu = new PerfBankNamePopupMenu(plug, librarian, rect, plug);
    case kProgBankNameMenu:
      return widgets.mProgBankNameMenu = new ProgBankNamePopupMenu(plug, librarian, rect, plug);
    default:
      return nullptr;
  }
}

namespace {

constexpr size_t kLongName = 53;
constexpr size_t kShortened = 47;

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::vector<std::string> bankDisplayNames(const std::vector<std::string>& fileNames,
                                          TK_LogSink* log) {
  std::vector<std::string> texts;
  std::string previous;
  int count = 0;
  for (const std::string& name : fileNames) {
    if (name.size() < kLongName) {
      texts.push_back(name);
      continue;
    }
    const std::string prefix = name.substr(0, kShortened);
    count = prefix == previous ? count + 1 : 1;
    previous = prefix;
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    texts.push_back(prefix + "~" + std::to_string(count) + "." + lowerCase(extension));
    if (log && log->IsOn())
      TK_Log(log, "PATCH LIBRARIAN: ",
             "Filename " + name + " RENAMED TO " + texts.back() +
                 " Because the filename was too long to fit in plug-in display!");
  }
  return texts;
}
