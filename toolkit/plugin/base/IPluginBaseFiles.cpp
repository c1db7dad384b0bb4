// Program (.fxp) and bank (.fxb) files. Their header words are big-endian.
#include <cstdio>
#include <cstring>
#include <memory>

#include "toolkit/plugin/base/IPluginBase.h"

namespace {
const int kNameField = 28;
const int kProgramContent = 56;  // after magic, size, kind, version, id, version, count, name
const int kBankContent = 156;    // after the seven words and 128 reserved bytes
const int kFormatVersion = 1;
const long kMaxFileSize = 64L * 1024 * 1024;

void appendBE32(ByteChunk* out, uint32_t value) {
  const uint8_t bytes[4] = {(uint8_t)(value >> 24), (uint8_t)(value >> 16), (uint8_t)(value >> 8),
                            (uint8_t)value};
  out->AppendBytes(bytes, 4);
}

void patchBE32(ByteChunk* out, int pos, uint32_t value) {
  uint8_t* at = out->Data() + pos;
  at[0] = (uint8_t)(value >> 24);
  at[1] = (uint8_t)(value >> 16);
  at[2] = (uint8_t)(value >> 8);
  at[3] = (uint8_t)value;
}

bool readBE32(const ByteChunk& in, int pos, uint32_t* value) {
  if (pos < 0 || (int64_t)pos + 4 > in.Size()) return false;
  const uint8_t* at = in.Data() + pos;
  *value = (uint32_t)at[0] << 24 | (uint32_t)at[1] << 16 | (uint32_t)at[2] << 8 | at[3];
  return true;
}

bool hasMagic(const ByteChunk& in, int pos, const char* magic) {
  return pos >= 0 && (int64_t)pos + 4 <= in.Size() && std::memcmp(in.Data() + pos, magic, 4) == 0;
}

void appendName(ByteChunk* out, const char* name) {
  char field[kNameField] = {};
  std::snprintf(field, sizeof(field), "%s", name ? name : "");
  out->AppendBytes(field, kNameField);
}

uint32_t floatBits(double value) {
  const float f = (float)value;
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

float bitsFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// The end of the record that starts at pos, or -1 when it does not fit.
int recordEnd(const ByteChunk& in, int pos) {
  uint32_t size = 0;
  if (!hasMagic(in, pos, "CcnK") || !readBE32(in, pos + 4, &size)) return -1;
  const int64_t end = (int64_t)pos + 8 + size;
  return end <= in.Size() ? (int)end : -1;
}

// The bytes of an opaque chunk (a size word, then the bytes) inside a record.
bool readOpaqueChunk(const ByteChunk& in, int pos, int end, ByteChunk* chunk) {
  uint32_t size = 0;
  if (!readBE32(in, pos, &size) || (int64_t)pos + 4 + size > end) return false;
  chunk->Clear();
  chunk->AppendBytes(in.Data() + pos + 4, (int)size);
  return true;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

bool readFile(const char* path, ByteChunk* out) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file.get());
  if (size <= 0 || size > kMaxFileSize || std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
  out->SetSize((int)size);
  return out->Size() == size &&
         std::fread(out->Data(), 1, (size_t)size, file.get()) == (size_t)size;
}

bool writeFile(const char* path, const ByteChunk& bytes) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written =
      std::fwrite(bytes.Data(), 1, (size_t)bytes.Size(), file) == (size_t)bytes.Size();
  return std::fclose(file) == 0 && written;
}
}  // namespace

bool IPluginBase::PromptForPresetFile(TK_String* fileName, EFileAction action,
                                      const char* extension) {
  if (!mGraphics) return false;
  mGraphics->PromptForFile(fileName, action, &mPreviousPath, extension);
  return fileName->GetLength() > 0;
}

bool IPluginBase::AppendProgramRecord(ByteChunk* file, const char* name, bool chunkForm) {
  const int start = file->Size();
  file->AppendBytes("CcnK", 4);
  appendBE32(file, 0);
  file->AppendBytes(chunkForm ? "FPCh" : "FxCk", 4);
  appendBE32(file, kFormatVersion);
  appendBE32(file, (uint32_t)mUniqueID);
  appendBE32(file, (uint32_t)GetEffectVersion(true));
  appendBE32(file, (uint32_t)NParams());
  appendName(file, name);
  bool saved = true;
  if (chunkForm) {
    ByteChunk state;
    InitChunkWithPluginVer(&state);
    saved = SerializeState(&state);
    appendBE32(file, (uint32_t)state.Size());
    file->AppendChunk(state);
  } else {
    for (int i = 0; i < NParams(); ++i) appendBE32(file, floatBits(GetParam(i)->GetNormalized()));
  }
  patchBE32(file, start + 4, (uint32_t)(file->Size() - start - 8));
  return saved;
}

int IPluginBase::ReadProgramRecord(const ByteChunk& file, int pos, TK_String* name) {
  const int end = recordEnd(file, pos);
  uint32_t id = 0, count = 0;
  if (end < 0 || end < pos + kProgramContent || !readBE32(file, pos + 16, &id) ||
      id != (uint32_t)mUniqueID || !readBE32(file, pos + 24, &count))
    return -1;
  name->Set(reinterpret_cast<const char*>(file.Data() + pos + 28), kNameField);
  const int content = pos + kProgramContent;
  if (hasMagic(file, pos + 8, "FxCk")) {
    if ((int64_t)content + 4 * (int64_t)count > end) return -1;
    for (int i = 0; i < (int)count && i < NParams(); ++i) {
      uint32_t bits = 0;
      readBE32(file, content + 4 * i, &bits);
      GetParam(i)->SetNormalized(bitsFloat(bits));
    }
    return end;
  }
  ByteChunk state;
  if (!hasMagic(file, pos + 8, "FPCh") || !readOpaqueChunk(file, content, end, &state)) return -1;
  int statePos = 0;
  GetPluginVerFromChunk(&state, &statePos);
  return UnserializeState(&state, statePos) < 0 ? -1 : end;
}

bool IPluginBase::SaveProgramAsFXP(const char* defaultFileName) {
  TK_String fileName(defaultFileName);
  if (!PromptForPresetFile(&fileName, kFileSave, "fxp")) return false;
  TK_MutexLock lock(mMutex);
  ByteChunk file;
  return AppendProgramRecord(&file, GetPresetName(mCurrentPresetIdx), mStateChunks) &&
         writeFile(fileName.Get(), file);
}

bool IPluginBase::SaveBankAsFXB(const char* defaultFileName) {
  TK_String fileName(defaultFileName);
  if (!PromptForPresetFile(&fileName, kFileSave, "fxb")) return false;
  TK_MutexLock lock(mMutex);
  ByteChunk file;
  file.AppendBytes("CcnK", 4);
  appendBE32(&file, 0);
  file.AppendBytes(mStateChunks ? "FBCh" : "FxBk", 4);
  appendBE32(&file, kFormatVersion);
  appendBE32(&file, (uint32_t)mUniqueID);
  appendBE32(&file, (uint32_t)GetEffectVersion(true));
  appendBE32(&file, (uint32_t)NPresets());
  file.SetSize(kBankContent);
  bool saved = true;
  if (mStateChunks) {
    ByteChunk presets;
    InitChunkWithPluginVer(&presets);
    saved = SerializePresets(&presets);
    appendBE32(&file, (uint32_t)presets.Size());
    file.AppendChunk(presets);
  } else {
    // Each preset's values are those of its stored state; the current state comes back after.
    ByteChunk current;
    SerializeState(&current);
    for (int i = 0; i < NPresets(); ++i) {
      IPreset* preset = mPresets.Get(i);
      UnserializeState(preset->mInitialized ? &preset->mChunk : &current, 0);
      saved = AppendProgramRecord(&file, preset->mName, false) && saved;
    }
    UnserializeState(&current, 0);
  }
  patchBE32(&file, 4, (uint32_t)(file.Size() - 8));
  return saved && writeFile(fileName.Get(), file);
}

bool IPluginBase::LoadProgramFromFXP() {
  TK_String fileName;
  ByteChunk file;
  if (!PromptForPresetFile(&fileName, kFileOpen, "fxp") || !readFile(fileName.Get(), &file))
    return false;
  TK_MutexLock lock(mMutex);
  TK_String name;
  if (ReadProgramRecord(file, 0, &name) < 0) return false;
  ModifyCurrentPreset();
  if (!RestorePreset(mCurrentPresetIdx)) RedrawParamControls();
  return true;
}

bool IPluginBase::LoadBankFromFXB() {
  TK_String fileName;
  ByteChunk file;
  if (!PromptForPresetFile(&fileName, kFileOpen, "fxb") || !readFile(fileName.Get(), &file))
    return false;
  TK_MutexLock lock(mMutex);
  return ReadBankFile(file);
}

bool IPluginBase::ReadBankFile(const ByteChunk& file) {
  uint32_t id = 0, count = 0;
  if (recordEnd(file, 0) < 0 || !readBE32(file, 16, &id) || id != (uint32_t)mUniqueID ||
      !readBE32(file, 24, &count))
    return false;
  if (hasMagic(file, 8, "FBCh")) {
    ByteChunk presets;
    if (!readOpaqueChunk(file, kBankContent, recordEnd(file, 0), &presets)) return false;
    int pos = 0;
    GetPluginVerFromChunk(&presets, &pos);
    if (UnserializePresets(&presets, pos) < 0) return false;
    RedrawParamControls();
    return true;
  }
  if (!hasMagic(file, 8, "FxBk")) return false;
  int pos = kBankContent;
  for (int i = 0; i < (int)count && i < NPresets(); ++i) {
    TK_String name;
    pos = ReadProgramRecord(file, pos, &name);
    if (pos < 0) return false;
    IPreset* preset = mPresets.Get(i);
    preset->mInitialized = true;
    preset->SetName(name.Get());
    StoreState(preset);
  }
  if (!RestorePreset(mCurrentPresetIdx)) RedrawParamControls();
  return true;
}
