#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/vst2/aeffect.h"
#include "platform/vst2/events.h"
#include "platform/vst2/pins.h"
#include "platform/vst2/timeinfo.h"

// Hosts compiled elsewhere read these records by offset; a field moved by one
// padding byte breaks every host, so the whole x86-64 layout is pinned here.
namespace {

TEST(Vst2Layout, EffectRecord) {
  EXPECT_EQ(sizeof(AEffect), 192u);
  EXPECT_EQ(offsetof(AEffect, magic), 0u);
  EXPECT_EQ(offsetof(AEffect, dispatcher), 8u);
  EXPECT_EQ(offsetof(AEffect, process), 16u);
  EXPECT_EQ(offsetof(AEffect, setParameter), 24u);
  EXPECT_EQ(offsetof(AEffect, getParameter), 32u);
  EXPECT_EQ(offsetof(AEffect, numPrograms), 40u);
  EXPECT_EQ(offsetof(AEffect, numParams), 44u);
  EXPECT_EQ(offsetof(AEffect, numInputs), 48u);
  EXPECT_EQ(offsetof(AEffect, numOutputs), 52u);
  EXPECT_EQ(offsetof(AEffect, flags), 56u);
  EXPECT_EQ(offsetof(AEffect, resvd1), 64u);
  EXPECT_EQ(offsetof(AEffect, resvd2), 72u);
  EXPECT_EQ(offsetof(AEffect, initialDelay), 80u);
  EXPECT_EQ(offsetof(AEffect, realQualities), 84u);
  EXPECT_EQ(offsetof(AEffect, offQualities), 88u);
  EXPECT_EQ(offsetof(AEffect, ioRatio), 92u);
  EXPECT_EQ(offsetof(AEffect, object), 96u);
  EXPECT_EQ(offsetof(AEffect, user), 104u);
  EXPECT_EQ(offsetof(AEffect, uniqueID), 112u);
  EXPECT_EQ(offsetof(AEffect, version), 116u);
  EXPECT_EQ(offsetof(AEffect, processReplacing), 120u);
  EXPECT_EQ(offsetof(AEffect, processDoubleReplacing), 128u);
  EXPECT_EQ(offsetof(AEffect, future), 136u);
  EXPECT_EQ(sizeof(ERect), 8u);
  EXPECT_EQ(offsetof(ERect, right), 6u);
}

TEST(Vst2Layout, Events) {
  EXPECT_EQ(sizeof(VstEvent), 32u);
  EXPECT_EQ(sizeof(VstMidiEvent), 32u);
  EXPECT_EQ(offsetof(VstMidiEvent, deltaFrames), 8u);
  EXPECT_EQ(offsetof(VstMidiEvent, noteLength), 16u);
  EXPECT_EQ(offsetof(VstMidiEvent, midiData), 24u);
  EXPECT_EQ(offsetof(VstMidiEvent, detune), 28u);
  EXPECT_EQ(offsetof(VstMidiEvent, noteOffVelocity), 29u);
  EXPECT_EQ(offsetof(VstMidiEvent, reserved2), 31u);

  EXPECT_EQ(sizeof(VstMidiSysexEvent), 48u);
  EXPECT_EQ(offsetof(VstMidiSysexEvent, dumpBytes), 16u);
  EXPECT_EQ(offsetof(VstMidiSysexEvent, resvd1), 24u);
  EXPECT_EQ(offsetof(VstMidiSysexEvent, sysexDump), 32u);
  EXPECT_EQ(offsetof(VstMidiSysexEvent, resvd2), 40u);

  EXPECT_EQ(offsetof(VstEvents, numEvents), 0u);
  EXPECT_EQ(offsetof(VstEvents, reserved), 8u);
  EXPECT_EQ(offsetof(VstEvents, events), 16u);
}

TEST(Vst2Layout, TimeInfo) {
  EXPECT_EQ(sizeof(VstTimeInfo), 88u);
  EXPECT_EQ(offsetof(VstTimeInfo, ppqPos), 24u);
  EXPECT_EQ(offsetof(VstTimeInfo, tempo), 32u);
  EXPECT_EQ(offsetof(VstTimeInfo, barStartPos), 40u);
  EXPECT_EQ(offsetof(VstTimeInfo, cycleEndPos), 56u);
  EXPECT_EQ(offsetof(VstTimeInfo, timeSigNumerator), 64u);
  EXPECT_EQ(offsetof(VstTimeInfo, timeSigDenominator), 68u);
  EXPECT_EQ(offsetof(VstTimeInfo, samplesToNextClock), 80u);
  EXPECT_EQ(offsetof(VstTimeInfo, flags), 84u);
}

TEST(Vst2Layout, PinsSpeakersAndKeyNames) {
  EXPECT_EQ(sizeof(VstPinProperties), 128u);
  EXPECT_EQ(offsetof(VstPinProperties, flags), 64u);
  EXPECT_EQ(offsetof(VstPinProperties, shortLabel), 72u);
  EXPECT_EQ(sizeof(VstSpeakerProperties), 112u);
  EXPECT_EQ(offsetof(VstSpeakerProperties, type), 80u);
  EXPECT_EQ(sizeof(VstSpeakerArrangement), 8u + 8u * 112u);
  EXPECT_EQ(offsetof(VstSpeakerArrangement, speakers), 8u);
  EXPECT_EQ(sizeof(MidiKeyName), 80u);
  EXPECT_EQ(offsetof(MidiKeyName, keyName), 8u);
  EXPECT_EQ(offsetof(MidiKeyName, flags), 76u);
}

TEST(Vst2Layout, MagicIsVstPInMemoryOrder) {
  const int32_t magic = kEffectMagic;
  const char* bytes = reinterpret_cast<const char*>(&magic);
  EXPECT_EQ(std::string(bytes, 4), "PtsV");
}

}  // namespace
