#pragma once

#include <Poco/File.h>
#include <Poco/Path.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "src/librarian/LibrarianRecords.h"
#include "toolkit/log.h"
#include "toolkit/plugin/base/ByteChunk.h"

// The librarian: banks of 128 sounds or 128 Multis read from the bank files
// under the data folder, their folder trees, and the in-memory category and
// search banks. Its file lists own the banks and its four trees their
// FolderFiles nodes; tree nodes only point at banks.
class PatchLibrarian {
 public:
  // Conversion modes of the readers: how an older synthesizer's sound dump
  // would be brought to the Corvane layout.
  enum ConversionMode { kConvertNone = 0, kConvertVela = 1, kConvertNimbra = 2 };

  PatchLibrarian() = default;
  ~PatchLibrarian();
  PatchLibrarian(const PatchLibrarian&) = delete;
  PatchLibrarian& operator=(const PatchLibrarian&) = delete;

  // Every thread that reads or changes the lists or records holds this.
  std::recursive_mutex& mutex() { return mMutex; }

  // The plug-in's debug log; null writes to standard error.
  void setLog(TK_LogSink* log) { mLog = log; }

  // --- Folder scan and loading ---
  // Loads every bank file in the "Patches" folder `patches` and below it.
  void loadPatchesFromFilesystem(std::string patches);
  // Appends every folder below `folder`, deepest first within each entry.
  void buildFolderStructure(const std::string& folder, std::vector<std::string>* list);
  // Loads one bank file; returns the file to place into a folder tree, or null (also for a file
  // that cannot be read or holds no whole dump: no menu offers it). The pieces of a file split
  // here are placed at once.
  PatchFile* parseFolderFiles(Poco::File file, Poco::Path path, int depth, int origin,
                              std::string extension);
  // The one rule of what the scan reads a bank from, which Save As and Import follow too, and a
  // pick by reading the file (opensAsFileHolds): a file named `fileName` (where it stands: a link
  // by its own name) whose bytes lie at `path`, with a bank file's extension (any case), that this
  // process may read and whose size lies between the least a bank takes and the cap on what is read
  // whole. The scan lists such a file when it holds a whole dump.
  static bool isBankFile(const std::string& fileName, const std::string& path);
  // Whether the scan reads the file at `path` as a bank: a bank file by isBankFile, standing in a
  // folder the scan walks (folders compared by their canonical paths, linked folders included).
  // A link in such a folder is judged there, wherever it leads. Anything else is an export for
  // another program.
  bool readsAsBank(const std::string& path);
  // Whether the scan would list a file of this name that holds `bytes`: a bank file's name and
  // size, and at least one whole dump.
  bool holdsBank(const std::string& fileName, ByteChunk& bytes);
  // Whether listed bank `file` opens as its file holds it now, as a pick or a step of a list
  // asks. False, the bank left as it was, when the file can no longer be read whole or no longer
  // holds a bank of the bank's kind that fits its 128 slots (the next scan places it anew). A file
  // whose bytes changed since the librarian read or wrote them is read again into the bank, but
  // not into the upper bank while `upperUnsaved`: its edits stay, and Save asks before it replaces
  // the file. True for an in-memory bank. `readAgain`, when given, tells whether the bank was
  // read again, so that both lists, which may show it, are refilled.
  bool opensAsFileHolds(PatchFile* file, bool upperUnsaved, bool* readAgain = nullptr);
  // Whether a scan since the last call split a bank and moved its file into "Converted Banks/",
  // so that the musician is told once.
  bool takeSplitNotice();
  // Drops every bank and tree and scans `patches` again; unsaved edits are lost.
  void initBankFilesOnDiscard(std::string patches);

  // --- Folder trees ---
  void createSingleFolderFilesStructure(PatchFile* file, std::string unused);
  void createMultiFolderFilesStructure(PatchFile* file, std::string unused);

  // --- Category and search banks ---
  void createNewCategoryPatchFiles();
  void createNewSearchPatchFiles(std::string query);

  // --- Saving the upper bank ---
  // Writes the upper bank over `path`; a `fileName` ending in ".mid" (any case)
  // gives a MIDI file. False when there is no upper bank or the write failed;
  // a failed write leaves the old file whole, and a file the user may not write
  // is not written (LibrarianFiles::writeFile). What the bank's own file then
  // holds is what upperBankFileChanged compares with.
  bool saveEditedPatch(std::string path, std::string fileName);
  // Whether the file at `path`, which a save of the upper bank is about to replace, does not hold
  // what the librarian read from the bank's file or last wrote there, also when it can no longer
  // be read whole: another program changed it, or put another file where the bank stands (in
  // place of its link, or behind it). False without an upper bank, for a bank that holds no
  // file's contents, and when nothing stands at `path`, which a save only brings back. Reads the
  // file.
  bool upperBankFileChanged(const std::string& path);
  // Asks for a file (full path, "" when cancelled) proposing `name` in `folder`
  // with the given extension.
  using FilePrompt = std::function<std::string(const std::string& name, const std::string& folder,
                                               const std::string& extension)>;
  // The file a save wrote: its folder's name, its file name and its canonical path, by which a
  // rescan finds it (a name may stand in several folders, and a path may be written many ways).
  struct SavedFile {
    std::string folderName;
    std::string fileName;
    std::string path;
  };
  // Saves the upper bank under a name the user picks, as ".mid" or ".kro".
  // True when written; `saved` then names the new file. False when cancelled,
  // when the name picked is empty or only an extension once its blanks are
  // trimmed (nothing is written then), or when the write failed.
  bool savePatchAs(const char* name, std::string folder, bool midi, const FilePrompt& prompt,
                   SavedFile* saved);

  // --- Reading (bank files) ---
  // Reads at most one dump from `position` and appends it as a slot of `file`.
  // Returns the new position, or -1 once the data is exhausted.
  int readSysexMessage(ByteChunk* data, int& position, PatchFile* file, int mode, int program);
  int readMIDIMessage(ByteChunk* data, int& position, PatchFile* file, int mode, int program);
  // Reads every dump of the first `size` bytes of `chunk` into `file`, then
  // pads it to 128 slots. Returns how many of the dumps were whole: from F0 to F7 at the size of
  // a sound or Multi dump; only a file holding one is a bank.
  int loadFromChunk(ByteChunk* chunk, int size, PatchFile* file);
  // Searches from `position` for `byte`: true with `position` just past it;
  // false with `position` -1 when the data ends first or `position` is invalid.
  static bool findByte(ByteChunk* data, int& position, int byte);

  // --- Sizing and splitting ---
  // Pads a freshly read bank to 128 slots with numbered init dumps.
  void checkBankSizeAndAddData(PatchFile* file);
  // Pads a bank to 128 slots with plain init dumps of the first slot's kind.
  void fillUncompletedBankFiles(PatchFile* file);
  // Makes, writes and lists piece `block` + 1 of the sounds or Multis of
  // `source`, in the source's folder. False when the piece's file could not be written.
  bool createNewPatchFile(PatchFile* source, const std::string& folderName,
                          const std::string& fileName, const std::string& extension,
                          const std::string& path, int origin, int block, bool midi, bool multis);
  // Splits a bank of more than 128 slots into files of 128 beside `path`,
  // sounds first. Either every piece is written and listed (true), or none is
  // left behind (false). undoSplit() takes back the pieces of the last split.
  bool splitBankFile(PatchFile* source, const std::string& folderName, const std::string& fileName,
                     const std::string& extension, const std::string& path, int origin);
  void undoSplit();

  // --- Conversion of older synthesizers' sound dumps ---
  static void alterPatchFromVelaFormat(PatchSysexMessage* dump);
  static void alterPatchFromNimbraFormat(PatchSysexMessage* dump);
  static void alterCategoryFormatToInt(PatchSysexMessage* dump);

  // --- Answers to librarian requests ---
  // What a slot held before a request wrote it, so that a cancelled request puts back only
  // the slots it changed.
  struct SlotChange {
    PatchFile* file = nullptr;
    int slot = -1;
    LibrarianPatch before;
  };
  // Stores a copy of `record` in the selected slot of the upper bank (its sounds or Multis by
  // type), making the bank exactly 128 slots first. False, with nothing changed, when there is
  // no upper bank, the selected program lies outside 0..127 or the record's first dump is not of
  // the bank's kind. `change`, when given, receives what the slot held.
  bool setSysexDatatoSelectedSlot(const LibrarianPatch* record, SlotChange* change = nullptr);
  // The same into slot `slot` of `file`, which must still be a listed bank of sounds or Multis.
  bool setSysexDataToSlot(PatchFile* file, int slot, const LibrarianPatch* record,
                          SlotChange* change = nullptr);
  // Puts a slot back as it was; false when its bank is no longer listed.
  bool restoreSlot(const SlotChange& change);

  // The bank a list of the bank view shows: list 0 the upper bank (sounds or Multis by type);
  // any other the lower bank, from the category banks for a lower-list kind of 1, the search
  // results for 4, else by type. Null when the index names none. The caller holds the lock.
  PatchFile* listedFile(int list, int lowerListKind) const;

  // Deletes the nodes of one folder tree: 0 sounds, 1 Multis, 2 categories,
  // 3 search results; other kinds do nothing.
  void clearDataStructures(int kind);

  // --- State ---
  // Selections and the mode are read by the MIDI input thread and the job
  // lanes as well as the editor.
  std::atomic<int> upperFileIndex{0};
  std::atomic<int> lowerFileIndex{0};
  std::atomic<int> type{0};  // 0 sounds, 1 Multis
  std::atomic<int> selectedProgram{0};
  std::atomic<int> lowerSelectedProgram{0};
  // The bank being split during a scan.
  int splitCount = 0;
  bool splitFlag = false;

  std::vector<std::string> folderList;
  PatchFileList soundFiles;
  PatchFileList multiFiles;
  PatchFileList searchResultFiles;
  PatchFileList categoryFiles;
  FolderTree soundFolders;
  FolderTree multiFolders;
  FolderTree searchResultFolders;
  FolderTree categoryFolders;

 private:
  // `whole`, when given, tells whether the dump appended was whole (see loadFromChunk).
  int readDump(ByteChunk* data, int& position, PatchFile* file, int mode, int program, bool midi,
               bool* whole = nullptr);
  // Drops `file` from every list, which frees it.
  void discard(const PatchFile* file);
  void discardAllFiles();
  // A line tagged as the librarian's.
  void log(const std::string& message) const;
  // False while the log writes nothing, so that lines made per file need not be composed.
  bool logging() const { return !mLog || mLog->IsOn(); }
  PatchFile* upperBank() const;
  ByteChunk upperBankBytes(bool midi) const;
  // Places `file` in `tree` by its folder path, three levels deep at most.
  static void placeIntoTree(FolderTree& tree, PatchFile* file);

  std::recursive_mutex mMutex;
  TK_LogSink* mLog = nullptr;
  // Banks that stand in a folder tree but in no file list.
  PatchFileList mUnlisted;
  // The file buffer a running scan lends to each file it loads.
  std::unique_ptr<ByteChunk> mScanBytes;
  // Paths of the pieces the last split has written and listed, for its roll-back.
  std::vector<std::pair<std::string, PatchFile*>> mSplitPieces;
  // A bank was split and its file moved aside, and nobody was told yet.
  bool mSplitUntold = false;
};
