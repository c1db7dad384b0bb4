// tea-encipher <input> <output>: enciphers a configuration text into the resource form the
// plug-in reads (the text, zero bytes up to the next multiple of 8, every block on its own).

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"

namespace {

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeFile(const char* path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tea-encipher <input> <output>\n");
    return 2;
  }
  std::vector<unsigned char> bytes;
  if (!readFile(argv[1], bytes)) {
    std::fprintf(stderr, "tea-encipher: cannot read %s\n", argv[1]);
    return 1;
  }
  bytes.resize((bytes.size() + 7) / 8 * 8, 0);
  unsigned int key[4];
  configKeyWords(key);
  for (size_t offset = 0; offset < bytes.size(); offset += 8)
    Tea::simpleencrypt(&bytes[offset], key);
  if (!writeFile(argv[2], bytes)) {
    std::fprintf(stderr, "tea-encipher: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
