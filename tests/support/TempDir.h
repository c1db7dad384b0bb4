#pragma once

#include <string>

namespace kroma_test {

// A fresh folder under the build tree (or /tmp), removed with everything in it
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return mPath; }
  // path() joined with a relative name.
  std::string file(const std::string& name) const;

 private:
  std::string mPath;
};

// Sets an environment variable for the lifetime of the object and restores
// the previous value afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string mName, mOld;
  bool mHadOld;
};

}  // namespace kroma_test
