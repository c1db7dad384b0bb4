#include "FileEncrypt/ConfigKey.h"

namespace {

const unsigned char configKey[16] = {0x5e, 0x17, 0xa0, 0xc4, 0xd2, 0x9b, 0x3f, 0x80,
                                     0xe6, 0x41, 0x7c, 0xb2, 0x8d, 0x05, 0xf9, 0x3a};

}  // namespace

void configKeyWords(unsigned int words[4]) {
  for (int i = 0; i < 4; ++i) {
    const unsigned char* b = configKey + 4 * i;
    words[i] =
        unsigned(b[0]) | (unsigned(b[1]) << 8) | (unsigned(b[2]) << 16) | (unsigned(b[3]) << 24);
  }
}
