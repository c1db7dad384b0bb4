#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

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
  // The lane a job code runs on; false for codes without a job.
  static bool laneOf(int code, Lane& lane);

  // The librarian sync delay chosen by kLibSyncTimer: 50, 75, 100, 150, 200, 300, 400 or 500 ms
  // for 0..7, 100 ms otherwise.
  static int getTimerValue(const ParameterAccess& params);

  // Job 0: the editor's Multi to the multi edit buffer (with the Global first when the plug-in
  // asks for it), then the requests of the active parts' sounds (`requestParts`), or the active
  // parts' sounds when the Multi is pushed with them, or else the current part's sound. With
  // `toLibrarian` the Multi goes into the selected librarian slot instead, and no sound follows:
  // a Multi bank has no slot for them. Runs to its end whatever the cancel flag; a send (not the
  // requests) whose link was lost stops before the next dump and ends in "Data write FAILED!".
  void sendArrangementToDevice(bool toLibrarian, bool requestParts);
  // Flag bytes A and B of `part`'s record in the multi dump, packed from its switches as job 0
  // sends them; 0 for a part that is none.
  int decryptMultiSettings1Values(int part) const;
  int decryptMultiSettings2Values(int part) const;
  // Job 1: the Global dump to the id the synthesizer answers to, kDeviceID_old (the job's
  // argument is not read); once it is out, the id in use and kDeviceID_old are the id the dump
  // has just given the synthesizer.
  void sendGlobalToDevice();
  // Job 2: builds the sound dump of `part` from the editor; sends it to the part's edit buffer,
  // or with `toLibrarian` hands it to the sound collector as from the device, so that it lands
  // in the selected librarian slot (refused at once when the upper list shows no sound bank).
  // Names and displays follow unless a Multi is being sent with its sounds. `requestParts` has
  // no effect.
  void sendPartToDevice(int part, bool toLibrarian, bool requestParts);
  // The requests (jobs 5 to 10 and 13). Each wait ends only on its own answer: a dump of the
  // kind asked for, for a sound the part's edit buffer or the bank and program asked for; a
  // dump that answers something else is taken as it is (into the editor) or left (by a
  // collector), and the wait goes on. The id that answer came from becomes the one in use.
  //
  // Job 5: the sounds of the 16 parts and then the multi edit buffer into the editor, which is
  // then in step with the synthesizer; or the multi edit buffer alone into the selected
  // librarian slot.
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
  // Job 18, at the end of a project's push: asks the synthesizer on the id in use for its Global
  // settings, which are not taken in. An answer puts the editor in step with it; without one in
  // 30 sync delays the status line says that no synthesizer answered on that id, and the line
  // below how to find it.
  void checkPushAnswered();

  // Job 3: plays a librarian record on `part`: a copy of its first dump, addressed to the
  // part's edit buffer (or the multi edit buffer), goes into the editor; then the bank change
  // and, when accepted, the editor's sound (or Multi, with its parts requested back) to the
  // synthesizer. With the store flag the copy addressed to slot `slot` (of the part's bank, or
  // of the multi memory) is also sent to the synthesizer, which keeps it there; with its link
  // lost, nothing is played and the store ends in "Data write FAILED!".
  void sendPatchToDeviceFromLibrarian(const LibrarianPatch& record, int part, int slot);
  // Job 4: records firstRecord .. + 127 of a librarian bank (`list` 0 the upper list, else the
  // lower) into programs 0..127 of synthesizer bank `targetBank` (Multis into the multi
  // memory), one per sync delay, with progress and cancel. A bank that is missing or holds a
  // record without a dump ends in "Data write FAILED!", and so does a store whose link was lost,
  // before the next record.
  void storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord, int targetBank);
  // Jobs 11 and 12: the init Multi, or the init sound (addressed to kRequestFromBank and the
  // selected program), into the selected librarian slot.
  void initPerformance(bool);
  void initClassicPatch(bool);

  // Jobs 15 and 17: MIDI Start (FA) or Stop (FC), while the plug-in's start/stop switch is on.
  void startMIDIClockOutput();
  void stopMIDIClockOutput();
  // Job 16: timing clocks (F8), 24 a quarter note, at the host tempo (kOverrideTempo 1) or the
  // Multi's, while the clock switch is on, until resetContinuousClock(true) or the MIDI ports
  // go. Every tick has its deadline counted from the first on the steady clock, so the clock
  // never drifts. With no tempo after ten readings a second apart, the switch goes off and
  // "Unable to get DAW Tempo" is shown.
  void sendContinuousMIDIClock(int);
  // Marks this instance's clock running (false), or asks its loop to leave at its next tick.
  void resetContinuousClock(bool stop) { clockRunning = !stop; }
  std::atomic<bool> clockRunning{false};

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
  // Waits in cycles of `delay` for the plug-in's SysEx-received flag. True when answered; false
  // after a cancel, the time-out at cycle 30 (its text shown) or shut-down, with the failed flag
  // set.
  bool waitForReply(const ReplyWait& wait, int delay);
  // The tries of a reply wait; false when shut-down ended a pause.
  bool retry(const ReplyWait& wait, int delay);
  // Up to `cycles` pauses of `milliseconds` (showing `text` after each, when given) until
  // SysEx-received; at the end "CONNECTION TIMED OUT!" and the failed flag.
  bool waitShort(int cycles, int milliseconds, const char* text);
  // At a wait's end: true when its answer came, after pauses of `milliseconds` while it is still
  // being taken in.
  bool answerCameInTime(int milliseconds);
  // An answered request: the plug-in hears of it, and the id of the dump it took as its answer
  // becomes the one in use, kDeviceID_old and DEVICE ID, which takes it as a value from the
  // synthesizer (nothing is sent back).
  void takeAnsweringId();
  // Jobs 8 and 10: the 128 programs into slots 0..127, ending at the first request that fails
  // and at the first answer no slot took.
  struct BankRequest {
    bool multi;
    int bank;  // of the requests and of the dumps that answer them
    std::function<void(int id, int program)> send;
    const char* cancelledText;
    const char* completedText;
  };
  void requestBank(const BankRequest& request);
  // The outcome of a request as a status text. Into the `librarian`, also: the collectors
  // disarmed, so that a late answer lands nowhere; after a cancel the slots the request changed
  // put back; otherwise reportFilled() for the `wanted` slots.
  void finishRequest(bool librarian, const char* cancelledText, const char* completedText,
                     int wanted = 1);
  // A job into the librarian that filled `filled` of its `wanted` slots: all of them, with no
  // failure, is completion (`completedText`); any slot filled marks the bank unsaved ("Data
  // received to slot(s)"); then the failure's text stays, or "Slot update FAILED!" when the
  // answers came but not every one found its slot. The count goes to the log.
  void reportFilled(int filled, int wanted, const char* completedText);
  // The bank of Multis (`multi`) or of sounds the upper list shows for a job to fill. Null when
  // there is none: the job is refused before it sends anything, "No Bank to receive Data!", the
  // collectors disarmed and dump routing off.
  PatchFile* bankToFill(bool multi);

  // A sound or multi request (`type` 00 or 01) to `id`, handed without F0 and F7 to the plug-in's
  // SysEx output, or with `checked` through its checksum routine, which needs the MIDI ports.
  void sendBankedRequest(unsigned char type, int id, int bank, int program, bool checked);
  void sendGlobalRequest(int id);
  // Hands a dump to the plug-in's SysEx input as if the synthesizer had sent it, into the
  // librarian collector of the current mode; marks the bank unsaved when the selected slot took
  // it, else shows "Slot update FAILED!".
  void putIntoSelectedSlot(std::vector<unsigned char> dump);
  // The active parts: kMultiPartStatus exactly 1.
  bool partActive(int part) const;
  // Takes the first dumps of the chosen bank's records, under the librarian's lock. False when
  // there is no such bank or a record has no dump (the dumps before it are taken).
  bool takeBank(int list, int firstRecord, std::vector<std::vector<unsigned char>>& dumps,
                bool& multi);
  // The output's link to the synthesizer is gone: a send or store stops there rather than go on
  // to no one.
  bool linkLost() { return mPlugin.outputLinkLost(); }
  // The sounds job 0 sends after the Multi: the active parts', or the current part's.
  int soundsSent() const;
  // Job 0's send whose link was lost after `sent` of its sounds, the Multi before them or not.
  void endLostSend(int sent, bool multiSent);
  // "N of T sounds" (or Multis).
  static std::string writtenCount(int written, int total, bool multi);
  // A send or store (`job`) cut short by a cancel or by its link lost: "Data write CANCELLED!" or
  // "Data write FAILED!", `count` written on the line below, and in the log why, with `held`,
  // what the synthesizer now holds of it.
  void reportCutShort(const std::string& job, bool linkLost, const std::string& count,
                      const std::string& held);
  bool pause(int milliseconds) { return mClock.pause(milliseconds); }
  // The whole-BPM tempo the clock runs at; 0 when there is none.
  int clockTempo() const;
  void showStatus(const std::string& text);
  int deviceId() const;
  bool received() const;

  MIDIMessageManager& mManager;
  ProtocolPlugin& mPlugin;
  PatchLibrarian& mLibrarian;
  LaneClock& mClock;
};
