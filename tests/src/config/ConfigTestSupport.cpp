#include "ConfigTestSupport.h"

#include <sys/stat.h>

#include <fstream>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"

namespace config_test {

TestBundle::TestBundle() : mEnv("KROMA_BUNDLE_DIR", mDir.path().c_str()) {
  mkdir(mDir.file("resources").c_str(), 0755);
}

void TestBundle::writeEnciphered(const std::string& name, const std::string& text) {
  writeRaw(name, encipher(text));
}

void TestBundle::writeRaw(const std::string& name, const std::string& bytes) {
  std::ofstream(mDir.file("resources/" + name), std::ios::binary) << bytes;
}

std::string encipher(const std::string& text) {
  std::string bytes = text;
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  unsigned int key[4];
  configKeyWords(key);
  for (size_t i = 0; i < bytes.size(); i += 8)
    Tea::simpleencrypt(reinterpret_cast<unsigned char*>(&bytes[i]), key);
  return bytes;
}

LoggedManager::LoggedManager() {
  manager.setLog([this](const std::string& line) { lines.push_back(line); });
}

bool LoggedManager::logged(const std::string& part) const {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace config_test
