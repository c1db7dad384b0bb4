#pragma once

#include <string>
#include <vector>

#include "src/config/UIConfigManager.h"
#include "tests/support/TempDir.h"

namespace config_test {

// A bundle folder of its own, named by KROMA_BUNDLE_DIR while the object lives.
class TestBundle {
 public:
  TestBundle();
  // Writes the text enciphered the way the build does.
  void writeEnciphered(const std::string& name, const std::string& text);
  void writeRaw(const std::string& name, const std::string& bytes);

 private:
  kroma_test::TempDir mDir;
  kroma_test::ScopedEnv mEnv;
};

// The text as the resource holds it: zero-padded to whole blocks and enciphered.
std::string encipher(const std::string& text);

// A manager whose log lines are collected.
struct LoggedManager {
  LoggedManager();
  UIConfigManager manager;
  std::vector<std::string> lines;
  bool logged(const std::string& part) const;
};

}  // namespace config_test
