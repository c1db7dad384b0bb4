#include "platform/bundle/Bundle.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string lastComponent(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

namespace Bundle {

std::string executable() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&executable), &info) == 0 || info.dli_fname == nullptr)
    return "";
  // The loader may report the path it was given, relative or through links.
  std::unique_ptr<char, decltype(&std::free)> real(realpath(info.dli_fname, nullptr), &std::free);
  return real ? real.get() : info.dli_fname;
}

std::string directory() {
  if (const char* overridden = std::getenv("KROMA_BUNDLE_DIR"); overridden && *overridden)
    return overridden;
  const std::string self = executable();
  return self.empty() ? "." : folderOf(self);
}

std::string resourcePath(const std::string& name) {
  return directory() + "/resources/" + lastComponent(name);
}

std::string imagePath(const std::string& name) {
  return directory() + "/resources/img/" + lastComponent(name);
}

std::optional<LoadedFile> loadResource(const std::string& name) {
  const std::string path = resourcePath(name);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  LoadedFile loaded;
  if (file) {
    const size_t wanted =
        st.st_size < maxResourceSize ? static_cast<size_t>(st.st_size) : maxResourceSize;
    loaded.bytes.resize((wanted + 7) / 8 * 8);
    loaded.size = static_cast<int>(std::fread(loaded.bytes.data(), 1, wanted, file.get()));
  }
  if (!file || std::ferror(file.get())) {
    std::printf("failed to open file");
    std::fflush(stdout);
    return std::nullopt;
  }
  return loaded;
}

}  // namespace Bundle
