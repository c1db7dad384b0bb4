#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>

#include "platform/vst2/aeffect.h"
#include "platform/vst2/events.h"
#include "platform/vst2/opcodes.h"
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

// Hosts send and read these numbers; one wrong value answers another request.
TEST(Vst2Layout, OpcodeFlagAndConstantNumbers) {
  const std::pair<int32_t, int32_t> dispatcher[] = {
      {effOpen, 0},
      {effClose, 1},
      {effSetProgram, 2},
      {effGetProgram, 3},
      {effSetProgramName, 4},
      {effGetProgramName, 5},
      {effGetParamLabel, 6},
      {effGetParamDisplay, 7},
      {effGetParamName, 8},
      {effSetSampleRate, 10},
      {effSetBlockSize, 11},
      {effMainsChanged, 12},
      {effEditGetRect, 13},
      {effEditOpen, 14},
      {effEditClose, 15},
      {effEditIdle, 19},
      {effIdentify, 22},
      {effGetChunk, 23},
      {effSetChunk, 24},
      {effProcessEvents, 25},
      {effCanBeAutomated, 26},
      {effString2Parameter, 27},
      {effGetProgramNameIndexed, 29},
      {effGetInputProperties, 33},
      {effGetOutputProperties, 34},
      {effGetPlugCategory, 35},
      {effSetSpeakerArrangement, 42},
      {effGetEffectName, 45},
      {effGetVendorString, 47},
      {effGetProductString, 48},
      {effGetVendorVersion, 49},
      {effVendorSpecific, 50},
      {effCanDo, 51},
      {effIdle, 53},
      {effGetVstVersion, 58},
      {effGetMidiKeyName, 66},
      {effGetSpeakerArrangement, 69},
      {kVstLastDispatcherOpcode, 69},
  };
  for (const auto& [opcode, number] : dispatcher) EXPECT_EQ(opcode, number) << number;

  const std::pair<int32_t, int32_t> host[] = {
      {audioMasterAutomate, 0},
      {audioMasterWantMidi, 6},
      {audioMasterGetTime, 7},
      {audioMasterProcessEvents, 8},
      {audioMasterGetCurrentProcessLevel, 23},
      {audioMasterGetProductString, 33},
      {audioMasterGetVendorVersion, 34},
      {audioMasterUpdateDisplay, 42},
      {audioMasterBeginEdit, 43},
      {audioMasterEndEdit, 44},
  };
  for (const auto& [opcode, number] : host) EXPECT_EQ(opcode, number) << number;

  EXPECT_EQ(effFlagsHasEditor, 0x1);
  EXPECT_EQ(effFlagsCanMono, 0x8);
  EXPECT_EQ(effFlagsCanReplacing, 0x10);
  EXPECT_EQ(effFlagsProgramChunks, 0x20);
  EXPECT_EQ(effFlagsIsSynth, 0x100);
  EXPECT_EQ(effFlagsCanDoubleReplacing, 0x1000);
  EXPECT_EQ(kVstTransportPlaying, 0x2);
  EXPECT_EQ(kVstTransportCycleActive, 0x4);
  EXPECT_EQ(kVstPpqPosValid, 0x200);
  EXPECT_EQ(kVstTempoValid, 0x400);
  EXPECT_EQ(kVstBarsValid, 0x800);
  EXPECT_EQ(kVstCyclePosValid, 0x1000);
  EXPECT_EQ(kVstTimeSigValid, 0x2000);
  EXPECT_EQ(kVstPinIsActive, 1);
  EXPECT_EQ(kVstPinIsStereo, 2);
  EXPECT_EQ(kVstMidiType, 1);
  EXPECT_EQ(kVstSysExType, 6);
  EXPECT_EQ(kPlugCategEffect, 1);
  EXPECT_EQ(kPlugCategSynth, 2);
  EXPECT_EQ(kVstProcessLevelOffline, 4);
  EXPECT_EQ(kSpeakerArrUserDefined, -2);
  EXPECT_EQ(kSpeakerArrEmpty, -1);
  EXPECT_EQ(kSpeakerArrMono, 0);
  EXPECT_EQ(kSpeakerArrStereo, 1);
  EXPECT_EQ(kVstIdentify, 0x4E764566);
  EXPECT_EQ(kVstVersion, 2400);
  EXPECT_EQ(kVstMaxProgNameLen, 24);
  EXPECT_EQ(kVstMaxParamStrLen, 8);
  EXPECT_EQ(kVstMaxEffectNameLen, 32);
  EXPECT_EQ(kVstMaxVendorStrLen, 64);
  EXPECT_EQ(kVstMaxProductStrLen, 64);
}

TEST(Vst2Layout, MagicIsVstPInMemoryOrder) {
  const int32_t magic = kEffectMagic;
  const char* bytes = reinterpret_cast<const char*>(&magic);
  EXPECT_EQ(std::string(bytes, 4), "PtsV");
}

}  // namespace
