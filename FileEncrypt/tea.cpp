#include "FileEncrypt/tea.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t delta = 0x9E3779B9u;
constexpr uint32_t decipherSum = 0xC6EF3720u;  // 32 * delta, wrapped
constexpr int cycles = 32;
constexpr size_t lanes = 8;  // blocks deciphered side by side

uint32_t readBigEndian(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void writeBigEndian(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

// The same cycles as decryptTea over `count` blocks at once, so the compiler can interleave them.
void decipherLanes(uint32_t* y, uint32_t* z, size_t count, const unsigned int* k) {
  uint32_t sum = decipherSum;
  for (int i = 0; i < cycles; ++i) {
    for (size_t l = 0; l < count; ++l) {
      z[l] -= ((y[l] << 4) + k[2]) ^ (y[l] + sum) ^ ((y[l] >> 5) + k[3]);
      y[l] -= ((z[l] << 4) + k[0]) ^ (z[l] + sum) ^ ((z[l] >> 5) + k[1]);
    }
    sum -= delta;
  }
}

}  // namespace

void Tea::encryptTea(unsigned int* v, unsigned int* k) {
  uint32_t y = v[0], z = v[1], sum = 0;
  for (int i = 0; i < cycles; ++i) {
    sum += delta;
    y += ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
    z += ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
  }
  v[0] = y;
  v[1] = z;
}

void Tea::decryptTea(unsigned int* v, unsigned int* k) {
  decipherLanes(&v[0], &v[1], 1, k);
}

void Tea::simpleencrypt(unsigned char* block, unsigned int* key) {
  unsigned int v[2] = {readBigEndian(block), readBigEndian(block + 4)};
  encryptTea(v, key);
  writeBigEndian(block, v[0]);
  writeBigEndian(block + 4, v[1]);
}

void Tea::simpledecrypt(unsigned char* block, unsigned int* key) {
  decryptBlocks(block, 1, key);
}

void Tea::decryptBlocks(unsigned char* data, size_t blocks, const unsigned int* key) {
  uint32_t y[lanes], z[lanes];
  for (size_t first = 0; first < blocks; first += lanes) {
    const size_t count = blocks - first < lanes ? blocks - first : lanes;
    unsigned char* p = data + first * 8;
    for (size_t l = 0; l < count; ++l) {
      y[l] = readBigEndian(p + l * 8);
      z[l] = readBigEndian(p + l * 8 + 4);
    }
    decipherLanes(y, z, count, key);
    for (size_t l = 0; l < count; ++l) {
      writeBigEndian(p + l * 8, y[l]);
      writeBigEndian(p + l * 8 + 4, z[l]);
    }
  }
}

void Tea::encryptBlock(unsigned char* data, unsigned int* length, unsigned int* key) {
  const unsigned int m = (*length + 7) / 8;
  const uint32_t n = *length;
  std::memcpy(data + 8 * m + 4, &n, sizeof n);
  *length = 8 * m + 8;
  for (unsigned int b = 0; b <= m; ++b) {
    unsigned int v[2];
    std::memcpy(v, data + 8 * b, 8);
    encryptTea(v, key);
    std::memcpy(data + 8 * b, v, 8);
  }
}

void Tea::decryptBlock(unsigned char* data, unsigned int* length, unsigned int* key) {
  const unsigned int blocks = *length / 8;
  if (blocks == 0) return;  // no room for the length word
  for (unsigned int b = 0; b < blocks; ++b) {
    unsigned int v[2];
    std::memcpy(v, data + 8 * b, 8);
    decryptTea(v, key);
    std::memcpy(data + 8 * b, v, 8);
  }
  uint32_t n;
  std::memcpy(&n, data + 8 * blocks - 4, sizeof n);
  // A damaged tag must not promise bytes beyond those before the tag block.
  const unsigned int room = 8 * (blocks - 1);
  *length = n < room ? n : room;
}

void Tea::printBuffer(unsigned char* data, int length) {
  for (int i = 0; i < length; ++i) std::putchar(data[i]);
  std::putchar('\n');
}
