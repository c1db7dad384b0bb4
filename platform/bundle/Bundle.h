#pragma once

#include <optional>
#include <string>
#include <vector>

// The plug-in bundle: the folder that holds the loaded shared object, with its files under
// "resources/". KROMA_BUNDLE_DIR, when set, names the bundle instead (tests).
namespace Bundle {

// The most a resource load reads; longer files are cut there.
constexpr int maxResourceSize = 4096000;

struct LoadedFile {
  // The file's bytes, then zero bytes up to the next multiple of 8.
  std::vector<unsigned char> bytes;
  int size = 0;  // bytes read from the file
};

std::string directory();

// The loaded shared object itself (the bundle's executable).
std::string executable();

// Only the last path component of name counts: "resources/uiconfig.tea" and "uiconfig.tea"
// both name <bundle>/resources/uiconfig.tea.
std::string resourcePath(const std::string& name);
// Pictures live in the resources' "img" folder; again only the last component of name counts.
std::string imagePath(const std::string& name);

// Nothing when the resource is missing; when it exists but cannot be read, also prints
// "failed to open file" to standard output.
std::optional<LoadedFile> loadResource(const std::string& name);

}  // namespace Bundle
