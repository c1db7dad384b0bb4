#include "toolkit/plugin/base/detail/PlugUtilities.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {
const int kMinutesPerDay = 1440;

// Local time minus UTC in minutes, from the two broken-down forms of one instant.
int utcOffsetMinutes(const std::tm& local, const std::tm& utc) {
  int offset = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const int days = local.tm_yday - utc.tm_yday;
  if (days == 1 || days < -1)
    offset += kMinutesPerDay;  // local time is a day ahead, maybe already in the new year
  else if (days == -1 || days >= 2)
    offset -= kMinutesPerDay;
  return offset;
}
}  // namespace

void ToLower(char* dst, const char* src) {
  if (!dst) return;
  if (src)
    for (; *src; ++src, ++dst) *dst = (char)std::tolower((unsigned char)*src);
  *dst = 0;
}

const char* CurrentTime() {
  static char text[64];
  tzset();  // follow TZ changes made since the last call
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  const int offset = utcOffsetMinutes(local, utc);
  const int absolute = std::abs(offset);
  const size_t length = std::strftime(text, sizeof(text), "%Y%m%d %H:%M ", &local);
  std::snprintf(text + length, sizeof(text) - length, "%c%02d%02d", offset < 0 ? '-' : '+',
                absolute / 60, absolute % 60);
  return text;
}

void Trace(const char*, int, const char*, ...) {}
const char* VSTOpcodeStr(int) {
  return "";
}
const char* AUSelectStr(int) {
  return "";
}
const char* AUPropertyStr(int) {
  return "";
}
const char* AUScopeStr(int) {
  return "";
}

bool IsWhitespace(char c) {
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

void CompileTimestamp(const char* date, const char* time, TK_String* out) {
  if (!out) return;
  out->Set("[");
  out->Append(date);
  out->SetLength(7);
  // Drops the blank after the month, so that a padded day reads "Dec 5".
  if (out->GetLength() > 4) {
    TK_String rest(out->Get() + 5);
    out->SetLength(4);
    out->Append(rest.Get());
  }
  out->Append(" ");
  out->Append(time);
  out->SetLength(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  static TK_String result;
  TK_String stamp;
  CompileTimestamp(date, time, &stamp);
  result.Set(text);
  result.Append(" ");
  result.Append(stamp.Get());
  return result.Get();
}

bool Timer::Every(double seconds) {
  const std::clock_t now = std::clock();
  if ((double)(now - mStart) <= seconds * (double)CLOCKS_PER_SEC) return false;
  mStart = now;
  return true;
}
