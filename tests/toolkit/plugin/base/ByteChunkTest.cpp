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

// The stored image byte for byte, and every read's next position, as a state chunk relies on.
TEST(ByteChunk, WritesAndReadsBackTheExactImage) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.AppendText("ab"), 6);
  EXPECT_EQ(chunk.AppendFlag(true), 7);
  EXPECT_EQ(chunk.AppendFlag(false), 8);
  EXPECT_EQ(chunk.AppendValue<int16_t>(0x1234), 10);
  EXPECT_EQ(chunk.AppendText(""), 14);
  const std::vector<uint8_t> image = {2, 0, 0, 0, 'a', 'b', 1, 0, 0x34, 0x12, 0, 0, 0, 0};
  ASSERT_EQ(chunk.Size(), (int)image.size());
  EXPECT_EQ(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size()), image);

  TK_String text;
  bool on = false, off = true;
  int16_t value = 0;
  EXPECT_EQ(chunk.ReadText(text, 0), 6);
  EXPECT_STREQ(text.Get(), "ab");
  EXPECT_EQ(chunk.ReadFlag(on, 6), 7);
  EXPECT_EQ(chunk.ReadFlag(off, 7), 8);
  EXPECT_TRUE(on);
  EXPECT_FALSE(off);
  EXPECT_EQ(chunk.ReadValue(value, 8), 10);
  EXPECT_EQ(value, 0x1234);
  EXPECT_EQ(chunk.ReadText(text, 10), 14);
  EXPECT_STREQ(text.Get(), "ab") << "an empty text leaves the string as it was";
  EXPECT_EQ(chunk.ReadFlag(on, 14), -1);
  EXPECT_EQ(chunk.ReadValue(value, 13), -1);

  ByteChunk copy;
  EXPECT_EQ(copy.AppendChunk(chunk), 14);
  EXPECT_TRUE(copy == chunk);
  copy.Data()[13] = 9;
  EXPECT_TRUE(copy != chunk);
}

// Growing zeroes the bytes gained; every call answers the size it leaves.
TEST(ByteChunk, SetSizeAnswersTheSizeAndZeroesWhatItGains) {
  ByteChunk chunk;
  chunk.AppendBytes("\xff\xff\xff\xff", 4);
  const struct {
    int asked, size;
    const char* bytes;  // every byte as '0' (zero) or 'f' (0xff)
  } steps[] = {{6, 6, "ffff00"}, {2, 2, "ff"}, {5, 5, "ff000"}, {-1, 5, "ff000"}, {0, 0, ""}};
  for (const auto& step : steps) {
    EXPECT_EQ(chunk.SetSize(step.asked), step.size) << step.asked;
    std::string bytes;
    for (int i = 0; i < chunk.Size(); ++i) bytes += chunk.Data()[i] ? 'f' : '0';
    EXPECT_EQ(bytes, step.bytes) << step.asked;
  }
  chunk.AppendBytes("\xff\xff", 2);
  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(chunk.Data(), nullptr);
}
}  // namespace
