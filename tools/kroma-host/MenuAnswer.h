#pragma once

#include <string>
#include <vector>

// What the host's user picks in the next popup menu of one headless editor: a path of item
// titles, the first in the menu itself, each further one in the sub-menu of the one before. The
// view hands the menu over as lines (VIEW_MenuLines); the answer is the line the path ends on.
class MenuAnswer {
 public:
  void set(std::vector<std::string> path);
  // Whether the path set last still waits for its menu; forget() stops it waiting.
  bool waiting() const { return mWaiting; }
  void forget() { mWaiting = false; }
  // The answerer for VIEW_HostFrame::menu, with a MenuAnswer as its host.
  static int answer(void* self, const char* lines);
  // What happened to the menus shown since the last call, one line each ("  menu: chose ...");
  // false when a path named no item of its menu.
  bool report(std::vector<std::string>& lines);

 private:
  int choose(const std::string& lines);
  // Reports what the path found instead of its item; -1, the menu's dismissal.
  int fail(const std::string& found);

  std::vector<std::string> mPath;
  bool mWaiting = false;
  bool mFailed = false;
  std::vector<std::string> mReport;
};
