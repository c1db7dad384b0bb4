#include <gtest/gtest.h>

#include <vector>

#include "toolkit/plugin/base/ByteChunk.h"

namespace {

std::vector<uint8_t> bytesOf(const ByteChunk& chunk) {
  return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

TEST(ByteChunk, ValuesRoundTripInLittleEndianWithoutPadding) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.Data(), nullptr);
  chunk.AppendValue<int32_t>(0x01000000);
  chunk.AppendFlag(true);
  chunk.AppendValue<double>(0.25);
  chunk.AppendText("abc");
  ASSERT_EQ(chunk.Size(), 4 + 1 + 8 + 7);
  std::vector<uint8_t> head(chunk.Data(), chunk.Data() + 5);
  EXPECT_EQ(head, (std::vector<uint8_t>{0, 0, 0, 1, 1}));
  std::vector<uint8_t> tail(chunk.Data() + 13, chunk.Data() + 20);
  EXPECT_EQ(tail, (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c'}));

  int32_t marker = 0;
  bool flag = false;
  double value = 0;
  TK_String text;
  int pos = chunk.ReadValue(marker, 0);
  pos = chunk.ReadFlag(flag, pos);
  pos = chunk.ReadValue(value, pos);
  pos = chunk.ReadText(text, pos);
  EXPECT_EQ(pos, chunk.Size());
  EXPECT_EQ(marker, 0x01000000);
  EXPECT_TRUE(flag);
  EXPECT_EQ(value, 0.25);
  EXPECT_STREQ(text.Get(), "abc");
  EXPECT_EQ(chunk.ReadValue(marker, pos), -1) << "nothing left to read";
}

TEST(ByteChunk, BoolsReadAsFlagsFromAnyByte) {
  ByteChunk chunk;
  chunk.AppendValue(true);
  chunk.AppendValue(false);
  chunk.AppendValue<uint8_t>(0x02);
  chunk.AppendValue<uint8_t>(0xFF);
  ASSERT_EQ(chunk.Size(), 4) << "a bool is one byte";
  const bool expected[] = {true, false, true, true};
  int pos = 0;
  for (bool want : expected) {
    bool value = !want;
    pos = chunk.ReadValue(value, pos);
    EXPECT_EQ(value, want) << "byte " << pos;
  }
  EXPECT_EQ(pos, 4);
  bool untouched = true;
  EXPECT_EQ(chunk.ReadValue(untouched, 4), -1);
  EXPECT_TRUE(untouched);
}

TEST(ByteChunk, ReadsRefuseBadLengthsAndHostilePositions) {
  TK_String text("kept");
  for (int32_t length : {-1, -100000, 5, 0x7fffffff}) {
    ByteChunk chunk;
    chunk.AppendValue(length);
    chunk.AppendBytes("abcd", 4);
    EXPECT_EQ(chunk.ReadText(text, 0), -1) << "length " << length;
    EXPECT_STREQ(text.Get(), "kept");
  }
  ByteChunk empty;
  empty.AppendText("");
  EXPECT_EQ(empty.ReadText(text, 0), 4);
  EXPECT_STREQ(text.Get(), "kept") << "a zero length names nothing";

  ByteChunk zeroInside;
  zeroInside.AppendValue<int32_t>(4);
  zeroInside.AppendBytes("ab\0d", 4);
  EXPECT_EQ(zeroInside.ReadText(text, 0), 8);
  EXPECT_STREQ(text.Get(), "ab");

  int32_t v = 0;
  bool flag = false;
  for (int pos : {-1, 5, 0x7ffffffe}) EXPECT_EQ(zeroInside.ReadValue(v, pos), -1) << pos;
  EXPECT_EQ(zeroInside.ReadFlag(flag, 8), -1);
  EXPECT_EQ(zeroInside.ReadText(text, 0x7fffffff), -1);
  EXPECT_EQ(v, 0);
}

TEST(ByteChunk, SizeChangesZeroNewBytesAndChunksCompare) {
  ByteChunk a;
  a.AppendBytes("\xff\xff", 2);
  a.SetSize(1);
  a.SetSize(3);
  EXPECT_EQ(bytesOf(a), (std::vector<uint8_t>{0xff, 0, 0}));
  EXPECT_EQ(a.SetSize(-4), 3);
  ByteChunk b;
  b.AppendChunk(a);
  EXPECT_EQ(a, b);
  b.AppendFlag(false);
  EXPECT_NE(a, b);
  b.Clear();
  EXPECT_EQ(b.Size(), 0);
}

}  // namespace
