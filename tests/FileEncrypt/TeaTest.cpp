#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"
#include "tests/support/Iterations.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(Tea, MatchesThePublishedVectorInWordAndBigEndianByteForm) {
  unsigned int key[4] = {0, 0, 0, 0};
  unsigned int words[2] = {0, 0};
  Tea::encryptTea(words, key);
  EXPECT_EQ(words[0], 0x41EA3A0Au);
  EXPECT_EQ(words[1], 0x94BAA940u);
  Tea::decryptTea(words, key);
  EXPECT_EQ(words[0], 0u);
  EXPECT_EQ(words[1], 0u);

  // The byte form reads and writes both halves big-endian.
  unsigned int other[4] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210};
  Bytes block = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
  unsigned int halves[2] = {0x10203040, 0x50607080};
  Tea::simpleencrypt(block.data(), other);
  Tea::encryptTea(halves, other);
  Bytes expected;
  for (unsigned int w : halves)
    for (int shift = 24; shift >= 0; shift -= 8) expected.push_back((w >> shift) & 0xFF);
  EXPECT_EQ(block, expected);
}

// Files shipped enciphered with this key only open if every word of it stays as it was.
TEST(Tea, ConfigKeyWordsAreLittleEndian) {
  unsigned int key[4];
  configKeyWords(key);
  const unsigned int expected[4] = {0xC4A0175Eu, 0x803F9BD2u, 0xB27C41E6u, 0x3AF9058Du};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(key[i], expected[i]) << "word " << i;
}

TEST(Tea, SingleBlocksAndBatchesRoundTrip) {
  unsigned int key[4];
  configKeyWords(key);
  std::mt19937 random(7);
  Bytes plain(8 * 21);  // not a multiple of the batch size
  for (unsigned char& b : plain) b = static_cast<unsigned char>(random());

  Bytes data = plain;
  for (size_t i = 0; i < data.size(); i += 8) Tea::simpleencrypt(&data[i], key);
  EXPECT_NE(data, plain);
  // Equal plain blocks encipher alike wherever they stand.
  Bytes again(plain.begin() + 80, plain.begin() + 88);
  Tea::simpleencrypt(again.data(), key);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), data.begin() + 80));

  Bytes single = data;
  for (size_t i = 0; i < single.size(); i += 8) Tea::simpledecrypt(&single[i], key);
  EXPECT_EQ(single, plain);
  Tea::decryptBlocks(data.data(), data.size() / 8, key);
  EXPECT_EQ(data, plain);
}

// Length-tagged buffers round-trip whole; damaged, cut or random ones never promise more bytes
// than stand before the tag, and buffers too short for a tag are left alone.
TEST(Tea, LengthTaggedBuffersRoundTripAndBadOnesStayInBounds) {
  unsigned int key[4] = {5, 6, 7, 8};
  std::mt19937 random(20261206);
  const int rounds = kroma_test::fuzzIterations(2000);
  for (int round = 0; round < rounds; ++round) {
    const unsigned int n = random() % 100;
    // Exactly the bytes the length names, so that any access beyond them shows.
    Bytes buffer((n + 7) / 8 * 8 + 8);
    for (unsigned int i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(random());
    const Bytes original(buffer.begin(), buffer.begin() + n);
    unsigned int length = n;
    Tea::encryptBlock(buffer.data(), &length, key);
    ASSERT_EQ(length, buffer.size());
    const int damage = random() % 4;
    if (damage == 0) {
      buffer[random() % buffer.size()] ^= static_cast<unsigned char>(1u << (random() % 8));
    } else if (damage == 1) {  // cut, not always at a block edge
      length = static_cast<unsigned int>(random() % (buffer.size() + 1));
      buffer.resize(length);
    } else if (damage == 2) {
      for (unsigned char& b : buffer) b = static_cast<unsigned char>(random());
    }
    const unsigned int given = length;
    Bytes plain(buffer);
    Tea::decryptBlock(plain.data(), &length, key);
    if (damage == 3) {
      ASSERT_EQ(length, n) << "round " << round;
      ASSERT_EQ(Bytes(plain.begin(), plain.begin() + n), original) << "round " << round;
    } else if (given < 8) {
      ASSERT_EQ(length, given);
      ASSERT_EQ(plain, buffer);
    } else {
      ASSERT_LE(length, given / 8 * 8 - 8) << "round " << round;
    }
  }
}

TEST(Tea, PrintBufferWritesTheBytesAndALineFeed) {
  unsigned char text[] = {'a', 'b', 'c'};
  testing::internal::CaptureStdout();
  Tea::printBuffer(text, 3);
  Tea::printBuffer(text, 0);
  Tea::printBuffer(text, -2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "abc\n\n\n");
}

}  // namespace
