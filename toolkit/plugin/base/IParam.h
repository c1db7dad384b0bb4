#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "toolkit/heapbuf.h"

// One parameter of the plug-in: kind, value in its own units, range, step,
// shape and default, three texts, and display texts for chosen values.
class IParam {
 public:
  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble, kTypeText };
  // Room of the name, label and group fields (54 characters and the zero).
  static const int kTextSize = 55;
  // Room of a display text (55 characters and the zero).
  static const int kDisplayTextSize = 56;

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Each Init keeps a kind that was set before.
  void InitBool(const char* name, bool defaultValue, const char* label = "", const char* group = "",
                int extra1 = 0, int extra2 = 0);
  void InitEnum(const char* name, int defaultValue, int entryCount, const char* label = "",
                const char* group = "", int extra1 = 0, int extra2 = 0);
  void InitInt(const char* name, int defaultValue, int minValue, int maxValue,
               const char* label = "", const char* group = "", int extra1 = 0, int extra2 = 0);
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                  double step, const char* label = "", const char* group = "", int extra1 = 0,
                  int extra2 = 0);
  // Marks a parameter whose value is a text: its display text 0.
  void InitText() { mType = kTypeText; }

  // Sets the plain value as it is. Set and Value are out of line: inlined where a caller takes
  // GetParam's result unchecked, g++ 12 sees the atomic on the path where the index found no
  // parameter and warns of a write into nothing (-Wstringop-overflow) at -O2 and above.
  void Set(double value);
  // Sets the plain value limited to the range.
  void SetClamped(double value);
  // Counts each change of the value in `changes` (null: none counted), so that the plug-in sees
  // with one load whether what a save writes may have changed. [main thread, before other threads
  // set the parameter]
  void CountChangesIn(std::atomic<unsigned>* changes) { mChanges = changes; }
  void SetNormalized(double normalized);
  // Ignores a shape that is not above 0.
  void SetShape(double shape);

  double Value() const;
  bool Bool() const { return Value() >= 0.5; }
  int Int() const;
  double GetNormalized() const { return GetNormalized(Value()); }
  double GetNormalized(double plainValue) const;
  void GetBounds(double* lo, double* hi) const;
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  EParamType Type() const { return mType; }
  int GetExtra1() const { return mExtra1; }
  int GetExtra2() const { return mExtra2; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  // The value read as decibels, as an amplitude factor.
  double DBToAmp() const;

  // Replaces the text of value's entry, or appends an entry for value (which
  // then becomes the maximum). Returns the stored text. A name display's text
  // is replaced from the MIDI input thread: readers on other threads take a
  // copy through CopyDisplayText or GetDisplayForHost, or ask GetLabelForHost,
  // which hold the same lock.
  const char* SetDisplayText(int value, const char* text);
  // SetDisplayText(i, textOf(i)) for every i from 0 below count, under one lock: a menu's
  // texts in one go.
  template <class TextOf>
  void SetDisplayTexts(int count, TextOf textOf) {
    std::lock_guard<std::mutex> lock(mDisplayTextsLock);
    for (int i = 0; i < count; ++i) SetDisplayTextLocked(i, textOf(i).c_str());
  }
  void ResetDisplayTexts();
  int GetNDisplayTexts() const;
  // Empty text (and value untouched) for an index outside the table.
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  const char* GetDisplayText(int value) const;
  // A copy of value's text taken under the lock, for a reader on another thread than the
  // writer's: the pointer above may be read while its text is replaced.
  std::string CopyDisplayText(int value) const;
  bool MapDisplayText(const char* text, int* value) const;

  const char* GetNameForHost() const { return mName; }
  // Empty while the current value has a display text of its own.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mGroup; }
  // Writes the display form of value, cut to bufferSize bytes.
  void GetDisplayForHost(double value, bool isNormalized, char* buffer, bool useDisplayText = true,
                         int bufferSize = kDisplayTextSize) const;

 private:
  struct DisplayText {
    int mValue;
    char mText[kDisplayTextSize];
  };

  void SetKind(EParamType type);
  void SetTexts(const char* name, const char* label, const char* group, int extra1, int extra2);
  void SetDefault(double value);
  // The first entry whose stored value equals value, or null.
  const DisplayText* FindDisplayText(int value) const;
  const char* SetDisplayTextLocked(int value, const char* text);

  EParamType mType = kTypeNone;
  // Set from the MIDI input thread and read by the sender's and the host's
  // threads without the plug-in lock.
  std::atomic<double> mValue{0.0};
  std::atomic<unsigned>* mChanges = nullptr;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mExtra1 = 0;
  int mExtra2 = 0;
  int mDisplayPrecision = 0;
  char mName[kTextSize] = "";
  char mLabel[kTextSize] = "";
  char mGroup[kTextSize] = "";
  TK_TypedBuf<DisplayText> mDisplayTexts{16 * (int)sizeof(DisplayText)};
  // Whether the entries' values rise: a value above the last then needs no search.
  bool mDisplayTextsRise = true;
  mutable std::mutex mDisplayTextsLock;
};
