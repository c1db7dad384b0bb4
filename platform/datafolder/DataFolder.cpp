#include "platform/datafolder/DataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

const char* kFolderUnderDataHome = "Quillon Bay Sound/Tessmar Kroma Editor/";

std::string envValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string withClosingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string homeFolder() {
  std::string home = envValue("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

// Relative XDG_DATA_HOME values are to be ignored, as the base-directory rules say.
std::string dataHome() {
  const std::string xdg = envValue("XDG_DATA_HOME");
  if (!xdg.empty() && xdg.front() == '/') return xdg;
  return homeFolder() + "/.local/share";
}

std::string ownFile(const char* suffix) {
  return DataFolder::path() + DataFolder::kEffectName + suffix;
}

}  // namespace

std::string DataFolder::path() {
  const std::string overridden = envValue("KROMA_DATA_DIR");
  if (!overridden.empty()) return withClosingSlash(overridden);
  return withClosingSlash(dataHome()) + kFolderUnderDataHome;
}

std::string DataFolder::patchesFolder() {
  return path() + "Patches";
}

std::string DataFolder::logFile() {
  return ownFile(" LOG.txt");
}

std::string DataFolder::uiSettingsFile() {
  return ownFile(" UI.txt");
}

std::string DataFolder::samplesFile() {
  return ownFile(" Samples.txt");
}

std::string DataFolder::userManual() {
  return path() + "Tessmar Kroma User Manual.pdf";
}
