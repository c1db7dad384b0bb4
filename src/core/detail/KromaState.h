#pragma once

// The plug-in's state, in records by concern. Kroma keeps one of each as a private member; the
// dispatch's handlers are given the records they change, and tests reach them through
// KromaProbe. Every field another thread reads is atomic.

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "src/core/detail/LibrarianMenus.h"
#include "src/core/detail/LinkManager.h"
#include "src/editor/ControlDisplay.h"
#include "src/editor/EditorElements.h"
#include "src/editor/TabSwitchFunctions.h"
#include "src/librarian/view/EditMenus.h"
#include "src/protocol/SenderJob.h"
#include "toolkit/plugin/base/ByteChunk.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/midi/IMidiQueue.h"

class BankNumberPopupMenu;
class ControlLayer;
class EditorRequests;
class HostMessageWorker;
class IGraphics;
class IControl;
class ITextControl;
class LaneClock;
class LeftPatchPopupMenu;
class LeftPerfPopupMenu;
class LibrarianViewControl;
class MIDIMessageManager;
class PatchLibrarian;
class PatchManager;
class PerfBankNamePopupMenu;
class ProgBankNamePopupMenu;
class ProgramNumberPopupMenu;
class RightCategoryPopupMenu;
class RightPatchPopupMenu;
class RightPerfPopupMenu;
class RightSearchPopupMenu;
class UIConfigManager;
struct ControlAction;

// MIDI routing and filters: the ports, the queue the audio clock drains, the filters of both
// directions, the connection to the synthesizer and the bank and program each part plays.
struct MidiRouting {
  // Guards mMidiQueue between the threads that route MIDI and the audio clock.
  std::mutex mQueueLock;
  IMidiQueue mMidiQueue{1024};
  std::atomic<bool> mQueuedOutput{false};
  std::atomic<int> mBlockSize{0};
  std::atomic<int> mDeviceID{0};
  std::atomic<bool> mSendingSysEx{false};
  std::atomic<bool> mSysExReceived{false};
  std::atomic<bool> mMIDIOutSet{false};
  // A store or send cut short by the lost link said so; the port look that sees the loss next
  // leaves that on the status line.
  std::atomic<bool> mLossTold{false};
  std::atomic<bool> mOutputBlocked{false};
  std::atomic<bool> mOutputOverflow{false};
  std::atomic<unsigned> mOverflowTime{0};
  int mMIDIInPortIndex = 0;
  int mMIDIOutPortIndex = 0;
  // The chosen ports that are not there, input then output ("" for one that is): a stored name
  // no listed port had at the restore, or a port whose link was lost. Shown marked absent and
  // saved in their place until the musician picks another port; opened again once listed.
  std::array<std::string, 2> mAbsentPortNames;
  // When the idle call next looks for ports that went or came back. [main thread]
  std::chrono::steady_clock::time_point mNextPortLook{};
  std::array<std::atomic<bool>, 7> mDAWFilterBlocked{};
  std::array<std::atomic<bool>, 7> mHWFilterBlocked{};
  std::atomic<bool> mTrackIncomingMIDI{true};
  std::array<std::atomic<int>, 17> mPartBank{};  // parts, then the Multi
  std::array<std::atomic<int>, 17> mPartProgram{};
  std::atomic<bool> mEchoFromHardware{false};
  std::atomic<bool> mLinkInProgress{false};
  std::atomic<bool> mLocalControlFlag{false};
  std::atomic<bool> mBlockDeviceInput{false};
};

// What the synthesizer holds, as far as the editor knows.
enum class SynthStep {
  kUnsure,     // maybe not what the editor shows: nothing made them equal yet
  kInStep,     // what the editor shows: a push it answered, GET FROM SYNTH or SEND TO SYNTH
  kPushDue,    // the editor's values go to it once an output port is open and no transfer runs
  kPushOwed,   // pushed or lost, but not heard: due again once a request hears the synthesizer
  kRelinking,  // unsure, its link back: the status says so once the connection check has ended
};

// Clock, tempo and LEDs: what the audio callback keeps from block to block, and the Multi, Global
// and librarian slot sends it makes when they were held back.
struct ClockState {
  // The pauses of bank changes and sends, on the manager's lane clock unless a test sets one.
  // Each lets go of the plug-in lock, so that the audio thread never waits through it.
  LaneClock* mPauseClock = nullptr;
  ITimeInfo mTimeInfo;
  std::atomic<double> mSampleRate{0.0};
  std::atomic<bool> mTransportWasRunning{false};
  std::atomic<bool> mFreshReset{false};
  // A Multi or Global send the audio callback makes once no key holds it and no transfer runs.
  std::atomic<bool> mMultiSendPending{false};
  std::atomic<bool> mGlobalSendPending{false};
  // A send refused while the host played after a reset: pending once the transport stops.
  std::atomic<bool> mMultiSendAtStop{false};
  std::atomic<bool> mGlobalSendAtStop{false};
  // Whether the synthesizer holds what the editor shows, and the push that makes it so: set by
  // the restore, the idle call, the link's return and the jobs. An idle push runs, and whether
  // the host knew the state it started from. [main thread, but for the atomic]
  std::atomic<SynthStep> mSynthStep{SynthStep::kUnsure};
  bool mPushRunning = false;
  bool mPushFromKnownState = false;
  // The last librarian slot played or stored while a transfer ran (job 3, its store flag),
  // started once the transfer has ended; mKeptPlay and mKeptPlayStores under mKeptPlayLock.
  std::mutex mKeptPlayLock;
  SenderJob mKeptPlay;
  bool mKeptPlayStores = false;
  std::atomic<bool> mPlayKept{false};
  std::atomic<bool> mTempoStatus{false};
  std::atomic<int> mLastTempo{0};
  std::atomic<int> mTempoValue{0};
  ControlAction* mOverrideTempoAction = nullptr;
  std::atomic<bool> mSendClockPointer{true};
  std::atomic<bool> mSendClockInfo{true};
  std::atomic<bool> mContinuousClockStarted{false};
  std::atomic<bool> mClockRunning{false};
  std::array<std::atomic<int>, 16> mLEDActive{};
  std::array<std::atomic<unsigned>, 16> mLEDTime{};
};

// Librarian selection and transfer flags: the banks the selection lists show, what the lists
// hold, the edited part and the options of a running transfer.
struct LibrarianSelection {
  std::string mUpperSelectionFolder;
  std::string mUpperSelectionText;
  std::string mLowerSelectionFolder;
  std::string mLowerSelectionText;
  std::string mUpperMultiSelectionFolder;
  std::string mUpperMultiSelectionText;
  std::string mLowerMultiSelectionFolder;
  std::string mLowerMultiSelectionText;
  // The canonical paths of the four files above, by which a rescan finds them.
  std::string mUpperSelectionPath;
  std::string mLowerSelectionPath;
  std::string mUpperMultiSelectionPath;
  std::string mLowerMultiSelectionPath;
  std::atomic<bool> mRenameFinished{false};
  std::atomic<bool> mMultiMode{false};
  std::atomic<bool> mShowProgramNames{false};
  std::atomic<bool> mKeepSelectedBank{true};
  std::atomic<int> mCurrentPart{0};
  std::atomic<int> mLastProgram{0};
  std::atomic<bool> mLowerListShowsSearch{false};
  std::string mSearchQuery;  // whose results the lower list shows; the editor thread's
  std::atomic<bool> mLowerListShowsCategories{false};
  std::atomic<bool> mProgBankMode{true};
  std::vector<int> mPartCompareFlags = std::vector<int>(16);
  std::atomic<bool> mTransferInProgress{false};
  std::atomic<bool> mMultiSendRequested{false};
  std::atomic<bool> mSendPartSounds{false};
  std::atomic<bool> mSendGlobalFirst{false};
};

// The editor's widgets and layers: the controls and layers the layout built that the plug-in
// drives, its own menus, and the editor's scale and colours. Null where the layout has none;
// changed on the editor thread.
struct EditorWidgets {
  IGraphics* mEditor = nullptr;  // owned by the framework once attached
  // Where other threads leave what must run on the editor thread.
  EditorRequests* mEditorRequests = nullptr;
  double mGUIScale = 1.0;
  int mColorScheme = 0;
  std::string mPanelString;
  // The layers and controls the tab switches use (the plug-in's own menu layers and the overlay
  // among them), then the other layers the plug-in shows and hides.
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
  ControlDisplay mControlDisplay;
  TabSwitchFunctions mTabSwitch;
  ControlAction* mQuickTabAction = nullptr;
  ControlAction* mMainTabAction = nullptr;
  LibrarianViewControl* mLibrarianView = nullptr;
  IControl* mPatchRenameControl = nullptr;
  IControl* mDeviceInControl = nullptr;
  IControl* mDeviceOutControl = nullptr;
  IControl* mDatatypeControl = nullptr;
  IControl* mPatchSearchControl = nullptr;
  IControl* mProgBankControl = nullptr;
  IControl* mLibraryControl = nullptr;
  IControl* mUpperSelectionControl = nullptr;
  IControl* mLowerSelectionControl = nullptr;
  IControl* mKeepSelectedBankControl = nullptr;
  std::array<IControl*, 7> mDAWFilterControls{};
  std::array<IControl*, 7> mHWFilterControls{};
  IControl* mTrackIncomingControl = nullptr;
  IControl* mDirectToHardwareControl = nullptr;
  IControl* mToDAWBufferControl = nullptr;
  IControl* mClockPointerControl = nullptr;
  IControl* mClockInfoControl = nullptr;
  std::array<IControl*, 16> mPartChannelControls{};
  ITextControl* mCCDisplayControl = nullptr;
  ITextControl* mBuildDisplayControl = nullptr;
  ITextControl* mMIDIOutDelayDisplayControl = nullptr;
  ITextControl* mNameDisplay = nullptr;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mCategoryDisplay = nullptr;
  ITextControl* mPatchDisplay = nullptr;
};

// The parts the plug-in owns (released by its shut-down in their order), its settings files and
// how far it has started.
struct KromaParts {
  std::unique_ptr<PatchManager> mPatchManager;
  std::unique_ptr<UIConfigManager> mUIConfigManager;
  std::unique_ptr<PatchLibrarian> mPatchLibrarian;
  std::unique_ptr<MIDIMessageManager> mMIDIMessageManager;
  // Runs the host's messages that ProcessMidiMsg hands over, under the plug-in lock.
  std::unique_ptr<HostMessageWorker> mHostMessages;
  LinkManager mLinkManager;
  std::string mLogFilePath;
  bool mDebugLogging = false;
  std::string mUISettingsPath;
  std::string mUIColorSchemeLine;
  std::string mUISizeLine;
  std::string mUIFirstRunLine;
  std::vector<std::string> mSampleNames;
  bool mSamplesFileRead = false;
  std::vector<int> mRandomizerValues = std::vector<int>(393);
  std::atomic<bool> mStartupComplete{false};
  std::atomic<bool> mFirstRunShown{false};
  // The state as a save writes it: as the host last heard of it (at start-up, after a restore,
  // and at each change it was told of) and as it is now; under the plug-in lock.
  ByteChunk mStateHostKnows;
  ByteChunk mStateNow;
  // The counts of changes and edits (IPluginBase::StateChanges, Edits) the idle call last judged
  // the state at, and the change count it last looked at; written under the plug-in lock.
  std::atomic<unsigned> mChangesJudged{0};
  unsigned mEditsJudged = 0;
  unsigned mChangesLooked = 0;
  // A restore runs: what it sets is no edit to tell the host of.
  std::atomic<bool> mRestoring{false};
};
