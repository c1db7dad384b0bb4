#include "toolkit/plugin/vst2/IPluginVST.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/vst2/opcodes.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

constexpr int kDefaultBlockSize = 1024;
// Chunks of this framework version and later carry the presets in a bank.
constexpr int kChunkVersionWithPresets = 0x10000;

// Host extension bits set by capability queries.
constexpr int kHostExtensions = 1;
constexpr int kHostViewAsConfig = 2;

// Answers to effCanDo beyond plain yes and no.
constexpr VstIntPtr kCanDoExtension = 0xBEEF0000;
constexpr VstIntPtr kVendorSpecificAnswer = 0xBEEF;
// effVendorSpecific's one served index: display text of a normalised value.
constexpr int32_t kVendorParamDisplay = 7;

constexpr int kAllTimeValidFlags =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

// Copies text into a host buffer of bufferSize bytes, cut to fit.
void CopyToHost(void* ptr, const char* text, int bufferSize) {
  char* out = static_cast<char*>(ptr);
  const size_t n = text ? strnlen(text, (size_t)bufferSize - 1) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = '\0';
}

// Goes to the instance's log: the host's call must come back.
void ReportException(IPluginVST* plug, const char* where) {
  TK_Log(plug->GetLog(), "VST2: ", std::string("exception caught in ") + where);
}

// The host's channel count of an arrangement, kept within the plug-in's own.
int ConnectedCount(const VstSpeakerArrangement* arrangement, int nChannels) {
  const int n = arrangement->numChannels;
  return n < 0 ? 0 : (n > nChannels ? nChannels : n);
}

// The host's channel pointers moved on by `offset` frames; the host's own array at offset 0.
template <class T>
T** Advanced(T** channels, int count, int offset, std::vector<T*>& store) {
  if (!channels || offset == 0) return channels;
  store.assign(channels, channels + count);
  for (T*& channel : store)
    if (channel) channel += offset;
  return store.data();
}

// Hosts that get no more than two inputs.
constexpr EHost kStereoOnlyHosts[] = {kHostForte, kHostAudition, kHostOrion, kHostSAWStudio};

enum class CanDoKind { kAlways, kMidi, kHostExtensions, kHostViewAsConfig };

struct CanDoEntry {
  const char* text;
  CanDoKind kind;
};

const CanDoEntry kCanDos[] = {
    {"receiveVstTimeInfo", CanDoKind::kAlways},
    {"sendVstEvents", CanDoKind::kMidi},
    {"sendVstMidiEvent", CanDoKind::kMidi},
    {"receiveVstEvents", CanDoKind::kMidi},
    {"receiveVstMidiEvent", CanDoKind::kMidi},
    {"hasHostExtensions", CanDoKind::kHostExtensions},
    {"hasHostViewAsConfig", CanDoKind::kHostViewAsConfig},
};

}  // namespace

const IPluginVST::OpcodeEntry IPluginVST::kOpcodes[] = {
    {effOpen, &IPluginVST::OnOpen},
    {effSetProgram, &IPluginVST::OnSetProgram},
    {effGetProgram, &IPluginVST::OnGetProgram},
    {effSetProgramName, &IPluginVST::OnSetProgramName},
    {effGetProgramName, &IPluginVST::OnGetProgramName},
    {effGetParamLabel, &IPluginVST::OnGetParamLabel},
    {effGetParamDisplay, &IPluginVST::OnGetParamDisplay},
    {effGetParamName, &IPluginVST::OnGetParamName},
    {effSetSampleRate, &IPluginVST::OnSetSampleRate},
    {effSetBlockSize, &IPluginVST::OnSetBlockSize},
    {effMainsChanged, &IPluginVST::OnMainsChanged},
    {effEditGetRect, &IPluginVST::OnEditGetRect},
    {effEditOpen, &IPluginVST::OnEditOpen},
    {effEditClose, &IPluginVST::OnEditClose},
    {effIdentify, &IPluginVST::OnIdentify},
    {effGetChunk, &IPluginVST::OnGetChunk},
    {effSetChunk, &IPluginVST::OnSetChunk},
    {effProcessEvents, &IPluginVST::OnProcessEvents},
    {effCanBeAutomated, &IPluginVST::OnCanBeAutomated},
    {effString2Parameter, &IPluginVST::OnString2Parameter},
    {effGetProgramNameIndexed, &IPluginVST::OnGetProgramNameIndexed},
    {effGetInputProperties, &IPluginVST::OnGetInputProperties},
    {effGetOutputProperties, &IPluginVST::OnGetOutputProperties},
    {effGetPlugCategory, &IPluginVST::OnGetPlugCategory},
    {effSetSpeakerArrangement, &IPluginVST::OnSetSpeakerArrangement},
    {effGetEffectName, &IPluginVST::OnGetEffectName},
    {effGetVendorString, &IPluginVST::OnGetVendorString},
    {effGetProductString, &IPluginVST::OnGetProductString},
    {effGetVendorVersion, &IPluginVST::OnGetVendorVersion},
    {effVendorSpecific, &IPluginVST::OnVendorSpecific},
    {effCanDo, &IPluginVST::OnCanDo},
    {effGetVstVersion, &IPluginVST::OnGetVstVersion},
    {effGetMidiKeyName, &IPluginVST::OnGetMidiKeyName},
    {effGetSpeakerArrangement, &IPluginVST::OnGetSpeakerArrangement},
};

IPluginVST::IPluginVST(IPluginInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                       bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                       int /*nSideChainChans*/)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST2),
      mHostCallback(instanceInfo.mVSTHostCallback),
      mDoesMidi(plugDoesMidi) {}

IPluginVST::~IPluginVST() = default;

void IPluginVST::initialize(IPluginInstanceInfo /*instanceInfo*/, int nHostParams, int nParams,
                            const char* channelIOStr, int nPresets, const char* effectName,
                            const char* productName, const char* mfrName, int vendorVersion,
                            int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                            bool plugDoesChunks, bool plugIsInst, int /*nSideChainChans*/) {
  IPluginBase::initialize(nHostParams, nParams, channelIOStr, nPresets, effectName, productName,
                          mfrName, vendorVersion, uniqueID, mfrID, latency, plugDoesMidi,
                          plugDoesChunks, plugIsInst);
  mHasVSTExtensions = 0;

  mAEffect = AEffect{};
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.numPrograms = nPresets;
  mAEffect.numParams = nHostParams;
  mAEffect.numInputs = NInChannels();
  mAEffect.numOutputs = NOutChannels();
  mAEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (DoesStateChunks()) mAEffect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) mAEffect.flags |= effFlagsCanMono;
  if (IsInstrument()) mAEffect.flags |= effFlagsIsSynth;
  mAEffect.initialDelay = latency;
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = uniqueID;
  mAEffect.version = GetEffectVersion(true);
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

  mEditRect = ERect{};
  mInputSpkrArr = VstSpeakerArrangement{};
  mOutputSpkrArr = VstSpeakerArrangement{};
  mInputSpkrArr.numChannels = NInChannels();
  mOutputSpkrArr.numChannels = NOutChannels();
  mInputSpkrArr.type = VSTSpkrArrType(NInChannels());
  mOutputSpkrArr.type = VSTSpkrArrType(NOutChannels());

  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(kDefaultBlockSize);
}

int IPluginVST::VSTSpkrArrType(int nChannels) {
  switch (nChannels) {
    case 0:
      return kSpeakerArrEmpty;
    case 1:
      return kSpeakerArrMono;
    case 2:
      return kSpeakerArrStereo;
    default:
      return kSpeakerArrUserDefined;
  }
}

// ---- Entry points the host calls -------------------------------------------

IPluginVST* IPluginVST::FromEffect(AEffect* effect) {
  return effect ? static_cast<IPluginVST*>(effect->object) : nullptr;
}

VstIntPtr IPluginVST::VSTDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                    void* ptr, float opt) {
  IPluginVST* plug = FromEffect(effect);
  if (!plug) return 0;
  try {
    if (opcode == effClose) {
      // The lock dies with the object: take it to wait out a running call.
      plug->mMutex.Enter();
      plug->mMutex.Leave();
      effect->object = nullptr;
      delete plug;
      return 0;
    }
    if (opcode == effEditIdle || opcode == effIdle) {
      // The editor's events and redraw run here, outside the plug-in lock as
      // a run loop would run them, so that drawing never holds up the audio.
      IGraphics* graphics = plug->Editor();
      if (opcode == effEditIdle && graphics) graphics->PumpEvents();
      // An open editor's timer tick makes the plug-in's idle call; without one the host's does.
      if (!graphics || !graphics->WindowIsOpen()) plug->OnIdle();
      return 0;
    }
    TK_MutexLock lock(plug->mMutex);
    return plug->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    ReportException(plug, "the dispatcher");
    return 0;
  }
}

VstIntPtr IPluginVST::Dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                               float opt) {
  if (opcode < 0 || opcode > kVstLastDispatcherOpcode) return 0;
  for (const OpcodeEntry& entry : kOpcodes)
    if (entry.opcode == opcode) return (this->*entry.handler)(index, value, ptr, opt);
  return 0;
}

float IPluginVST::VSTGetParameter(AEffect* effect, int32_t index) {
  IPluginVST* plug = FromEffect(effect);
  if (!plug) return 0.f;
  try {
    TK_MutexLock lock(plug->mMutex);
    if (!plug->IsHostVisible(index)) return 0.f;
    return (float)plug->GetParam(index)->GetNormalized();
  } catch (...) {
    ReportException(plug, "getParameter");
    return 0.f;
  }
}

void IPluginVST::VSTSetParameter(AEffect* effect, int32_t index, float value) {
  IPluginVST* plug = FromEffect(effect);
  if (!plug) return;
  try {
    TK_MutexLock lock(plug->mMutex);
    if (!plug->IsHostVisible(index)) return;
    // The controls take the value as it comes: keep a host's NaN or
    // out-of-range value from them.
    const double normalized = value > 0.f ? (value < 1.f ? value : 1.0) : 0.0;
    if (IPluginGraphics* graphics = plug->GetGUI<IPluginGraphics>())
      graphics->SetParameterFromPlug(index, normalized, true);
    plug->GetParam(index)->SetNormalized(normalized);
    plug->OnParamChange(index);
  } catch (...) {
    ReportException(plug, "setParameter");
  }
}

template <class T, class Run>
void IPluginVST::Process(AEffect* effect, T** inputs, T** outputs, int32_t nFrames, Run run) {
  IPluginVST* plug = FromEffect(effect);
  if (!plug || nFrames < 0) return;
  try {
    TK_MutexLock lock(plug->mMutex);
    if (plug->mDoesMidi) plug->HostCall(audioMasterWantMidi);
    // Scratch memory stays within the block-size limit: longer blocks go in slices.
    std::vector<T*> in, out;
    int32_t done = 0;
    do {
      const int n = std::min(nFrames - done, (int32_t)kMaxBlockSize);
      plug->AttachInputBuffers(0, plug->NInChannels(),
                               Advanced(inputs, plug->NInChannels(), done, in), n);
      plug->AttachOutputBuffers(0, plug->NOutChannels(),
                                Advanced(outputs, plug->NOutChannels(), done, out));
      run(plug, n);
      done += n;
    } while (done < nFrames);
  } catch (...) {
    ReportException(plug, "the process call");
  }
}

void IPluginVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, int32_t nFrames) {
  Process(effect, inputs, outputs, nFrames,
          [](IPluginVST* plug, int n) { plug->ProcessBuffersAccumulating(0.f, n); });
}

void IPluginVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     int32_t nFrames) {
  Process(effect, inputs, outputs, nFrames,
          [](IPluginVST* plug, int n) { plug->ProcessBuffers(0.f, n); });
}

void IPluginVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           int32_t nFrames) {
  Process(effect, inputs, outputs, nFrames,
          [](IPluginVST* plug, int n) { plug->ProcessBuffers(0.0, n); });
}

// ---- Dispatcher opcodes ----------------------------------------------------

VstIntPtr IPluginVST::OnOpen(int32_t, VstIntPtr, void*, float) {
  HostSpecificInit();
  OnParamReset();
  return 0;
}

VstIntPtr IPluginVST::OnSetProgram(int32_t, VstIntPtr value, void*, float) {
  if (!DoesStateChunks()) ModifyCurrentPreset();
  RestorePreset((int)value);
  return 0;
}

VstIntPtr IPluginVST::OnGetProgram(int32_t, VstIntPtr, void*, float) {
  return GetCurrentPresetIdx();
}

VstIntPtr IPluginVST::OnSetProgramName(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  ModifyCurrentPreset(static_cast<const char*>(ptr));
  PresetsChangedByHost();
  return 0;
}

VstIntPtr IPluginVST::OnGetProgramName(int32_t, VstIntPtr, void* ptr, float) {
  if (ptr) CopyToHost(ptr, GetPresetName(GetCurrentPresetIdx()), kVstMaxProgNameLen);
  return 0;
}

VstIntPtr IPluginVST::OnGetParamLabel(int32_t index, VstIntPtr, void* ptr, float) {
  if (ptr && IsHostVisible(index))
    CopyToHost(ptr, GetParam(index)->GetLabelForHost(), kVstMaxParamStrLen);
  return 0;
}

VstIntPtr IPluginVST::OnGetParamDisplay(int32_t index, VstIntPtr, void* ptr, float) {
  if (ptr && IsHostVisible(index)) {
    IParam* param = GetParam(index);
    param->GetDisplayForHost(param->Value(), false, static_cast<char*>(ptr), true,
                             kVstMaxParamStrLen);
  }
  return 0;
}

VstIntPtr IPluginVST::OnGetParamName(int32_t index, VstIntPtr, void* ptr, float) {
  if (ptr && IsHostVisible(index))
    CopyToHost(ptr, GetParam(index)->GetNameForHost(), kVstMaxParamStrLen);
  return 0;
}

VstIntPtr IPluginVST::OnSetSampleRate(int32_t, VstIntPtr, void*, float opt) {
  SetSampleRate(opt);
  Reset();
  return 0;
}

VstIntPtr IPluginVST::OnSetBlockSize(int32_t, VstIntPtr value, void*, float) {
  // A value beyond int stays out of range instead of wrapping into it.
  SetBlockSize(value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value);
  Reset();
  return 0;
}

VstIntPtr IPluginVST::OnMainsChanged(int32_t, VstIntPtr value, void*, float) {
  OnActivate(value != 0);
  if (!value) Reset();
  return 0;
}

VstIntPtr IPluginVST::OnEditGetRect(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr || !GetGUI<IPluginGraphics>()) return 0;
  *static_cast<ERect**>(ptr) = &mEditRect;
  return 1;
}

VstIntPtr IPluginVST::OnEditOpen(int32_t, VstIntPtr, void* ptr, float) {
  IGraphics* graphics = Editor();
  if (!graphics) return 0;
  // Hosts that asked for a view hand a parent view; the others a window.
  void* window = (mHasVSTExtensions & kHostViewAsConfig) ? graphics->OpenWindow(ptr)
                                                         : graphics->OpenWindow(ptr, nullptr, 0, 0);
  if (!window) return 0;
  OnGUIOpen();
  return 1;
}

VstIntPtr IPluginVST::OnEditClose(int32_t, VstIntPtr, void*, float) {
  IGraphics* graphics = Editor();
  if (!graphics) return 0;
  OnGUIClose();
  graphics->CloseWindow();
  return 1;
}

VstIntPtr IPluginVST::OnIdentify(int32_t, VstIntPtr, void*, float) {
  return kVstIdentify;
}

VstIntPtr IPluginVST::OnGetChunk(int32_t index, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  const bool isBank = index == 0;
  ByteChunk& chunk = isBank ? mBankState : mState;
  InitChunkWithPluginVer(&chunk);
  bool saved;
  if (isBank) {
    ModifyCurrentPreset();
    SerializePresets(&chunk);
    saved = SerializeState(&chunk);
  } else {
    saved = SerializeState(&chunk);
  }
  if (!saved || chunk.Size() == 0) return 0;
  *static_cast<void**>(ptr) = chunk.Data();
  return chunk.Size();
}

VstIntPtr IPluginVST::OnSetChunk(int32_t index, VstIntPtr value, void* ptr, float) {
  if (!ptr || value < 0 || value > INT_MAX) return 0;
  const bool isBank = index == 0;
  ByteChunk& chunk = isBank ? mBankState : mState;
  chunk.Clear();
  chunk.AppendBytes(ptr, (int)value);
  int pos = 0;
  const int version = GetPluginVerFromChunk(&chunk, &pos);
  if (!isBank || version < kChunkVersionWithPresets) {
    pos = UnserializeState(&chunk, pos);
    ModifyCurrentPreset();
  } else {
    pos = UnserializePresets(&chunk, pos);
    pos = UnserializeState(&chunk, pos);
  }
  if (pos < 0) return 0;
  RedrawParamControls();
  return 1;
}

VstIntPtr IPluginVST::OnProcessEvents(int32_t, VstIntPtr, void* ptr, float) {
  const VstEvents* events = static_cast<const VstEvents*>(ptr);
  if (!events) return 0;
  for (int i = 0; i < events->numEvents; ++i) {
    VstEvent* event = VstEventAt(events, i);
    if (!event) continue;
    if (event->type == kVstMidiType) {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      IMidiMsg msg(midi->deltaFrames, (uint8_t)midi->midiData[0], (uint8_t)midi->midiData[1],
                   (uint8_t)midi->midiData[2]);
      ProcessMidiMsg(&msg, false);
    } else {
      SendVSTEvent(event);
    }
  }
  return 1;
}

VstIntPtr IPluginVST::OnCanBeAutomated(int32_t, VstIntPtr, void*, float) {
  return 1;
}

VstIntPtr IPluginVST::OnString2Parameter(int32_t index, VstIntPtr, void* ptr, float) {
  if (!IsHostVisible(index)) return 0;
  if (!ptr) return 1;
  const char* text = static_cast<const char*>(ptr);
  IParam* param = GetParam(index);
  double value;
  if (param->GetNDisplayTexts()) {
    int mapped;
    if (!param->MapDisplayText(text, &mapped)) return 0;
    value = mapped;
  } else {
    value = std::atof(text);
  }
  if (IPluginGraphics* graphics = GetGUI<IPluginGraphics>())
    graphics->SetParameterFromPlug(index, value, false);
  param->SetClamped(value);
  OnParamChange(index);
  return 1;
}

VstIntPtr IPluginVST::OnGetProgramNameIndexed(int32_t index, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  CopyToHost(ptr, GetPresetName(index), kVstMaxProgNameLen);
  return static_cast<const char*>(ptr)[0] ? 1 : 0;
}

VstIntPtr IPluginVST::PinProperties(int32_t index, void* ptr, int nChannels,
                                    const char* labelFormat) {
  if (index < 0 || !ptr || index >= nChannels) return 0;
  VstPinProperties* pin = static_cast<VstPinProperties*>(ptr);
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index + 1 < nChannels) pin->flags |= kVstPinIsStereo;
  std::snprintf(pin->label, sizeof pin->label, labelFormat, index + 1);
  return 1;
}

VstIntPtr IPluginVST::OnGetInputProperties(int32_t index, VstIntPtr, void* ptr, float) {
  return PinProperties(index, ptr, NInChannels(), "Input %d");
}

VstIntPtr IPluginVST::OnGetOutputProperties(int32_t index, VstIntPtr, void* ptr, float) {
  return PinProperties(index, ptr, NOutChannels(), "Output %d");
}

VstIntPtr IPluginVST::OnGetPlugCategory(int32_t, VstIntPtr, void*, float) {
  return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
}

VstIntPtr IPluginVST::OnSetSpeakerArrangement(int32_t, VstIntPtr value, void* ptr, float) {
  if (value) {
    const int n = ConnectedCount(reinterpret_cast<VstSpeakerArrangement*>(value), NInChannels());
    SetInputChannelConnections(0, n, true);
    SetInputChannelConnections(n, NInChannels() - n, false);
  }
  if (ptr) {
    const int n = ConnectedCount(static_cast<VstSpeakerArrangement*>(ptr), NOutChannels());
    SetOutputChannelConnections(0, n, true);
    SetOutputChannelConnections(n, NOutChannels() - n, false);
  }
  return 1;
}

VstIntPtr IPluginVST::OnGetEffectName(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  CopyToHost(ptr, GetEffectName(), kVstMaxEffectNameLen);
  return 1;
}

VstIntPtr IPluginVST::OnGetVendorString(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  CopyToHost(ptr, GetMfrName(), kVstMaxVendorStrLen);
  return 1;
}

VstIntPtr IPluginVST::OnGetProductString(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  CopyToHost(ptr, GetProductName(), kVstMaxProductStrLen);
  return 1;
}

VstIntPtr IPluginVST::OnGetVendorVersion(int32_t, VstIntPtr, void*, float) {
  return GetEffectVersion(false);
}

VstIntPtr IPluginVST::OnVendorSpecific(int32_t index, VstIntPtr value, void* ptr, float opt) {
  if (index != kVendorParamDisplay || !ptr) return 0;
  if (value >= 0 && value < NHostParams())
    GetParam((int)value)
        ->GetDisplayForHost(opt, true, static_cast<char*>(ptr), true, kVstMaxParamStrLen);
  return kVendorSpecificAnswer;
}

VstIntPtr IPluginVST::OnCanDo(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  const char* text = static_cast<const char*>(ptr);
  for (const CanDoEntry& entry : kCanDos) {
    if (std::strcmp(text, entry.text) != 0) continue;
    switch (entry.kind) {
      case CanDoKind::kAlways:
        return 1;
      case CanDoKind::kMidi:
        return mDoesMidi ? 1 : 0;
      case CanDoKind::kHostExtensions:
        mHasVSTExtensions |= kHostExtensions;
        return kCanDoExtension;
      case CanDoKind::kHostViewAsConfig:
        mHasVSTExtensions |= kHostViewAsConfig;
        return kCanDoExtension;
    }
  }
  return 0;
}

VstIntPtr IPluginVST::OnGetVstVersion(int32_t, VstIntPtr, void*, float) {
  return kVstVersion;
}

VstIntPtr IPluginVST::OnGetMidiKeyName(int32_t, VstIntPtr, void* ptr, float) {
  if (!ptr) return 0;
  MidiKeyName* key = static_cast<MidiKeyName*>(ptr);
  key->keyName[0] = '\0';
  return MidiNoteName(key->thisKeyNumber, key->keyName) ? 1 : 0;
}

VstIntPtr IPluginVST::OnGetSpeakerArrangement(int32_t, VstIntPtr value, void* ptr, float) {
  if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputSpkrArr;
  if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputSpkrArr;
  return 1;
}

// ---- Calls into the host ---------------------------------------------------

VstIntPtr IPluginVST::HostCall(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                               float opt) {
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}

VstTimeInfo* IPluginVST::HostTime(int32_t flags) {
  return reinterpret_cast<VstTimeInfo*>(HostCall(audioMasterGetTime, 0, flags));
}

// The host never hears of indices it was not offered.
void IPluginVST::BeginInformHostOfParamChange(int idx) {
  if (IsHostVisible(idx)) HostCall(audioMasterBeginEdit, idx);
}

void IPluginVST::InformHostOfParamChange(int idx, double normalizedValue) {
  if (IsHostVisible(idx)) HostCall(audioMasterAutomate, idx, 0, nullptr, (float)normalizedValue);
}

void IPluginVST::EndInformHostOfParamChange(int idx) {
  if (IsHostVisible(idx)) HostCall(audioMasterEndEdit, idx);
}

void IPluginVST::InformHostOfProgramChange() {
  HostCall(audioMasterUpdateDisplay);
}

bool IPluginVST::IsRenderingOffline() {
  return HostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

int IPluginVST::GetSamplePos() {
  const VstTimeInfo* time = HostTime(0);
  if (!time || !(time->samplePos >= 0.0)) return 0;
  const double rounded = time->samplePos + 0.5;
  return rounded >= (double)INT_MAX ? INT_MAX : (int)rounded;
}

double IPluginVST::GetTempo() {
  const VstTimeInfo* time = HostTime(kVstTempoValid);
  if (!time || !(time->flags & kVstTempoValid) || !(time->tempo >= 0.0)) return 0.0;
  return time->tempo;
}

void IPluginVST::GetTimeSig(int* numerator, int* denominator) {
  if (!numerator || !denominator) return;
  *numerator = *denominator = 0;
  const VstTimeInfo* time = HostTime(kVstTimeSigValid);
  if (time && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
      time->timeSigDenominator >= 0) {
    *numerator = time->timeSigNumerator;
    *denominator = time->timeSigDenominator;
  }
}

void IPluginVST::GetTime(ITimeInfo* timeInfo) {
  const VstTimeInfo* time = HostTime(kAllTimeValidFlags);
  if (!timeInfo || !time || !(time->flags & kAllTimeValidFlags)) return;
  const int flags = time->flags;
  timeInfo->mSamplePos = time->samplePos;
  if ((flags & kVstPpqPosValid) && time->ppqPos >= 0.0) timeInfo->mPPQPos = time->ppqPos;
  if ((flags & kVstTempoValid) && time->tempo > 0.0) timeInfo->mTempo = time->tempo;
  if ((flags & kVstBarsValid) && time->barStartPos >= 0.0) timeInfo->mLastBar = time->barStartPos;
  if ((flags & kVstCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0) {
    timeInfo->mCycleStart = time->cycleStartPos;
    timeInfo->mCycleEnd = time->cycleEndPos;
  }
  if ((flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    timeInfo->mNumerator = time->timeSigNumerator;
    timeInfo->mDenominator = time->timeSigDenominator;
  }
  timeInfo->mTransportIsRunning = (flags & kVstTransportPlaying) != 0;
  timeInfo->mTransportLoopEnabled = (flags & kVstTransportCycleActive) != 0;
}

EHost IPluginVST::GetHost() {
  if (IPluginBase::GetHost() != kHostUninit) return IPluginBase::GetHost();
  char product[kVstHostProductBufferLen] = {};
  HostCall(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';
  int version = 0;
  if (product[0]) {
    const VstIntPtr decimal = HostCall(audioMasterGetVendorVersion);
    // A negative or absurd answer is no version; the largest one keeps the packed int positive.
    constexpr VstIntPtr kLargestVersion = VstIntPtr{0x7FFF} * 10000 + 9999;
    if (decimal > 0 && decimal <= kLargestVersion) {
      const int d = (int)decimal;
      version = ((d / 10000) << 16) + (((d % 10000) / 100) << 8) + d % 100;
    }
  }
  mHost = LookUpHost(product);
  mHostVersion = version;
  return mHost;
}

void IPluginVST::HostSpecificInit() {
  if (mHostSpecificInitDone) return;
  mHostSpecificInitDone = true;
  const EHost host = GetHost();
  for (EHost stereoOnly : kStereoOnlyHosts)
    if (host == stereoOnly) LimitToStereoIO();
  mAEffect.numInputs = mInputSpkrArr.numChannels = NInChannels();
  mAEffect.numOutputs = mOutputSpkrArr.numChannels = NOutChannels();
  OnHostIdentified();
}

IGraphics* IPluginVST::Editor() const {
  return dynamic_cast<IGraphics*>(GetGUI<IPluginGraphics>());
}

void IPluginVST::SetEditRect(int w, int h) {
  mEditRect = ERect{};
  mEditRect.bottom = (int16_t)h;
  mEditRect.right = (int16_t)w;
}

void IPluginVST::AttachGraphics(IPluginGraphics* graphics) {
  if (!graphics) return;
  IPluginBase::AttachGraphics(graphics);
  mAEffect.flags |= effFlagsHasEditor;
  if (IGraphics* editor = Editor()) SetEditRect(editor->Width(), editor->Height());
}

// The rectangle follows the graphics object's own size, whatever the caller
// passes.
void IPluginVST::ResizeGraphics(int, int) {
  if (!GetGUI<IPluginGraphics>()) return;
  if (IGraphics* editor = Editor()) SetEditRect(editor->Width(), editor->Height());
  OnWindowResize();
}

void IPluginVST::SetLatency(int samples) {
  mAEffect.initialDelay = samples;
  IPluginBase::SetLatency(samples);
}

bool IPluginVST::SendVSTEvent(VstEvent* event) {
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = event;
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPluginVST::SendMidiVST(IMidiMsg* msg) {
  if (!msg) return false;
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = msg->mOffset;
  event.midiData[0] = (char)msg->mStatus;
  event.midiData[1] = (char)msg->mData1;
  event.midiData[2] = (char)msg->mData2;
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

bool IPluginVST::SendSysEx(ISysEx* sysex) {
  if (!sysex) return false;
  VstMidiSysexEvent event{};
  event.type = kVstSysExType;
  // 48 bytes on x86-64: hosts that copy events by this size keep the dump pointer.
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = sysex->mOffset;
  event.dumpBytes = sysex->mSize;
  event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(sysex->mData));
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}
