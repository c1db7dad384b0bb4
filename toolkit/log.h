#pragma once

#include <string>

// Where log lines go. Each plug-in instance owns one sink (its debug log) and hands it down to
// the objects it makes; code that belongs to no instance writes to TK_StderrLog().
class TK_LogSink {
 public:
  virtual ~TK_LogSink() = default;
  // False while nothing would be written, so that callers can skip composing costly lines.
  virtual bool IsOn() const { return true; }
  // One line: the area's tag (such as "CONFIG READER: ", may be empty) and the message.
  virtual void Write(const char* tag, const std::string& message) = 0;
};

// Standard error, one line per call; safe from any thread.
TK_LogSink& TK_StderrLog();

// Writes through `sink`, or to standard error when it is null. A sink that throws loses the line;
// the caller never sees the exception.
void TK_Log(TK_LogSink* sink, const char* tag, const std::string& message);
