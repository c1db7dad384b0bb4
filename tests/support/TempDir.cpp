#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kroma_test {

TempDir::TempDir() {
  const char* base = std::getenv("KROMA_TEST_TMP");
  std::string root = base && *base ? base : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(root);
  std::string pattern = root + "/kroma-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed under " + root);
  mPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(mPath, ec);
}

std::string TempDir::file(const std::string& name) const {
  return mPath + "/" + name;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : mName(name) {
  const char* old = std::getenv(name);
  mHadOld = old != nullptr;
  if (old) mOld = old;
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (mHadOld)
    setenv(mName.c_str(), mOld.c_str(), 1);
  else
    unsetenv(mName.c_str());
}

}  // namespace kroma_test
