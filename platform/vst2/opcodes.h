#pragma once

#include <cstdint>

// Dispatcher opcodes (host to plug-in).
enum VstDispatcherOpcode : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetProgramNameIndexed = 29,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effSetSpeakerArrangement = 42,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effIdle = 53,
  effGetVstVersion = 58,
  effGetMidiKeyName = 66,
  effGetSpeakerArrangement = 69,
};

// The highest dispatcher opcode a 2.4 host may send.
constexpr int32_t kVstLastDispatcherOpcode = 69;

// Host callback opcodes (plug-in to host).
enum VstHostOpcode : int32_t {
  audioMasterAutomate = 0,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

// effIdentify's answer: "NvEf".
constexpr int32_t kVstIdentify = 0x4E764566;
// effGetVstVersion's answer.
constexpr int32_t kVstVersion = 2400;

// effGetPlugCategory answers.
enum VstPlugCategory : int32_t {
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

// audioMasterGetCurrentProcessLevel answers.
constexpr int32_t kVstProcessLevelOffline = 4;

// Sizes of the text buffers the host passes, terminator included.
constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
// audioMasterGetProductString fills a buffer of this size; hosts may write up
// to kVstMaxProductStrLen into it.
constexpr int kVstHostProductBufferLen = 256;
