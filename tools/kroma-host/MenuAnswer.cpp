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

}  // namespace

void MenuAnswer::set(std::vector<std::string> path) {
  mPath = std::move(path);
  mWaiting = true;
}

int MenuAnswer::answer(void* self, const char* lines) {
  return static_cast<MenuAnswer*>(self)->choose(lines ? lines : "");
}

// Walks the path down the lines: each title is looked for among the items one level deeper
// than the last one found, up to the end of that item's sub-menu.
int MenuAnswer::choose(const std::string& text) {
  const std::vector<Line> lines = parse(text);
  if (!mWaiting) {
    mReport.push_back("  menu of " + std::to_string(lines.size()) + " lines dismissed");
    return -1;
  }
  mWaiting = false;
  int found = -1;
  size_t from = 0, to = lines.size();
  for (size_t level = 0; level < mPath.size(); ++level) {
    std::vector<std::string> there;
    found = -1;
    for (size_t i = from; i < to; ++i) {
      if (lines[i].depth < (int)level) break;
      if (lines[i].depth != (int)level) continue;
      there.push_back(lines[i].title);
      if (lines[i].title == mPath[level] && found < 0) found = (int)i;
    }
    if (found < 0) {
      mFailed = true;
      mReport.push_back("  menu: no item \"" + mPath[level] +
                        "\"; there are: " + joined(there, " | "));
      return -1;
    }
    from = found + 1;
  }
  mReport.push_back("  menu: chose " + joined(mPath, " > "));
  return found;
}

bool MenuAnswer::report(std::vector<std::string>& lines) {
  lines.insert(lines.end(), mReport.begin(), mReport.end());
  mReport.clear();
  const bool ok = !mFailed;
  mFailed = false;
  return ok;
}
