#include "tools/kroma-host/PluginInstance.h"

#include <dlfcn.h>

#include <type_traits>

#include "platform/vst2/opcodes.h"
#include "tools/kroma-host/HostCallback.h"

PluginLibrary::PluginLibrary(const std::string& path) {
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    const char* why = dlerror();
    mError = why ? why : "dlopen failed";
    return;
  }
  mEntry = reinterpret_cast<Entry>(dlsym(mHandle, "VSTPluginMain"));
  if (!mEntry) mEntry = reinterpret_cast<Entry>(dlsym(mHandle, "main"));
  if (!mEntry) mError = "no entry VSTPluginMain or main";
}

// The library stays loaded until the process ends: unloading it would unload
// the libraries it pulled in, whose start-up allocations would then show as
// leaks, and leak reports at exit could no longer name its functions.
PluginLibrary::~PluginLibrary() = default;

AEffect* PluginLibrary::create() const {
  if (!mEntry) return nullptr;
  AEffect* effect = mEntry(&HostCallback::callback);
  return effect && effect->magic == kEffectMagic ? effect : nullptr;
}

PluginInstance::PluginInstance(AEffect* effect, int number) : mEffect(effect) {
  HostCallback::instance().registerEffect(effect, number);
}

PluginInstance::~PluginInstance() {
  close();
}

VstIntPtr PluginInstance::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                   float opt) {
  if (!mEffect) return 0;
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

void PluginInstance::close() {
  if (!mEffect) return;
  AEffect* effect = mEffect;
  mEffect = nullptr;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
  HostCallback::instance().unregisterEffect(effect);
}

std::vector<std::pair<double, double>> PluginInstance::process(ProcessKind kind, int frames) {
  if (!mEffect || frames < 1) return {};
  if (kind == ProcessKind::kDouble) return runBlock<double>(kind, frames);
  return runBlock<float>(kind, frames);
}

template <class T>
std::vector<std::pair<double, double>> PluginInstance::runBlock(ProcessKind kind, int frames) {
  const int nIn = mEffect->numInputs > 0 ? mEffect->numInputs : 0;
  const int nOut = mEffect->numOutputs > 0 ? mEffect->numOutputs : 0;
  std::vector<std::vector<T>> in(nIn), out(nOut);
  std::vector<T*> inPtrs, outPtrs;
  for (int c = 0; c < nIn; ++c) {
    in[c].assign(frames, T(0.25 * (c + 1)));
    inPtrs.push_back(in[c].data());
  }
  for (int c = 0; c < nOut; ++c) {
    out[c].assign(frames, T(1.0));
    outPtrs.push_back(out[c].data());
  }
  T** inArg = inPtrs.empty() ? nullptr : inPtrs.data();
  T** outArg = outPtrs.empty() ? nullptr : outPtrs.data();
  if constexpr (std::is_same<T, double>::value) {
    if (mEffect->processDoubleReplacing)
      mEffect->processDoubleReplacing(mEffect, inArg, outArg, frames);
  } else if (kind == ProcessKind::kAccumulating) {
    if (mEffect->process) mEffect->process(mEffect, inArg, outArg, frames);
  } else if (mEffect->processReplacing) {
    mEffect->processReplacing(mEffect, inArg, outArg, frames);
  }
  std::vector<std::pair<double, double>> firstLast;
  for (const std::vector<T>& channel : out) firstLast.emplace_back(channel.front(), channel.back());
  return firstLast;
}
