#include <gtest/gtest.h>

#include <vector>

#include "toolkit/plugin/base/ByteChunk.h"

namespace {

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
