#include <gtest/gtest.h>

#include <vector>

#include "toolkit/plugin/base/ByteChunk.h"

namespace {

TEST(ByteChunk, BoolsReadAsFlagsFromAnyByteAndChunksCompare) {
  ByteChunk chunk;
  EXPECT_EQ(static_cast<const ByteChunk&>(chunk).Data(), nullptr);
  EXPECT_TRUE(chunk == ByteChunk());
  for (uint8_t byte : {1, 0, 2, 0xFF}) chunk.AppendValue<uint8_t>(byte);
  const bool expected[] = {true, false, true, true};
  int pos = 0;
  for (bool want : expected) {
    bool value = !want;
    pos = chunk.ReadValue(value, pos);
    EXPECT_EQ(value, want) << "byte " << pos;
  }
  bool untouched = true;
  EXPECT_EQ(chunk.ReadValue(untouched, 4), -1);
  EXPECT_TRUE(untouched);
  ByteChunk copy;
  copy.AppendChunk(chunk);
  EXPECT_TRUE(copy == chunk);
  copy.AppendFlag(false);
  EXPECT_TRUE(copy != chunk);
}

// Stored texts name their length: one that is negative or runs past the end reads nothing.
TEST(ByteChunk, TextsOfBadLengthAreRefused) {
  TK_String text("kept");
  for (int32_t length : {-1, 5, 0x7fffffff}) {
    ByteChunk chunk;
    chunk.AppendValue(length);
    chunk.AppendBytes("abcd", 4);
    EXPECT_EQ(chunk.ReadText(text, 0), -1) << "length " << length;
  }
  ByteChunk empty;
  empty.AppendText(nullptr);
  EXPECT_EQ(empty.AppendBytes(nullptr, 3), 4);
  EXPECT_EQ(empty.ReadText(text, 0), 4);
  EXPECT_STREQ(text.Get(), "kept");
  EXPECT_EQ(empty.SetSize(-4), 4);
  EXPECT_EQ(empty.ReadText(text, 0x7fffffff), -1);
}

}  // namespace
