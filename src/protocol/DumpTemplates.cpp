#include "src/protocol/DumpTemplates.h"

#include <initializer_list>

namespace sysex {
namespace {

struct FixedRun {
  int first;
  int last;
  unsigned char value;
};

template <std::size_t N>
std::array<unsigned char, N> fromRuns(std::initializer_list<FixedRun> runs) {
  std::array<unsigned char, N> bytes{};
  for (const FixedRun& run : runs)
    for (int i = run.first; i <= run.last; ++i) bytes[i] = run.value;
  return bytes;
}

// Only the non-zero fixed bytes; everything else starts at 0.
SoundDumpBytes makeSoundTemplate() {
  return fromRuns<kSoundDumpSize>(
      {{0, 0, kStart},          {1, 1, kManufacturer}, {2, 2, kModel},   {4, 4, kSoundDump},
       {5, 5, kEditBufferBank}, {7, 7, 0x01},          {19, 19, 0x01},   {35, 35, 0x01},
       {77, 77, 0x40},          {86, 86, 0x40},        {90, 92, 0x40},   {106, 106, 0x40},
       {110, 112, 0x40},        {125, 125, 0x03},      {202, 202, 0x01}, {204, 204, 0x40},
       {216, 216, 0x40},        {228, 228, 0x40},      {240, 240, 0x40}, {251, 251, 0x01},
       {316, 316, 0x40},        {320, 320, 0x0F},      {333, 333, 0x37}, {366, 366, 0x44},
       {370, 385, ' '},         {390, 390, 0x7F},      {391, 391, kEnd}});
}

constexpr unsigned char kMultiCommon[] = {0x00, 0x7F, 0x37, 0x01, 0x00, 0x02, 0x04, 0x0B, 0x0C};
constexpr unsigned char kMultiPart[] = {0x00, 0x00, 0x64, 0x40, 0x00, 0x40, 0x40, 0x00,
                                        0x00, 0x7F, 0x01, 0x7F, 0x07, 0x3F, 0x01, 0x3F};

MultiDumpBytes makeMultiTemplate() {
  MultiDumpBytes bytes{};
  const unsigned char header[] = {kStart, kManufacturer, kModel, 0x00, kMultiDump, kEditBufferBank};
  for (int i = 0; i < 6; ++i) bytes[i] = header[i];
  for (int i = 7; i <= 22; ++i) bytes[i] = ' ';
  for (int i = 0; i < 9; ++i) bytes[23 + i] = kMultiCommon[i];
  for (int part = 0; part < kParts; ++part) {
    const int base = 39 + 24 * part;
    for (int i = 0; i < 16; ++i) bytes[base + i] = kMultiPart[i];
    bytes[base + 7] = static_cast<unsigned char>(part + 2);  // the part's channel byte
  }
  bytes[423] = 0x1C;
  bytes[424] = kEnd;
  return bytes;
}

GlobalDumpBytes makeGlobalTemplate() {
  GlobalDumpBytes bytes = fromRuns<kGlobalDumpSize>(
      {{0, 0, kStart}, {1, 1, kManufacturer}, {2, 2, kModel}, {4, 4, kGlobalDump}, {5, 5, 0x06},
       {6, 6, 0x01},   {39, 39, 0x11},        {40, 40, 0x01}, {41, 41, 0x10},      {43, 43, 0x05},
       {44, 44, 0x2D}, {45, 46, 0x40},        {49, 49, 0x03}, {50, 50, 0x01},      {51, 52, 0x02},
       {56, 56, 0x02}, {57, 57, 0x04},        {58, 58, 0x0B}, {59, 59, 0x0C},      {60, 60, 0x40},
       {62, 62, 0x01}, {69, 69, 0x7F},        {78, 78, 0x7F}, {79, 79, kEnd}});
  for (int k = 0; k < 16; ++k) bytes[8 + 2 * k] = static_cast<unsigned char>(k);
  return bytes;
}

}  // namespace

const SoundDumpBytes& soundDumpTemplate() {
  static const SoundDumpBytes bytes = makeSoundTemplate();
  return bytes;
}

const MultiDumpBytes& multiSendTemplate() {
  static const MultiDumpBytes bytes = makeMultiTemplate();
  return bytes;
}

const GlobalDumpBytes& globalDumpTemplate() {
  static const GlobalDumpBytes bytes = makeGlobalTemplate();
  return bytes;
}

}  // namespace sysex
