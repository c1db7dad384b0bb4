#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/PluginDisplays.h"
#include "src/protocol/ProtocolPlugin.h"
#include "src/protocol/SenderJob.h"

class MIDIMessageManager;

// The jobs that the manager's lanes run: dumps to the synthesizer and requests from it. Every
// pause goes through the lane clock; a pause that ends early (shut-down) ends the job as a
// cancel would.
class MIDIMessageSender {
 public:
  MIDIMessageSender(MIDIMessageManager& manager, ProtocolPlugin& plugin, PatchLibrarian& librarian,
                    LaneClock& clock);

  // Runs the job of `job.code` with the job's fields; codes without a job return at once.
  void run(const SenderJob& job);
  // The lane a job code runs on; false for codes without a job, and for jobs that later work
  // builds (0, 1, 3, 4, 11, 12, 15 to 17): their rows in the job table have no body yet.
  static bool laneOf(int code, Lane& lane);

  // The librarian sync delay chosen by kLibSyncTimer: 50, 75, 100, 150, 200, 300, 400 or 500 ms
  // for 0..7, 100 ms otherwise.
  static int getTimerValue(const ParameterAccess& params);

  // Job 2: builds the sound dump of `part` from the editor; sends it to the part's edit buffer,
  // or with `toLibrarian` hands it to the sound collector as from the device, so that it lands
  // in the selected librarian slot. Names and displays follow unless a Multi is being sent with
  // its sounds. `requestParts` has no effect.
  void sendPartToDevice(int part, bool toLibrarian, bool requestParts);
  // Job 5: the sounds of the 16 parts and then the multi edit buffer into the editor; or the
  // multi edit buffer alone into the selected librarian slot.
  void sendActiveArrangementRequestSysex(bool toEditor);
  // Job 6: the edit buffer of `part` into the editor or the selected librarian slot.
  void sendPartRequestSysex(int part, bool toEditor);
  // Job 7: the stored Multi of the selected program into its slot.
  void sendSingleMultiRequestSysex();
  // Job 8: the 128 stored Multis into slots 0..127.
  void sendAllMultiRequestSysex();
  // Job 9: one sound (the current part's edit buffer, or bank and the selected program) into the
  // selected slot.
  void sendSinglePatchRequestSysex(bool editBuffer, int bank);
  // Job 10: the 128 sounds of `bank` into slots 0..127.
  void sendAllPatchRequestSysex(int bank);
  // Job 13, the connection check: the Global settings into the editor.
  void sendDeviceIdEnquiry();

  // The user's "Cancel Data Request": read by every wait of the request jobs.
  std::atomic<bool> cancelRequested{false};
  // The running request has timed out or been cancelled.
  std::atomic<bool> requestFailed{false};

 private:
  // How a reply wait tries again while the synthesizer stays silent: at `retryCycle` it sends
  // `retry(id)` for id 0..127 with one delay each (a device-id scan, or job 9's resends).
  struct ReplyWait {
    int retryCycle;
    bool retryTexts;       // "Please wait, checking DeviceID " and id + 1 at each try
    bool cancelEachCycle;  // the connection check looks at the cancel flag only while retrying
    const char* timeoutText;
    std::function<void(int id)> retry;
  };
  // Waits in cycles of `delay` for sysExReceived. True when answered; false after a cancel, the
  // time-out at cycle 30 (its text shown) or shut-down, with the failed flag set.
  bool waitForReply(const ReplyWait& wait, int delay);
  // The tries of a reply wait; false when shut-down ended a pause.
  bool retry(const ReplyWait& wait, int delay);
  // Up to `cycles` pauses of `milliseconds` (showing `text` after each, when given) until
  // sysExReceived; at the end "CONNECTION TIMED OUT!" and the failed flag.
  bool waitShort(int cycles, int milliseconds, const char* text);
  // Jobs 8 and 10: the 128 programs into slots 0..127, ending at the first request that fails.
  struct BankRequest {
    std::function<void(int id, int program)> send;
    const char* cancelledText;
    const char* completedText;
  };
  void requestBank(const BankRequest& request);
  // The outcome of a request as a status text. Into the `librarian`, also: the collectors
  // disarmed, so that a late answer lands nowhere; after a cancel the slots the request changed
  // put back; on success the bank marked unsaved; after a failure that filled slots, too, with
  // the time-out text kept.
  void finishRequest(bool librarian, const char* cancelledText, const char* completedText);

  // A sound or multi request (`type` 00 or 01) to `id`, handed without F0 and F7 to the plug-in's
  // SysEx output, or with `checked` through its checksum routine, which needs the MIDI ports.
  void sendBankedRequest(unsigned char type, int id, int bank, int program, bool checked);
  void sendGlobalRequest(int id);
  bool pause(int milliseconds) { return mClock.pause(milliseconds); }
  void showStatus(const std::string& text);
  int deviceId() const;
  bool received() const;

  MIDIMessageManager& mManager;
  ProtocolPlugin& mPlugin;
  PatchLibrarian& mLibrarian;
  LaneClock& mClock;
};
