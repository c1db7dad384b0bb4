#include "tools/kroma-host/ScriptRunner.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <utility>

#include "platform/vst2/events.h"
#include "platform/vst2/opcodes.h"
#include "platform/vst2/pins.h"
#include "platform/vst2/timeinfo.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Png.h"
#include "tools/kroma-host/HostCallback.h"
#include "tools/kroma-host/X11Host.h"

namespace {

// A host's GUI timer: the editor draws at most at this pace anyway.
constexpr std::chrono::milliseconds kIdlePeriod(20);

HostCallback& host() {
  return HostCallback::instance();
}

std::string hex(long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}

std::string fourCC(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += (char)((code >> shift) & 0xFF);
  return text;
}

// Reads a text the plug-in wrote into a host buffer, never past its end.
std::string bufferText(const char* buffer, size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

// Prints a host buffer's text as the line `  text="..."`.
void printText(const char* buffer, size_t size) {
  host().print("  text=\"" + bufferText(buffer, size) + "\"");
}

struct FlagName {
  int32_t flag;
  const char* name;
};

const FlagName kEffectFlags[] = {
    {effFlagsHasEditor, "HasEditor"},       {effFlagsCanMono, "CanMono"},
    {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
    {effFlagsIsSynth, "IsSynth"},           {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
};

bool parseBytes(const std::vector<std::string>& args, size_t from,
                std::vector<unsigned char>& bytes) {
  for (size_t i = from; i < args.size(); ++i) {
    char* end = nullptr;
    const long byte = std::strtol(args[i].c_str(), &end, 16);
    if (*end || byte < 0 || byte > 255) return false;
    bytes.push_back((unsigned char)byte);
  }
  return !bytes.empty();
}

// "program" asks for one program (index 1), "bank" for the bank (index 0).
int chunkIndex(const std::string& kind) {
  return kind == "bank" ? 0 : 1;
}

}  // namespace

const ScriptRunner::StepEntry ScriptRunner::kSteps[] = {
    {"open", &ScriptRunner::stepOpen, true},
    {"close", &ScriptRunner::stepClose, true},
    {"instances", &ScriptRunner::stepInstances, true},
    {"host-product", &ScriptRunner::stepHostProduct, false},
    {"host-version", &ScriptRunner::stepHostVersion, false},
    {"rate", &ScriptRunner::stepRate, true},
    {"block", &ScriptRunner::stepBlock, true},
    {"resume", &ScriptRunner::stepResume, true},
    {"suspend", &ScriptRunner::stepSuspend, true},
    {"info", &ScriptRunner::stepInfo, false},
    {"can-do", &ScriptRunner::stepCanDo, false},
    {"time", &ScriptRunner::stepTime, true},
    {"offline", &ScriptRunner::stepOffline, true},
    {"midi", &ScriptRunner::stepMidi, false},
    {"sysex", &ScriptRunner::stepSysex, false},
    {"events", &ScriptRunner::stepEvents, true},
    {"process", &ScriptRunner::stepProcess, true},
    {"chunk-get", &ScriptRunner::stepChunkGet, false},
    {"chunk-set", &ScriptRunner::stepChunkSet, false},
    {"edit-open", &ScriptRunner::stepEditOpen, false},
    {"edit-close", &ScriptRunner::stepEditClose, false},
    {"idle", &ScriptRunner::stepIdle, false},
    {"edit-mouse", &ScriptRunner::stepEditMouse, false},
    {"edit-pixel", &ScriptRunner::stepEditPixel, false},
    {"edit-screen", &ScriptRunner::stepEditScreen, false},
    {"edit-menu", &ScriptRunner::stepEditMenu, false},
    {"edit-choose", &ScriptRunner::stepEditChoose, false},
    {"param-get", &ScriptRunner::stepParamGet, false},
    {"param-set", &ScriptRunner::stepParamSet, false},
    {"param-info", &ScriptRunner::stepParamInfo, false},
    {"param-text", &ScriptRunner::stepParamText, false},
    {"program", &ScriptRunner::stepProgram, false},
    {"program-name", &ScriptRunner::stepProgramName, false},
    {"program-names", &ScriptRunner::stepProgramNames, false},
    {"speakers", &ScriptRunner::stepSpeakers, false},
    {"key-name", &ScriptRunner::stepKeyName, false},
    {"vendor-display", &ScriptRunner::stepVendorDisplay, false},
    {"dispatch", &ScriptRunner::stepDispatch, false},
    {"folder", &ScriptRunner::stepFolder, false},
    {"host-calls", &ScriptRunner::stepHostCalls, false},
    {"if-display", &ScriptRunner::stepIfDisplay, false},
    {"x-open", &ScriptRunner::stepXOpen, false},
    {"x-idle", &ScriptRunner::stepXIdle, false},
    {"x-input", &ScriptRunner::stepXInput, false},
    {"x-screen", &ScriptRunner::stepXScreen, false},
    {"x-close", &ScriptRunner::stepXClose, false},
    {"x-errors", &ScriptRunner::stepXErrors, false},
    {"open-another", &ScriptRunner::stepOpenAnother, true},
    {"use", &ScriptRunner::stepUse, true},
    {"audio", &ScriptRunner::stepAudio, true},
};

ScriptRunner::ScriptRunner(const PluginLibrary& library) : mLibrary(library) {}

ScriptRunner::~ScriptRunner() = default;

bool ScriptRunner::run(std::istream& script, bool live) {
  host().markMainThread();
  std::unique_ptr<LineReader> reader = live ? std::make_unique<LineReader>(script) : nullptr;
  auto lastIdle = std::chrono::steady_clock::now();
  std::string line;
  for (;;) {
    if (reader) {
      const LineReader::Result result = reader->next(line, kIdlePeriod);
      if (std::chrono::steady_clock::now() - lastIdle >= kIdlePeriod) {
        idleAll();
        lastIdle = std::chrono::steady_clock::now();
      }
      if (result == LineReader::kEnd) break;
      if (result == LineReader::kNothingYet) continue;
    } else if (!std::getline(script, line)) {
      break;
    }
    ++mLine;
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') continue;
    host().print("> " + line.substr(start));
    mGoOn = false;
    const bool done = runLine(line.substr(start));
    inputPlayed(true);
    if (!done) {
      host().print("error: line " + std::to_string(mLine) + " failed" +
                   (mGoOn ? "; the script goes on" : ""));
      mFailed = true;
      if (!mGoOn) {
        closeAll();
        inputPlayed(false);
        return false;
      }
    }
    if (live) host().print("done " + std::to_string(mLine));
  }
  closeAll();
  inputPlayed(false);
  return !mFailed;
}

void ScriptRunner::inputPlayed(bool goesOn) {
  X11Host* x11 = X11Host::existing();
  if (!x11) return;
  for (const X11Host::Failure& failure : x11->takeFailures()) {
    host().print(failure.text);
    host().print("error: line " + std::to_string(failure.line) + " failed" +
                 (goesOn ? "; the script goes on" : ""));
    mFailed = true;
  }
}

bool ScriptRunner::failAndGoOn() {
  mGoOn = true;
  return false;
}

// Instances go before their host windows, as a host closes a project.
void ScriptRunner::closeAll() {
  mAudio.stop();
  if (X11Host* x11 = X11Host::existing()) x11->joinPlayers();
  if (instance()) stepClose({}, "");
  for (const std::unique_ptr<Open>& kept : mKept) {
    kept->instance->close();
    if (kept->window) X11Host::existing()->closeWindow(kept->window);
  }
  mKept.clear();
  if (mOpen && mOpen->window) X11Host::existing()->closeWindow(mOpen->window);
  mOpen.reset();
}

bool ScriptRunner::runLine(const std::string& line) {
  std::istringstream words(line);
  const Args args{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
  const size_t restAt = line.find_first_of(" \t");
  std::string rest = restAt == std::string::npos ? "" : line.substr(restAt + 1);
  rest.erase(0, rest.find_first_not_of(" \t"));
  rest.erase(rest.find_last_not_of(" \t\r") + 1);
  for (const StepEntry& entry : kSteps) {
    if (args[0] != entry.name) continue;
    if (!entry.pausesAudio) return (this->*entry.step)(args, rest);
    mAudio.stop();
    const bool done = (this->*entry.step)(args, rest);
    if (mAudioFrames > 0) mAudio.start(openInstances(), mAudioFrames);
    return done;
  }
  host().print("unknown step " + args[0]);
  return false;
}

void ScriptRunner::idleAll() {
  HostCallback::setThreadQuiet(true);
  std::vector<Open*> all;
  if (mOpen) all.push_back(mOpen.get());
  for (const std::unique_ptr<Open>& kept : mKept) all.push_back(kept.get());
  for (Open* open : all) {
    if (!open->instance) continue;
    open->instance->dispatch(effEditIdle);
    if (open->frame.tick) open->frame.tick(open->frame.view);
  }
  if (X11Host* x11 = X11Host::existing()) x11->pump();
  HostCallback::setThreadQuiet(false);
}

std::vector<PluginInstance*> ScriptRunner::openInstances() const {
  std::vector<PluginInstance*> all;
  if (instance()) all.push_back(instance());
  for (const std::unique_ptr<Open>& kept : mKept)
    if (kept->instance) all.push_back(kept->instance.get());
  return all;
}

bool ScriptRunner::needInstance() {
  if (instance()) return true;
  host().print("no open instance");
  return false;
}

VstIntPtr ScriptRunner::call(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt,
                             const std::string& what) {
  const VstIntPtr result = instance()->dispatch(opcode, index, value, ptr, opt);
  host().print("dispatch " + (what.empty() ? std::to_string(opcode) : what) + " -> " +
               std::to_string((long)result));
  return result;
}

void ScriptRunner::printRecord(int number, const AEffect* e) {
  std::string flags;
  for (const FlagName& f : kEffectFlags)
    if (e->flags & f.flag) flags += " " + std::string(f.name);
  host().print(
      "record[" + std::to_string(number) + "] magic=" + fourCC(e->magic) +
      " numPrograms=" + std::to_string(e->numPrograms) +
      " numParams=" + std::to_string(e->numParams) + " numInputs=" + std::to_string(e->numInputs) +
      " numOutputs=" + std::to_string(e->numOutputs) + " flags=" + hex(e->flags) +
      " initialDelay=" + std::to_string(e->initialDelay) + " uniqueID=" + fourCC(e->uniqueID) +
      " version=" + std::to_string(e->version) + " ioRatio=" + std::to_string(e->ioRatio));
  host().print("record[" + std::to_string(number) + "] flags:" + flags +
               (e->process && e->processReplacing && e->processDoubleReplacing && e->setParameter &&
                        e->getParameter
                    ? " (all entry points set)"
                    : " (entry points missing)"));
}

bool ScriptRunner::stepOpen(const Args&, const std::string&) {
  if (instance()) stepClose({}, "");
  AEffect* effect = mLibrary.create();
  if (!effect) {
    host().print("VSTPluginMain gave no effect record");
    return false;
  }
  if (!mOpen) mOpen = std::make_unique<Open>();
  mOpen->number = mNextNumber++;
  mOpen->instance = std::make_unique<PluginInstance>(effect, mOpen->number);
  printRecord(mOpen->number, effect);
  call(effOpen, 0, 0, nullptr, 0.f, "effOpen");
  return true;
}

bool ScriptRunner::stepClose(const Args&, const std::string&) {
  if (!needInstance()) return false;
  mOpen->instance->close();
  mOpen->instance.reset();
  host().print("dispatch effClose -> closed");
  return true;
}

// Creates N instances from N threads released at the same moment.
bool ScriptRunner::stepInstances(const Args& args, const std::string&) {
  const int count = args.size() > 1 ? std::atoi(args[1].c_str()) : 2;
  if (count < 1 || count > 64) return false;
  std::vector<AEffect*> effects(count, nullptr);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (ready.load() < count) std::this_thread::yield();
      effects[i] = mLibrary.create();
    });
  }
  for (std::thread& thread : threads) thread.join();
  bool all = true;
  for (int i = 0; i < count; ++i) {
    if (!effects[i]) {
      host().print("instance from thread " + std::to_string(i) + " failed");
      all = false;
      continue;
    }
    PluginInstance instance(effects[i], mNextNumber++);
    host().print("instance from thread " + std::to_string(i) + " created");
    instance.close();
  }
  return all;
}

bool ScriptRunner::stepHostProduct(const Args&, const std::string& rest) {
  host().setProduct(rest);
  return true;
}

bool ScriptRunner::stepHostVersion(const Args& args, const std::string&) {
  if (args.size() < 2) return false;
  host().setVendorVersion(std::atoi(args[1].c_str()));
  return true;
}

bool ScriptRunner::stepRate(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  const float rate = std::strtof(args[1].c_str(), nullptr);
  host().time().sampleRate = rate;
  call(effSetSampleRate, 0, 0, nullptr, rate, "effSetSampleRate");
  return true;
}

bool ScriptRunner::stepBlock(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  call(effSetBlockSize, 0, std::atoi(args[1].c_str()), nullptr, 0.f, "effSetBlockSize");
  return true;
}

bool ScriptRunner::stepResume(const Args&, const std::string&) {
  if (!needInstance()) return false;
  call(effMainsChanged, 0, 1, nullptr, 0.f, "effMainsChanged 1");
  return true;
}

bool ScriptRunner::stepSuspend(const Args&, const std::string&) {
  if (!needInstance()) return false;
  call(effMainsChanged, 0, 0, nullptr, 0.f, "effMainsChanged 0");
  return true;
}

bool ScriptRunner::stepInfo(const Args&, const std::string&) {
  if (!needInstance()) return false;
  call(effIdentify, 0, 0, nullptr, 0.f, "effIdentify");
  call(effGetVstVersion, 0, 0, nullptr, 0.f, "effGetVstVersion");
  call(effGetVendorVersion, 0, 0, nullptr, 0.f, "effGetVendorVersion");
  call(effGetPlugCategory, 0, 0, nullptr, 0.f, "effGetPlugCategory");
  struct NameQuery {
    int32_t opcode;
    const char* what;
  };
  const NameQuery names[] = {{effGetEffectName, "effGetEffectName"},
                             {effGetVendorString, "effGetVendorString"},
                             {effGetProductString, "effGetProductString"},
                             {effGetProgramName, "effGetProgramName"}};
  for (const NameQuery& query : names) {
    char text[256] = {};
    call(query.opcode, 0, 0, text, 0.f, query.what);
    host().print(std::string("  ") + query.what + " text=\"" + bufferText(text, sizeof text) +
                 "\"");
  }
  for (int32_t opcode : {effGetInputProperties, effGetOutputProperties}) {
    const char* what =
        opcode == effGetInputProperties ? "effGetInputProperties" : "effGetOutputProperties";
    for (int pin = 0;; ++pin) {
      VstPinProperties properties{};
      if (!call(opcode, pin, 0, &properties, 0.f, std::string(what) + " " + std::to_string(pin)))
        break;
      host().print("  pin " + std::to_string(pin) + " label=\"" +
                   bufferText(properties.label, sizeof properties.label) +
                   "\" flags=" + std::to_string(properties.flags));
    }
  }
  return true;
}

bool ScriptRunner::stepCanDo(const Args&, const std::string& rest) {
  if (!needInstance()) return false;
  std::string text = rest;
  const VstIntPtr answer = instance()->dispatch(effCanDo, 0, 0, &text[0], 0.f);
  host().print("dispatch effCanDo \"" + rest + "\" -> " + hex((long)answer));
  return true;
}

bool ScriptRunner::stepTime(const Args& args, const std::string&) {
  VstTimeInfo& time = host().time();
  if (args.size() > 1 && args[1] == "off") {
    host().setTimeEnabled(false);
    return true;
  }
  host().setTimeEnabled(true);
  for (size_t i = 1; i < args.size(); ++i) {
    const size_t eq = args[i].find('=');
    if (eq == std::string::npos) return false;
    const std::string key = args[i].substr(0, eq), value = args[i].substr(eq + 1);
    const double number = std::atof(value.c_str());
    auto setFlag = [&time](int32_t flag, bool on) {
      time.flags = on ? (time.flags | flag) : (time.flags & ~flag);
    };
    if (key == "tempo") {
      time.tempo = number;
      setFlag(kVstTempoValid, true);
    } else if (key == "ppq") {
      time.ppqPos = number;
      setFlag(kVstPpqPosValid, true);
    } else if (key == "bar") {
      time.barStartPos = number;
      setFlag(kVstBarsValid, true);
    } else if (key == "pos") {
      time.samplePos = number;
    } else if (key == "sig") {
      if (std::sscanf(value.c_str(), "%d/%d", &time.timeSigNumerator, &time.timeSigDenominator) !=
          2)
        return false;
      setFlag(kVstTimeSigValid, true);
    } else if (key == "cycle") {
      if (std::sscanf(value.c_str(), "%lf,%lf", &time.cycleStartPos, &time.cycleEndPos) != 2)
        return false;
      setFlag(kVstCyclePosValid, true);
    } else if (key == "playing") {
      setFlag(kVstTransportPlaying, number != 0);
    } else if (key == "loop") {
      setFlag(kVstTransportCycleActive, number != 0);
    } else {
      return false;
    }
  }
  return true;
}

bool ScriptRunner::stepOffline(const Args& args, const std::string&) {
  host().setProcessLevel(args.size() > 1 && args[1] == "on" ? kVstProcessLevelOffline : 1);
  return true;
}

bool ScriptRunner::stepMidi(const Args& args, const std::string&) {
  std::vector<unsigned char> bytes;
  if (args.size() < 3 || !parseBytes(args, 2, bytes) || bytes.size() > 4) return false;
  mEventOffsets.push_back(std::atoi(args[1].c_str()));
  mEventBytes.push_back(bytes);
  mEventIsSysex.push_back(false);
  return true;
}

bool ScriptRunner::stepSysex(const Args& args, const std::string&) {
  std::vector<unsigned char> bytes;
  if (args.size() < 3 || !parseBytes(args, 2, bytes)) return false;
  mEventOffsets.push_back(std::atoi(args[1].c_str()));
  mEventBytes.push_back(bytes);
  mEventIsSysex.push_back(true);
  return true;
}

// Sends the queued events as one list, the way hosts do before a block.
bool ScriptRunner::stepEvents(const Args&, const std::string&) {
  if (!needInstance()) return false;
  const size_t n = mEventBytes.size();
  std::vector<VstMidiEvent> midi(n);
  std::vector<VstMidiSysexEvent> sysex(n);
  VstEventList list((int)n);
  for (size_t i = 0; i < n; ++i) {
    if (mEventIsSysex[i]) {
      VstMidiSysexEvent& event = sysex[i];
      event = {};
      event.type = kVstSysExType;
      event.byteSize = sizeof(VstMidiSysexEvent);
      event.deltaFrames = mEventOffsets[i];
      event.dumpBytes = (int32_t)mEventBytes[i].size();
      event.sysexDump = reinterpret_cast<char*>(mEventBytes[i].data());
      list.Set((int)i, reinterpret_cast<VstEvent*>(&event));
    } else {
      VstMidiEvent& event = midi[i];
      event = {};
      event.type = kVstMidiType;
      event.byteSize = sizeof(VstMidiEvent);
      event.deltaFrames = mEventOffsets[i];
      std::memcpy(event.midiData, mEventBytes[i].data(), mEventBytes[i].size());
      list.Set((int)i, reinterpret_cast<VstEvent*>(&event));
    }
  }
  call(effProcessEvents, 0, 0, list.Get(), 0.f, "effProcessEvents " + std::to_string(n));
  mEventBytes.clear();
  mEventOffsets.clear();
  mEventIsSysex.clear();
  return true;
}

bool ScriptRunner::stepProcess(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  ProcessKind kind;
  if (args[1] == "replacing")
    kind = ProcessKind::kReplacing;
  else if (args[1] == "accumulating")
    kind = ProcessKind::kAccumulating;
  else if (args[1] == "double")
    kind = ProcessKind::kDouble;
  else
    return false;
  const int frames = std::atoi(args[2].c_str());
  const int blocks = args.size() > 3 ? std::atoi(args[3].c_str()) : 1;
  for (int b = 0; b < blocks; ++b) {
    const auto outputs = instance()->process(kind, frames);
    std::string line = "process " + args[1] + " " + std::to_string(frames) + " ->";
    for (size_t c = 0; c < outputs.size(); ++c) {
      char text[64];
      std::snprintf(text, sizeof text, " out%zu=%g..%g", c, outputs[c].first, outputs[c].second);
      line += text;
    }
    host().print(line);
    host().advance(frames);
  }
  return true;
}

bool ScriptRunner::stepChunkGet(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  void* data = nullptr;
  const VstIntPtr size =
      call(effGetChunk, chunkIndex(args[1]), 0, &data, 0.f, "effGetChunk " + args[1]);
  if (size <= 0 || !data) return true;
  std::ofstream out(args[2], std::ios::binary);
  out.write(static_cast<const char*>(data), size);
  if (!out) {
    host().print("cannot write " + args[2]);
    return false;
  }
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  std::string head;
  for (VstIntPtr i = 0; i < size && i < 8; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
    head += byte;
  }
  host().print("  chunk " + std::to_string((long)size) + " bytes, head " + head);
  return true;
}

bool ScriptRunner::stepChunkSet(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  std::ifstream in(args[2], std::ios::binary);
  if (!in) {
    host().print("cannot read " + args[2]);
    return false;
  }
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (args.size() > 3) {
    const size_t keep = (size_t)std::atol(args[3].c_str());
    if (keep < bytes.size()) bytes.resize(keep);
  }
  call(effSetChunk, chunkIndex(args[1]), (VstIntPtr)bytes.size(),
       bytes.empty() ? nullptr : bytes.data(), 0.f,
       "effSetChunk " + args[1] + " " + std::to_string(bytes.size()) + " bytes");
  return true;
}

bool ScriptRunner::stepParamGet(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  const int index = std::atoi(args[1].c_str());
  const float value = instance()->effect()->getParameter(instance()->effect(), index);
  host().print("getParameter " + std::to_string(index) + " -> " + std::to_string(value));
  return true;
}

bool ScriptRunner::stepParamSet(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  const int index = std::atoi(args[1].c_str());
  const float value = std::strtof(args[2].c_str(), nullptr);
  instance()->effect()->setParameter(instance()->effect(), index, value);
  host().print("setParameter " + std::to_string(index) + " " + std::to_string(value));
  return true;
}

// The name, label and display text the plug-in gives one parameter.
bool ScriptRunner::stepParamInfo(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  const int index = std::atoi(args[1].c_str());
  struct TextQuery {
    int32_t opcode;
    const char* what;
  };
  const TextQuery queries[] = {{effGetParamName, "effGetParamName"},
                               {effGetParamLabel, "effGetParamLabel"},
                               {effGetParamDisplay, "effGetParamDisplay"}};
  for (const TextQuery& query : queries) {
    char text[256] = {};
    call(query.opcode, index, 0, text, 0.f, std::string(query.what) + " " + args[1]);
    printText(text, sizeof text);
  }
  return true;
}

// Sets a parameter from a text, as a host's generic editor does.
bool ScriptRunner::stepParamText(const Args& args, const std::string& rest) {
  if (args.size() < 3 || !needInstance()) return false;
  std::string text = rest.substr(rest.find_first_of(" \t") + 1);
  call(effString2Parameter, std::atoi(args[1].c_str()), 0, &text[0], 0.f,
       "effString2Parameter " + args[1] + " \"" + text + "\"");
  return true;
}

// Selects a program, then asks which one is current and its name.
bool ScriptRunner::stepProgram(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  call(effSetProgram, 0, std::atol(args[1].c_str()), nullptr, 0.f, "effSetProgram " + args[1]);
  call(effGetProgram, 0, 0, nullptr, 0.f, "effGetProgram");
  char text[256] = {};
  call(effGetProgramName, 0, 0, text, 0.f, "effGetProgramName");
  printText(text, sizeof text);
  return true;
}

// Renames the current program, as a host's program field does.
bool ScriptRunner::stepProgramName(const Args& args, const std::string& rest) {
  if (args.size() < 2 || !needInstance()) return false;
  char text[kVstMaxProgNameLen] = {};
  std::snprintf(text, sizeof text, "%s", rest.c_str());
  call(effSetProgramName, 0, 0, text, 0.f, "effSetProgramName \"" + std::string(text) + "\"");
  return true;
}

// Every program's name by its index, and one index beyond the last.
bool ScriptRunner::stepProgramNames(const Args&, const std::string&) {
  if (!needInstance()) return false;
  const int count = instance()->effect()->numPrograms;
  for (int index = 0; index <= count; ++index) {
    char text[256] = {};
    call(effGetProgramNameIndexed, index, 0, text, 0.f,
         "effGetProgramNameIndexed " + std::to_string(index));
    printText(text, sizeof text);
  }
  return true;
}

// Offers arrangements of IN and OUT channels, then reads the plug-in's own.
bool ScriptRunner::stepSpeakers(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  VstSpeakerArrangement in{}, out{};
  in.numChannels = std::atoi(args[1].c_str());
  out.numChannels = std::atoi(args[2].c_str());
  call(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out, 0.f,
       "effSetSpeakerArrangement " + args[1] + " " + args[2]);
  VstSpeakerArrangement* plugIn = nullptr;
  VstSpeakerArrangement* plugOut = nullptr;
  call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&plugIn), &plugOut, 0.f,
       "effGetSpeakerArrangement");
  const std::pair<const char*, const VstSpeakerArrangement*> sides[] = {{"input", plugIn},
                                                                        {"output", plugOut}};
  for (const auto& side : sides) {
    if (!side.second) continue;
    host().print(std::string("  ") + side.first + " type=" + std::to_string(side.second->type) +
                 " channels=" + std::to_string(side.second->numChannels));
  }
  return true;
}

bool ScriptRunner::stepKeyName(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  MidiKeyName key{};
  key.thisKeyNumber = std::atoi(args[1].c_str());
  std::snprintf(key.keyName, sizeof key.keyName, "%s", "unchanged");
  call(effGetMidiKeyName, 0, 0, &key, 0.f, "effGetMidiKeyName " + args[1]);
  printText(key.keyName, sizeof key.keyName);
  return true;
}

// The display text of a normalised value of one parameter (vendor index 7).
bool ScriptRunner::stepVendorDisplay(const Args& args, const std::string&) {
  if (args.size() < 3 || !needInstance()) return false;
  char text[256] = {};
  call(effVendorSpecific, 7, std::atol(args[1].c_str()), text,
       std::strtof(args[2].c_str(), nullptr), "effVendorSpecific 7 " + args[1] + " " + args[2]);
  printText(text, sizeof text);
  return true;
}

// A raw dispatcher call without a pointer argument.
bool ScriptRunner::stepDispatch(const Args& args, const std::string&) {
  if (args.size() < 2 || !needInstance()) return false;
  const int32_t opcode = std::atoi(args[1].c_str());
  const int32_t index = args.size() > 2 ? std::atoi(args[2].c_str()) : 0;
  const VstIntPtr value = args.size() > 3 ? std::atol(args[3].c_str()) : 0;
  const float opt = args.size() > 4 ? std::strtof(args[4].c_str(), nullptr) : 0.f;
  call(opcode, index, value, nullptr, opt);
  return true;
}

bool ScriptRunner::stepFolder(const Args& args, const std::string&) {
  if (args.size() < 2) return false;
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + args[1] + "-XXXXXX";
  if (!mkdtemp(path.data()) || chdir(path.c_str()) != 0) {
    host().print("  no folder " + path + ": " + std::strerror(errno));
    return false;
  }
  host().print("  folder " + path);
  return true;
}

// The host callbacks the instance made since it opened or since the last look, by opcode.
bool ScriptRunner::stepHostCalls(const Args&, const std::string&) {
  if (!needInstance()) return false;
  const auto calls = host().takeCalls(instance()->effect());
  if (calls.empty()) host().print("  calls none");
  for (const auto& [opcode, made] : calls)
    host().print("  calls " + hostOpcodeName(opcode) + "=" + std::to_string(made.count) +
                 " other-threads=" + std::to_string(made.otherThreads));
  return true;
}

bool ScriptRunner::stepOpenAnother(const Args& args, const std::string& rest) {
  if (!needInstance()) return false;
  mKept.push_back(std::move(mOpen));
  return stepOpen(args, rest);
}

bool ScriptRunner::stepUse(const Args& args, const std::string&) {
  const int number = args.size() > 1 ? std::atoi(args[1].c_str()) : 0;
  for (size_t i = 0; i < mKept.size(); ++i) {
    if (mKept[i]->number != number || !mKept[i]->instance) continue;
    std::swap(mKept[i], mOpen);
    if (!mKept[i] || (!mKept[i]->instance && !mKept[i]->window))
      mKept.erase(mKept.begin() + (long)i);
    host().print("  instance " + std::to_string(number) + " in use");
    return true;
  }
  host().print("no instance " + std::to_string(number) + " kept open");
  return false;
}

bool ScriptRunner::stepAudio(const Args& args, const std::string&) {
  if (args.size() < 2 || (args[1] != "on" && args[1] != "off")) return false;
  const int frames = args[1] == "off" ? 0 : args.size() > 2 ? std::atoi(args[2].c_str()) : 256;
  if (frames < 0 || frames > 65536) return false;
  mAudioFrames = frames;
  host().print(mAudioFrames > 0 ? "  audio on, blocks of " + std::to_string(mAudioFrames)
                                : "  audio off");
  return true;
}
