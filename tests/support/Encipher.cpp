#include "Encipher.h"

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"

namespace kroma_test {

std::string encipher(const std::string& text) {
  std::string bytes = text;
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  unsigned int key[4];
  configKeyWords(key);
  for (size_t i = 0; i < bytes.size(); i += 8)
    Tea::simpleencrypt(reinterpret_cast<unsigned char*>(&bytes[i]), key);
  return bytes;
}

}  // namespace kroma_test
