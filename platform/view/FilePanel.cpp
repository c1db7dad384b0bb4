#include <sys/stat.h>

#include "platform/view/View.h"

bool VIEW_IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool VIEW_WouldReplace(const VIEW_FilePanel& panel, const std::string& path) {
  struct stat st {};
  // lstat: a link whose file is gone is still a name that would be replaced.
  return panel.save && !path.empty() && lstat(path.c_str(), &st) == 0 && !VIEW_IsFolder(path);
}

namespace {

// The question about the file at `path`: its name quoted, what is the matter with it, then
// whether to replace it.
VIEW_ReplaceQuestion ReplaceQuestion(const std::string& path, const std::string& matter) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  return {"Replace File",
          "\"" + name + "\" " + matter + "\nDo you want to replace it?",
          {"Cancel", "Replace"}};
}

}  // namespace

VIEW_ReplaceQuestion VIEW_AskReplace(const std::string& path) {
  return ReplaceQuestion(path, "already exists.");
}

VIEW_ReplaceQuestion VIEW_AskReplaceChanged(const std::string& path) {
  return ReplaceQuestion(path, "has changed on disk since it was opened.");
}
