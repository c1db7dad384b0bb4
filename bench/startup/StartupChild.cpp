// The host's side of the start-up benchmarks, run as a fresh process for every measurement: it
// loads the plug-in module as a host does and prints what it measured, one "name value" a line.
//   instances <count>  creation time and resident memory of each instance, one after the other
//   editor             creation plus the first editor frame
//   idle <seconds>     the process's processor share while an open editor idles
#include <dlfcn.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/support/Resident.h"
#include "platform/vst2/aeffect.h"
#include "platform/vst2/opcodes.h"

namespace {

using Clock = std::chrono::steady_clock;
using Entry = AEffect* (*)(audioMasterCallback);

constexpr int32_t kAudioMasterVersion = 1;

VstIntPtr hostCallback(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float) {
  return opcode == kAudioMasterVersion ? 2400 : 0;
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void print(const char* name, double value) {
  std::printf("%s %.3f\n", name, value);
}

AEffect* makeInstance(Entry entry) {
  AEffect* effect = entry(hostCallback);
  if (effect) effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.f);
  return effect;
}

void dispatch(AEffect* effect, int32_t opcode, void* ptr = nullptr) {
  effect->dispatcher(effect, opcode, 0, 0, ptr, 0.f);
}

// A host opens the editor in a window of its own; none here, so the editor makes a top-level one.
void openEditor(AEffect* effect) {
  ERect* rect = nullptr;
  dispatch(effect, effEditGetRect, &rect);
  dispatch(effect, effEditOpen);
  dispatch(effect, effEditIdle);  // the first frame goes out on the first idle call
}

// Idle calls as a host's GUI timer gives them, every 10 ms.
void idleFor(AEffect* effect, double seconds) {
  const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(seconds));
  while (Clock::now() < end) {
    dispatch(effect, effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int run(const char* module, const std::string& mode, double argument) {
  const double residentBefore = residentMB();
  Clock::time_point start = Clock::now();
  void* handle = dlopen(module, RTLD_NOW | RTLD_LOCAL);
  const Entry entry = handle ? reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain")) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "cannot load %s: %s\n", module, dlerror());
    return 1;
  }
  print("load_ms", msSince(start));
  if (mode == "instances") {
    double resident = residentMB();
    print("load_MB", resident - residentBefore);
    for (int i = 1; i <= (int)argument; ++i) {
      const std::string instance = "instance" + std::to_string(i);
      const double cpu = cpuSeconds();
      start = Clock::now();
      if (!makeInstance(entry)) return 1;
      print((instance + "_ms").c_str(), msSince(start));
      // Processor time of every thread: on a loaded machine the figure that waits least.
      print((instance + "_cpu_ms").c_str(), 1000.0 * (cpuSeconds() - cpu));
      const double now = residentMB();
      print((instance + "_MB").c_str(), now - resident);
      resident = now;
    }
  } else if (mode == "editor") {
    start = Clock::now();
    AEffect* effect = makeInstance(entry);
    if (!effect) return 1;
    openEditor(effect);
    print("editor_ms", msSince(start));
  } else if (mode == "idle") {
    AEffect* effect = makeInstance(entry);
    if (!effect) return 1;
    openEditor(effect);
    idleFor(effect, 1.0);  // settled: start-up work and the first frames are behind
    const double cpu = cpuSeconds();
    start = Clock::now();
    idleFor(effect, argument);
    print("idle_ms", msSince(start));
    print("cpu_percent", 100.0 * (cpuSeconds() - cpu) / (msSince(start) / 1000.0));
  } else {
    return 2;
  }
  std::fflush(stdout);
  // A host quits without closing what it made; the process's end frees it.
  std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MODULE instances N | editor | idle SECONDS\n", argv[0]);
    return 2;
  }
  return run(argv[1], argv[2], argc > 3 ? std::atof(argv[3]) : 0.0);
}
