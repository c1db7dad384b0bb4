#pragma once

// The status texts of the sender's jobs.
namespace texts {

constexpr const char* kTimedOut = "CONNECTION TIMED OUT!";
constexpr const char* kCancelled = "Data request CANCELLED!";
constexpr const char* kCompleted = "Data request Completed!";
// Job 10's own spelling, and job 5's into the editor.
constexpr const char* kCancelledLower = "Data request cancelled!";
constexpr const char* kCompletedLower = "Data request completed!";
constexpr const char* kProcessing = "Data processing, please wait...";
constexpr const char* kProcessingMulti = "Processing, please wait...";
constexpr const char* kCheckingDeviceId = "Please wait, checking DeviceID ";
constexpr const char* kProgressPrefix = "Please wait! ";
constexpr const char* kReceivedSuffix = "% received..";
constexpr const char* kProcessedSuffix = "% processed..";
constexpr const char* kConnecting = "Connecting to corvane";
constexpr const char* kNoResponse = "No response from corvane!";
constexpr const char* kReady = "Plug-in is ready to go!";
// A restore's push that no synthesizer answered: the id it went to follows, then "!". The
// project waits for it: the pick's connection check finds it on any id, and the project goes.
constexpr const char* kNoSynthOnId = "NO SYNTH ANSWERED ON ID ";
constexpr const char* kHowToFindSynth = "Pick MIDI Out to find it";
// What went to the synthesizer: all of it, a cancel, a bank missing or the link lost.
constexpr const char* kWriteCompleted = "Data write completed!";
constexpr const char* kWriteCancelled = "Data write CANCELLED!";
constexpr const char* kWriteFailed = "Data write FAILED!";
// A job into the librarian finds no bank of its kind in the upper list, and sends nothing.
constexpr const char* kNoBank = "No Bank to receive Data!";
// What came from the synthesizer, or was handed over, went into no slot.
constexpr const char* kNotStored = "Slot update FAILED!";

}  // namespace texts
