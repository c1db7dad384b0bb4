#pragma once

#include "src/librarian/LibrarianRecords.h"

// The jobs of MIDIMessageSender by code.
enum SenderJobCode : int {
  kSendArrangementToDevice = 0,
  kSendGlobalToDevice = 1,
  kSendPartToDevice = 2,
  kSendPatchToDeviceFromLibrarian = 3,
  kStoreAllPatchesToDeviceFromLibrarian = 4,
  kSendActiveArrangementRequest = 5,
  kSendPartRequest = 6,
  kSendSingleMultiRequest = 7,
  kSendAllMultiRequest = 8,
  kSendSinglePatchRequest = 9,
  kSendAllPatchRequest = 10,
  kInitPerformance = 11,
  kInitClassicPatch = 12,
  kSendDeviceIdEnquiry = 13,
  kNoJob = 14,
  kStartMIDIClockOutput = 15,
  kSendContinuousMIDIClock = 16,
  kStopMIDIClockOutput = 17,
  kCheckPushAnswered = 18,
  kJobCodeCount = 19
};

// The three threads jobs run on: transfers and requests one at a time, MIDI Start and Stop, and
// the stream of timing clocks.
enum class Lane { kTransfer = 0, kClockStartStop = 1, kContinuousClock = 2 };
constexpr int kLaneCount = 3;

// One job with its arguments. The starter fills in the code and the fields its job reads; the
// lane keeps its own copy for as long as the job runs.
struct SenderJob {
  int code = kNoJob;
  LibrarianPatch record;      // 3: a copy of the slot to send
  int slot = 0;               // 3: program the slot is sent to or loaded as
  int list = 0;               // 4: 0 upper librarian list, otherwise lower
  int firstRecord = 0;        // 4
  int part = 0;               // 2, 3, 6
  int targetBank = 0;         // 4: synthesizer bank written
  int bank = 0;               // 9, 10: synthesizer bank requested
  int globalArgument = 0;     // 1: device id of the Global dump
  int clockArgument = 0;      // 16
  bool toEditor = false;      // 5, 6: answers into the editor rather than the librarian
  bool editBuffer = false;    // 9: the current part's edit buffer rather than bank and program
  bool requestParts = false;  // 0, 2
  bool toLibrarian = false;   // 0, 2: into the selected librarian slot rather than the synthesizer
  bool initFlag = false;      // 11, 12
};
