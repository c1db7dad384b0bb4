#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "src/config/ConfigSeams.h"
#include "src/core/LibrarianMenus.h"
#include "src/core/LinkManager.h"
#include "src/editor/ControlDisplay.h"
#include "src/editor/EditorElements.h"
#include "src/editor/EditorHost.h"
#include "src/editor/TabSwitchFunctions.h"
#include "src/librarian/view/EditMenus.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/protocol/ProtocolPlugin.h"
#include "src/protocol/SenderJob.h"
#include "toolkit/plugin/midi/IMidiQueue.h"
#include "toolkit/plugin/vst2/IPluginVST.h"

class BankNumberPopupMenu;
class ControlLayer;
class EditorRequests;
class HostMessageWorker;
class IControl;
class LeftPatchPopupMenu;
class LeftPerfPopupMenu;
class LibrarianViewControl;
class PerfBankNamePopupMenu;
class ProgBankNamePopupMenu;
class ProgramNumberPopupMenu;
class RightCategoryPopupMenu;
class RightPatchPopupMenu;
class RightPerfPopupMenu;
class RightSearchPopupMenu;
class IGraphics;
class ITextControl;
class LaneClock;
class MIDIMessageManager;
class PatchLibrarian;
class PatchManager;
class UIConfigManager;
struct ControlAction;

// The plug-in: the one object the host makes through the entry. Its constructor starts the whole
// system in a fixed order (identity, data folder and debug log, settings files, parameters, state
// holder, librarian, editor and its layout, the transfer overlay, the device protocol, the first
// state snapshot, the librarian's menus, initial values, first page); its destructor stops the
// threads before anything they use goes. It stores its whole state in the host's project.
//
// Several threads share it: the host's main thread (dispatcher and editor), the audio thread, the
// MIDI input thread and the job lanes. Every flag another thread reads is atomic; layers change on
// the editor thread only. The parameter dispatch, the MIDI paths, the audio clock and the
// librarian glue add their methods in files of their own.
class Kroma : public IPluginVST,
              public UIConfigPlugin,
              public EditorHost,
              public ProtocolPlugin,
              public LibrarianHost {
 public:
  explicit Kroma(IPluginInstanceInfo instanceInfo);
  ~Kroma() override;

  // The editor's unscaled size; geometry of the plug-in's own is given in these pixels and
  // multiplied by the GUI scale, truncated, where it is used.
  static constexpr int kEditorWidth = 1500;
  static constexpr int kEditorHeight = 757;
  // The last parameters are not stored in the project.
  static constexpr int kUnsavedParams = 578;

  // ---- Framework operations ----
  void Reset() override;
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;

  // ---- Total recall ----
  // Appends the state body; without the librarian block it is the start-up snapshot.
  void SerializeState2(ByteChunk* chunk, bool withLibrarian);
  // Restores the state body from startPos; the position behind it, or -1 when it ended early
  // (what was read stays restored). Values are restored whether or not an output port opens;
  // the Multi is pushed to the synthesizer only through an open one.
  int UnserializeState2(ByteChunk* chunk, int startPos, bool withLibrarian);

  // ---- Sender jobs ----
  // Starts `job` on its lane when the lane is idle: `prepare` (the flags the job reads) runs
  // first, and the starters of the send jobs (0 to 4) set the manager's send-busy flag. A busy
  // lane drops the start silently. False when nothing started; no failure escapes as an
  // exception, and a failed start takes back the send-busy flag it set.
  bool startSenderJob(const SenderJob& job, const std::function<void()>& prepare = nullptr);

  // ---- Folder services ----
  static std::string getDataFolder();
  static std::string getPatchesFolderStr();
  static int getPatchesFolderLength();
  // "Part " and part + 1, a blank, then `text`; kept in mPanelString, so that the characters
  // stay valid until the next call.
  const char* getPanelString(int part, std::string text);
  // Asks the desktop to open the data folder, or with `manual` the user manual in it. Nothing is
  // tested beforehand and a failure is not reported.
  void OpenDataDirectory(bool manual) override;

  // ---- Configuration manager ----
  IPluginBase* configPluginBase() override { return this; }

  // ---- Value display ----
  const IParam* displayParam(int paramIdx) const override { return GetParam(paramIdx); }
  ITextControl* displayNameControl() const override { return mNameDisplay; }
  ITextControl* displayValueControl() const override { return mValueDisplay; }
  bool startupComplete() const override { return mStartupComplete; }
  bool programChangeSwitchState() const override { return mDAWFilterBlocked[1]; }
  int currentPart() const override { return mCurrentPart; }
  const std::vector<std::string>& valueList(const std::string& name) const override;
  const std::vector<std::string>& sampleNames() const override { return mSampleNames; }
  bool samplesFileRead() const override { return mSamplesFileRead; }
  TK_LogSink* debugLog() const override { return GetLog(); }

  // ---- Tab switching ----
  void setCurrentPart(int part) override { mCurrentPart = part; }
  bool keepSelectedBank() const override { return mKeepSelectedBank; }
  const TabLayers& tabLayers() const override { return mTabLayers; }
  void setLibrarianSelectedProgram(int program) override;

  // ---- Protocol engine ----
  double getValue(int index) const override;
  void setParameterFromPlug(int index, double value) override;
  std::string getDisplayText(int index) const override;
  void setDisplayText(int index, const std::string& text) override;
  void setStoredValue(int index, double value) override;
  using IPluginVST::SendMidiSysex;
  void SendMidiSysex(const unsigned char* data, int length) override;
  void checksumCheckAndSend(unsigned char* data, int length) override;
  void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) override;
  void DisplayProcessingIndicator(bool show) override;
  // The status line's texts are logged as "STATUS: " lines.
  void setTextDisplay(int displayParam, const std::string& text) override;
  void requestLayerHidden(const std::string& layer, bool hidden) override;
  void requestGrayOut(int param, bool grayed) override;
  void markLibrarianViewDirty() override;
  void refillLibrarianList(int list) override;
  void setNameSlot(int slot, const std::string& text) override;
  Range paramRange(int index) const override;
  int getSysexControl(int type, int location, int high, int low, int variant) const override;
  // The control the MSB/LSB builders registered under the channel key, the three NRPN numbers
  // and the sub-key; null when none.
  IControl* getMsbLsbControl(int channelKey, int nrpn1, int nrpn2, int nrpn3, int subKey) const;
  // The program-by-parts map of the configuration: 0 for keys never set (the getter adds none).
  int getProgramValueByParts(int a, int b, int c) const;
  void setProgramValueByParts(int a, int b, int c, int value);
  void setValueFromHardware(int param, double normalised) override;
  void setLocalControl(bool on) override { mLocalControlFlag = on; }
  int partSound(int part, PartSound which) const override;
  void setPartSound(int part, PartSound which, int value) override;
  bool sysExReceived() const override { return mSysExReceived; }
  void setSysExReceived(bool on) override { mSysExReceived = on; }
  bool initPending() const override { return mInitPending; }
  void setDeviceId(int id) override { mDeviceID = id; }
  bool midiOutSet() const override { return mMIDIOutSet; }
  void AllSoundsOff(int part, bool allParts) override;
  bool BankChangeMessage(int part) override;
  // Without the MIDI ports, for a locked current part, an empty slot or a bank the list does not
  // show, nothing is played.
  void sendPatchToDeviceFromLibrarian(int slot, int list, int part) override;
  void selectLibrarianSlot(int slot) override;
  void mainTabSwitch(int tab, int part) override;
  int deviceId() const override { return mDeviceID; }
  bool multiMode() const override { return mMultiMode; }
  int lowerListKind() const override;
  bool programControl() const override { return mProgBankMode; }
  bool sendPartSounds() const override { return mSendPartSounds; }
  bool sendGlobalFirst() const override { return mSendGlobalFirst; }
  void clearMultiPushFlags() override;
  void setMultiSend(bool on) override { mMultiSendRequested = on; }
  void MIDIOutRoutingSwitch(const IMidiMsg* msg) override;
  void sendRealTimeByte(unsigned char byte) override;
  int getCCControls(int channelKey, int cc, int subKey) const override;
  bool midiKindBlocked(int kind, bool fromDevice) const override;
  void showIncomingActivity(int channel) override;
  bool localControl() const override { return mLocalControlFlag; }
  bool libraryControl() const override { return mShowProgramNames; }
  int activeLibrarianList() const override;
  bool sendClockPointer() const override { return mSendClockPointer; }
  bool sendClockInfo() const override { return mSendClockInfo; }
  void setSendClockInfo(bool on) override { mSendClockInfo = on; }

  // ---- MIDI paths and the audio clock ----
  // The host's block is the plug-in's clock: it reads the host's time; starts MIDI Start and
  // Stop on the transport's changes and the timing clocks once; follows the host tempo
  // (kOverrideTempo); sends the queued MIDI that falls due in the block (in DAW-buffer mode; else
  // the queue is dropped); silences the parts in the first stopped block after a reset; turns
  // activity LEDs off after 100 ms; makes the deferred Multi and Global sends; ends an overflow
  // after a second. The outputs are silent. Allocates nothing in its steady state; without an
  // output port only the time is read.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Channel messages from the host and the synthesizer: dropped during a transfer, an overflow
  // or a Multi push, from the synthesizer while it is the master keyboard, system messages and
  // the global channel's; the rest go to the manager, the host's with the part on their
  // channel (part 0 when none). The host's program change, and every host message behind one that
  // waits or runs, goes to mHostMessages instead, so that the audio thread never waits for it.
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  // Sends one message now, lighting the LED of the first part on its channel unless the LEDs
  // show incoming MIDI; without the MIDI ports only "Set MIDI I/O First!".
  void sendMidiMsgAndLog(const IMidiMsg* msg);
  // The Multi (job 0, its part sounds after it) or the Global (job 1) to the synthesizer after
  // one of their settings changed: "MULTI" or "GLOBAL" shown; nothing more while a transfer
  // shows its overlay; refused with "STOP PLAYBACK TO SEND MULTI DATA" (GLOBAL) while the host
  // plays after a reset; otherwise all notes off first when asked, and the job when the
  // transfer lane is idle.
  void sendWholeDump(bool global, bool allNotesOff);
  // The connection check once an output port is chosen: the device id is learnt from the
  // answer. Pauses 100 ms, the plug-in lock let go meanwhile.
  void sendSysExInitialization();
  // The part's MIDI channel 0..15 from its setting (2..17; 0 the global channel); -1 for a
  // setting that names none, so that nothing is sent on a channel outside 0..15.
  int partChannel(int part) const;
  // The pauses of bank changes and sends, on the manager's lane clock unless a test sets one.
  // Each lets go of the plug-in lock, so that the audio thread never waits through it.
  LaneClock* mPauseClock = nullptr;
  // Runs the host's messages that ProcessMidiMsg hands over, under the plug-in lock.
  std::unique_ptr<HostMessageWorker> mHostMessages;
  // Guards mMidiQueue between the threads that route MIDI and the audio clock.
  std::mutex mQueueLock;

  // ---- Librarian and transfer glue ----
  // The librarian sync delay of kLibSyncTimer in milliseconds (100 for an unknown choice).
  int getTimerValue() const;
  // Another active part already plays the bank and program `part` is set to.
  bool CheckBankConflict(int part) const;
  // Sends `part`'s sound (job 2) after all notes off, waits (bounded) until it is out, then
  // with `alsoSendMulti` the Multi (job 0). The flags are the Multi push's options.
  void sendPatchToDevice(int part, bool multiPush, bool partSoundsFirst, bool globalFirst,
                         bool alsoSendMulti) override;
  // Sends `part`'s sound back (job 2) when one of its sections is locked: a program change
  // loaded another sound into the synthesizer, whose locked sections the editor keeps.
  void sendPartDataBackToHardware(int part);
  // The transfer lane runs a job.
  bool ThreadRunning() const;

  // ---- Dialogs, import and help ----
  // Copies a bank file the user chooses ("mid" files, or "syx" and "kro") into the Patches
  // folder, replacing one of the same name. A file that cannot be read writes nothing.
  void saveImportedFile(bool midiFile) override;
  // Opens help page 0 (support tickets), 1 (downloads) or 2 (knowledge base) in the browser.
  void OpenHelpTopics(int page) override;

  // ---- Librarian in the editor ----
  // What the bank view and the librarian's menus use (LibrarianHost).
  FileName remembered(Remembered which) const override;
  void remember(Remembered which, const FileName& name) override;
  LibrarianViewControl* librarianView() const override { return mLibrarianView; }
  IControl* selectionControl(int list) const override;
  void setRenameFinished(bool finished) override { mRenameFinished = finished; }
  // Open the slot menu (upper list) or the copy menu at the right click.
  void showFileEditMenu(int x, int y) override;
  void showFileCopyMenu(int x, int y) override;
  void showStatus(const std::string& text) override;
  bool startLibrarianJob(const SenderJob& job, JobFlags flags) override;
  // Sleeps on the calling thread, with the plug-in lock let go meanwhile: the audio thread never
  // waits through a pause.
  void pauseUnlocked(int milliseconds) override;
  bool sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) override;
  bool sendAllPatchRequestSysexFromLibrarian(int bank) override;
  // Job 3 for the librarian's selected program (list 1 when the view has no upper selection);
  // with `store` it writes the slot into the synthesizer's memory.
  void SendSingleProgramFromLibrarian(bool store, int part) override;
  // Job 4: the shown bank into synthesizer bank `targetBank`, from slot 0.
  void SendAllProgramsFromLibrarian(int targetBank) override;
  void storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord, int targetBank);
  // Shows the bank-number menu, or while program numbers address the librarian the bank-name
  // menu of the mode, and refills them for the current bank and program (the bank menu only
  // without `keepBankMenu`). From another thread it waits for the editor thread.
  void updateBankAndProgramMenuNames(bool keepBankMenu) override;
  void SetLibrarianStatusUnsaved(bool on) override;
  void librarianBankSaved() override;
  // Sounds (type 0) or Multis (1), and what the lower list shows (0 sound banks, 1 categories,
  // 2 Multi banks, 4 search results): both lists go to their first file, the selection lists'
  // texts are written anew and the menus rebuilt. With `reload` the bank files are read again
  // first, which drops unsaved edits.
  void patchTypeChanged(int type, int listKind, bool reload) override;
  // Writes the selection lists' texts of the current mode again, keeping the selection, and
  // refills the bank view; after each save of a bank.
  void ResetPatchSelectionMenus();
  // Rebuilds the selection menus of the current mode; each finds its remembered file again.
  void refreshPopUpMenus();

  // ---- Parameter dispatch ----
  // Every change of a parameter from the editor or the host, under the plug-in lock: the
  // family's own handling (mirrors, trigger toggles, pages and panels, ports and MIDI filters,
  // librarian steps, sender jobs), the central display, then the parameter's control action and
  // the filter link. The synthesizer's values ask for refreshes of it on the MIDI input thread
  // and the lanes; what it does to layers then waits for the editor thread.
  void OnParamChange(int paramIdx) override;
  // A value that came from the synthesizer: the display, the wavetable's shape, the part tab and
  // the control action, which sends nothing back; then the filter link, which may send the
  // linked filter's value.
  void OnParamChange2(int paramIdx) override;
  // The MIDI of one change, with the plug-in lock held. The bound controls follow first, so that
  // every control of the parameter shows its value also while no port is chosen (a dialog's
  // close switch shares its opener's parameter). Then nothing more, only "Set MIDI I/O First!",
  // without an output port; otherwise the action's CC or SysEx goes out, or a Multi or Global whole
  // dump is started (held back while Shift or the mouse button is down, for the audio callback to
  // send). Nothing is sent for a value that came from the synthesizer. Last the effect-type value
  // is copied into its positional twin.
  void processControlAction(ControlAction* action, int paramIdx, double newValue);
  // Runs `call` now on the editor thread; from another thread it waits for the editor's next
  // timer tick and then runs under the plug-in lock. A waiting call with the same non-null key
  // is replaced.
  void onEditorThread(const void* key, std::function<void()> call);
  LinkManager mLinkManager;

  // Called by the dispatch, owned by the librarian issue. Virtual so that tests see the
  // dispatch reach them.
  virtual void updatePatchLibrarianView(int which);
  // The folder popup `menu` rebuilt with file `fileIndex` (`name` in `folder`) as the current.
  virtual void refreshFolderStructure(LibrarianMenu menu, int fileIndex, const std::string& name,
                                      const std::string& folder);
  // The librarian's main menu rebuilt for the current mode; the program menu for `program`.
  virtual void addBankEditMenuItems();
  virtual void refreshPatchNames(int program);

  // ---- Lookups ----
  // The editor's graphics object; null once the plug-in is being destroyed.
  IGraphics* graphics() const;
  // A layer by name: the layout's, or one of the plug-in's own menu layers; null for none.
  ControlLayer* layerNamed(const std::string& name) const;
  // The first control bound to a parameter; null when the layout built none.
  IControl* controlOf(int paramIdx) const;
  // The same for a control the plug-in keeps: one the layout lacks is logged.
  IControl* builtControl(int paramIdx) const;
  // An output port is open: what the synthesizer is sent goes somewhere.
  bool outputPortOpen() const;

  // ---- Shared fields: read and written by the other parts of the plug-in and the engine ----
  IMidiQueue mMidiQueue{1024};
  std::string mPanelString;
  std::unique_ptr<PatchManager> mPatchManager;
  IControl* mPatchRenameControl = nullptr;
  ITextControl* mCCDisplayControl = nullptr;
  IControl* mDeviceInControl = nullptr;
  IControl* mDeviceOutControl = nullptr;
  ITextControl* mBuildDisplayControl = nullptr;
  ITextControl* mMIDIOutDelayDisplayControl = nullptr;
  ITimeInfo mTimeInfo;
  std::atomic<double> mSampleRate{0.0};
  std::atomic<bool> mTransportWasRunning{false};
  std::atomic<bool> mQueuedOutput{false};
  std::atomic<int> mBlockSize{0};
  std::atomic<bool> mMultiSendPending{false};
  std::atomic<bool> mGlobalSendPending{false};
  double mGUIScale = 1.0;
  int mColorScheme = 0;

  // The layers and controls the tab switches use (the plug-in's own menu layers and the overlay
  // among them), then the other layers the plug-in shows and hides. Null where the layout has
  // none.
  TabLayers mTabLayers;
  ControlLayer* mLibrarianLayer = nullptr;
  ControlLayer* mPatchRenameLayer = nullptr;
  ControlLayer* mAboutLayer = nullptr;
  ControlLayer* mFirstRunLayer = nullptr;
  ControlLayer* mBankPatchConflictLayer = nullptr;
  ControlLayer* mMIDIFilterSettingsLayer = nullptr;
  // The plug-in's own menu layers, by LibrarianMenu, and the menus in them.
  std::array<ControlLayer*, kLibrarianMenuCount> mMenuLayers{};
  LeftPatchPopupMenu* mLeftPatchMenu = nullptr;
  RightPatchPopupMenu* mRightPatchMenu = nullptr;
  RightCategoryPopupMenu* mRightCategoryMenu = nullptr;
  RightSearchPopupMenu* mRightSearchMenu = nullptr;
  LeftPerfPopupMenu* mLeftPerfMenu = nullptr;
  RightPerfPopupMenu* mRightPerfMenu = nullptr;
  BankEditPopupMenu* mBankEditMenu = nullptr;
  ProgramNumberPopupMenu* mProgramNumberMenu = nullptr;
  BankNumberPopupMenu* mBankNumberMenu = nullptr;
  PerfBankNamePopupMenu* mPerfBankNameMenu = nullptr;
  ProgBankNamePopupMenu* mProgBankNameMenu = nullptr;
  // The slot menus of the last right click in the bank view.
  std::unique_ptr<FileEditPopupMenu> mFileEditMenu;
  std::unique_ptr<FileCopyPopupMenu> mFileCopyMenu;

  IControl* mDatatypeControl = nullptr;
  IControl* mPatchSearchControl = nullptr;
  IControl* mProgBankControl = nullptr;
  std::atomic<bool> mTempoStatus{false};
  std::string mLogFilePath;
  std::string mUISettingsPath;
  std::string mUIColorSchemeLine;
  std::string mUISizeLine;
  std::string mUIFirstRunLine;
  std::vector<std::string> mSampleNames;
  bool mDebugLogging = false;
  std::string mUpperSelectionFolder;
  std::string mUpperSelectionText;
  std::string mLowerSelectionFolder;
  std::string mLowerSelectionText;
  std::string mUpperMultiSelectionFolder;
  std::string mUpperMultiSelectionText;
  std::string mLowerMultiSelectionFolder;
  std::string mLowerMultiSelectionText;
  std::atomic<bool> mRenameFinished{false};
  std::atomic<bool> mMultiMode{false};
  std::atomic<bool> mShowProgramNames{false};
  std::atomic<bool> mKeepSelectedBank{true};
  std::atomic<bool> mStartupComplete{false};
  std::atomic<int> mLastTempo{0};
  std::atomic<int> mCurrentPart{0};
  std::atomic<int> mDeviceID{0};
  std::atomic<bool> mSendingSysEx{false};
  std::atomic<bool> mInitPending{false};
  std::atomic<bool> mSysExReceived{false};
  std::atomic<bool> mMIDIOutSet{false};
  std::atomic<bool> mTransferInProgress{false};
  std::atomic<bool> mOutputBlocked{false};
  std::atomic<bool> mOutputOverflow{false};
  std::atomic<bool> mLowerListShowsSearch{false};
  std::atomic<bool> mLowerListShowsCategories{false};
  std::atomic<bool> mProgBankMode{true};
  int mMIDIInPortIndex = 0;
  int mMIDIOutPortIndex = 0;
  // The stored names of restored ports that no listed port has, input then output ("" for one
  // found): saved again in their place until the musician picks a port.
  std::array<std::string, 2> mAbsentPortNames;
  std::unique_ptr<MIDIMessageManager> mMIDIMessageManager;
  std::unique_ptr<UIConfigManager> mUIConfigManager;
  ControlDisplay mControlDisplay;
  std::unique_ptr<PatchLibrarian> mPatchLibrarian;
  IControl* mLibraryControl = nullptr;
  ControlAction* mOverrideTempoAction = nullptr;
  LibrarianViewControl* mLibrarianView = nullptr;
  IControl* mUpperSelectionControl = nullptr;
  IControl* mLowerSelectionControl = nullptr;
  IControl* mKeepSelectedBankControl = nullptr;
  std::array<IControl*, 7> mDAWFilterControls{};
  std::array<std::atomic<bool>, 7> mDAWFilterBlocked{};
  std::array<IControl*, 7> mHWFilterControls{};
  std::array<std::atomic<bool>, 7> mHWFilterBlocked{};
  IControl* mTrackIncomingControl = nullptr;
  std::atomic<bool> mTrackIncomingMIDI{true};
  IControl* mDirectToHardwareControl = nullptr;
  IControl* mToDAWBufferControl = nullptr;
  IControl* mClockPointerControl = nullptr;
  IControl* mClockInfoControl = nullptr;
  std::atomic<bool> mSendClockPointer{true};
  std::atomic<bool> mSendClockInfo{true};
  std::array<IControl*, 16> mPartChannelControls{};
  ITextControl* mNameDisplay = nullptr;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mCategoryDisplay = nullptr;
  ITextControl* mPatchDisplay = nullptr;
  TabSwitchFunctions mTabSwitch;
  ControlAction* mQuickTabAction = nullptr;
  ControlAction* mMainTabAction = nullptr;
  std::vector<int> mPartCompareFlags = std::vector<int>(16);
  std::vector<int> mRandomizerValues = std::vector<int>(393);
  std::array<std::atomic<int>, 16> mLEDActive{};
  std::array<std::atomic<unsigned>, 16> mLEDTime{};
  std::array<std::atomic<int>, 17> mPartBank{};  // parts, then the Multi
  std::array<std::atomic<int>, 17> mPartProgram{};
  std::atomic<unsigned> mOverflowTime{0};
  std::atomic<bool> mMultiSendRequested{false};
  std::atomic<bool> mEchoFromHardware{false};
  std::atomic<bool> mSendPartSounds{false};
  std::atomic<bool> mSendGlobalFirst{false};
  std::atomic<bool> mLinkInProgress{false};
  std::atomic<bool> mFreshReset{false};
  std::atomic<bool> mLocalControlFlag{false};
  std::atomic<bool> mBlockDeviceInput{false};
  std::atomic<bool> mContinuousClockStarted{false};
  std::atomic<bool> mClockRunning{false};
  std::atomic<bool> mFirstRunShown{false};
  bool mSamplesFileRead = false;
  std::atomic<int> mLastProgram{0};
  std::atomic<int> mTempoValue{0};

 private:
  // The start-up steps, in their order.
  void openDataFolder();
  void readSettingsFiles();
  void makeLibrarian();
  void makeEditor();
  // The positional effect parameters take any data byte.
  void initPositionalEffectParams();
  void lookUpLayers();
  void applyStartVisibility();
  void takeFirstSnapshot();
  void lookUpControlsFirst();
  void makeSelectionListsAndMenus();
  void lookUpControlsSecond();
  void setInitialValues();
  void applyUISettings();
  void setMIDIFilterDefaults();
  void refreshControls();
  void finishStartup();
  // Stops the threads and releases what the plug-in made, in the order that keeps every thread
  // off what is released; the destructor, and a constructor that failed, end here.
  void shutDown();
  // ProcessMidiMsg's drop rules and the hand-over to the manager.
  void routeMidiMsg(const IMidiMsg& msg, bool fromDevice);

  // One bank-selection list: its enumeration, display texts and selection strings.
  void initSelectionList(int paramIdx, const char* name, IControl** control, std::string* text,
                         std::string* folder);
  // What a restore derives from the values it restored: the device id, the MIDI filter and
  // clock switches, the per-part bank and program tables, the output delay and the flags that
  // follow their parameters.
  void deriveFromRestoredValues();
  // Re-selects the stored MIDI port of `slot`, comparing the listed names as the project stores
  // them; the selection parameter and its control follow. The position chosen, 0 for none.
  int reselectPort(int slot, int paramIdx, bool input);
  // Pushes the restored Multi to the synthesizer and waits, bounded and without the plug-in
  // lock, until the transfer lane is idle again.
  void pushRestoredMulti();
  // Sets a control as the user would, when the layout built it.
  void userEdit(IControl* control, double normalizedValue);
  void log(const std::string& message) const;
  void logMissing(const std::string& what) const;
  void recallLog(const std::string& message) const;

  // ---- MIDI paths and the audio clock ----
  // The steps of a block, in their order.
  void followTransport(bool running);
  void startContinuousClock();
  void followHostTempo();
  void showOutputDelay(int frames);
  // Sends (DAW-buffer mode) or drops the queued messages up to `lastOffset`.
  void drainQueue(int lastOffset);
  void turnLedsOff();
  // The activity LED of `part`, lit for 100 ms (-1: none); off.
  void lightLed(int part);
  void ledOff(int part);

  // Librarian in the editor.
  // Plays a slot by job 3; `store` writes it into the synthesizer's memory instead.
  void playLibrarianSlot(int slot, int list, int part, bool store);
  // Writes the display texts of the selection lists for `files`, of the upper and of the lower
  // side as asked: the two lists, and the Multi bank lists or each part's sound bank lists.
  void writeSelectionTexts(const std::vector<std::string>& fileNames, int listKind, bool upper,
                           bool lower);

  IGraphics* mEditor = nullptr;  // owned by the framework once attached
  EditorRequests* mEditorRequests = nullptr;
};
