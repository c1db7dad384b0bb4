#include "src/protocol/SysExFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "src/protocol/DumpTemplates.h"

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
                        {425, true, 0x02, 423, (416 * 2) & 0x7F},
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
    if (c.framed && c.at >= 0) {
      EXPECT_EQ(dumpChecksum(message.data(), c.size), c.sum);
    }
  }
}

TEST(DumpHeader, TestsSizeMakerModelAndTypeOnly) {
  std::vector<unsigned char> dump(soundDumpTemplate().begin(), soundDumpTemplate().end());
  EXPECT_TRUE(hasDumpHeader(dump.data(), 392, 390, kSoundDump));
  EXPECT_TRUE(hasDumpHeader(dump.data(), 390, 390, kSoundDump));
  EXPECT_FALSE(hasDumpHeader(dump.data(), 389, 390, kSoundDump));
  EXPECT_FALSE(hasDumpHeader(dump.data(), 392, 390, kMultiDump));
  dump[0] = 0x00;  // not examined
  dump[3] = 0x42;
  EXPECT_TRUE(hasDumpHeader(dump.data(), 392, 390, kSoundDump));
  dump[2] = 0x0F;  // another model
  EXPECT_FALSE(hasDumpHeader(dump.data(), 392, 390, kSoundDump));
  EXPECT_FALSE(hasDumpHeader(nullptr, 392, 390, kSoundDump));
}

TEST(DataBytes, ValuesAreCutTowardZeroAndLimitedToSevenBits) {
  for (const auto& [value, byte] : {std::pair{0, 0}, {127, 127}, {128, 127}, {300, 127}, {-1, 0}})
    EXPECT_EQ(toDataByte(value), byte) << value;
  EXPECT_EQ(truncateValue(3.9), 3);
  EXPECT_EQ(truncateValue(-3.9), -3);
  EXPECT_EQ(truncateValue(1e300), 65536);
  EXPECT_EQ(truncateValue(-1e300), -65536);
  EXPECT_EQ(truncateValue(std::nan("")), 0);
}

TEST(NameField, PadsCutsAndKeepsToPrintableAscii) {
  unsigned char field[kNameLength + 1];
  field[kNameLength] = 0xEE;  // guard

  writeNameField(field, "Bass");
  EXPECT_EQ(readNameField(field), "Bass            ");
  writeNameField(field, "");
  EXPECT_EQ(readNameField(field), std::string(16, ' '));
  writeNameField(field, "A name far longer than sixteen");
  EXPECT_EQ(readNameField(field), "A name far longe");
  writeNameField(field, std::string("Tab\there\x01\x7F") + "Caf\xC3\xA9");
  EXPECT_EQ(readNameField(field), "Tab?here??Caf?? ");
  EXPECT_EQ(field[kNameLength], 0xEE);
}

TEST(NameField, ReadsBytesAsTheyStand) {
  const unsigned char raw[kNameLength] = {'P', 'a', 'd', 's', ' ', 0,   'x', ' ',
                                          ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  const std::string field = readNameField(raw);
  EXPECT_EQ(field.size(), 16u);
  EXPECT_EQ(field[5], '\0');
  EXPECT_EQ(nameUpToZero(field), "Pads ");
  EXPECT_EQ(nameUpToZero("Whole name      "), "Whole name      ");
}

}  // namespace
}  // namespace sysex
