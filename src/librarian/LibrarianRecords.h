#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

class ByteChunk;

// Offsets and sizes of the two dumps a bank holds, counted from the opening F0.
namespace DumpLayout {
constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kModelCorvane = 0x13;
constexpr uint8_t kModelNimbra = 0x10;
constexpr uint8_t kModelVela = 0x0F;
constexpr uint8_t kTypeSound = 0x10;
constexpr uint8_t kTypeMulti = 0x11;
constexpr int kTypeOffset = 4;

constexpr int kSoundSize = 392;
constexpr int kSoundMinSize = 390;  // shorter sound dumps lack their name and category
constexpr int kSoundNameOffset = 370;
constexpr int kSoundCategoryOffset = 386;

constexpr int kMultiSize = 425;
constexpr int kMultiNameOffset = 7;

constexpr int kNameLength = 16;
constexpr int kBankSlots = 128;
}  // namespace DumpLayout

// One SysEx dump, F0 to F7 inclusive.
struct PatchSysexMessage {
  std::vector<uint8_t> bytes;

  // Appends the dump: raw, or as a SysEx event of a MIDI file track (delta,
  // F0, length, the dump from its second byte). Slot 0's first dump follows
  // the track header with delta 0; every other dump comes 500 ticks later.
  void save(ByteChunk* out, bool midi, int slot, int index) const;
};

// One slot of a bank.
struct LibrarianPatch {
  std::string name;
  std::string category;
  std::vector<PatchSysexMessage> messages;

  LibrarianPatch() = default;
  LibrarianPatch(const LibrarianPatch&) = default;
  LibrarianPatch& operator=(const LibrarianPatch&) = default;

  // Appends the four-character text of the category byte at `offset` of the
  // first message; values outside the table append nothing.
  void parseCategory(int offset);
  // Sets the name to the 16 bytes at `offset` of the first message, as they stand.
  void parseName(int offset);
};

// What identifies a bank file's contents: their size and a hash of their bytes. Not their time:
// two writes within one tick of the file system's clock leave the same time, and a file touched
// without a change loses nothing when it is replaced.
struct FileContents {
  long long size = -1;  // -1: none known
  size_t hash = 0;

  static FileContents of(const ByteChunk& bytes);
  bool known() const { return size >= 0; }
  bool operator==(const FileContents& other) const {
    return size == other.size && hash == other.hash;
  }
  bool operator!=(const FileContents& other) const { return !(*this == other); }
};

// One bank file, or one in-memory bank (category, search result).
struct PatchFile {
  int type = 0;         // 0 sounds, 1 Multis
  int sourceModel = 0;  // sounds 0..2 (Corvane, Nimbra, Vela), Multis 3..5
  std::vector<LibrarianPatch> records;
  std::string fileName;
  std::string folderName;
  std::vector<std::string> folderPath;  // "Patches" down to the holding folder
  // The file's canonical path (LibrarianFiles::canonicalPath), by which the file is found again
  // after a rescan; empty for an in-memory bank.
  std::string path = {};
  // What the file held when the librarian read it or last wrote it; none for an in-memory bank.
  FileContents contents = {};
  int origin = 0;

  // A copy for the writers: records, name and normalised type and model only.
  std::unique_ptr<PatchFile> clone() const;
};

// Banks a file list owns. Reading it gives plain pointers, valid while the bank stays listed.
class PatchFileList {
  using Owners = std::vector<std::unique_ptr<PatchFile>>;

 public:
  // Walks the banks as plain pointers.
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = PatchFile*;
    using difference_type = std::ptrdiff_t;
    using pointer = PatchFile* const*;
    using reference = PatchFile*;

    explicit const_iterator(Owners::const_iterator at) : mAt(at) {}
    PatchFile* operator*() const { return mAt->get(); }
    const_iterator& operator++() {
      ++mAt;
      return *this;
    }
    bool operator==(const const_iterator& other) const { return mAt == other.mAt; }
    bool operator!=(const const_iterator& other) const { return mAt != other.mAt; }
    difference_type operator-(const const_iterator& other) const { return mAt - other.mAt; }

   private:
    Owners::const_iterator mAt;
  };

  size_t size() const { return mFiles.size(); }
  bool empty() const { return mFiles.empty(); }
  PatchFile* operator[](size_t index) const { return mFiles[index].get(); }
  const_iterator begin() const { return const_iterator(mFiles.begin()); }
  const_iterator end() const { return const_iterator(mFiles.end()); }
  bool contains(const PatchFile* file) const;

  // Appends `file`, which the list owns from then on; returns it.
  PatchFile* push_back(std::unique_ptr<PatchFile> file);
  // Frees `file` when the list holds it.
  void drop(const PatchFile* file);
  void clear() { mFiles.clear(); }

 private:
  Owners mFiles;
};

struct SubFolderFiles2 {
  std::string name;
  std::vector<PatchFile*> files;  // not owned
};

struct SubFolderFiles {
  std::string name;
  std::vector<SubFolderFiles2> subFolders;
  std::vector<PatchFile*> files;  // not owned
};

struct FolderFiles {
  std::string name;
  std::vector<SubFolderFiles> subFolders;
  std::vector<PatchFile*> files;  // not owned

  FolderFiles() = default;
  FolderFiles(std::string& folderName, SubFolderFiles& sub);
};

// A folder tree of the librarian, which owns its nodes.
using FolderTree = std::vector<std::unique_ptr<FolderFiles>>;

// The four-character category texts by category byte; kCategoryCount rows.
constexpr int kCategoryCount = 13;
extern const char* const kCategoryNames[kCategoryCount];

// Removes every occurrence of each of `characters` from `text`.
void removeCharsFromString(std::string& text, const char* characters);

// A slot's name as the bank view draws it: up to its first zero byte, with every other byte
// outside printable ASCII as a blank. The slot itself keeps, and is searched by, the name as
// stored.
std::string drawnName(const std::string& name);
