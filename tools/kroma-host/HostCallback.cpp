#include "tools/kroma-host/HostCallback.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/vst2/events.h"
#include "platform/vst2/opcodes.h"

namespace {

struct OpcodeName {
  int32_t opcode;
  const char* name;
};

const OpcodeName kHostOpcodes[] = {
    {audioMasterAutomate, "audioMasterAutomate"},
    {audioMasterWantMidi, "audioMasterWantMidi"},
    {audioMasterGetTime, "audioMasterGetTime"},
    {audioMasterProcessEvents, "audioMasterProcessEvents"},
    {audioMasterGetCurrentProcessLevel, "audioMasterGetCurrentProcessLevel"},
    {audioMasterGetProductString, "audioMasterGetProductString"},
    {audioMasterGetVendorVersion, "audioMasterGetVendorVersion"},
    {audioMasterUpdateDisplay, "audioMasterUpdateDisplay"},
    {audioMasterBeginEdit, "audioMasterBeginEdit"},
    {audioMasterEndEdit, "audioMasterEndEdit"},
};

std::string hexBytes(const unsigned char* bytes, int n) {
  std::string text;
  char byte[4];
  for (int i = 0; i < n; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
    text += byte;
  }
  return text;
}

thread_local bool tQuiet = false;

}  // namespace

std::string hostOpcodeName(int32_t opcode) {
  for (const OpcodeName& entry : kHostOpcodes)
    if (entry.opcode == opcode) return entry.name;
  return "opcode " + std::to_string(opcode);
}

HostCallback& HostCallback::instance() {
  static HostCallback host;
  return host;
}

HostCallback::HostCallback() {
  mTime.sampleRate = 44100.0;
  mTime.tempo = 120.0;
  mTime.timeSigNumerator = 4;
  mTime.timeSigDenominator = 4;
}

VstIntPtr HostCallback::callback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                 void* ptr, float opt) {
  return instance().answer(effect, opcode, index, value, ptr, opt);
}

void HostCallback::print(const std::string& line) {
  std::lock_guard<std::mutex> lock(mPrintMutex);
  std::cout << line << std::endl;
}

void HostCallback::setThreadQuiet(bool quiet) {
  tQuiet = quiet;
}

void HostCallback::registerEffect(AEffect* effect, int number) {
  std::lock_guard<std::mutex> lock(mEffectsMutex);
  mEffects[effect] = number;
  mCalls[effect].clear();
}

void HostCallback::unregisterEffect(AEffect* effect) {
  std::lock_guard<std::mutex> lock(mEffectsMutex);
  mEffects.erase(effect);
  mCalls.erase(effect);
}

std::map<int32_t, HostCallback::Calls> HostCallback::takeCalls(AEffect* effect) {
  std::lock_guard<std::mutex> lock(mEffectsMutex);
  std::map<int32_t, Calls> calls;
  calls.swap(mCalls[effect]);
  return calls;
}

std::string HostCallback::label(AEffect* effect) {
  std::lock_guard<std::mutex> lock(mEffectsMutex);
  auto found = mEffects.find(effect);
  return found == mEffects.end() ? "[?]" : "[" + std::to_string(found->second) + "]";
}

void HostCallback::advance(int frames) {
  mTime.samplePos += frames;
  if (!(mTime.flags & kVstTransportPlaying) || mTime.sampleRate <= 0) return;
  mTime.ppqPos += frames / mTime.sampleRate * mTime.tempo / 60.0;
  const double barLength =
      mTime.timeSigDenominator > 0 ? 4.0 * mTime.timeSigNumerator / mTime.timeSigDenominator : 4.0;
  while (barLength > 0 && mTime.ppqPos >= mTime.barStartPos + barLength)
    mTime.barStartPos += barLength;
}

void HostCallback::printEvents(const std::string& who, const void* ptr) {
  const VstEvents* events = static_cast<const VstEvents*>(ptr);
  if (!events) {
    print(who + "   no event list");
    return;
  }
  for (int i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = VstEventAt(events, i);
    if (!event) continue;
    if (event->type == kVstMidiType) {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      print(who + "   midi offset=" + std::to_string(midi->deltaFrames) +
            " bytes=" + hexBytes(reinterpret_cast<const unsigned char*>(midi->midiData), 3));
    } else if (event->type == kVstSysExType) {
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      print(who + "   sysex offset=" + std::to_string(sysex->deltaFrames) +
            " size=" + std::to_string(sysex->dumpBytes) + " bytes=" +
            hexBytes(reinterpret_cast<const unsigned char*>(sysex->sysexDump), sysex->dumpBytes));
    } else {
      print(who + "   event type=" + std::to_string(event->type));
    }
  }
}

VstIntPtr HostCallback::answer(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                               void* ptr, float opt) {
  {
    std::lock_guard<std::mutex> lock(mEffectsMutex);
    if (mEffects.count(effect)) {
      Calls& calls = mCalls[effect][opcode];
      ++calls.count;
      if (std::this_thread::get_id() != mMainThread) ++calls.otherThreads;
    }
  }
  const std::string who = "host" + label(effect);
  if (!tQuiet) {
    char args[96];
    std::snprintf(args, sizeof args, " index=%d value=0x%lx opt=%g", index, (long)value, opt);
    print(who + " <- " + hostOpcodeName(opcode) + args);
  }
  switch (opcode) {
    case audioMasterWantMidi:
      return 1;
    case audioMasterGetTime:
      return mTimeEnabled ? reinterpret_cast<VstIntPtr>(&mTime) : 0;
    case audioMasterProcessEvents:
      if (!tQuiet) printEvents(who, ptr);
      return 1;
    case audioMasterGetCurrentProcessLevel:
      return mProcessLevel;
    case audioMasterGetProductString:
      if (!ptr) return 0;
      std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", mProduct.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      return mVendorVersion;
    case audioMasterAutomate:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    default:
      return 0;
  }
}
