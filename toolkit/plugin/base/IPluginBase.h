#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/heapbuf.h"
#include "toolkit/log.h"
#include "toolkit/mutex.h"
#include "toolkit/plugin/base/ByteChunk.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginGraphics.h"
#include "toolkit/plugin/base/IPreset.h"
#include "toolkit/plugin/midi/IMidiMsg.h"
#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"

class IGraphics;
class IMidiPortIn;
class IMidiPortOut;

// The plug-in API a base serves; also the index into GetAPIString's texts.
enum EAPI { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIRTAS, kAPIAAX, kAPISA };

// A known host; the wrapper's host table gives the other values.
enum EHost : int { kHostUninit = -1, kHostUnknown = 0 };

// The host's time information. The caller initialises it; fields the host
// does not report keep the caller's values.
struct ITimeInfo {
  double mTempo = 0.0;
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;
  double mLastBar = 0.0;
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int mNumerator = 0;
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// Packed versions are major << 16 | minor << 8 | third component.
void GetVersionParts(int version, int* major, int* minor, int* third);
int GetDecimalVersion(int version);
// "v1.2.3", "v1.2" or "v1"; out holds at least 16 characters.
void GetVersionStr(int version, char* out);
// The framework version of a chunk's header (0 for a chunk without header),
// advancing *pos past it; *pos becomes -1 when the header is cut short.
int GetPluginVerFromChunk(ByteChunk* chunk, int* pos);

// The plug-in base: identity, parameters, presets, audio channels, the
// plug-in lock and the editor's graphics object. The host wrapper derives
// from it and the plug-in class from the wrapper; the order of the virtual
// operations below is fixed.
//
// Each entry names the threads that may call it and what it may take; a tag
// above a group of entries holds for each of them. The threads: the host's
// main thread (dispatcher calls under the plug-in lock; the editor's events and
// timer, pumped from the idle call outside it), the editor timer (the redraw
// tick, where requests of other threads run under the lock), the audio thread
// (process calls and, in most hosts, the events call, under the lock), the
// MIDI input thread (no lock) and the plug-in's job lanes (no lock).
class IPluginBase {
 public:
  // [main thread: the entry, under its process-wide lock]
  IPluginBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
              int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
              EAPI plugAPI);
  IPluginBase(const IPluginBase&) = delete;
  IPluginBase& operator=(const IPluginBase&) = delete;

  // ---- virtual operations, in slot order ----
  // [main thread: the host's close; the plug-in's destructor stops its other threads first]
  virtual ~IPluginBase();
  // [main thread: the dispatcher (rate, block size, resume); takes the plug-in lock]
  virtual void Reset();
  // [main thread (the editor, the host), editor timer, MIDI input thread, job lanes; takes the
  // plug-in lock]
  virtual void OnParamChange(int paramIdx);
  // [MIDI input thread, audio thread (the host's MIDI), job lanes; takes the plug-in lock]
  virtual void OnParamChange2(int paramIdx);
  // [audio thread; plug-in lock held]
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // [audio thread; plug-in lock held]
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  // [main thread; plug-in lock held]
  virtual void OnGUIOpen() {}
  // [main thread; plug-in lock held]
  virtual void OnGUIClose() {}
  // [main thread: the open editor's timer tick, or the host's idle calls (effEditIdle, effIdle)
  // while no editor is open; no lock held]
  virtual void OnIdle() {}
  // [main thread; takes the plug-in lock]
  virtual void OnActivate(bool active);
  // [audio thread: the host's events, plug-in lock held; MIDI input thread: the synthesizer's, no
  // lock]
  virtual void ProcessMidiMsg(IMidiMsg*, bool /*fromDevice*/) {}
  // [audio thread: the host's events, plug-in lock held; MIDI input thread: the synthesizer's, no
  // lock]
  virtual void ProcessSysEx(ISysEx*, bool /*fromDevice*/) {}
  // [main thread; plug-in lock held]
  virtual bool MidiNoteName(int noteNumber, char* noteName);
  // [main thread; plug-in lock held]
  virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
  // Returns the position after the state, or -1 when the chunk ends early.
  // [main thread; plug-in lock held]
  virtual int UnserializeState(ByteChunk* chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
  }
  // [main thread; plug-in lock held]
  virtual bool CompareState(const unsigned char* incomingState, int startPos);
  // [main thread; plug-in lock held]
  virtual void OnWindowResize() {}
  // [main thread; plug-in lock held]
  virtual bool HostRequestingAboutBox() { return false; }
  // [main thread; plug-in lock held]
  virtual void OnHostIdentified() {}
  // [main thread]
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // A user's change from a control.
  // [main thread: the editor's controls; takes the plug-in lock]
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // A user's choice of the value the parameter holds already, which still means "once more".
  // [main thread: the editor's controls; takes the plug-in lock]
  void RepeatParameterFromGUI(int paramIdx);
  // A value that came from the hardware: reaches OnParamChange2.
  // [MIDI input thread, audio thread (the host's MIDI), job lanes; takes the plug-in lock]
  virtual void SetParameterFromGUI2(int paramIdx, double normalizedValue);
  // [the changing thread; plug-in lock held; calls the host]
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  // [the changing thread; plug-in lock held; calls the host]
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  // [the changing thread; plug-in lock held; calls the host]
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  // [main thread; calls the host]
  virtual void InformHostOfProgramChange() = 0;
  // [audio thread; asks the host]
  virtual bool IsRenderingOffline() { return false; }
  // [audio thread, main thread; asks the host; no lock of its own]
  virtual int GetSamplePos() = 0;
  // [audio thread, main thread; asks the host; no lock of its own]
  virtual double GetTempo() = 0;
  // [audio thread, main thread; asks the host; no lock of its own]
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  // [audio thread, main thread; asks the host; no lock of its own]
  virtual void GetTime(ITimeInfo* timeInfo) = 0;
  // [any thread; fixed once the host is known]
  virtual EHost GetHost() { return mHost; }
  // [any thread; fixed]
  virtual EAPI GetAPI() { return mAPI; }
  // [main thread]
  virtual void ResizeGraphics(int w, int h) = 0;
  // [main thread; no lock of its own]
  virtual void RedrawParamControls();
  // [main thread]
  virtual void SetLatency(int samples) { mLatency = samples; }
  // [audio thread; plug-in lock held; hands the message to the host]
  virtual bool SendMidiVST(IMidiMsg* msg) = 0;
  // [any thread; takes the port lock]
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  // [any thread; takes the port lock]
  virtual bool SendMidiSysex(unsigned char*, int) { return false; }
  // [any thread; takes the port lock]
  virtual bool SendPatchSysex(unsigned char*, int) { return false; }
  // [any thread; takes the port lock]
  virtual bool SendMidiSysex2(std::vector<unsigned char>) { return false; }
  // [main thread; plug-in lock held]
  virtual void HostSpecificInit() {}
  // Takes ownership; null is ignored. Pass the editor's IGraphics object.
  // [main thread: the constructor; takes the plug-in lock]
  virtual void AttachGraphics(IPluginGraphics* graphics);
  // [any thread; takes the port lock]
  virtual bool SendSysEx(ISysEx*) { return false; }
  // [main thread]
  virtual void DirtyPTCompareState() {}
  // [main thread; plug-in lock held]
  virtual void PresetsChangedByHost() {}
  // Sizes outside 0..kMaxBlockSize are refused with a log line; the previous size stays.
  // [main thread; plug-in lock held]
  virtual void SetBlockSize(int blockSize);
  // ---- end of the virtual operations ----

  // The largest block size a host may announce, and the longest slice of a host block that the
  // scratch buffers take. Hosts use a few thousand frames at most; a damaged value far beyond
  // would ask for gigabytes of scratch memory.
  static constexpr int kMaxBlockSize = 65536;
  // The sample rates a host may announce. Lengths of time are worked out from the rate and end up
  // as whole numbers: zero, a rate below zero, not a number or infinite would make them undefined.
  static constexpr double kMinSampleRate = 1000.0;
  static constexpr double kMaxSampleRate = 10000000.0;

  // Second construction stage: parameters, presets, names and channels.
  // [main thread: the constructor]
  void initialize(int nHostParams, int nParams, const char* channelIOStr, int nPresets,
                  const char* effectName, const char* productName, const char* mfrName,
                  int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                  bool plugDoesChunks, bool plugIsInst);

  // Identity. [any thread; fixed once constructed]
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* out) const { GetVersionStr(mVersion, out); }
  // [main thread; asks the host once]
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);
  // [any thread; fixed]
  const char* GetAPIString() const;
  const char* GetArchString() const { return "x86"; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInstrument() const { return mIsInst; }

  // Audio settings. [main thread, audio thread; plug-in lock held]
  double GetSampleRate() const { return mSampleRate; }
  // Rates outside kMinSampleRate..kMaxSampleRate are refused with a log line; the previous rate
  // stays.
  void SetSampleRate(double sampleRate);
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  double GetSamplesPerBeat();

  // Channel I/O. [main thread, audio thread; plug-in lock held]
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);

  // The processing frame of one host block. Host blocks larger than the
  // announced block size are taken as they come. A connected input or output
  // without a host buffer uses its scratch buffer (inputs read silence), so
  // no block reaches an earlier block's host buffers.
  // [audio thread; plug-in lock held]
  void AttachInputBuffers(int idx, int n, double** data, int nFrames);
  void AttachInputBuffers(int idx, int n, float** data, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** data);
  void AttachOutputBuffers(int idx, int n, float** data);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  // Copies inputs to outputs without the plug-in's processing.
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ZeroScratchBuffers();
  // Sends every message through SendMidiMsg; true when all were sent.
  // [any thread; takes the port lock]
  bool SendMidiMsgs(TK_TypedBuf<IMidiMsg>* msgs);

  // Parameters. The last NonAutomatedCount() are never offered to the host.
  // [any thread; the list is fixed once constructed, the values atomic]
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }
  // [main thread: the constructor]
  void addNonAutomateParamCount(int n) { mNonAutomatedCount = n; }
  // [any thread; fixed once constructed]
  int NonAutomatedCount() const;
  int NHostParams() const { return NParams() - NonAutomatedCount(); }
  // Changes of the state a save writes: each change of a parameter that counts into
  // StateChangeCounter() (IParam::CountChangesIn), and each NoteStateChange. Edits counts the
  // calls from the editor's controls (SetParameterFromGUI, RepeatParameterFromGUI) that changed
  // it: the user's own edits. [any thread: atomics]
  unsigned StateChanges() const { return mStateChanges.load(std::memory_order_acquire); }
  unsigned Edits() const { return mEdits.load(std::memory_order_acquire); }
  void NoteStateChange() { mStateChanges.fetch_add(1, std::memory_order_release); }
  std::atomic<unsigned>* StateChangeCounter() { return &mStateChanges; }
  // [main thread; plug-in lock held or taken]
  void OnParamReset();
  void DirtyParameters();
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);
  bool SerializeNonAutomatedParams(ByteChunk* chunk, int n);
  int UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n);

  // Presets and chunks. [main thread; plug-in lock held or taken]
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  void InitChunkWithPluginVer(ByteChunk* chunk);
  void InitializeVSTChunk(ByteChunk* chunk) { InitChunkWithPluginVer(chunk); }
  int GetPluginVerFromChunk(ByteChunk* chunk, int* pos) {
    return ::GetPluginVerFromChunk(chunk, pos);
  }
  void EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }
  void MakeDefaultPreset(const char* name, int n);
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  void PruneUninitializedPresets();
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // Factory presets; each fills the first preset that is not initialised and
  // leaves the parameters as they were. Values are plain, limited to range.
  // MakePreset takes one double per parameter in index order;
  // MakePresetFromNamedParams takes n pairs (int index, double value), the
  // other parameters taking their defaults.
  bool MakePreset(const char* name, ...);
  bool MakePresetFromNamedParams(const char* name, int n, ...);
  bool MakePresetFromChunk(const char* name, ByteChunk* chunk);
  // A state chunk as Base64 text of size decoded bytes.
  bool MakePresetFromBlob(const char* name, const char* blob, int size);
  // Append the current state to a file as a factory-preset call.
  bool DumpPresetSrcCode(const char* file, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* file);
  // Program and bank files; each asks the graphics object for the file.
  // [main thread; blocks in the file panel; takes the plug-in lock]
  bool SaveProgramAsFXP(const char* defaultFileName = "");
  bool SaveBankAsFXB(const char* defaultFileName = "");
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();

  // The editor's graphics object, or null. Callers that know IGraphics get
  // it as such.
  // [any thread; set by the constructor, cleared only after the other threads stopped]
  template <class G = IGraphics>
  G* GetGUI() const {
    return static_cast<G*>(mGraphics);
  }
  // [any thread]
  TK_Mutex& GetMutex() { return mMutex; }

  // The instance's log, handed to the MIDI ports the base makes and used by the host wrapper;
  // null writes to standard error. The base owns it so that it outlives the ports: set it in
  // the plug-in's constructor, before the ports are first used.
  // SetLog: [main thread: the constructor]; GetLog: [any thread; the log takes its own lock]
  void SetLog(std::unique_ptr<TK_LogSink> log) { mLog = std::move(log); }
  TK_LogSink* GetLog() const { return mLog.get(); }

  // ---- hardware MIDI ports ----
  // The port operations live in IPluginBaseMidi.cpp. Entry 0 of a name list
  // is "OFF", entry k the MIDI system's port k - 1. Selecting entry 0 of the
  // input closes it and stops the MIDI input thread: the plug-in's destructor
  // does that before anything its MIDI handlers use goes away.
  // [main thread; plug-in lock held; closing the input lets go of it while the input thread
  // ends]
  std::vector<std::string>& getExternalMIDIOutNames();
  std::vector<std::string>& getExternalMIDIInNames();
  // Asks the MIDI system for its ports again, making the client first when an earlier try found
  // no MIDI system, and builds the list anew. `chosen`, a port name no longer listed, stays
  // listed after the ports, so that the choice shown stays in its menu. The number of ports, or
  // -1 without a MIDI system.
  int refreshExternalMIDIOutNames(const std::string& chosen);
  int refreshExternalMIDIInNames(const std::string& chosen);
  int setExternalMIDIOut(int& index, const char* name);
  int setExternalMIDIIn(int& index, const char* name);
  int getExternalMIDIOutDevice(const char* name);
  int getExternalMIDIInDevice(const char* name);
  // Runs on the MIDI input thread; hands messages to ProcessMidiMsg and
  // ProcessSysEx as coming from the device.
  // [MIDI input thread; no lock]
  static void MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* user);
  void processMIDIInput(double timeStamp, std::vector<unsigned char>* message, void* user);
  // [main thread; plug-in lock held]
  bool initializeVirtualOutput(std::string name);
  int GetMIDIInPortNumber(const char* name);
  int GetMIDIOutPortNumber(const char* name);
  // The hardware sends behind the wrapper's SendMidiMsg, SendMidiSysex,
  // SendPatchSysex and SendMidiSysex2; safe from any thread. False with no
  // output port open or no bytes.
  // [any thread; takes the port lock]
  bool sendMidiMsgToDevice(const IMidiMsg* msg);
  // Frames the bytes with F0 ... F7 unless they start with F0.
  bool sendMidiSysexToDevice(const unsigned char* data, int size);
  bool sendBytesToDevice(const unsigned char* data, int size);
  // ---- end of hardware MIDI ports ----

 protected:
  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;
    TK_TypedBuf<double> mScratchBuf{4096};
    TK_String mLabel;
  };
  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;
    float* mFDest = nullptr;
    TK_TypedBuf<double> mScratchBuf{4096};
    TK_String mLabel;
  };
  struct ChannelIO {
    int mIn;
    int mOut;
  };

  int mNonAutomatedCount = 0;
  // ---- hardware MIDI port fields ----
  std::unique_ptr<IMidiPortIn> mMidiIn;
  std::atomic<IMidiPortOut*> mMidiOut{nullptr};  // read by the sending threads
  int mMIDIInIndex = 0;
  int mMIDIOutIndex = 0;
  // ---- end of hardware MIDI port fields ----
  TK_PtrList<ChannelIO> mChannelIO;
  TK_Mutex mMutex;
  char mEffectName[128] = "";
  char mProductName[128] = "";
  char mMfrName[128] = "";
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  // ---- hardware MIDI port names; entry 0 is "OFF" ----
  std::vector<std::string> mMIDIOutNames;
  std::vector<std::string> mMIDIInNames;
  // ---- end of hardware MIDI port names ----
  EAPI mAPI = kAPIVST2;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks = false;
  bool mIsInst = false;
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency = 0;
  TK_String mPreviousPath;
  IPluginGraphics* mGraphics = nullptr;
  TK_PtrList<IParam> mParams;
  TK_PtrList<IPreset> mPresets;
  TK_TypedBuf<double*> mInData;
  TK_TypedBuf<double*> mOutData;
  TK_PtrList<InChannel> mInChannels;
  TK_PtrList<OutChannel> mOutChannels;

 private:
  std::unique_ptr<TK_LogSink> mLog;
  std::atomic<unsigned> mStateChanges{0};
  std::atomic<unsigned> mEdits{0};

  void ParseChannelIO(const char* channelIOStr);
  void MakeChannels(int nIn, int nOut);
  // Scratch buffers hold at least nFrames samples, zeroed when they grow.
  void EnsureScratchBuffers(int nFrames);
  void ResizeScratchBuffers(int nFrames);
  void ConvertOutputs(int nFrames, bool accumulate);
  void CloseMIDIInput();
  void CloseMIDIOutput();
  template <class Handler>
  void SetParameterWith(int paramIdx, double normalizedValue, Handler onChange);
  // Runs a call from the editor's controls, counting it in mEdits when it changed the state.
  template <class Edit>
  void CountedAsEdit(Edit edit);
  // Reads parameter paramIdx's stored value at pos (see UnserializeParams).
  int UnserializeParam(ByteChunk* chunk, int pos, int paramIdx);
  // Stores the current state in a preset, replacing what it held.
  bool StoreState(IPreset* preset);
  IPreset* FirstUninitializedPreset() const;
  // Fills the first free preset with the state that setValues makes.
  template <class SetValues>
  bool MakeFactoryPreset(const char* name, SetValues setValues);

  // Program and bank files.
  bool PromptForPresetFile(TK_String* fileName, EFileAction action, const char* extension);
  bool AppendProgramRecord(ByteChunk* file, const char* name, bool chunkForm);
  // Restores the program record at pos; returns the position after it, or
  // -1 when it is not a record of this plug-in or is cut short.
  int ReadProgramRecord(const ByteChunk& file, int pos, TK_String* name);
  bool ReadBankFile(const ByteChunk& file);
};
