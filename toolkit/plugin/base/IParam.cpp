#include "toolkit/plugin/base/IParam.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
bool continuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cut to size - 1 bytes, on a UTF-8 character boundary, and terminated; long lists of display
// texts pass through here.
void copyText(char* dst, const char* src, int size) {
  if (size <= 0) return;
  size_t length = src ? strnlen(src, (size_t)size - 1) : 0;
  if (length == (size_t)size - 1)
    while (length > 0 && continuationByte(src[length])) --length;
  if (length) std::memcpy(dst, src, length);
  dst[length] = 0;
}

// Truncates toward zero, saturating at the int range (NaN gives 0).
// x to the power of the shape; most parameters are linear, and a redraw of all asks for each.
double shaped(double x, double exponent) {
  return exponent == 1.0 ? x : std::pow(x, exponent);
}

int truncToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= (double)INT_MAX) return INT_MAX;
  if (value <= (double)INT_MIN) return INT_MIN;
  return (int)value;
}

bool isWhole(double x) {
  return std::floor(x) == x;
}

int precisionOfStep(double step) {
  if (isWhole(step)) return 0;
  for (int n = 1; n <= 5; ++n) {
    step *= 10.0;
    if (isWhole(step)) return n;
  }
  return 6;
}
}  // namespace

void IParam::SetKind(EParamType type) {
  if (mType == kTypeNone) mType = type;
}

void IParam::SetTexts(const char* name, const char* label, const char* group, int extra1,
                      int extra2) {
  copyText(mName, name, kTextSize);
  copyText(mLabel, label, kTextSize);
  copyText(mGroup, group, kTextSize);
  mExtra1 = extra1;
  mExtra2 = extra2;
}

void IParam::SetDefault(double value) {
  mDefault = value;
  Set(value);
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, const char* group,
                      int extra1, int extra2) {
  SetKind(kTypeBool);
  SetTexts(name, label, group, extra1, extra2);
  SetDefault(defaultValue ? 1.0 : 0.0);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultValue, int entryCount, const char* label,
                      const char* group, int extra1, int extra2) {
  SetKind(kTypeEnum);
  SetTexts(name, label, group, extra1, extra2);
  SetDefault(defaultValue);
  mMin = 0.0;
  mMax = entryCount - 1 > 1 ? entryCount - 1 : 1;
  mStep = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultValue, int minValue, int maxValue,
                     const char* label, const char* group, int extra1, int extra2) {
  SetKind(kTypeInt);
  SetTexts(name, label, group, extra1, extra2);
  SetDefault(defaultValue);
  mMin = minValue;
  mMax = (double)maxValue > (double)minValue + 1.0 ? maxValue : (double)minValue + 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                        double step, const char* label, const char* group, int extra1, int extra2) {
  SetKind(kTypeDouble);
  SetTexts(name, label, group, extra1, extra2);
  SetDefault(defaultValue);
  mMin = minValue;
  mMax = maxValue > minValue + step ? maxValue : minValue + step;
  mStep = step;
  mDisplayPrecision = precisionOfStep(step);
}

void IParam::SetShape(double shape) {
  if (shape > 0.0) mShape = shape;
}

void IParam::Set(double value) {
  const double before = mValue.exchange(value, std::memory_order_relaxed);
  if (mChanges && !(before == value)) mChanges->fetch_add(1, std::memory_order_release);
}

double IParam::Value() const {
  return mValue.load(std::memory_order_relaxed);
}

void IParam::SetClamped(double value) {
  if (!(value == value)) return;
  if (value > mMax) value = mMax;
  if (value < mMin) value = mMin;
  Set(value);
}

void IParam::SetNormalized(double normalized) {
  // Controls and hosts give 0..1; outside it the shape would make NaN.
  if (!(normalized > 0.0)) normalized = 0.0;
  if (normalized > 1.0) normalized = 1.0;
  double value = mMin + (mMax - mMin) * shaped(normalized, mShape);
  if (mType != kTypeDouble && mStep > 0.0) value = mStep * std::floor(value / mStep + 0.5);
  Set(value < mMax ? value : mMax);
}

double IParam::GetNormalized(double plainValue) const {
  const double range = mMax - mMin;
  if (range == 0.0 || !(plainValue == plainValue)) return 0.0;
  if (plainValue > mMax) plainValue = mMax;
  if (plainValue < mMin) plainValue = mMin;
  const double normalized = shaped((plainValue - mMin) / range, 1.0 / mShape);
  return normalized == normalized ? normalized : 0.0;
}

int IParam::Int() const {
  return truncToInt(Value());
}

void IParam::GetBounds(double* lo, double* hi) const {
  if (lo) *lo = mMin;
  if (hi) *hi = mMax;
}

double IParam::DBToAmp() const {
  return std::exp(Value() * 0.1151292546497);
}

const IParam::DisplayText* IParam::FindDisplayText(int value) const {
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (entries[i].mValue == value) return entries + i;
  return nullptr;
}

const char* IParam::SetDisplayText(int value, const char* text) {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  return SetDisplayTextLocked(value, text);
}

const char* IParam::SetDisplayTextLocked(int value, const char* text) {
  const int n = mDisplayTexts.GetSize();
  const bool above = n == 0 || (mDisplayTextsRise && mDisplayTexts.Get()[n - 1].mValue < value);
  DisplayText* entry = above ? nullptr : const_cast<DisplayText*>(FindDisplayText(value));
  if (!entry) {
    // Room grows by half again, so that a long list is copied a few times, not once per entry.
    if (n + 1 > mDisplayTexts.GetAllocated() && !mDisplayTexts.Resize(n + n / 2 + 16)) return "";
    DisplayText* entries = mDisplayTexts.Resize(n + 1);
    if (!entries) return "";
    mDisplayTextsRise = above;
    entry = entries + n;
    // The last byte stays 0, so a text read while it is replaced ends inside its entry.
    std::memset(entry, 0, sizeof(DisplayText));
    entry->mValue = value;
    mMax = value;
  }
  copyText(entry->mText, text, kDisplayTextSize);
  return entry->mText;
}

void IParam::ResetDisplayTexts() {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  mDisplayTexts.Resize(0);
  mDisplayTextsRise = true;
}

int IParam::GetNDisplayTexts() const {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  return mDisplayTexts.GetSize();
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (value) *value = entry.mValue;
  return entry.mText;
}

const char* IParam::GetDisplayText(int value) const {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  const DisplayText* entry = FindDisplayText(value);
  return entry ? entry->mText : "";
}

std::string IParam::CopyDisplayText(int value) const {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  const DisplayText* entry = FindDisplayText(value);
  return entry ? entry->mText : "";
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  if (!text) return false;
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
    if (std::strcmp(entries[i].mText, text) == 0) {
      if (value) *value = entries[i].mValue;
      return true;
    }
  }
  return false;
}

const char* IParam::GetLabelForHost() const {
  std::lock_guard<std::mutex> lock(mDisplayTextsLock);
  const DisplayText* entry = FindDisplayText(Int());
  return entry && entry->mText[0] ? "" : mLabel;
}

void IParam::GetDisplayForHost(double value, bool isNormalized, char* buffer, bool useDisplayText,
                               int bufferSize) const {
  if (!buffer || bufferSize < 1) return;
  if (isNormalized) value = mMin + (mMax - mMin) * shaped(value, mShape);
  if (useDisplayText) {
    std::lock_guard<std::mutex> lock(mDisplayTextsLock);
    const DisplayText* entry = FindDisplayText(truncToInt(value));
    if (entry && entry->mText[0]) {
      copyText(buffer, entry->mText, bufferSize);
      return;
    }
  }
  if (mDisplayPrecision == 0)
    std::snprintf(buffer, (size_t)bufferSize, "%d", truncToInt(value));
  else
    std::snprintf(buffer, (size_t)bufferSize, "%.*f", mDisplayPrecision, value);
}
