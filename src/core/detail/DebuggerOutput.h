#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "toolkit/log.h"

// The plug-in's debug log: a text file in the data folder that the user turns
// on by creating it. Each plug-in instance owns one object, the sink it hands
// to everything it makes; the switch is decided once, when it is made. The
// static functions serve callers that hold a path of their own.
class DebuggerOutput : public TK_LogSink {
 public:
  // On only when the file at `path` exists and could be emptied; no file is
  // created otherwise.
  explicit DebuggerOutput(std::string path);

  bool IsOn() const override { return mOn; }
  // One time-stamped line of tag and message while on.
  void Write(const char* tag, const std::string& message) override;
  const std::string& path() const { return mPath; }

  // Tags that start the lines of one area. Start-up stages log without a tag.
  static constexpr const char* kConfigReaderTag = "CONFIG READER: ";
  static constexpr const char* kPatchLibrarianTag = "PATCH LIBRARIAN: ";
  static constexpr const char* kProcessorTag = "PROCESSOR: ";
  static constexpr const char* kProjectRecallTag = "PROJECT RECALL: ";
  static constexpr const char* kResetTag = "RESET: ";
  static constexpr const char* kFileImporterTag = "FILE IMPORTER: ";

  // Decides the debug switch at start-up: true only when the log file exists
  // and can be emptied for writing. An unusable file leaves logging off.
  static bool openDebugFile(const std::string& path);

  // Appends one line "<local time>\t <message>\n". A file that cannot be
  // opened or written loses the line silently.
  static void printDebugInfo(const std::string& path, const std::string& message);

  // Called where SysEx goes out; outgoing SysEx is deliberately not logged.
  static void logSysExOutMessageByte(const unsigned char* data, int len);
  static void logSysExOutMessageByteInt(const std::vector<int>& data, int len);

  // Repeat filter over the last message's status and two data bytes, kept in
  // entries 0..2 of lastMessage (the plug-in's compare flags). Stores each byte
  // that differs; true when all three were equal.
  static bool compareMIDIdata(std::vector<int>& lastMessage, int status, int data1, int data2);

  // The time stamp that starts every line: local time as "%Y-%m-%d.%X".
  static std::string timeStamp(std::time_t when);

 private:
  const std::string mPath;
  const bool mOn;
};
