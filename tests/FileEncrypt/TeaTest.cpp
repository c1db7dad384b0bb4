#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<unsigned char> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Tea, MatchesThePublishedVector) {
  unsigned int key[4] = {0, 0, 0, 0};
  unsigned int words[2] = {0, 0};
  Tea::encryptTea(words, key);
  EXPECT_EQ(words[0], 0x41EA3A0Au);
  EXPECT_EQ(words[1], 0x94BAA940u);
  Tea::decryptTea(words, key);
  EXPECT_EQ(words[0], 0u);
  EXPECT_EQ(words[1], 0u);

  // The byte form reads both halves big-endian.
  unsigned char block[8] = {};
  Tea::simpleencrypt(block, key);
  const unsigned char expected[8] = {0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40};
  EXPECT_EQ(std::vector<unsigned char>(block, block + 8),
            std::vector<unsigned char>(expected, expected + 8));
}

TEST(Tea, ByteFormAgreesWithWordFormUnderBigEndianHalves) {
  unsigned int key[4] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210};
  unsigned char block[8] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
  unsigned int words[2] = {0x10203040, 0x50607080};
  Tea::simpleencrypt(block, key);
  Tea::encryptTea(words, key);
  EXPECT_EQ(block[0], words[0] >> 24);
  EXPECT_EQ(block[3], words[0] & 0xFF);
  EXPECT_EQ(block[4], words[1] >> 24);
  EXPECT_EQ(block[7], words[1] & 0xFF);
}

TEST(Tea, SimpleRoutinesAndBatchesRoundTripAnyBlock) {
  unsigned int key[4];
  configKeyWords(key);
  std::mt19937 random(7);
  std::vector<unsigned char> plain(8 * 21);  // not a multiple of the batch size
  for (unsigned char& b : plain) b = static_cast<unsigned char>(random());

  std::vector<unsigned char> data = plain;
  for (size_t i = 0; i < data.size(); i += 8) Tea::simpleencrypt(&data[i], key);
  EXPECT_NE(data, plain);
  // Equal plain blocks encipher alike wherever they stand.
  std::vector<unsigned char> again(plain.begin() + 80, plain.begin() + 88);
  Tea::simpleencrypt(again.data(), key);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), data.begin() + 80));

  std::vector<unsigned char> single = data;
  for (size_t i = 0; i < single.size(); i += 8) Tea::simpledecrypt(&single[i], key);
  EXPECT_EQ(single, plain);
  Tea::decryptBlocks(data.data(), data.size() / 8, key);
  EXPECT_EQ(data, plain);
}

TEST(Tea, ConfigKeyWordsAreLittleEndian) {
  unsigned int key[4];
  configKeyWords(key);
  EXPECT_EQ(key[0], 0xC4A0175Eu);
  EXPECT_EQ(key[3], 0x3AF9058Du);
}

TEST(Tea, LengthTaggedBlocksRoundTrip) {
  unsigned int key[4] = {1, 2, 3, 4};
  for (unsigned int n : {0u, 1u, 8u, 13u}) {
    std::vector<unsigned char> buffer((n + 7) / 8 * 8 + 8, 0xAB);
    for (unsigned int i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(i);
    unsigned int length = n;
    Tea::encryptBlock(buffer.data(), &length, key);
    EXPECT_EQ(length, (n + 7) / 8 * 8 + 8) << n;
    Tea::decryptBlock(buffer.data(), &length, key);
    EXPECT_EQ(length, n);
    for (unsigned int i = 0; i < n; ++i) EXPECT_EQ(buffer[i], i);
  }
  // Too short to hold a length word: nothing is touched.
  unsigned char tiny[4] = {9, 9, 9, 9};
  unsigned int length = 4;
  Tea::decryptBlock(tiny, &length, key);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(tiny[0], 9);
}

TEST(Tea, ADamagedLengthTagIsCutToTheBytesBeforeIt) {
  unsigned int key[4] = {1, 2, 3, 4};
  std::vector<unsigned char> buffer(24, 0);
  unsigned int length = 13;
  Tea::encryptBlock(buffer.data(), &length, key);
  ASSERT_EQ(length, 24u);
  // A tag of 0xFFFFFFFF, enciphered as it would stand in a damaged buffer.
  std::vector<unsigned char> tag(8, 0xFF);
  unsigned int v[2];
  std::memcpy(v, tag.data(), 8);
  Tea::encryptTea(v, key);
  std::memcpy(buffer.data() + 16, v, 8);
  Tea::decryptBlock(buffer.data(), &length, key);
  EXPECT_EQ(length, 16u);
}

TEST(TeaFuzz, RandomAndMutatedInputsAreSafe) {
  unsigned int key[4] = {5, 6, 7, 8};
  std::mt19937 random(20261206);
  for (int round = 0; round < 20000; ++round) {
    const unsigned int n = random() % 100;
    // Exactly the bytes the length names, so that any access beyond them shows.
    std::vector<unsigned char> buffer((n + 7) / 8 * 8 + 8);
    for (unsigned int i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(random());
    unsigned int length = n;
    Tea::encryptBlock(buffer.data(), &length, key);
    switch (random() % 4) {
      case 0:  // damaged
        buffer[random() % buffer.size()] ^= static_cast<unsigned char>(1u << (random() % 8));
        break;
      case 1:  // cut, not always at a block edge
        length = static_cast<unsigned int>(random() % (buffer.size() + 1));
        buffer.resize(length);
        break;
      case 2:  // random
        for (unsigned char& b : buffer) b = static_cast<unsigned char>(random());
        break;
      default:  // intact
        break;
    }
    const unsigned int given = length;
    std::vector<unsigned char> plain(buffer);
    Tea::decryptBlock(plain.data(), &length, key);
    if (given < 8) {
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

class TeaEncipherTool : public testing::Test {
 protected:
  int run(const std::string& in, const std::string& out) {
    const std::string command =
        std::string(TEA_ENCIPHER) + " '" + in + "' '" + out + "' 2>/dev/null";
    return std::system(command.c_str());
  }
  std::string decipher(std::vector<unsigned char> bytes) {
    unsigned int key[4];
    configKeyWords(key);
    Tea::decryptBlocks(bytes.data(), bytes.size() / 8, key);
    return std::string(bytes.begin(), bytes.end());
  }
  kroma_test::TempDir dir;
};

TEST_F(TeaEncipherTool, RoundTripsTextsPaddedWithZeroBytes) {
  for (const std::string& text : {std::string("<a/>"), std::string("12345678"), std::string(),
                                  std::string("<x>\xC3\xA9 &amp; \t</x>\n")}) {
    writeBytes(dir.file("in.xml"), text);
    ASSERT_EQ(run(dir.file("in.xml"), dir.file("out.tea")), 0);
    const std::vector<unsigned char> enciphered = readBytes(dir.file("out.tea"));
    const size_t padded = (text.size() + 7) / 8 * 8;
    ASSERT_EQ(enciphered.size(), padded);
    std::string expected = text;
    expected.resize(padded, '\0');
    EXPECT_EQ(decipher(enciphered), expected);
  }
}

TEST_F(TeaEncipherTool, FailsOnBadArguments) {
  EXPECT_NE(run(dir.file("missing.xml"), dir.file("out.tea")), 0);
  writeBytes(dir.file("in.xml"), "<a/>");
  EXPECT_NE(run(dir.file("in.xml"), dir.file("no/such/folder/out.tea")), 0);
  EXPECT_NE(std::system((std::string(TEA_ENCIPHER) + " 2>/dev/null").c_str()), 0);
}

}  // namespace
