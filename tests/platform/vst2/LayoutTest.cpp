#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/vst2/aeffect.h"
#include "platform/vst2/events.h"
#include "platform/vst2/pins.h"
#include "platform/vst2/timeinfo.h"

// Hosts compiled elsewhere read these records by offset; a field moved by one
// padding byte breaks every host, so the whole x86-64 layout is pinned here.
namespace {

using ::testing::ElementsAre;
#define O offsetof

TEST(Vst2Layout, RecordsAndTheMagicAreLaidOutAsHostsReadThem) {
  EXPECT_THAT(
      (std::vector<size_t>{sizeof(AEffect), sizeof(ERect), sizeof(VstEvent), sizeof(VstMidiEvent),
                           sizeof(VstMidiSysexEvent), sizeof(VstTimeInfo), sizeof(VstPinProperties),
                           sizeof(VstSpeakerProperties), sizeof(VstSpeakerArrangement),
                           sizeof(MidiKeyName)}),
      ElementsAre(192, 8, 32, 32, 48, 88, 128, 112, 8 + 8 * 112, 80));
  EXPECT_THAT(
      (std::vector<size_t>{O(AEffect, magic), O(AEffect, dispatcher), O(AEffect, process),
                           O(AEffect, setParameter), O(AEffect, getParameter),
                           O(AEffect, numPrograms), O(AEffect, numParams), O(AEffect, numInputs)}),
      ElementsAre(0, 8, 16, 24, 32, 40, 44, 48));
  EXPECT_THAT(
      (std::vector<size_t>{O(AEffect, numOutputs), O(AEffect, flags), O(AEffect, resvd1),
                           O(AEffect, resvd2), O(AEffect, initialDelay), O(AEffect, realQualities),
                           O(AEffect, offQualities), O(AEffect, ioRatio)}),
      ElementsAre(52, 56, 64, 72, 80, 84, 88, 92));
  EXPECT_THAT((std::vector<size_t>{O(AEffect, object), O(AEffect, user), O(AEffect, uniqueID),
                                   O(AEffect, version), O(AEffect, processReplacing),
                                   O(AEffect, processDoubleReplacing), O(AEffect, future)}),
              ElementsAre(96, 104, 112, 116, 120, 128, 136));
  EXPECT_THAT((std::vector<size_t>{O(VstMidiEvent, deltaFrames), O(VstMidiEvent, noteLength),
                                   O(VstMidiEvent, midiData), O(VstMidiEvent, detune),
                                   O(VstMidiEvent, noteOffVelocity), O(VstMidiEvent, reserved2)}),
              ElementsAre(8, 16, 24, 28, 29, 31));
  EXPECT_THAT((std::vector<size_t>{O(VstMidiSysexEvent, dumpBytes), O(VstMidiSysexEvent, resvd1),
                                   O(VstMidiSysexEvent, sysexDump), O(VstMidiSysexEvent, resvd2)}),
              ElementsAre(16, 24, 32, 40));
  EXPECT_THAT(
      (std::vector<size_t>{O(VstEvents, numEvents), O(VstEvents, reserved), O(VstEvents, events)}),
      ElementsAre(0, 8, 16));
  EXPECT_THAT(
      (std::vector<size_t>{O(VstTimeInfo, ppqPos), O(VstTimeInfo, tempo),
                           O(VstTimeInfo, barStartPos), O(VstTimeInfo, cycleEndPos),
                           O(VstTimeInfo, timeSigNumerator), O(VstTimeInfo, timeSigDenominator),
                           O(VstTimeInfo, samplesToNextClock), O(VstTimeInfo, flags)}),
      ElementsAre(24, 32, 40, 56, 64, 68, 80, 84));
  const int32_t magic = kEffectMagic;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&magic), 4), "PtsV");
}

}  // namespace
