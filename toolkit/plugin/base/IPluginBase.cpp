#include "toolkit/plugin/base/IPluginBase.h"

#include "toolkit/log.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
void copyName(char* dst, const char* src) {
  std::snprintf(dst, 128, "%s", src ? src : "");
}

// The channels [idx, idx + n) that exist, as a half-open range.
void channelRange(int idx, int n, int count, int* first, int* end) {
  *first = idx < 0 ? 0 : idx;
  const long long last = (long long)idx + (n < 0 ? 0 : n);
  *end = last < count ? (int)last : count;
}

void zero(TK_TypedBuf<double>& buf) {
  if (buf.GetSize()) std::memset(buf.Get(), 0, (size_t)buf.GetBytes());
}

// The first nFrames samples of buf zeroed: what an input without a host buffer reads.
double* silence(TK_TypedBuf<double>& buf, int nFrames) {
  const int n = nFrames < buf.GetSize() ? nFrames : buf.GetSize();
  if (n > 0) std::memset(buf.Get(), 0, sizeof(double) * (size_t)n);
  return buf.Get();
}

bool resizeZeroed(TK_TypedBuf<double>& buf, int n) {
  if (!buf.Resize(n)) return false;
  zero(buf);
  return true;
}
}  // namespace

void GetVersionParts(int version, int* major, int* minor, int* third) {
  if (major) *major = version >> 16;
  if (minor) *minor = (version >> 8) & 0xFF;
  if (third) *third = version & 0xFF;
}

int GetDecimalVersion(int version) {
  return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

void GetVersionStr(int version, char* out) {
  if (!out) return;
  int major, minor, third;
  GetVersionParts(version, &major, &minor, &third);
  if (third)
    std::snprintf(out, 16, "v%d.%d.%d", major, minor, third);
  else if (minor)
    std::snprintf(out, 16, "v%d.%d", major, minor);
  else
    std::snprintf(out, 16, "v%d", major);
}

IPluginBase::IPluginBase(int, const char*, int, const char*, const char*, const char*,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool,
                         bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mLatency(latency) {}

IPluginBase::~IPluginBase() {
  // The input callback reaches the plug-in: stop it before anything it uses goes.
  CloseMIDIInput();
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInData.Free();
  mOutData.Free();
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  CloseMIDIOutput();
}

// Deleting a client closes its port.
void IPluginBase::CloseMIDIInput() {
  mMidiIn.reset();
  mMIDIInNames.clear();
}

void IPluginBase::CloseMIDIOutput() {
  delete mMidiOut;
  mMidiOut = nullptr;
  mMIDIOutNames.clear();
}

void IPluginBase::initialize(int nHostParams, int nParams, const char* channelIOStr, int nPresets,
                             const char* effectName, const char* productName, const char* mfrName,
                             int, int, int, int, bool, bool, bool) {
  mNonAutomatedCount = nParams - nHostParams;
  mPreviousPath.Set("");
  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam());
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset());
  copyName(mEffectName, effectName);
  copyName(mProductName, productName);
  copyName(mMfrName, mfrName);
  ParseChannelIO(channelIOStr);
}

void IPluginBase::ParseChannelIO(const char* channelIOStr) {
  // A second initialisation replaces the channels; their slots would dangle.
  mChannelIO.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  int nIn = 0, nOut = 0;
  for (const char* at = channelIOStr; at; at = std::strchr(at, ' ')) {
    if (*at == ' ') ++at;
    ChannelIO* io = new ChannelIO{0, 0};
    std::sscanf(at, "%d-%d", &io->mIn, &io->mOut);
    mChannelIO.Add(io);
    if (io->mIn > nIn) nIn = io->mIn;
    if (io->mOut > nOut) nOut = io->mOut;
  }
  MakeChannels(nIn, nOut);
}

void IPluginBase::MakeChannels(int nIn, int nOut) {
  double** inData = mInData.Resize(nIn);
  double** outData = mOutData.Resize(nOut);
  for (int i = 0; i < nIn; ++i) {
    inData[i] = nullptr;
    InChannel* channel = new InChannel();
    channel->mSrc = inData + i;
    mInChannels.Add(channel);
  }
  for (int i = 0; i < nOut; ++i) {
    outData[i] = nullptr;
    OutChannel* channel = new OutChannel();
    channel->mDest = outData + i;
    mOutChannels.Add(channel);
  }
}

void IPluginBase::Reset() {
  TK_MutexLock lock(mMutex);
}
void IPluginBase::OnParamChange(int) {
  TK_MutexLock lock(mMutex);
}
void IPluginBase::OnParamChange2(int) {
  TK_MutexLock lock(mMutex);
}
void IPluginBase::OnActivate(bool) {
  TK_MutexLock lock(mMutex);
}

namespace {
template <class Sample>
void copyThrough(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames) {
  if (!outputs || nFrames < 1) return;
  for (int i = 0; i < nOut; ++i) {
    if (!outputs[i]) continue;
    if (i < nIn && inputs && inputs[i])
      std::memmove(outputs[i], inputs[i], sizeof(Sample) * (size_t)nFrames);
    else
      std::memset(outputs[i], 0, sizeof(Sample) * (size_t)nFrames);
  }
}
}  // namespace

void IPluginBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  copyThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPluginBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) {
  copyThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

bool IPluginBase::MidiNoteName(int, char* noteName) {
  if (noteName) noteName[0] = 0;
  return false;
}

void IPluginBase::AttachGraphics(IPluginGraphics* graphics) {
  if (!graphics) return;
  TK_MutexLock lock(mMutex);
  std::vector<std::pair<int, double>> values;
  values.reserve(NParams());
  for (int i = 0; i < NParams(); ++i) values.emplace_back(i, GetParam(i)->GetNormalized());
  graphics->SetParametersFromPlug(values, true);
  graphics->PrepDraw();
  if (mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IPluginBase::SetSampleRate(double sampleRate) {
  if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate)) {
    TK_Log(nullptr, "PLUG-IN: ",
           "sample rate " + std::to_string(sampleRate) + " refused; keeping " +
               std::to_string(mSampleRate));
    return;
  }
  mSampleRate = sampleRate;
}

void IPluginBase::SetBlockSize(int blockSize) {
  if (blockSize < 0 || blockSize > kMaxBlockSize) {
    TK_Log(nullptr, "PLUG-IN: ",
           "block size " + std::to_string(blockSize) + " refused (largest " +
               std::to_string(kMaxBlockSize) + "); keeping " + std::to_string(mBlockSize));
    return;
  }
  if (blockSize != mBlockSize) ResizeScratchBuffers(blockSize);
  mBlockSize = blockSize;
}

void IPluginBase::ResizeScratchBuffers(int nFrames) {
  // A disconnected channel's slot follows its scratch buffer when that moves.
  for (int i = 0; i < NInChannels(); ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (resizeZeroed(channel->mScratchBuf, nFrames) && !channel->mConnected)
      *channel->mSrc = channel->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (resizeZeroed(channel->mScratchBuf, nFrames) && !channel->mConnected)
      *channel->mDest = channel->mScratchBuf.Get();
  }
}

void IPluginBase::EnsureScratchBuffers(int nFrames) {
  bool small = false;
  for (int i = 0; i < NInChannels(); ++i)
    small |= mInChannels.Get(i)->mScratchBuf.GetSize() < nFrames;
  for (int i = 0; i < NOutChannels(); ++i)
    small |= mOutChannels.Get(i)->mScratchBuf.GetSize() < nFrames;
  if (small) ResizeScratchBuffers(nFrames);
}

int IPluginBase::GetEffectVersion(bool decimal) const {
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

int IPluginBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPluginBase::GetHostVersionStr(char* out) {
  GetHost();
  GetVersionStr(mHostVersion, out);
}

const char* IPluginBase::GetAPIString() const {
  static const char* const kNames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
  return mAPI >= 0 && mAPI < (int)(sizeof(kNames) / sizeof(kNames[0])) ? kNames[mAPI] : "";
}

double IPluginBase::GetSamplesPerBeat() {
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

bool IPluginBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0; i < mChannelIO.GetSize(); ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut)) return true;
  }
  return false;
}

void IPluginBase::LimitToStereoIO() {
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
}

bool IPluginBase::IsInChannelConnected(int chIdx) const {
  const InChannel* channel = mInChannels.Get(chIdx);
  return channel && channel->mConnected;
}

bool IPluginBase::IsOutChannelConnected(int chIdx) const {
  const OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

void IPluginBase::SetInputChannelConnections(int idx, int n, bool connected) {
  int first, end;
  channelRange(idx, n, NInChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (connected) continue;
    // A disconnected input reads silence, also where it held converted audio.
    zero(channel->mScratchBuf);
    *channel->mSrc = channel->mScratchBuf.Get();
  }
}

void IPluginBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  int first, end;
  channelRange(idx, n, NOutChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDest = channel->mScratchBuf.Get();
  }
}

void IPluginBase::SetInputLabel(int idx, const char* label) {
  if (InChannel* channel = mInChannels.Get(idx)) channel->mLabel.Set(label);
}

void IPluginBase::SetOutputLabel(int idx, const char* label) {
  if (OutChannel* channel = mOutChannels.Get(idx)) channel->mLabel.Set(label);
}

void IPluginBase::AttachInputBuffers(int idx, int n, double** data, int nFrames) {
  EnsureScratchBuffers(nFrames);
  int first, end;
  channelRange(idx, n, NInChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    // Without a host buffer the input reads silence, never last block's buffer.
    double* host = data ? *data++ : nullptr;
    *channel->mSrc = host ? host : silence(channel->mScratchBuf, nFrames);
  }
}

void IPluginBase::AttachInputBuffers(int idx, int n, float** data, int nFrames) {
  EnsureScratchBuffers(nFrames);
  int first, end;
  channelRange(idx, n, NInChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* scratch = channel->mScratchBuf.Get();
    const float* source = data ? *data++ : nullptr;
    if (source)
      for (int s = 0; s < nFrames; ++s) scratch[s] = source[s];
    else
      silence(channel->mScratchBuf, nFrames);
    *channel->mSrc = scratch;
  }
}

void IPluginBase::AttachOutputBuffers(int idx, int n, double** data) {
  int first, end;
  channelRange(idx, n, NOutChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    // Without a host buffer the output goes to scratch, never to last block's buffer.
    double* host = data ? *data++ : nullptr;
    *channel->mDest = host ? host : channel->mScratchBuf.Get();
    channel->mFDest = nullptr;
  }
}

void IPluginBase::AttachOutputBuffers(int idx, int n, float** data) {
  int first, end;
  channelRange(idx, n, NOutChannels(), &first, &end);
  for (int i = first; i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    *channel->mDest = channel->mScratchBuf.Get();
    channel->mFDest = data ? *data++ : nullptr;
  }
}

void IPluginBase::ProcessBuffers(double, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPluginBase::ProcessBuffers(float, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPluginBase::ProcessBuffersAccumulating(float, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, true);
}

void IPluginBase::ConvertOutputs(int nFrames, bool accumulate) {
  for (int i = 0; i < NOutChannels(); ++i) {
    const OutChannel* channel = mOutChannels.Get(i);
    float* dest = channel->mFDest;
    if (!channel->mConnected || !dest) continue;
    const double* scratch = channel->mScratchBuf.Get();
    if (accumulate)
      for (int s = 0; s < nFrames; ++s) dest[s] += (float)scratch[s];
    else
      for (int s = 0; s < nFrames; ++s) dest[s] = (float)scratch[s];
  }
}

void IPluginBase::PassThroughBuffers(double, int nFrames) {
  IPluginBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPluginBase::PassThroughBuffers(float, int nFrames) {
  IPluginBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPluginBase::ZeroScratchBuffers() {
  for (int i = 0; i < NInChannels(); ++i) zero(mInChannels.Get(i)->mScratchBuf);
  for (int i = 0; i < NOutChannels(); ++i) zero(mOutChannels.Get(i)->mScratchBuf);
}

bool IPluginBase::SendMidiMsgs(TK_TypedBuf<IMidiMsg>* msgs) {
  bool allSent = true;
  for (int i = 0; msgs && i < msgs->GetSize(); ++i)
    allSent = SendMidiMsg(msgs->Get() + i) && allSent;
  return allSent;
}
