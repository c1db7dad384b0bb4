// Presets, the framework chunk header and the preset block of bank chunks.
#include <cstdio>
#include <cstring>

#include "toolkit/plugin/base/IPluginBase.h"

namespace {
const int32_t kChunkTag = 0x70666674;
const int32_t kChunkVersion = 0x00010000;
const char* const kUserPreset = "user preset";
}  // namespace

int GetPluginVerFromChunk(ByteChunk* chunk, int* pos) {
  if (!chunk || !pos) return 0;
  int32_t tag = 0;
  const int afterTag = chunk->ReadValue(tag, *pos);
  if (afterTag < 0 || tag != kChunkTag) return 0;  // no header: read from where it starts
  int32_t version = 0;
  *pos = chunk->ReadValue(version, afterTag);
  return *pos < 0 ? 0 : version;
}

void IPluginBase::InitChunkWithPluginVer(ByteChunk* chunk) {
  chunk->Clear();
  chunk->AppendValue(kChunkTag);
  chunk->AppendValue(kChunkVersion);
}

bool IPluginBase::StoreState(IPreset* preset) {
  preset->mChunk.Clear();
  return SerializeState(&preset->mChunk);
}

IPreset* IPluginBase::FirstUninitializedPreset() const {
  for (int i = 0; i < NPresets(); ++i)
    if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
  return nullptr;
}

void IPluginBase::MakeDefaultPreset(const char* name, int n) {
  for (int i = 0; i < n; ++i) {
    IPreset* preset = FirstUninitializedPreset();
    if (!preset) return;
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
    StoreState(preset);
  }
}

bool IPluginBase::RestorePreset(int idx) {
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  if (preset->mInitialized) {
    if (UnserializeState(&preset->mChunk, 0) < 1) return false;
  } else {
    int users = 0;
    for (int i = 0; i < NPresets(); ++i)
      users += std::strstr(GetPresetName(i), kUserPreset) != nullptr;
    preset->mInitialized = true;
    std::snprintf(preset->mName, sizeof(preset->mName), "%s %d", kUserPreset, users + 1);
    if (!StoreState(preset)) return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IPluginBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(GetPresetName(i), name) == 0) return RestorePreset(i);
  return false;
}

const char* IPluginBase::GetPresetName(int idx) const {
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IPluginBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  StoreState(preset);
  if (name && name[0]) preset->SetName(name);
}

void IPluginBase::PruneUninitializedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IPluginBase::SerializePresets(ByteChunk* chunk) {
  if (!chunk) return false;
  for (int i = 0; i < NPresets(); ++i) {
    const IPreset* preset = mPresets.Get(i);
    chunk->AppendText(preset->mName);
    chunk->AppendFlag(preset->mInitialized);
    if (preset->mInitialized && chunk->AppendChunk(preset->mChunk) <= 0) return false;
  }
  return true;
}

int IPluginBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  int pos = startPos;
  for (int i = 0; chunk && pos >= 0 && i < NPresets(); ++i) {
    IPreset* preset = mPresets.Get(i);
    TK_String name;
    pos = chunk->ReadText(name, pos);
    if (pos < 0) break;
    preset->SetName(name.Get());
    pos = chunk->ReadFlag(preset->mInitialized, pos);
    if (pos < 0 || !preset->mInitialized) continue;
    pos = UnserializeState(chunk, pos);
    // Stored again, so that every preset ends up in the current format.
    if (pos > 0) StoreState(preset);
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}
