#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/JobLane.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/LibrarianRequests.h"
#include "src/protocol/MIDIMessageSender.h"
#include "src/protocol/PluginDisplays.h"
#include "src/protocol/ProtocolPlugin.h"
#include "src/protocol/SenderJob.h"
#include "src/protocol/SoundRandomizer.h"
#include "toolkit/log.h"

// What becomes of a SysEx from the synthesizer that no librarian request takes: dumps parsed
// into the editor while dump routing is on, single parameter changes applied otherwise.
class IncomingSysExDispatch {
 public:
  virtual ~IncomingSysExDispatch() = default;
  virtual void dispatch(const unsigned char* data, int size) = 0;
};

class IncomingChannel;
class IncomingSysEx;
struct IMidiMsg;

// The device protocol of one plug-in instance: the job lanes and the sender, the two librarian
// request collectors, the routing of incoming SysEx and the flags that starters, jobs and the
// incoming path share. Other code reaches the flags directly.
class MIDIMessageManager {
 public:
  // `clock` paces the jobs; the steady clock when null. `log` is the instance's debug log.
  MIDIMessageManager(ProtocolPlugin& plugin, PatchLibrarian& librarian, TK_LogSink* log = nullptr,
                     std::unique_ptr<LaneClock> clock = nullptr);
  // Shuts down first.
  ~MIDIMessageManager();
  MIDIMessageManager(const MIDIMessageManager&) = delete;
  MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

  // Cancels the running jobs, ends every pause at once, refuses later starts and joins every
  // lane. The plug-in calls it once its MIDI input is closed and before it deletes anything a
  // job uses, holding no lock a job takes (the librarian's, its own); calling it again does
  // nothing more.
  void shutDown();

  // --- Jobs ---
  // Starts `job` on its lane if the lane is idle. `prepare`, which sets the flags the job needs,
  // runs only when the start goes ahead, before the job. False when the start is dropped: the
  // lane is busy, the manager shut down, or the code has no job (yet).
  bool startJob(const SenderJob& job, const std::function<void()>& prepare = nullptr);
  bool isLaneRunning(Lane lane) const;
  // Job 9 and job 10, with the sound collector emptied and armed and collector-done cleared.
  bool sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank);
  bool sendAllPatchRequestSysexFromLibrarian(int bank);
  MIDIMessageSender& sender() { return mSender; }
  // The clock the jobs pause on; the plug-in pauses on it too, so that shut-down ends its
  // pauses as well.
  LaneClock& laneClock() { return *mClock; }
  TK_LogSink* logSink() const { return mLog; }

  // --- Incoming SysEx ---
  // Every SysEx from the synthesizer, after the plug-in's own filters (on the MIDI input thread,
  // or on a lane for dumps a job hands in). While a librarian request collects, the message goes
  // to its collector; a completing dump is stored in its target's slot and the upper list
  // refilled. Collector-done is set either way, as the answer is in: whether a slot took it the
  // job reads from the slot journal. Otherwise the message goes to the dispatch (see
  // awaitInEditor). Messages that are not from the synthesizer are ignored. The plug-in's SysEx
  // input turns collector-done into its SysEx-received flag.
  void ProcessSysEx(const unsigned char* data, int size, bool fromDevice);
  // How many whole Global dumps signed with device id `id` came, before any routing (the copies
  // jobs hand in count too). [any thread; atomic]
  unsigned globalDumpsReceived(int id) const { return mGlobalDumps[id & 0x7F]; }
  // The device id of the dump that the request armed last took as its answer: the one its
  // collector completed on, or its awaited dump in the editor; -1 until it came.
  // [any thread; atomic]
  int answerDeviceId() const { return mAnswerId; }
  // True while the dump a request awaits is being taken in: its wait holds on until it is in.
  // [any thread; atomic]
  bool answerArriving() const { return mAnswerArriving; }
  // The manager's own dispatch (the editor's parsers and the parameter changes) serves from the
  // start; another may be set before the MIDI input opens; null drops what no collector takes.
  void setIncomingDispatch(IncomingSysExDispatch* dispatch) { mDispatch = dispatch; }
  IncomingSysEx& incoming() { return *mIncoming; }
  // The control registered under the address with variant 0 gets the raw value through the
  // incoming path's processSysExToUI (marked as the synthesizer's with `fromHardware`); none
  // sets the unhandled flag.
  void getNormalControl(int type, int location, int high, int low, int value, bool fromHardware);
  // Flag bytes A and B of a part record, as a multi dump from the synthesizer carries them,
  // applied to the part's switches.
  void encryptMultiSettings1Values(int value, int part);
  void encryptMultiSettings2Values(int value, int part);

  // --- Incoming channel messages ---
  // After the plug-in's own filters: from the synthesizer (MIDI input thread), and from the host
  // with the part on the message's channel (inside the host's events call).
  void ProcessMidiMsgFromDevice(const IMidiMsg* msg);
  void ProcessMidiMsgFromDAW(const IMidiMsg* msg, int part);
  IncomingChannel& channelMessages() { return *mChannel; }

  // --- Librarian request routing ---
  // On: dumps go to the collector of the current mode, emptied and armed (the other disarmed),
  // and not to the editor. Off: dumps go to the editor; both collectors disarmed. Either way
  // the plug-in's SysEx-received flag and collector-done are cleared.
  void SetLibrarianRequestActive(bool on);
  // On, with the collector storing into `target` only a dump that answers it.
  void armRequest(const RequestTarget& target);
  // The dump a request into the editor waits for: of `type`, with the bank and program bytes
  // `bank` and `program` (-1: any).
  struct AwaitedDump {
    unsigned char type;
    int bank = -1;
    int program = -1;
  };
  // Off, until the editor's parsers have taken `answer`: every other dump is taken as it is and
  // the routing goes on, with collector-done left clear, so that only the answer ends the wait.
  void awaitInEditor(const AwaitedDump& answer);
  // True ends collecting and routing, marks the bank unsaved (kBankEditUnsaved 1,
  // kDiscardBankData 0), switches the layers so that the upper bank cannot change while edits
  // are unsaved, and shows "Data received to slot(s)". False does nothing.
  void SetLibrarianStatusUnsaved(bool on);
  // Once this returns, no collector stores anything and no dump is awaited in the editor until
  // armed again.
  void disarmCollectors();
  // While open, each slot a collector fills is recorded as it was before.
  void beginSlotJournal();
  // Closes the journal; with `rollBack` puts every recorded slot back (newest first) and
  // refreshes the bank view. Returns the number of slots filled while it was open, each once
  // however often it was filled.
  int endSlotJournal(bool rollBack);
  // The slots filled since the journal opened, each once.
  int slotsFilled();
  PluginDisplays& displays() { return mDisplays; }

  // --- Sending side of an edit ---
  // Keeps the positional effect parameters in step with the effect-type ones: an edited effect-
  // type parameter (`index`, its value cut toward zero) is copied into the positional parameter
  // of the same byte, held to that one's range; only the stored value changes. Indices of the
  // other effect (or none) do nothing.
  void SetFX1ParameterChangesToDefaultParameters(int index, int value);
  void SetFX2ParameterChangesToDefaultParameters(int index, int value);
  // A changed effect type (`index` kEffect1Mode or kEffect2Mode of a part): the synthesizer
  // keeps the effect's position bytes through the change, so the effect-type parameters take
  // them, held to their ranges, as a sound dump from the synthesizer sets them. Other indices
  // do nothing.
  void showEffectPositions(int index);
  // Sends one message, each int as its low 8 bits, F0 and F7 added unless it starts with F0;
  // no checksum. Without the MIDI ports "Set MIDI I/O First!" and nothing is sent.
  void sendSysexMessage(const std::vector<int>& message);

  // --- The randomize button ---
  // kRandomize changed to `value` (the caller holds the plug-in's lock). Acts when the value
  // cuts to 1 and kMainTab is above 0: the current part's sound randomized, its page shown
  // again, its notes ended, the sound sent (job 2, when the transfer lane is idle), "Part
  // Randomized" shown and kRandomize back at 0. False when it did not act.
  bool randomize(double value);
  SoundRandomizer& soundRandomizer() { return mRandomizer; }

  // --- Time ---
  // Milliseconds on a wrapping 32-bit count, for the program-change time; the steady clock
  // unless a test sets its own.
  uint32_t tickCount() const;
  void setTickSource(std::function<uint32_t()> source) { mTickSource = std::move(source); }

  // --- Tempo for the MIDI clock ---
  // The host tempo as the parameter dispatch hands it over, truncated to whole BPM.
  void setTempoValue(double hostTempo);
  int getTempoValue() const { return mTempoValue; }

  // Flags shared by starters, jobs and the incoming path.
  std::atomic<bool> dumpRouting{false};    // incoming dumps go to the editor's parsers
  std::atomic<bool> dumpComplete{false};   // a collector completed or a dump was parsed
  std::atomic<bool> soundSendBusy{false};  // a send job runs; its starter may wait for it
  std::atomic<bool> refreshQuickTab{false};
  std::atomic<bool> dumpCancelsQuickTabRefresh{false};  // set by the active-multi request
  // Up while a value from the synthesizer is being applied: the parameter dispatch sends
  // nothing back for it.
  std::atomic<bool> hardwareSet{false};
  std::atomic<bool> unhandled{false};  // the last parameter change found no rule or control
  // Job 3 stores into program memory rather than the edit buffer; jobs 3 and 4 clear it.
  std::atomic<bool> store{false};
  // tickCount() of the last program change: bank and program values within a second of it
  // are no part change.
  std::atomic<uint32_t> programChangeTime{0};
  // The last channel message came from the host, not the synthesizer.
  std::atomic<bool> fromDAW{false};

 private:
  // Hands a message to the armed collector and stores its record on completion; false when no
  // collector took the message.
  bool collect(const unsigned char* data, int size);
  void countGlobalDump(const unsigned char* data, int size);
  // The awaited answer is routed to the editor also after an edit's dispatch stopped the routing:
  // the request still waits for it. True for the awaited answer.
  bool routeAwaited(const unsigned char* data, int size);
  // After the dispatch of a dump routed to the editor while `arming` was the latest: the awaited
  // answer, or another dump taken while one is awaited, which puts the routing back.
  void settleAnswer(const unsigned char* data, int size, unsigned arming);
  void route(bool on, const RequestTarget& target);
  JobLane& lane(Lane which) { return *mLanes[static_cast<int>(which)]; }

  ProtocolPlugin& mPlugin;
  PatchLibrarian& mLibrarian;
  TK_LogSink* mLog;
  std::unique_ptr<LaneClock> mClock;
  PluginDisplays mDisplays;
  // The collectors, the journal, the awaited dump and the librarian are guarded by the
  // librarian's lock.
  LibraryPerformanceRequest mMultiRequest;
  LibraryPatchRequest mPatchRequest;
  bool mJournalOpen = false;
  std::vector<PatchLibrarian::SlotChange> mJournal;
  std::optional<AwaitedDump> mAwaited;
  // Counts every arming, so that a dump dispatched under an earlier one answers nothing now.
  std::atomic<unsigned> mArming{0};
  std::atomic<int> mAnswerId{-1};
  std::atomic<bool> mAnswerArriving{false};
  std::atomic<IncomingSysExDispatch*> mDispatch{nullptr};
  std::atomic<int> mTempoValue{0};
  // By device id: another device's answer is no answer from the id asked.
  std::array<std::atomic<unsigned>, 128> mGlobalDumps{};
  std::function<uint32_t()> mTickSource;
  SoundRandomizer mRandomizer;
  MIDIMessageSender mSender;
  std::unique_ptr<IncomingSysEx> mIncoming;
  std::unique_ptr<IncomingChannel> mChannel;
  std::unique_ptr<JobLane> mLanes[kLaneCount];
};
