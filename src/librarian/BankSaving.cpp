#include <filesystem>
#include <memory>
#include <system_error>

#include "src/librarian/BankFormat.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

bool isMidiName(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || fileName.size() - dot != 4) return false;
  std::string extension = fileName.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return extension == "mid";
}

// A file name that holds nothing but an extension once its blanks are trimmed (".kro"), or
// nothing at all: it would make a hidden file that no list shows, not the bank the musician named.
bool nameless(const std::string& path) {
  const std::string stem = LibrarianFiles::stemOf(LibrarianFiles::fileNameOf(path));
  return stem.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

PatchFile* PatchLibrarian::upperBank() const {
  const PatchFileList& files = type == 1 ? multiFiles : soundFiles;
  const int index = upperFileIndex;
  return index >= 0 && index < (int)files.size() ? files[index] : nullptr;
}

// Always a whole bank: extra slots are dropped, missing ones write nothing.
ByteChunk PatchLibrarian::upperBankBytes(bool midi) const {
  const std::unique_ptr<PatchFile> copy = upperBank()->clone();
  copy->records.resize(DumpLayout::kBankSlots);
  return BankFormat::bankBytes(*copy, midi);
}

bool PatchLibrarian::saveEditedPatch(std::string path, std::string fileName) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  PatchFile* bank = upperBank();
  if (!bank) return false;
  const ByteChunk bytes = upperBankBytes(isMidiName(fileName));
  if (!LibrarianFiles::writeFile(path, bytes, true)) return false;
  if (LibrarianFiles::canonicalPath(path) == bank->path) bank->contents = FileContents::of(bytes);
  return true;
}

bool PatchLibrarian::upperBankFileChanged(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const PatchFile* bank = upperBank();
  std::error_code error;
  // A link that names nothing is replaced by the new file, as a missing file is written anew.
  if (!bank || !bank->contents.known() || !std::filesystem::exists(path, error)) return false;
  ByteChunk bytes;
  return !LibrarianFiles::readFile(path, bytes) || FileContents::of(bytes) != bank->contents;
}

bool PatchLibrarian::savePatchAs(const char* name, std::string folder, bool midi,
                                 const FilePrompt& prompt, SavedFile* saved) {
  const std::string chosen = prompt(name ? name : "", folder, midi ? "mid" : "kro");
  if (chosen.empty() || nameless(chosen)) return false;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (!upperBank() || !LibrarianFiles::writeFile(chosen, upperBankBytes(midi), true)) return false;
  const std::filesystem::path written = LibrarianFiles::canonicalPath(chosen);
  if (saved)
    *saved = SavedFile{written.parent_path().filename().string(), written.filename().string(),
                       written.string()};
  return true;
}
