#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "src/librarian/LibrarianRecords.h"

class ByteChunk;

// The librarian: banks of 128 sounds or 128 Multis read from the bank files
// under the data folder, their folder trees, and the in-memory category and
// search banks. It owns every PatchFile in its four file lists and every
// FolderFiles node in its four trees.
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

  // Log lines are handed to this sink; without one nothing is composed.
  void setLogSink(std::function<void(const std::string&)> sink) { mLogSink = std::move(sink); }

  // --- Reading (bank files) ---
  // Reads at most one dump from `position` and appends it as a slot of `file`.
  // Returns the new position, or -1 once the data is exhausted.
  int readSysexMessage(ByteChunk* data, int& position, PatchFile* file, int mode, int program);
  int readMIDIMessage(ByteChunk* data, int& position, PatchFile* file, int mode, int program);
  // Reads every dump of the first `size` bytes of `chunk` into `file`, then
  // pads it to 128 slots.
  void loadFromChunk(ByteChunk* chunk, int size, PatchFile* file);
  // Searches from `position` for `byte`: true with `position` just past it;
  // false with `position` -1 when the data ends first or `position` is invalid.
  static bool findByte(ByteChunk* data, int& position, int byte);

  // --- Sizing and splitting ---
  // Pads a freshly read bank to 128 slots with numbered init dumps.
  void checkBankSizeAndAddData(PatchFile* file);
  // Pads a bank to 128 slots with plain init dumps of the first slot's kind.
  void fillUncompletedBankFiles(PatchFile* file);
  // Makes, writes and lists piece `block` + 1 of the sounds or Multis of
  // `source`. False when the piece's file could not be written.
  bool createNewPatchFile(PatchFile* source, const std::string& folderName,
                          const std::string& fileName, const std::string& extension,
                          const std::string& path, int origin, int block, bool midi, bool multis);
  // Splits a bank of more than 128 slots into files of 128 beside `path`,
  // sounds first. Either every piece is written and listed (true), or none is
  // left behind (false).
  bool splitBankFile(PatchFile* source, const std::string& folderName, const std::string& fileName,
                     const std::string& extension, const std::string& path, int origin);

  // --- Conversion of older synthesizers' sound dumps ---
  static void alterPatchFromVelaFormat(PatchSysexMessage* dump);
  static void alterPatchFromNimbraFormat(PatchSysexMessage* dump);
  static void alterCategoryFormatToInt(PatchSysexMessage* dump);

  // Deletes the nodes of one folder tree: 0 sounds, 1 Multis, 2 categories,
  // 3 search results; other kinds do nothing.
  void clearDataStructures(int kind);

  // --- State ---
  int upperFileIndex = 0;
  int lowerFileIndex = 0;
  int splitCount = 0;
  int type = 0;  // 0 sounds, 1 Multis
  bool splitFlag = false;
  int selectedProgram = 0;
  int lowerSelectedProgram = 0;

  std::vector<std::string> folderList;
  std::vector<PatchFile*> soundFiles;
  std::vector<PatchFile*> multiFiles;
  std::vector<PatchFile*> searchResultFiles;
  std::vector<PatchFile*> categoryFiles;
  std::vector<FolderFiles*> soundFolders;
  std::vector<FolderFiles*> multiFolders;
  std::vector<FolderFiles*> searchResultFolders;
  std::vector<FolderFiles*> categoryFolders;

 private:
  int readDump(ByteChunk* data, int& position, PatchFile* file, int mode, int program, bool midi);
  // Drops `file` from the lists it stands in and keeps it until the librarian
  // ends, so that views still pointing at it stay valid.
  void retire(PatchFile* file);
  void log(const std::string& line) const;

  std::recursive_mutex mMutex;
  std::function<void(const std::string&)> mLogSink;
  std::vector<PatchFile*> mRetired;
  // Paths of the pieces the running split has written, for its roll-back.
  std::vector<std::pair<std::string, PatchFile*>> mSplitPieces;
};
