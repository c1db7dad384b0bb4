#include "src/protocol/SysExFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "src/protocol/DumpTemplates.h"

namespace sysex {
namespace {

std::vector<unsigned char> framedDump(int size, unsigned char fill) {
  std::vector<unsigned char> dump(size, fill);
  dump[0] = kStart;
  dump[size - 2] = 0x00;
  dump[size - 1] = kEnd;
  return dump;
}

TEST(ChecksumRule, SumsBytesSevenToBeforeTheChecksumPlace) {
  // 383 bytes of 0x01 between 7 and 389: 383 & 0x7F = 127.
  std::vector<unsigned char> sound = framedDump(392, 0x01);
  applySendChecksum(sound.data(), 392);
  EXPECT_EQ(sound[390], 383 & 0x7F);
  EXPECT_EQ(sound[391], kEnd);

  // The header takes no part: changing it changes nothing.
  std::vector<unsigned char> multi = framedDump(425, 0x02);
  multi[3] = 0x55;
  multi[6] = 0x44;
  applySendChecksum(multi.data(), 425);
  EXPECT_EQ(multi[423], (416 * 2) & 0x7F);
  EXPECT_EQ(dumpChecksum(multi.data(), 425), multi[423]);
}

TEST(ChecksumRule, OnlyMessagesOf201BytesOrMore) {
  std::vector<unsigned char> short200 = framedDump(200, 0x03);
  const std::vector<unsigned char> before = short200;
  applySendChecksum(short200.data(), 200);
  EXPECT_EQ(short200, before);

  std::vector<unsigned char> long201 = framedDump(201, 0x03);
  applySendChecksum(long201.data(), 201);
  EXPECT_EQ(long201[199], (192 * 3) & 0x7F);
}

TEST(ChecksumRule, UnframedMessagesSumFromSixIntoTheLastByte) {
  // Without F0 every offset is one lower; the sender adds the framing.
  std::vector<unsigned char> body(390, 0x01);
  body[0] = kManufacturer;
  body[389] = 0x00;
  applySendChecksum(body.data(), 390);
  EXPECT_EQ(body[389], 383 & 0x7F);
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

TEST(DataBytes, ValuesAreLimitedToSevenBits) {
  EXPECT_EQ(toDataByte(0), 0);
  EXPECT_EQ(toDataByte(127), 127);
  EXPECT_EQ(toDataByte(128), 127);
  EXPECT_EQ(toDataByte(300), 127);
  EXPECT_EQ(toDataByte(-1), 0);
}

TEST(DataBytes, ValuesAreCutTowardZero) {
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
