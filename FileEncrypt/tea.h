#pragma once

#include <cstddef>

// The Tiny Encryption Algorithm on 64-bit blocks under a 128-bit key (four 32-bit words).
// Every routine works in place on caller-owned buffers.
class Tea {
 public:
  // One 8-byte block whose two halves are stored big-endian.
  static void simpleencrypt(unsigned char* block, unsigned int* key);
  static void simpledecrypt(unsigned char* block, unsigned int* key);

  // A block given as two words in the machine's own order.
  static void encryptTea(unsigned int* v, unsigned int* key);
  static void decryptTea(unsigned int* v, unsigned int* key);

  // Deciphers `blocks` independent big-endian blocks; several at a time, for speed.
  static void decryptBlocks(unsigned char* data, size_t blocks, const unsigned int* key);

  // A length-tagged buffer: encryptBlock stores *length after the data (room for 8m + 8 bytes,
  // m = (*length + 7) / 8) and enciphers it all; decryptBlock reverses that.
  static void encryptBlock(unsigned char* data, unsigned int* length, unsigned int* key);
  static void decryptBlock(unsigned char* data, unsigned int* length, unsigned int* key);

  static void printBuffer(unsigned char* data, int length);
};
