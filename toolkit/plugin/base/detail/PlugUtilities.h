#pragma once

#include <ctime>

#include "toolkit/tkstring.h"

// Lower-case copy of src into dst, which holds strlen(src) + 1 characters.
void ToLower(char* dst, const char* src);

// The local time as "YYYYMMDD HH:MM +HHMM" (offset from UTC). The text lives
// in one static buffer that the next call overwrites.
const char* CurrentTime();

// The framework writes no trace log: these keep their call sites quiet.
void Trace(const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int property);
const char* AUScopeStr(int scope);

// Tab, line feed, carriage return and blank only.
bool IsWhitespace(char c);

// "[Mmm D HH:MM]" from the compiler's date and time texts.
void CompileTimestamp(const char* date, const char* time, TK_String* out);
// text, a blank and the compile timestamp, in one static string.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Fires at most once per period of processor time.
class Timer {
 public:
  Timer() : mStart(std::clock()) {}
  // True, and restarts, when more than seconds passed since the last start.
  bool Every(double seconds);

 private:
  std::clock_t mStart;
};
