// Parameter changes from the editor and the hardware, and the parameter state.
#include <cmath>
#include <cstring>

#include "toolkit/plugin/base/IPluginBase.h"

int IPluginBase::NonAutomatedCount() const {
  if (mNonAutomatedCount < 0) return 0;
  return mNonAutomatedCount < NParams() ? mNonAutomatedCount : NParams();
}

template <class Handler>
void IPluginBase::SetParameterWith(int paramIdx, double normalizedValue, Handler onChange) {
  TK_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double before = param->Value();
  param->SetNormalized(normalizedValue);
  // The host hears only of the parameters it was offered.
  if (paramIdx < NHostParams()) InformHostOfParamChange(paramIdx, normalizedValue);
  if (param->Value() == before && param->Type() != IParam::kTypeText) return;
  onChange(paramIdx);
}

template <class Edit>
void IPluginBase::CountedAsEdit(Edit edit) {
  TK_MutexLock lock(mMutex);
  const unsigned before = StateChanges();
  edit();
  if (StateChanges() != before) mEdits.fetch_add(1, std::memory_order_release);
}

void IPluginBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  CountedAsEdit([&] {
    SetParameterWith(paramIdx, normalizedValue, [this](int idx) { OnParamChange(idx); });
  });
}

void IPluginBase::RepeatParameterFromGUI(int paramIdx) {
  CountedAsEdit([&] {
    if (GetParam(paramIdx)) OnParamChange(paramIdx);
  });
}

void IPluginBase::SetParameterFromGUI2(int paramIdx, double normalizedValue) {
  SetParameterWith(paramIdx, normalizedValue, [this](int idx) { OnParamChange2(idx); });
}

void IPluginBase::OnParamReset() {
  for (int i = 0; i < NHostParams(); ++i) OnParamChange(i);
  Reset();
}

void IPluginBase::RedrawParamControls() {
  if (!mGraphics) return;
  std::vector<std::pair<int, double>> values;
  values.reserve(NParams());
  for (int i = 0; i < NParams(); ++i) values.emplace_back(i, GetParam(i)->Value());
  mGraphics->SetParametersFromPlug(values, false);
}

void IPluginBase::DirtyParameters() {
  TK_MutexLock lock(mMutex);
  for (int i = 0; i < NHostParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

namespace {
bool appendValues(ByteChunk* chunk, const TK_PtrList<IParam>& params, int first, int end) {
  for (int i = first; i < end; ++i)
    if (chunk->AppendValue(params.Get(i)->Value()) <= 0) return false;
  return true;
}
}  // namespace

int IPluginBase::UnserializeParam(ByteChunk* chunk, int pos, int paramIdx) {
  double value = 0.0;
  pos = chunk->ReadValue(value, pos);
  // A short chunk or a stored NaN sets the parameter to 0.0 in its range.
  if (pos < 0 || std::isnan(value)) value = 0.0;
  GetParam(paramIdx)->SetClamped(value);
  return pos;
}

bool IPluginBase::SerializeParams(ByteChunk* chunk) {
  if (!chunk) return false;
  TK_MutexLock lock(mMutex);
  return appendValues(chunk, mParams, 0, NHostParams());
}

int IPluginBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  TK_MutexLock lock(mMutex);
  int pos = startPos;
  if (!chunk || pos < 0) return pos;
  for (int i = 0; i < NHostParams() && pos >= 0; ++i) pos = UnserializeParam(chunk, pos, i);
  return pos;
}

bool IPluginBase::SerializeNonAutomatedParams(ByteChunk* chunk, int n) {
  if (!chunk) return false;
  TK_MutexLock lock(mMutex);
  if (n < 1) return true;
  const int first = NHostParams();
  const int end = n < NonAutomatedCount() ? first + n : NParams();
  return appendValues(chunk, mParams, first, end);
}

int IPluginBase::UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n) {
  TK_MutexLock lock(mMutex);
  int pos = startPos;
  if (!chunk || pos < 0 || n < 1) return pos;
  const int first = NHostParams();
  const int end = n < NonAutomatedCount() ? first + n : NParams();
  for (int i = first; i < end && pos >= 0; ++i) pos = UnserializeParam(chunk, pos, i);
  return pos;
}

bool IPluginBase::CompareState(const unsigned char* incomingState, int startPos) {
  if (NHostParams() == 0) return true;
  if (!incomingState || startPos < 0) return false;
  for (int i = 0; i < NHostParams(); ++i) {
    const IParam* param = GetParam(i);
    if (!param) return false;
    double stored;
    std::memcpy(&stored, incomingState + ((size_t)startPos + i) * sizeof(double), sizeof(double));
    const float difference = (float)stored - (float)param->Value();
    if (!(std::fabs(difference) < 0.00001f)) return false;
  }
  return true;
}
