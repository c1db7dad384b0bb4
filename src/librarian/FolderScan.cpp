#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

#include "platform/datafolder/DataFolder.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/log.h"

namespace {

// Files smaller than this hold too few dumps to be a bank.
constexpr long long kMinBankFileSize = 30001;
// Folders nested deeper than this are not followed (link loops end here too).
constexpr int kMaxFolderDepth = 32;

const char* const kAcceptedExtensions[] = {"mid", "syx", "kro", "vlx", "nbx"};
const char* const kConvertedBanksFolder = "Converted Banks/";

std::string lowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return text;
}

bool accepted(const std::string& extension) {
  return std::find_if(std::begin(kAcceptedExtensions), std::end(kAcceptedExtensions),
                      [&](const char* e) { return extension == e; }) !=
         std::end(kAcceptedExtensions);
}

// Listed by the scan, but other programs' files: no bank is read from them.
bool foreign(const std::string& extension) {
  return extension == "vlx" || extension == "nbx";
}

// Whether the scan reads banks from files of this name.
bool bankName(const std::string& fileName) {
  const std::string extension = lowerCase(Poco::Path(fileName).getExtension());
  return accepted(extension) && !foreign(extension);
}

// Large enough for a bank, and small enough to be read whole.
bool bankSize(long long size) {
  return size >= kMinBankFileSize && size <= LibrarianFiles::kMaxFileSize;
}

// Whether the scan loads the file at `path`: one this process may read (a regular one, or one a
// link names) of a bank's size.
bool loadable(const std::string& path) {
  return bankSize(LibrarianFiles::readableSize(path));
}

// The entries of a folder as full paths, in the order the file system lists them.
std::vector<std::string> entriesOf(const std::string& folder) {
  std::vector<std::string> entries;
  for (Poco::DirectoryIterator it(folder), end; it != end; ++it) entries.push_back(it->path());
  return entries;
}

// A folder reached twice (through a link) is listed once.
void collectFolders(const std::string& folder, std::vector<std::string>* list,
                    std::set<std::string>& visited, int depth,
                    const std::function<void(const std::string&)>& skipped) {
  if (depth > kMaxFolderDepth) return;
  std::vector<std::string> entries;
  try {
    entries = entriesOf(folder);
  } catch (const Poco::Exception& e) {
    skipped(folder + ": " + e.displayText());
    return;
  }
  for (const std::string& entry : entries) {
    try {
      if (!Poco::File(entry).isDirectory()) continue;
    } catch (const Poco::Exception& e) {
      skipped(entry + ": " + e.displayText());  // a dangling link, for one
      continue;
    }
    if (!visited.insert(LibrarianFiles::canonicalPath(entry)).second) continue;
    collectFolders(entry, list, visited, depth + 1, skipped);
    list->push_back(entry);
  }
}

}  // namespace

void PatchLibrarian::buildFolderStructure(const std::string& folder,
                                          std::vector<std::string>* list) {
  std::set<std::string> visited = {LibrarianFiles::canonicalPath(folder)};
  collectFolders(folder, list, visited, 0,
                 [this](const std::string& why) { log("skipped " + why); });
}

void PatchLibrarian::loadPatchesFromFilesystem(std::string patches) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  bool found = false;
  try {
    found = Poco::File(patches).isDirectory();
  } catch (const Poco::Exception&) {
  }
  if (!found) {
    TK_Log(mLog, "", "PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...");
    return;
  }
  folderList.clear();
  buildFolderStructure(patches, &folderList);
  std::sort(folderList.begin(), folderList.end());
  folderList.push_back(patches);
  const int patchesDepth = Poco::Path::forDirectory(patches).depth();
  // One buffer takes every file in turn: its pages are reused rather than fresh for each.
  mScanBytes = std::make_unique<ByteChunk>();

  for (const std::string& folder : folderList) {
    std::vector<std::string> entries;
    try {
      entries = entriesOf(folder);
    } catch (const Poco::Exception& e) {
      log("skipped " + folder + ": " + e.displayText());
      continue;
    }
    std::sort(entries.begin(), entries.end());
    for (const std::string& entry : entries) {
      try {
        const Poco::Path path(entry);
        const std::string extension = lowerCase(path.getExtension());
        if (!accepted(extension) || !loadable(entry)) continue;
        PatchFile* loaded =
            parseFolderFiles(Poco::File(entry), path, path.depth() - patchesDepth, 0, extension);
        if (loaded && loaded->type == 0) createSingleFolderFilesStructure(loaded, "");
        if (loaded && loaded->type == 1) createMultiFolderFilesStructure(loaded, "");
      } catch (const Poco::Exception& e) {
        log("skipped " + entry + ": " + e.displayText());
      } catch (const std::exception& e) {
        log("skipped " + entry + ": " + e.what());
      }
    }
  }
  mScanBytes.reset();
  clearDataStructures(2);
  categoryFiles.clear();
  createNewCategoryPatchFiles();
}

bool PatchLibrarian::isBankFile(const std::string& fileName, const std::string& path) {
  try {
    return bankName(fileName) && loadable(path);
  } catch (const Poco::Exception&) {
    return false;
  }
}

bool PatchLibrarian::readsAsBank(const std::string& path) {
  // Judged where the path stands, as the scan judges its entries: a link in a walked folder is a
  // bank there, wherever it leads.
  const std::filesystem::path standing(path);
  if (!isBankFile(standing.filename().string(), path)) return false;
  const std::string folder = LibrarianFiles::canonicalPath(standing.parent_path().string());
  // The folders the scan walks, each by its canonical path as the file's folder is.
  const std::string patches = DataFolder::patchesFolder();
  std::vector<std::string> folders;
  buildFolderStructure(patches, &folders);
  folders.push_back(patches);
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& scanned) {
    return LibrarianFiles::canonicalPath(scanned) == folder;
  });
}

bool PatchLibrarian::holdsBank(const std::string& fileName, ByteChunk& bytes) {
  if (!bankName(fileName) || !bankSize(bytes.Size())) return false;
  PatchFile bank;
  return loadFromChunk(&bytes, bytes.Size(), &bank) > 0;
}

bool PatchLibrarian::opensAsFileHolds(PatchFile* file, bool upperUnsaved, bool* readAgain) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (readAgain) *readAgain = false;
  if (file->path.empty()) return true;
  ByteChunk bytes;
  if (!LibrarianFiles::readFile(file->path, bytes)) {
    log("could not read file " + file->path);
    return false;
  }
  const FileContents now = FileContents::of(bytes);
  if (now == file->contents || (upperUnsaved && file == upperBank())) return true;
  PatchFile fresh;
  // More than a bank's slots would be split by a scan; taken here, a Save would cut them off.
  if (!bankSize(bytes.Size()) || loadFromChunk(&bytes, bytes.Size(), &fresh) == 0 ||
      fresh.type != file->type || fresh.records.size() > (size_t)DumpLayout::kBankSlots) {
    log("file " + file->path + " no longer holds the bank listed");
    return false;
  }
  fillUncompletedBankFiles(&fresh);
  fresh.records.resize(DumpLayout::kBankSlots);
  file->records = std::move(fresh.records);
  file->sourceModel = fresh.sourceModel;
  file->contents = now;
  if (readAgain) *readAgain = true;
  log("read file " + file->path + " again: it changed since it was read");
  return true;
}

PatchFile* PatchLibrarian::parseFolderFiles(Poco::File file, Poco::Path path, int depth, int origin,
                                            std::string extension) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  splitFlag = false;
  const std::string fullPath = path.toString();
  if (logging()) log("loading file " + fullPath);
  if (foreign(extension)) return nullptr;

  auto bank = std::make_unique<PatchFile>();
  bank->fileName = path.getFileName();
  bank->path = LibrarianFiles::canonicalPath(fullPath);
  const int folders = path.depth();
  bank->folderName = folders > 0 ? path.directory(folders - 1) : "";
  for (int i = std::max(0, folders - depth - 1); i < folders; ++i)
    bank->folderPath.push_back(path.directory(i));
  bank->origin = origin;

  ByteChunk own;
  ByteChunk& chunk = mScanBytes ? *mScanBytes : own;
  // A file that cannot be read (it went or grew since it was listed) is no bank: no menu offers it.
  if (!LibrarianFiles::readFile(file.path(), chunk)) {
    log("could not read file " + fullPath);
    return nullptr;
  }
  bank->contents = FileContents::of(chunk);
  if (loadFromChunk(&chunk, chunk.Size(), bank.get()) == 0) {
    log("no whole dump in file " + fullPath);
    return nullptr;
  }

  if (bank->records.size() > (size_t)DumpLayout::kBankSlots) {
    // The file stays where it is unless every piece is written and it can be
    // moved out of the scanned folders.
    const std::string aside = DataFolder::path() + kConvertedBanksFolder;
    try {
      Poco::File(aside).createDirectory();
    } catch (const Poco::Exception& e) {
      log("cannot make folder " + aside + ": " + e.displayText());
      return nullptr;
    }
    if (!splitBankFile(bank.get(), bank->folderName, bank->fileName, extension, fullPath, origin)) {
      log("could not split file " + fullPath);
      return nullptr;
    }
    // A file left in place would be split again by every reload.
    if (LibrarianFiles::moveAside(file.path(), aside).empty()) {
      undoSplit();
      log("could not move file " + fullPath);
    } else {
      log("moved file " + aside + " due to mismatching data in package!");
      mSplitUntold = true;
      // The pieces stand in the bank menus at once, among the files of their folder.
      for (const std::pair<std::string, PatchFile*>& piece : mSplitPieces)
        placeIntoTree(piece.second->type == 0 ? soundFolders : multiFolders, piece.second);
    }
    return nullptr;
  }

  fillUncompletedBankFiles(bank.get());
  bank->records.resize(DumpLayout::kBankSlots);
  PatchFileList& list = bank->type != 0 ? multiFiles : soundFiles;
  return list.push_back(std::move(bank));
}

bool PatchLibrarian::takeSplitNotice() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  return std::exchange(mSplitUntold, false);
}

void PatchLibrarian::initBankFilesOnDiscard(std::string patches) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  for (int kind = 0; kind < 4; ++kind) clearDataStructures(kind);
  discardAllFiles();
  loadPatchesFromFilesystem(patches);
}
