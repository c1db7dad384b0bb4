#pragma once

#include "platform/vst2/aeffect.h"
#include "platform/vst2/events.h"
#include "platform/vst2/pins.h"
#include "platform/vst2/timeinfo.h"
#include "toolkit/plugin/base/ByteChunk.h"
#include "toolkit/plugin/vst2/Hosts.h"
#include "toolkit/plugin/base/IPluginBase.h"

// What the entry function hands the plug-in's constructor.
struct IPluginInstanceInfo {
  audioMasterCallback mVSTHostCallback = nullptr;
};

// The plug-in base as a VST 2 effect: fills the effect record the host
// receives, answers the dispatcher, parameter and process calls, and makes the
// calls back into the host. No exception leaves an entry the host calls.
class IPluginVST : public IPluginBase {
 public:
  IPluginVST(IPluginInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName,
             int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
             bool plugDoesChunks, bool plugIsInst, int nSideChainChans);
  ~IPluginVST() override;

  // The second construction stage, called from the plug-in class's constructor.
  void initialize(IPluginInstanceInfo instanceInfo, int nHostParams, int nParams,
                  const char* channelIOStr, int nPresets, const char* effectName,
                  const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                  int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                  int nSideChainChans);

  AEffect* GetAEffect() { return &mAEffect; }
  audioMasterCallback GetHostCallback() const { return mHostCallback; }

  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void SetLatency(int samples) override;
  void HostSpecificInit() override;
  void AttachGraphics(IPluginGraphics* graphics) override;

  bool SendMidiVST(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* sysex) override;
  // The hardware sends go to the synthesizer's output port, not the host.
  bool SendMidiMsg(IMidiMsg* msg) override { return sendMidiMsgToDevice(msg); }
  bool SendMidiSysex(unsigned char* data, int size) override {
    return sendMidiSysexToDevice(data, size);
  }
  bool SendPatchSysex(unsigned char* data, int size) override {
    return sendBytesToDevice(data, size);
  }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    return sendBytesToDevice(bytes.data(), (int)bytes.size());
  }
  // Hands one event to the host; true when the host took it.
  bool SendVSTEvent(VstEvent* event);

  // The speaker arrangement type of a channel count.
  static int VSTSpkrArrType(int nChannels);

 private:
  using OpcodeHandler = VstIntPtr (IPluginVST::*)(int32_t index, VstIntPtr value, void* ptr,
                                                  float opt);
  struct OpcodeEntry {
    int32_t opcode;
    OpcodeHandler handler;
  };
  static const OpcodeEntry kOpcodes[];

  static VstIntPtr VSTDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                 void* ptr, float opt);
  static void VSTProcess(AEffect* effect, float** inputs, float** outputs, int32_t nFrames);
  static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                  int32_t nFrames);
  static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                        int32_t nFrames);
  static float VSTGetParameter(AEffect* effect, int32_t index);
  static void VSTSetParameter(AEffect* effect, int32_t index, float value);

  static IPluginVST* FromEffect(AEffect* effect);
  // One host block under the lock: buffers attached, then run(plug, nFrames).
  template <class T, class Run>
  static void Process(AEffect* effect, T** inputs, T** outputs, int32_t nFrames, Run run);
  VstIntPtr Dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr HostCall(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f);
  VstTimeInfo* HostTime(int32_t flags);
  bool IsHostVisible(int idx) const { return idx >= 0 && idx < NHostParams(); }
  // The attached graphics object when it is an editor, else null.
  IGraphics* Editor() const;
  void SetEditRect(int w, int h);

  VstIntPtr OnOpen(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnSetProgram(int32_t, VstIntPtr value, void*, float);
  VstIntPtr OnGetProgram(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnSetProgramName(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetProgramName(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetParamLabel(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetParamDisplay(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetParamName(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnSetSampleRate(int32_t, VstIntPtr, void*, float opt);
  VstIntPtr OnSetBlockSize(int32_t, VstIntPtr value, void*, float);
  VstIntPtr OnMainsChanged(int32_t, VstIntPtr value, void*, float);
  VstIntPtr OnEditGetRect(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnEditOpen(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnEditClose(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnIdentify(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnGetChunk(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnSetChunk(int32_t index, VstIntPtr value, void* ptr, float);
  VstIntPtr OnProcessEvents(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnCanBeAutomated(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnString2Parameter(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetProgramNameIndexed(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetInputProperties(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetOutputProperties(int32_t index, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetPlugCategory(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnSetSpeakerArrangement(int32_t, VstIntPtr value, void* ptr, float);
  VstIntPtr OnGetEffectName(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetVendorString(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetProductString(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetVendorVersion(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnVendorSpecific(int32_t index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr OnCanDo(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetVstVersion(int32_t, VstIntPtr, void*, float);
  VstIntPtr OnGetMidiKeyName(int32_t, VstIntPtr, void* ptr, float);
  VstIntPtr OnGetSpeakerArrangement(int32_t, VstIntPtr value, void* ptr, float);

  VstIntPtr PinProperties(int32_t index, void* ptr, int nChannels, const char* labelFormat);

  ERect mEditRect{};
  audioMasterCallback mHostCallback;
  VstSpeakerArrangement mInputSpkrArr{};
  VstSpeakerArrangement mOutputSpkrArr{};
  bool mHostSpecificInitDone = false;
  bool mDoesMidi;
  int mHasVSTExtensions = 0;
  ByteChunk mState;
  ByteChunk mBankState;
  AEffect mAEffect{};
};
