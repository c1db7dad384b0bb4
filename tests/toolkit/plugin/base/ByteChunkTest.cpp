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

}  // namespace
