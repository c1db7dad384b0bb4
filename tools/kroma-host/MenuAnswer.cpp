#include "tools/kroma-host/MenuAnswer.h"

#include <sstream>
#include <utility>

namespace {

struct Line {
  int depth;
  std::string title;
};

std::vector<Line> parse(const std::string& lines) {
  std::vector<Line> parsed;
  std::istringstream in(lines);
  for (std::string text; std::getline(in, text);) {
    const size_t depth = text.find_first_not_of('\t');
    parsed.push_back({(int)(depth == std::string::npos ? text.size() : depth),
                      depth == std::string::npos ? "" : text.substr(depth)});
  }
  return parsed;
}

std::string joined(const std::vector<std::string>& titles, const char* between) {
  std::string text;
  for (const std::string& title : titles) text += (text.empty() ? "" : between) + title;
  return text;
}

// The titles of the items one level below `level` from line `from` on, up to the end of the
// sub-menu they are in.
std::vector<std::string> itemsBelow(const std::vector<Line>& lines, size_t from, int level) {
  std::vector<std::string> titles;
  for (size_t i = from; i < lines.size() && lines[i].depth > level; ++i)
    if (lines[i].depth == level + 1) titles.push_back(lines[i].title);
  return titles;
}

}  // namespace

void MenuAnswer::set(std::vector<std::string> path) {
  mPath = std::move(path);
  mWaiting = true;
}

int MenuAnswer::answer(void* self, const char* lines) {
  return static_cast<MenuAnswer*>(self)->choose(lines ? lines : "");
}

// Walks the path down the lines: each title is looked for among the items of the sub-menu of
// the one found before. The path must end on an item without a sub-menu: the view takes a
// sub-menu's title as a dismissal.
int MenuAnswer::choose(const std::string& text) {
  const std::vector<Line> lines = parse(text);
  if (!mWaiting) {
    mReport.push_back("  menu of " + std::to_string(lines.size()) + " lines dismissed");
    return -1;
  }
  mWaiting = false;
  int found = -1;
  for (size_t level = 0; level < mPath.size(); ++level) {
    const size_t from = found + 1;
    const std::vector<std::string> there = itemsBelow(lines, from, (int)level - 1);
    if (there.empty())
      return fail(level ? "\"" + mPath[level - 1] + "\" has no sub-menu" : "no items");
    found = -1;
    for (size_t i = from; i < lines.size() && lines[i].depth >= (int)level && found < 0; ++i)
      if (lines[i].depth == (int)level && lines[i].title == mPath[level]) found = (int)i;
    if (found < 0)
      return fail("no item \"" + mPath[level] + "\"; there are: " + joined(there, " | "));
  }
  const std::vector<std::string> sub = itemsBelow(lines, found + 1, (int)mPath.size() - 1);
  if (!sub.empty())
    return fail("\"" + mPath.back() + "\" opens a sub-menu, which holds: " + joined(sub, " | "));
  mReport.push_back("  menu: chose " + joined(mPath, " > "));
  return found;
}

int MenuAnswer::fail(const std::string& found) {
  mFailed = true;
  mReport.push_back("  menu: " + found);
  return -1;
}

bool MenuAnswer::report(std::vector<std::string>& lines) {
  lines.insert(lines.end(), mReport.begin(), mReport.end());
  mReport.clear();
  const bool ok = !mFailed;
  mFailed = false;
  return ok;
}
