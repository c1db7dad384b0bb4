#pragma once

#include <functional>
#include <string>
#include <vector>

#include "src/config/ConfigSeams.h"
#include "src/core/detail/KromaState.h"
#include "src/editor/EditorHost.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/protocol/ProtocolPlugin.h"
#include "src/protocol/SenderJob.h"
#include "toolkit/plugin/vst2/IPluginVST.h"

class ControlLayer;
class EditorRequests;
class IControl;
class IGraphics;
class ITextControl;
class LibrarianViewControl;
struct ControlAction;
namespace dispatch {
struct Change;
}

// The plug-in: the one object the host makes through the entry. Its constructor starts the whole
// system in a fixed order (identity, data folder and debug log, settings files, parameters, state
// holder, librarian, editor and its layout, the transfer overlay, the device protocol, the first
// state snapshot, the librarian's menus, initial values, first page); its destructor stops the
// threads before anything they use goes. It stores its whole state in the host's project.
//
// Several threads share it: the host's main thread (dispatcher and editor), the audio thread, the
// MIDI input thread and the job lanes. Every flag another thread reads is atomic; layers change on
// the editor thread only. Its state lies in private records by concern (detail/KromaState.h);
// each section below names the file that defines its entries. The dispatch's handlers
// (KromaDispatch*.cpp) reach the records through the change they are given; tests through
// KromaProbe.
class Kroma : public IPluginVST,
              public UIConfigPlugin,
              public EditorHost,
              public ProtocolPlugin,
              public LibrarianHost {
 public:
  // Every public entry says which threads may call it and what it may take. The threads: the
  // host's main thread (dispatcher, and the editor's events through its idle call), the audio
  // thread, the MIDI input thread, the job lanes, and the editor timer (the requests of other
  // threads run there, under the plug-in lock). The framework's dispatcher, parameter and process
  // calls hold the plug-in lock (recursive) while they run; "takes the plug-in lock" means the
  // entry takes it itself.

  // ---- Kroma.cpp: start-up, lookups and the value display ----
  // [main thread]
  explicit Kroma(IPluginInstanceInfo instanceInfo);

  // The editor's unscaled size; geometry of the plug-in's own is given in these pixels and
  // multiplied by the GUI scale, truncated, where it is used.
  static constexpr int kEditorWidth = 1500;
  static constexpr int kEditorHeight = 757;
  // The last parameters are not stored in the project.
  static constexpr int kUnsavedParams = 578;

  // The configuration manager's builders, while the plug-in starts. [main thread]
  IPluginBase* configPluginBase() override { return this; }

  // The value display (DisplayHost). [any thread: atomics, or what is fixed after start-up]
  const IParam* displayParam(int paramIdx) const override { return GetParam(paramIdx); }
  ITextControl* displayNameControl() const override { return mWidgets.mNameDisplay; }
  ITextControl* displayValueControl() const override { return mWidgets.mValueDisplay; }
  bool startupComplete() const override { return mParts.mStartupComplete; }
  bool programChangeSwitchState() const override { return mRouting.mDAWFilterBlocked[1]; }
  int currentPart() const override { return mSelection.mCurrentPart; }
  const std::vector<std::string>& valueList(const std::string& name) const override;
  const std::vector<std::string>& sampleNames() const override { return mParts.mSampleNames; }
  bool samplesFileRead() const override { return mParts.mSamplesFileRead; }
  TK_LogSink* debugLog() const override { return GetLog(); }

  // Lookups in what start-up built. [any thread: fixed after start-up]
  // The editor's graphics object; null once the plug-in is being destroyed.
  IGraphics* graphics() const;
  // A layer by name: the layout's, or one of the plug-in's own menu layers; null for none.
  ControlLayer* layerNamed(const std::string& name) const;
  // The first control bound to a parameter; null when the layout built none.
  IControl* controlOf(int paramIdx) const;
  // The same for a control the plug-in keeps: one the layout lacks is logged.
  IControl* builtControl(int paramIdx) const;

  // ---- KromaShutDown.cpp: the end of the plug-in's life ----
  // [main thread; the framework holds the plug-in lock until no other call runs]
  ~Kroma() override;

  // ---- KromaTotalRecall.cpp: the state in the host's project ----
  // [main thread, in the dispatcher]
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;
  // Appends the state body; without the librarian block it is the start-up snapshot.
  // [main thread; takes the plug-in lock]
  void SerializeState2(ByteChunk* chunk, bool withLibrarian);
  // Restores the state body from startPos; the position behind it, or -1 when it ended early
  // (what was read stays restored). Values are restored whether or not an output port opens;
  // the Multi is pushed to the synthesizer through an open one, and without one, or while a
  // transfer of this instance runs, the push waits until it can go (the idle call makes it).
  // [main thread; takes the plug-in lock, let go while it waits for the Multi's push]
  int UnserializeState2(ByteChunk* chunk, int startPos, bool withLibrarian);
  // Starts the push the synthesizer is owed once it can go and says when a link came back to a
  // synthesizer that may differ; follows the chosen ports (lookAtPorts). Then tells the host
  // that its project changed when the state a save would write differs from the one it last
  // heard of: an edit in the editor, a dump from the synthesizer, a port picked. Not
  // for a restore, a value set to what it was, a setting the project does not keep, a port's
  // place in a list that changed or a tempo taken from the host. An edit in the editor is told at
  // the next call, also while a transfer runs; other changes once they held still from one call
  // to the next and no transfer runs, so that a dump is judged whole. The state is looked at only
  // after a change was counted (IPluginBase::StateChanges). Once a call at most. [main thread: the
  // editor's timer tick, or the host's idle call while no editor is open; takes the plug-in lock
  // after a change, let go before the host is called]
  void OnIdle() override;
  // A bank the start-up scan split is told when the editor first opens: a host's resume before
  // that puts its own texts on the status line. [main thread, in the dispatcher; takes the
  // plug-in lock]
  void OnGUIOpen() override;

  // ---- KromaSeams.cpp: what the protocol engine and the editor ask of the plug-in ----
  // The protocol engine calls these from the job lanes and the MIDI input thread as well as from
  // the dispatch: [any thread] unless said otherwise.
  // Starts `job` on its lane when the lane is idle: `prepare` (the flags the job reads) runs
  // first, and the starters of the send jobs (0 to 4) set the manager's send-busy flag. A busy
  // lane drops the start silently. False when nothing started; no failure escapes as an
  // exception, and a failed start takes back the send-busy flag it set. [any thread]
  bool startSenderJob(const SenderJob& job, const std::function<void()>& prepare = nullptr);
  // Sleeps on the calling thread, with the plug-in lock let go meanwhile: the audio thread never
  // waits through a pause. [any thread; lets go of the plug-in lock while it sleeps]
  void pauseUnlocked(int milliseconds) override;
  // An output port is open: what the synthesizer is sent goes somewhere.
  bool outputPortOpen() const;
  // An input port is open: the synthesizer's answers can arrive. [main thread]
  bool inputPortOpen() const;
  double getValue(int index) const override;
  void setParameterFromPlug(int index, double value) override;
  std::string getDisplayText(int index) const override;
  void setDisplayText(int index, const std::string& text) override;
  void setStoredValue(int index, double value) override;
  using IPluginVST::SendMidiSysex;
  void SendMidiSysex(const unsigned char* data, int length) override;
  Range paramRange(int index) const override;
  // [main thread, MIDI input thread: reads what start-up built]
  int getSysexControl(int type, int location, int high, int low, int variant) const override;
  // The control the MSB/LSB builders registered under the channel key, the three NRPN numbers
  // and the sub-key; null when none. [main thread, while the layout is built]
  IControl* getMsbLsbControl(int channelKey, int nrpn1, int nrpn2, int nrpn3, int subKey) const;
  // The program-by-parts map of the configuration: 0 for keys never set (the getter adds none).
  // [main thread, while the layout is built]
  int getProgramValueByParts(int a, int b, int c) const;
  void setProgramValueByParts(int a, int b, int c, int value);
  // A value from the synthesizer: its controls and the echo dispatch. [MIDI input thread; the
  // echo dispatch takes the plug-in lock]
  void setValueFromHardware(int param, double normalised) override;
  int partSound(int part, PartSound which) const override;
  void setPartSound(int part, PartSound which, int value) override;
  int lowerListKind() const override;
  void clearMultiPushFlags() override;
  // The status line's texts are logged as "STATUS: " lines.
  void setTextDisplay(int displayParam, const std::string& text) override;
  // Layers and greying change on the editor timer; these only ask.
  void requestLayerHidden(const std::string& layer, bool hidden) override;
  void requestGrayOut(int param, bool grayed) override;
  void markLibrarianViewDirty() override;
  // [any thread; from another than the editor's it runs on the editor timer]
  void mainTabSwitch(int tab, int part) override;
  // [main thread, editor timer]
  void setLibrarianSelectedProgram(int program) override;
  void setNameSlot(int slot, const std::string& text) override;
  // The flags the protocol engine and the tab switches read and set. [any thread: atomics]
  void setLocalControl(bool on) override { mRouting.mLocalControlFlag = on; }
  bool sysExReceived() const override { return mRouting.mSysExReceived; }
  void setSysExReceived(bool on) override { mRouting.mSysExReceived = on; }
  bool projectPushPending() const override;
  void synthesizerAnswered() override;
  void synthesizerInStep() override;
  void setDeviceId(int id) override { mRouting.mDeviceID = id; }
  bool midiOutSet() const override { return mRouting.mMIDIOutSet; }
  bool outputLinkLost() override { return portLinkLost(false); }
  void linkLossTold() override { mRouting.mLossTold = true; }
  int deviceId() const override { return mRouting.mDeviceID; }
  bool multiMode() const override { return mSelection.mMultiMode; }
  bool programControl() const override { return mSelection.mProgBankMode; }
  bool sendPartSounds() const override { return mSelection.mSendPartSounds; }
  bool sendGlobalFirst() const override { return mSelection.mSendGlobalFirst; }
  void setMultiSend(bool on) override { mSelection.mMultiSendRequested = on; }
  bool localControl() const override { return mRouting.mLocalControlFlag; }
  bool libraryControl() const override { return mSelection.mShowProgramNames; }
  bool sendClockPointer() const override { return mClock.mSendClockPointer; }
  bool sendClockInfo() const override { return mClock.mSendClockInfo; }
  void setSendClockInfo(bool on) override { mClock.mSendClockInfo = on; }
  void setCurrentPart(int part) override { mSelection.mCurrentPart = part; }
  bool keepSelectedBank() const override { return mSelection.mKeepSelectedBank; }
  // [main thread, editor timer: the layers are the editor's]
  const TabLayers& tabLayers() const override { return mWidgets.mTabLayers; }

  // ---- KromaMidiIn.cpp: MIDI and SysEx from the host and the synthesizer ----
  // Channel messages from the host and the synthesizer: dropped during a transfer, an overflow
  // or a Multi push, from the synthesizer while it is the master keyboard, system messages and
  // the global channel's; the rest go to the manager, the host's with the part on their
  // channel (part 0 when none). The host's program change, and every host message behind one that
  // waits or runs, goes to the host message worker instead, so that the audio thread never waits
  // for its bank change. [the host's: main or audio thread, in the dispatcher; the
  // synthesizer's: MIDI input thread. Never blocks]
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  // [as ProcessMidiMsg; the SysEx of a running job is also fed in from the job lanes]
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
  void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) override;

  // ---- KromaMidiOut.cpp: what goes to the synthesizer, and the activity LEDs ----
  // [any thread; the MIDI output port has its own lock, the queue mQueueLock]
  void MIDIOutRoutingSwitch(const IMidiMsg* msg) override;
  // Sends one message now, lighting the LED of the first part on its channel unless the LEDs
  // show incoming MIDI; without the MIDI ports only "Set MIDI I/O First!". [any thread]
  void sendMidiMsgAndLog(const IMidiMsg* msg);
  // [MIDI input thread]
  void showIncomingActivity(int channel) override;
  // The part's MIDI channel 0..15 from its setting (2..17; 0 the global channel); -1 for a
  // setting that names none, so that nothing is sent on a channel outside 0..15. [any thread]
  int partChannel(int part) const;
  // [any thread]
  void AllSoundsOff(int part, bool allParts) override;
  // [any thread]
  void checksumCheckAndSend(unsigned char* data, int length) override;
  // [audio thread; never blocks but for the output port's lock]
  void sendRealTimeByte(unsigned char byte) override;
  // [MIDI input thread: reads what start-up built, and atomics]
  int getCCControls(int channelKey, int cc, int subKey) const override;
  bool midiKindBlocked(int kind, bool fromDevice) const override;

  // ---- KromaAudio.cpp: the audio callback as clock, the reset and the connection check ----
  // The host's block is the plug-in's clock: it reads the host's time; starts MIDI Start and
  // Stop on the transport's changes and the timing clocks once; follows the host tempo
  // (kOverrideTempo); sends the queued MIDI that falls due in the block (in DAW-buffer mode; else
  // the queue is dropped); silences the parts in the first stopped block after a reset; turns
  // activity LEDs off after 100 ms; makes the deferred Multi and Global sends; ends an overflow
  // after a second. The outputs are silent. Allocates nothing in its steady state; without an
  // output port only the time is read. [audio thread, in the framework's process call; never
  // blocks otherwise]
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // The queue, the sample rate and the fresh-reset flag for the host's (re)start of processing.
  // The displays keep what they show: the start texts are written once, at start-up.
  // [main thread, in the dispatcher; takes the plug-in lock]
  void Reset() override;
  // The Multi (job 0, its part sounds after it) or the Global (job 1) to the synthesizer after
  // one of their settings changed: "MULTI" or "GLOBAL" shown; while a transfer shows its overlay
  // kept for the audio callback, which sends it once the transfer has ended; refused with "STOP
  // PLAYBACK TO SEND MULTI DATA" (GLOBAL) while the host plays after a reset, and then sent by the
  // audio callback once the transport stops; otherwise all notes off first when asked, and the
  // job, or kept as above while the transfer lane is busy. Once the job has started, the
  // refusal's text, if the status line still shows it, goes.
  // [main thread in the dispatch, audio thread for a deferred send]
  void sendWholeDump(bool global, bool allNotesOff);
  // The connection check once both ports are chosen: the device id is learnt from the
  // answer. Pauses 100 ms, the plug-in lock let go meanwhile. [main thread, in the dispatch or
  // a restore]
  void sendSysExInitialization();

  // ---- KromaPorts.cpp: the chosen MIDI ports, followed ----
  // Before a MIDI port menu opens: the MIDI system is asked for its ports again (its client made
  // when an earlier try found no MIDI system), the menu lists them and keeps its chosen port, and
  // the status line says when there is no MIDI server, no port at all, or the chosen port is
  // absent. A chosen port whose link was lost counts as absent; an absent one listed again opens,
  // and once both are open the connection check runs. [main thread, the editor's events; takes
  // the plug-in lock]
  void refreshPortMenu(bool input);
  // Says on the status line which chosen ports are absent, if any. [main thread]
  void showPortsAbsent();

  // ---- KromaMidiTransfer.cpp: bank changes and sends the dispatch, menus and jobs share ----
  // The librarian sync delay of kLibSyncTimer in milliseconds (100 for an unknown choice).
  // [any thread]
  int getTimerValue() const;
  // Another active part already plays the bank and program `part` is set to. [any thread]
  bool CheckBankConflict(int part) const;
  // [any thread; pauses with the plug-in lock let go]
  bool BankChangeMessage(int part) override;
  // Sends `part`'s sound (job 2) after all notes off, waits (bounded) until it is out, then
  // with `alsoSendMulti` the Multi (job 0). The flags are the Multi push's options. [main
  // thread; lets go of the plug-in lock while it waits]
  void sendPatchToDevice(int part, bool multiPush, bool partSoundsFirst, bool globalFirst,
                         bool alsoSendMulti) override;
  // Sends `part`'s sound back (job 2) when one of its sections is locked: a program change
  // loaded another sound into the synthesizer, whose locked sections the editor keeps.
  // [any thread but the job lanes]
  void sendPartDataBackToHardware(int part);
  // The transfer lane runs a job. [any thread]
  bool ThreadRunning() const;
  // [any thread; the overlay changes on the editor timer]
  void DisplayProcessingIndicator(bool show) override;

  // ---- KromaLibrarian.cpp: the librarian in the editor ----
  // What the bank view and the librarian's menus use (LibrarianHost). [main thread, from the
  // editor's mouse and key handlers] unless said otherwise.
  FileName remembered(Remembered which) const override;
  void remember(Remembered which, const FileName& name) override;
  LibrarianViewControl* librarianView() const override { return mWidgets.mLibrarianView; }
  IControl* selectionControl(int list) const override;
  void setRenameFinished(bool finished) override { mSelection.mRenameFinished = finished; }
  // Open the slot menu (upper list) or the copy menu at the right click.
  void showFileEditMenu(int x, int y) override;
  void showFileCopyMenu(int x, int y) override;
  // A status text of one line: the value display, an earlier edit's, clears. [any thread]
  void showStatus(const std::string& text) override;
  // Only the first line goes: the value display keeps what it shows. [any thread]
  void clearStatus(const std::string& text) override;
  bool startLibrarianJob(const SenderJob& job, JobFlags flags) override;
  // [any thread]
  bool sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) override;
  bool sendAllPatchRequestSysexFromLibrarian(int bank) override;
  // Without the MIDI ports, for a locked current part, an empty slot or a bank the list does not
  // show, nothing is played. While a transfer runs the play (or store) is kept, the last one
  // only, for the audio callback, which starts it once the transfer has ended. [any thread but
  // the job lanes]
  void sendPatchToDeviceFromLibrarian(int slot, int list, int part) override;
  // Job 3 for the librarian's selected program (list 1 when the view has no upper selection);
  // with `store` it writes the slot into the synthesizer's memory.
  void SendSingleProgramFromLibrarian(bool store, int part) override;
  // Job 4: the shown bank into synthesizer bank `targetBank`, from slot 0.
  void SendAllProgramsFromLibrarian(int targetBank) override;
  void storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord, int targetBank);
  // [any thread: atomics]
  void selectLibrarianSlot(int slot) override;
  int activeLibrarianList() const override;
  // [any thread; the list is refilled on the editor timer]
  void refillLibrarianList(int list) override;
  // Shows the bank-number menu, or while program numbers address the librarian the bank-name
  // menu of the mode, and refills them for the current bank and program (the bank menu only
  // without `keepBankMenu`). [any thread; from another it waits for the editor timer]
  void updateBankAndProgramMenuNames(bool keepBankMenu) override;
  // [any thread: atomics]
  void SetLibrarianStatusUnsaved(bool on) override;
  void librarianBankSaved() override;
  // The sound/Multi switch stays greyed while the search field or the categories have the lower
  // list, which only sounds fill. [main thread]
  bool typeSwitchHeld() const;
  // Sounds (type 0) or Multis (1), and what the lower list shows (0 sound banks, 1 categories,
  // 2 Multi banks, 4 search results): both lists go to their first file, the selection lists'
  // texts are written anew and the menus rebuilt. With `reload` the bank files are read again
  // first, which drops unsaved edits.
  void patchTypeChanged(int type, int listKind, bool reload) override;
  // The lower list of sounds goes to the first file of what it shows now (sound banks,
  // categories or search results) or to its remembered file; its texts are written anew and its
  // menu rebuilt. The upper list keeps its bank.
  void lowerSoundListChanged();
  // Writes the selection lists' texts of the current mode again, keeping the selection, and
  // refills the bank view; after each save of a bank.
  void ResetPatchSelectionMenus();
  // Rebuilds the selection menus of the current mode; each finds its remembered file again.
  void refreshPopUpMenus();
  // Called by the dispatch, under the plug-in lock. Virtual so that tests see the dispatch
  // reach them. [main thread, editor timer]
  virtual void updatePatchLibrarianView(int which);
  // The folder popup `menu` rebuilt with file `fileIndex` (the file `name` names) as the current.
  virtual void refreshFolderStructure(LibrarianMenu menu, int fileIndex, const FileName& name);
  // The librarian's main menu rebuilt for the current mode; the program menu for `program`.
  virtual void addBankEditMenuItems();
  virtual void refreshPatchNames(int program);

  // ---- KromaDialogs.cpp: import, help and the data folder ----
  // Copies a bank file the user chooses ("mid" files, or "syx" and "kro") into the Patches
  // folder, replacing one of the same name. A file that cannot be read writes nothing.
  // [main thread, in the dispatch]
  void saveImportedFile(bool midiFile) override;
  // Opens help page 0 (support tickets), 1 (downloads) or 2 (knowledge base) in the browser.
  // [main thread, in the dispatch]
  void OpenHelpTopics(int page) override;
  // Asks the desktop to open the data folder, or with `manual` the user manual in it. Nothing is
  // tested beforehand and a failure is not reported. [main thread, in the dispatch]
  void OpenDataDirectory(bool manual) override;
  // [any thread]
  static std::string getDataFolder();
  static std::string getPatchesFolderStr();
  static int getPatchesFolderLength();
  // "Part " and part + 1, a blank, then `text`; kept in mPanelString, so that the characters
  // stay valid until the next call. [main thread]
  const char* getPanelString(int part, std::string text);

  // ---- KromaDispatch.cpp: the parameter dispatch ----
  // Every change of a parameter from the editor or the host, under the plug-in lock: the
  // family's own handling (mirrors, trigger toggles, pages and panels, ports and MIDI filters,
  // librarian steps, sender jobs), the central display, then the parameter's control action and
  // the filter link. The synthesizer's values ask for refreshes of it on the MIDI input thread
  // and the lanes; what it does to layers then waits for the editor thread. [any thread; takes
  // the plug-in lock]
  void OnParamChange(int paramIdx) override;
  // A value that came from the synthesizer: the display, the wavetable's shape, the part tab and
  // the control action, which sends nothing back; then the filter link, which may send the
  // linked filter's value. [MIDI input thread, job lanes, main thread; takes the plug-in lock]
  void OnParamChange2(int paramIdx) override;
  // Runs `call` now on the editor thread; from another thread it waits for the editor's next
  // timer tick and then runs under the plug-in lock. A waiting call with the same non-null key
  // is replaced. [any thread]
  void onEditorThread(const void* key, std::function<void()> call);

  // ---- KromaDispatchActions.cpp: a change turned into MIDI ----
  // The MIDI of one change, with the plug-in lock held. The bound controls follow first, so that
  // every control of the parameter shows its value also while no port is chosen (a dialog's
  // close switch shares its opener's parameter). Then nothing more, only "Set MIDI I/O First!",
  // without an output port; otherwise the action's CC or SysEx goes out, or a Multi or Global whole
  // dump is started (held back while Shift or the mouse button is down, for the audio callback to
  // send). Nothing is sent for a value that came from the synthesizer. Last the effect-type value
  // is copied into its positional twin. [any thread, holding the plug-in lock]
  void processControlAction(ControlAction* action, int paramIdx, double newValue);

 private:
  friend struct KromaProbe;

  // The state, by concern (detail/KromaState.h).
  MidiRouting mRouting;
  ClockState mClock;
  LibrarianSelection mSelection;
  EditorWidgets mWidgets;
  KromaParts mParts;

  // ---- Kroma.cpp ----
  // The start-up steps, in their order.
  void openDataFolder();
  void readSettingsFiles();
  void makeLibrarian();
  void makeEditor();
  // The positional effect parameters and the device id in use take any data byte.
  void initUnshownParams();
  void lookUpLayers();
  void applyStartVisibility();
  void takeFirstSnapshot();
  void lookUpControlsFirst();
  void makeSelectionListsAndMenus();
  void lookUpControlsSecond();
  void setInitialValues();
  // "Tessmar Kroma Plug-in", the version and "-- INIT --" into the central displays.
  void showStartTexts();
  void applyUISettings();
  void setMIDIFilterDefaults();
  void refreshControls();
  void finishStartup();
  // One bank-selection list: its enumeration, display texts and the file it remembers.
  void initSelectionList(int paramIdx, const char* name, IControl** control, Remembered which);
  // Sets a control as the user would, when the layout built it.
  void userEdit(IControl* control, double normalizedValue);
  void log(const std::string& message) const;
  void logMissing(const std::string& what) const;

  // ---- KromaShutDown.cpp ----
  // Stops the threads and releases what the plug-in made, in the order that keeps every thread
  // off what is released; the destructor, and a constructor that failed, end here.
  void shutDown();
  // ProcessMidiMsg's drop rules and the hand-over to the manager.
  void routeMidiMsg(const IMidiMsg& msg, bool fromDevice);

  // ---- KromaTotalRecall.cpp ----
  // The chosen ports' names (or those of the absent ports the project keeps) into their slots.
  void storePortNames();
  // The state body without the port names' update: SerializeState2's bytes.
  void appendStateBody(ByteChunk* chunk, bool withLibrarian);
  // The state a save would write now, in mParts.mStateNow.
  const ByteChunk& stateNow();
  // Takes the state now as the one the host holds: after the start-up and a restore.
  void hostKnowsStateNow();
  // Has the parameters whose values a save writes, and the port selections whose names it
  // writes, count their changes into StateChanges.
  void countStateChanges();
  // Judges the state once a change was counted: true when the host is to hear that it changed.
  bool stateChangeToTell();
  // Takes into the state the host knows what comes from outside the musician's hands: the ports'
  // places in the MIDI system's lists (a restore finds the ports by name) and a tempo taken from
  // the host (OVERRIDE TEMPO).
  void takeOutsideValuesAsKnown();
  // What a restore derives from the values it restored: the device id, the MIDI filter and
  // clock switches, the per-part bank and program tables, the output delay and the flags that
  // follow their parameters.
  void deriveFromRestoredValues();
  // The id the restored project's synthesizer answered to: kDeviceID_old, or DEVICE ID where the
  // project is older than kDeviceID_old's whole range.
  int answeredIdOfProject();
  // Re-selects the stored MIDI port of `slot`, comparing the listed names as the project stores
  // them; the selection parameter and its control follow, and a stored port that is not listed
  // is chosen absent.
  void reselectPort(int slot, bool input);
  // Pushes the restored Multi to the synthesizer, then asks whether a synthesizer answered, and
  // waits for each until the transfer lane is idle again. Without an open output port, or while a
  // transfer runs, the push is kept pending instead.
  void pushRestoredMulti();
  // Waits, bounded and without the plug-in lock, until the transfer lane is idle.
  void awaitTransferLane();
  // Asks, on the transfer lane when it is idle and the input port is open, whether a synthesizer
  // answers on the id in use; none: the status line says so. [the thread the push ends on; never
  // waits]
  void checkPushAnswered();
  // An open output port, and no send or transfer running: the project's push can go now.
  bool projectPushCanGo() const;
  // Starts the project's push: job 0 with the Global first and the part sounds. Whether it
  // started.
  bool startProjectPush();
  // Where the project's push ends, at once or later: its flags go.
  void endProjectPush();
  // From the idle call: the pending push, once an output port is open and no transfer runs; the
  // end of one that ran. [main thread; takes the plug-in lock]
  void pushWhenPending();
  // From the idle call, once the connection check of a link that came back has ended: the
  // status's second line says that the synthesizer may not hold what the editor shows.
  // [main thread]
  void tellRelinkedUnsure();
  // A lost link is back, its connection check about to run: a synthesizer that held what the
  // editor showed is owed it again, which goes once the check hears it; otherwise the status
  // will say that it may differ. A push already pending stays as it is.
  void linkIsBack();
  // The state a save would write now is the one the host last heard of.
  bool hostKnowsState();
  void recallLog(const std::string& message) const;

  // ---- KromaSeams.cpp ----
  // What the status line tells the user, into the debug log as a "STATUS: " line.
  void logStatus(const std::string& text);

  // ---- KromaPorts.cpp ----
  // What listing one direction's ports again found: the number of ports (-1 without a MIDI
  // system), the chosen port's link lost, the absent port opened again.
  struct PortsListed {
    int ports = 0;
    bool lost = false;
    bool reopened = false;
  };
  // Lists one direction's ports again, the chosen one kept: an open port whose link was lost
  // closes and turns absent; an absent one that is listed again opens. The menu shows the list,
  // the absent port marked, when anything in it changed. [plug-in lock held]
  PortsListed listPorts(bool input);
  // The menu's entries from the port list, the absent port marked, `position` chosen.
  void showPortChoice(bool input, int position);
  // The chosen port's name: the absent one's, or the listed one's; "" for none.
  std::string chosenPortName(bool input) const;
  bool portOpen(bool input) const;
  bool portLinkLost(bool input);
  // Closes the port; the synthesizer is then not connected.
  void closePort(bool input);
  // A lost link said; once a port came back and both are open, the link's return and its
  // connection check.
  void connectAgain(const PortsListed& listed);
  // The idle call's look: every few seconds the chosen ports' links and the absent ports. Next to
  // nothing until a look is due. [main thread; takes the plug-in lock when it acts]
  void lookAtPorts();

  // ---- KromaMidiOut.cpp ----
  // The activity LED of `part`, lit for 100 ms (-1: none); off.
  void lightLed(int part);
  void ledOff(int part);

  // ---- KromaAudio.cpp ----
  // The steps of a block, in their order.
  void followTransport(bool running);
  void startContinuousClock();
  void followHostTempo();
  void showOutputDelay(int frames);
  // Sends (DAW-buffer mode) or drops the queued messages up to `lastOffset`.
  void drainQueue(int lastOffset);
  void turnLedsOff();
  // The held, refused or crowded-out Multi (Global) send, once nothing keeps it.
  void sendDeferredDump(bool global, bool running);
  // A transfer shows its overlay or keeps the transfer lane.
  bool transferRunning() const;
  // "v1.2.3" for version 1.2.3.
  std::string versionText() const;

  // ---- KromaLibrarian.cpp ----
  // Plays a slot by job 3; `store` writes it into the synthesizer's memory instead.
  void playLibrarianSlot(int slot, int list, int part, bool store);
  // Job 3 with its store flag, all notes off of its part first for a play; whether it started.
  bool startSlotJob(const SenderJob& job, bool store);
  // The kept play, once no transfer runs. [audio thread; never waits for mKeptPlayLock]
  void playKeptSlot();
  // Writes the display texts of the selection lists for `files`, of the upper and of the lower
  // side as asked: the two lists, and the Multi bank lists or each part's sound bank lists.
  void writeSelectionTexts(const std::vector<std::string>& fileNames, int listKind, bool upper,
                           bool lower);
  // The lower list's menu of sounds, categories or search results, on its remembered file.
  void rebuildLowerSoundMenu();
  // Says on the status line that a scan split a bank and moved its file aside, once.
  void tellOfSplitBanks();

  // ---- KromaDispatch.cpp ----
  // One change as the dispatch's handlers see it, with the records they change.
  dispatch::Change changeOf(int paramIdx, double v, ControlAction* action);
};
