#include "src/protocol/SysExFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace sysex {
namespace {

// Messages of 201 bytes or more: framed, the sum of bytes 7 to the one before the checksum place;
// unframed (the sender adds F0 and F7), every offset one lower. Shorter ones go unchanged.
TEST(ChecksumRule, SumsTheDataBytesOfLongMessagesOnly) {
  struct Case {
    int size;
    bool framed;
    unsigned char fill;
    int at, sum;  // -1: nothing written
  };
  const Case cases[] = {{392, true, 0x01, 390, 383 & 0x7F},
                        {201, true, 0x03, 199, (192 * 3) & 0x7F},
                        {200, true, 0x03, -1, 0},
                        {390, false, 0x01, 389, 383 & 0x7F}};
  for (const Case& c : cases) {
    std::vector<unsigned char> message(c.size, c.fill);
    message[0] = c.framed ? kStart : kManufacturer;
    message[3] = 0x55;  // the header takes no part
    message[c.framed ? 6 : 5] = 0x44;
    message[c.size - 1] = c.framed ? kEnd : 0x00;
    if (c.framed) message[c.size - 2] = 0x00;
    std::vector<unsigned char> expected = message;
    if (c.at >= 0) expected[c.at] = static_cast<unsigned char>(c.sum);
    applySendChecksum(message.data(), c.size);
    EXPECT_EQ(message, expected) << c.size;
  }
}

TEST(DataBytes, ValuesAreCutTowardZeroAndLimitedToSevenBits) {
  for (const auto& [value, byte] : {std::pair{127, 127}, {128, 127}, {-1, 0}})
    EXPECT_EQ(toDataByte(value), byte) << value;
  const std::pair<double, int> cuts[] = {
      {3.9, 3}, {-3.9, -3}, {1e300, 65536}, {-1e300, -65536}, {std::nan(""), 0}};
  for (const auto& [value, cut] : cuts) EXPECT_EQ(truncateValue(value), cut) << value;
}

TEST(NameField, PadsCutsAndKeepsToPrintableAscii) {
  unsigned char field[kNameLength + 1];
  field[kNameLength] = 0xEE;  // guard
  const std::pair<std::string, std::string> names[] = {
      {"Bass", "Bass            "},
      {" ~edges~ \x1F", " ~edges~ ?      "},  // the first and last printable characters
      {"A name far longer than sixteen", "A name far longe"},
      {std::string("Tab\there\x01\x7F") + "Caf\xC3\xA9", "Tab?here??Caf?? "}};
  for (const auto& [name, written] : names) {
    writeNameField(field, name);
    EXPECT_EQ(readNameField(field), written);
  }
  EXPECT_EQ(field[kNameLength], 0xEE);
  EXPECT_EQ(nameUpToZero("Whole name      "), "Whole name      ");
}

// The header needs the type byte in the message, however small the size the caller asks for; the
// buffers are exactly as long as the message, so that a read past it shows.
TEST(DumpHeader, NeedsEveryHeaderByteAndTheSize) {
  const struct {
    std::vector<unsigned char> message;
    int minSize;
    bool header;
  } cases[] = {
      {{kStart, kManufacturer, kModel, 0, kSoundDump}, 0, true},
      {{kStart, kManufacturer, kModel, 0, kSoundDump}, 6, false},
      {{kStart, kManufacturer, kModel, 0}, 0, false},
      {{kStart, kManufacturer, kModel, 0, kMultiDump}, 5, false},
      {{kStart, 0x3F, kModel, 0, kSoundDump}, 5, false},
      {{kStart, kManufacturer, 0x14, 0, kSoundDump}, 5, false},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<unsigned char[]> bytes(new unsigned char[c.message.size()]);
    std::copy(c.message.begin(), c.message.end(), bytes.get());
    EXPECT_EQ(hasDumpHeader(bytes.get(), static_cast<int>(c.message.size()), c.minSize, kSoundDump),
              c.header)
        << c.message.size() << " " << c.minSize;
  }
  EXPECT_FALSE(hasDumpHeader(nullptr, 5, 0, kSoundDump));
}

}  // namespace
}  // namespace sysex
