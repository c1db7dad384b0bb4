#pragma once

#include <cstddef>
#include <string>

// Framing shared by every message exchanged with the synthesizer: F0 3E 13, the device id, the
// message type, then the type's own bytes and F7.
namespace sysex {

constexpr unsigned char kStart = 0xF0;
constexpr unsigned char kEnd = 0xF7;
constexpr unsigned char kManufacturer = 0x3E;
constexpr unsigned char kModel = 0x13;

constexpr int kDeviceIdOffset = 3;
constexpr int kTypeOffset = 4;
constexpr int kBankOffset = 5;
constexpr int kProgramOffset = 6;
// The first byte that dump checksums count.
constexpr int kFirstSummedByte = 7;

// Message types. A dump answers the request of its type minus 0x10; a parameter change of a
// record carries the request type plus 0x20.
constexpr unsigned char kSoundRequest = 0x00;
constexpr unsigned char kMultiRequest = 0x01;
constexpr unsigned char kGlobalRequest = 0x04;
constexpr unsigned char kSoundDump = 0x10;
constexpr unsigned char kMultiDump = 0x11;
constexpr unsigned char kGlobalDump = 0x14;
constexpr unsigned char kSoundParameter = 0x20;
constexpr unsigned char kMultiParameter = 0x21;
constexpr unsigned char kGlobalParameter = 0x24;

constexpr int kSoundDumpSize = 392;
constexpr int kMultiDumpSize = 425;
constexpr int kGlobalDumpSize = 80;
constexpr int kBankedRequestSize = 8;  // sound and multi requests
constexpr int kGlobalRequestSize = 6;
constexpr int kParameterChangeSize = 10;

// Bank byte of the edit buffers: a sound dump's program byte is then the part.
constexpr unsigned char kEditBufferBank = 0x7F;
constexpr int kStoredSoundBanks = 8;
constexpr int kProgramsPerBank = 128;
constexpr int kParts = 16;

// Only dumps of this size or more get a checksum when sent; shorter messages go as they stand.
constexpr int kChecksummedMinSize = 201;

// Low 7 bits of the sum of data[first] .. data[last].
unsigned char sumOfBytes(const unsigned char* data, int first, int last);

// The checksum of a framed dump: the sum of bytes 7 .. size - 3, as it belongs at size - 2.
unsigned char dumpChecksum(const unsigned char* data, int size);

// The plug-in's send rule: a message of 201 bytes or more gets its checksum, framed (F0 first,
// written before the F7) or unframed (F0 and F7 left to the sender: data[6] .. data[size - 2]
// summed into the last byte). Shorter messages are left alone.
void applySendChecksum(unsigned char* data, int size);

// Whether data holds at least minSize bytes and carries the maker, the model and the type.
// Byte 0, the device id and the closing byte are not examined.
bool hasDumpHeader(const unsigned char* data, int size, int minSize, unsigned char type);

// Whether every byte between the opening and the closing byte (1 .. size - 2) is a data byte.
bool hasCleanBody(const unsigned char* data, int size);

// A data byte from an integer: limited to 0..127, so that no value can pass for a status byte.
unsigned char toDataByte(int value);

// A parameter's plain value cut toward zero. Far-out values saturate at +-65536 (packing them
// can then never overflow, and they still clamp to 0 or 127); NaN gives 0.
int truncateValue(double value);

// Writes the name into the 16-byte field at dest: at most 16 characters, blank-padded; every
// character outside printable ASCII becomes '?'.
void writeNameField(unsigned char* dest, const std::string& name);

// The 16-byte name field as it stands, zero bytes and trailing blanks included.
std::string readNameField(const unsigned char* src);

// The name as a zero-terminated text sees it: up to its first zero byte.
std::string nameUpToZero(const std::string& field);

constexpr int kNameLength = 16;

}  // namespace sysex
