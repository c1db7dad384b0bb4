// Factory presets: made from values, chunks or Base64 text, and dumped as code.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/plugin/base/IPluginBase.h"

namespace {
const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string encodeBase64(const uint8_t* data, int size) {
  std::string text;
  for (int i = 0; i < size; i += 3) {
    const int n = size - i < 3 ? size - i : 3;
    uint32_t group = (uint32_t)data[i] << 16;
    if (n > 1) group |= (uint32_t)data[i + 1] << 8;
    if (n > 2) group |= data[i + 2];
    for (int k = 0; k < 4; ++k) text += k <= n ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

// Decodes into out; false on a character outside the alphabet.
bool decodeBase64(const char* text, std::vector<uint8_t>* out) {
  uint32_t group = 0;
  int bits = 0;
  for (; *text && *text != '='; ++text) {
    const char* at = std::strchr(kBase64, *text);
    if (!at || !*at) return false;
    group = (group << 6) | (uint32_t)(at - kBase64);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back((uint8_t)(group >> bits));
    }
  }
  return true;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

template <class SetValues>
bool IPluginBase::MakeFactoryPreset(const char* name, SetValues setValues) {
  TK_MutexLock lock(mMutex);
  IPreset* preset = FirstUninitializedPreset();
  if (!preset) return false;
  std::vector<double> live((size_t)NParams());
  for (int i = 0; i < NParams(); ++i) live[i] = GetParam(i)->Value();
  setValues();
  preset->mInitialized = StoreState(preset);
  preset->SetName(name);
  for (int i = 0; i < NParams(); ++i) GetParam(i)->Set(live[i]);
  return preset->mInitialized;
}

bool IPluginBase::MakePreset(const char* name, ...) {
  va_list values;
  va_start(values, name);
  const bool made = MakeFactoryPreset(name, [&] {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->SetClamped(va_arg(values, double));
  });
  va_end(values);
  return made;
}

bool IPluginBase::MakePresetFromNamedParams(const char* name, int n, ...) {
  va_list pairs;
  va_start(pairs, n);
  const bool made = MakeFactoryPreset(name, [&] {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->Set(GetParam(i)->GetDefault());
    for (int k = 0; k < n; ++k) {
      const int idx = va_arg(pairs, int);
      const double value = va_arg(pairs, double);
      if (IParam* param = GetParam(idx)) param->SetClamped(value);
    }
  });
  va_end(pairs);
  return made;
}

bool IPluginBase::MakePresetFromChunk(const char* name, ByteChunk* chunk) {
  if (!chunk) return false;
  TK_MutexLock lock(mMutex);
  IPreset* preset = FirstUninitializedPreset();
  if (!preset) return false;
  preset->mChunk.Clear();
  preset->mChunk.AppendChunk(*chunk);
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IPluginBase::MakePresetFromBlob(const char* name, const char* blob, int size) {
  std::vector<uint8_t> bytes;
  if (!blob || size < 0 || !decodeBase64(blob, &bytes) || (int)bytes.size() < size) return false;
  ByteChunk chunk;
  chunk.AppendBytes(bytes.data(), size);
  return MakePresetFromChunk(name, &chunk);
}

bool IPluginBase::DumpPresetSrcCode(const char* file, const char* const* paramEnumNames) {
  File out(file ? std::fopen(file, "a") : nullptr);
  if (!out) return false;
  TK_MutexLock lock(mMutex);
  const char* name = GetPresetName(mCurrentPresetIdx);
  if (paramEnumNames) {
    std::fprintf(out.get(), "  MakePresetFromNamedParams(\"%s\", %d", name, NParams());
    for (int i = 0; i < NParams(); ++i)
      std::fprintf(out.get(), ",\n    %s, %f", paramEnumNames[i], GetParam(i)->Value());
  } else {
    std::fprintf(out.get(), "  MakePreset(\"%s\"", name);
    for (int i = 0; i < NParams(); ++i) std::fprintf(out.get(), ", %f", GetParam(i)->Value());
  }
  std::fprintf(out.get(), ");\n");
  return std::ferror(out.get()) == 0;
}

bool IPluginBase::DumpPresetBlob(const char* file) {
  File out(file ? std::fopen(file, "a") : nullptr);
  if (!out) return false;
  TK_MutexLock lock(mMutex);
  ByteChunk state;
  if (!SerializeState(&state)) return false;
  std::fprintf(out.get(), "  MakePresetFromBlob(\"%s\", \"%s\", %d);\n",
               GetPresetName(mCurrentPresetIdx), encodeBase64(state.Data(), state.Size()).c_str(),
               state.Size());
  return std::ferror(out.get()) == 0;
}
