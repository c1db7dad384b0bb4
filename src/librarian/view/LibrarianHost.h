#pragma once

#include <string>

#include "src/protocol/SenderJob.h"

class ControlLayer;
class IControl;
class LibrarianViewControl;

// What the bank view and the librarian's menus need of the plug-in. The plug-in implements it;
// the view finds it by casting the plug-in it was made for, and tests fake it. Everything here
// is called on the editor thread, from mouse and key handlers: the host's main thread, whose
// editor events run outside the plug-in lock. Each entry names its threads and what it may take.
class LibrarianHost {
 public:
  // The status text of a step refused while the upper bank has unsaved edits.
  static constexpr const char* kSaveOrDiscard = "Save bank or Discard changes!";
  // The status text of a bank that does not open: its file no longer holds it.
  static constexpr const char* kLoadFailed = "Bank load FAILED!";

  virtual ~LibrarianHost() = default;

  // --- What the librarian shows ---
  // Multis rather than sounds.
  // [main thread; atomic]
  virtual bool multiMode() const = 0;
  // What the lower list shows: 0 sounds, 1 categories, 2 Multis, 4 search results.
  // [any thread: the view refills its lists from the lanes too; atomic]
  virtual int lowerListKind() const = 0;
  // [main thread; atomic]
  virtual int currentPart() const = 0;
  // Program numbers address librarian slots (kControlLibrary on).
  // [main thread; atomic]
  virtual bool libraryControl() const = 0;
  // A bank or program change fetches the synthesizer's new sound (kControlProgBank on).
  // [main thread; atomic]
  virtual bool programControl() const = 0;
  // The MIDI ports to the synthesizer are chosen.
  // [main thread; atomic]
  virtual bool midiOutSet() const = 0;

  // --- The files last chosen in the selection menus, to be found again after a rescan: by
  // their canonical path where they have one, else by name ---
  enum Remembered { kUpperSounds, kLowerList, kUpperMultis, kLowerMultis };
  struct FileName {
    std::string file;
    std::string folder;
    std::string path = {};  // empty for an in-memory bank (categories, search results)
  };
  // [main thread only: plain texts, shared with the state save and restore]
  virtual FileName remembered(Remembered which) const = 0;
  // [main thread only: plain texts, shared with the state save and restore]
  virtual void remember(Remembered which, const FileName& name) = 0;

  // --- The editor ---
  // [main thread; fixed at start-up]
  virtual LibrarianViewControl* librarianView() const = 0;
  // Null when the layout has no such layer.
  // [main thread; fixed at start-up; show and hide what it returns on the main thread only]
  virtual ControlLayer* layerNamed(const std::string& name) const = 0;
  // The control showing kPatchSelectionListUpper (list 0) or kPatchSelectionListLower.
  // [main thread; fixed at start-up]
  virtual IControl* selectionControl(int list) const = 0;
  // A rename of a slot was applied or abandoned; changes of kPatchRename are ignored meanwhile.
  // [main thread; atomic]
  virtual void setRenameFinished(bool finished) = 0;
  // [main thread; blocks in the menu's modal loop, without the plug-in lock]
  virtual void showFileEditMenu(int x, int y) = 0;
  // [main thread; blocks in the menu's modal loop, without the plug-in lock]
  virtual void showFileCopyMenu(int x, int y) = 0;
  // The status line.
  // [main thread; takes the text's lock]
  virtual void showStatus(const std::string& text) = 0;
  // Blanks the status line when it still shows `text`; any other text there stays.
  // [main thread; takes the text's lock]
  virtual void clearStatus(const std::string& text) = 0;

  // --- The librarian ---
  // Plays slot `slot` of list `list` (0 upper) on `part`.
  // [main thread; takes the librarian lock briefly; never waits for the lane]
  virtual void sendPatchToDeviceFromLibrarian(int slot, int list, int part) = 0;
  // Sleeps on the calling thread with the plug-in lock let go, so that the host's audio goes on.
  // [main thread; sleeps with the plug-in lock let go]
  virtual void pauseUnlocked(int milliseconds) = 0;
  // Writes the selected slot into the synthesizer's memory (`store`) or plays it.
  // [main thread; starts a job, never waits for it]
  virtual void SendSingleProgramFromLibrarian(bool store, int part) = 0;
  // Writes the whole shown bank into synthesizer bank `targetBank`.
  // [main thread; starts a job, never waits for it]
  virtual void SendAllProgramsFromLibrarian(int targetBank) = 0;
  // Brings the top bar's bank and program menus in step with the selection.
  // [main thread; from another thread it waits for the editor timer]
  virtual void updateBankAndProgramMenuNames(bool keepBankMenu) = 0;
  // Marks the upper bank edited and unsaved.
  // [main thread; its layers change at the editor timer]
  virtual void SetLibrarianStatusUnsaved(bool on) = 0;
  // The upper bank now matches its file on disk: the unsaved mark goes.
  // [main thread only: shows and hides layers at once]
  virtual void librarianBankSaved() = 0;
  // Switches sounds and Multis and the lower list's kind, reloading the bank files on request.
  // [main thread only: rebuilds the menus; takes the librarian lock; reads files]
  virtual void patchTypeChanged(int type, int listKind, bool reload) = 0;
  // The plug-in's parameter-change handling.
  // [main thread; takes the plug-in lock]
  virtual void OnParamChange(int paramIdx) = 0;

  // --- The synthesizer ---
  // Flags a job needs set just before it starts, and only when it starts.
  struct JobFlags {
    bool dumpRouting = false;  // answers go to the editor's parsers
    bool clearCollectorDone = false;
    bool multiPush = false;  // transfer busy, Multi with its part sounds and the Global first
  };
  // Starts the job when its lane is idle; false when nothing started.
  // [main thread; never waits for the lane]
  virtual bool startLibrarianJob(const SenderJob& job, JobFlags flags) = 0;
  // Jobs 9 and 10 with the sound collector emptied and armed.
  // [main thread; never waits for the lane]
  virtual bool sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) = 0;
  // [main thread; never waits for the lane]
  virtual bool sendAllPatchRequestSysexFromLibrarian(int bank) = 0;
  // Bank select and program change of the part (of the Multi in multi mode); false when refused.
  // [main thread; blocks for its pauses with the plug-in lock let go]
  virtual bool BankChangeMessage(int part) = 0;
  // Sends the part's sound, and with `alsoSendMulti` the Multi after it, waiting for each.
  // [main thread; blocks (bounded) until the sound is out, the plug-in lock let go]
  virtual void sendPatchToDevice(int part, bool multiPush, bool partSoundsFirst, bool globalFirst,
                                 bool alsoSendMulti) = 0;

  // --- Files and help ---
  // [main thread; blocks in the file panel; reads and writes files]
  virtual void saveImportedFile(bool midiFile) = 0;
  // [main thread]
  virtual void OpenHelpTopics(int page) = 0;
  // [main thread]
  virtual void OpenDataDirectory(bool manual) = 0;
};
