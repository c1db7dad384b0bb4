#include "src/librarian/LibrarianRecords.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

#include "src/librarian/BankFormat.h"
#include "toolkit/plugin/base/ByteChunk.h"

const char* const kCategoryNames[kCategoryCount] = {"Init", "Arp ", "Atmo", "Bass", "Drum",
                                                    "FX  ", "Keys", "Lead", "Mono", "Pad ",
                                                    "Perc", "Poly", "Seq "};

void PatchSysexMessage::save(ByteChunk* out, bool midi, int slot, int index) const {
  if (bytes.empty()) return;
  if (!midi) {
    out->AppendBytes(bytes.data(), (int)bytes.size());
    return;
  }
  const bool firstEvent = slot == 0 && index == 0;
  // The F0 is the event's status; the rest of the dump is its data.
  const int skip = bytes[0] == 0xF0 ? 1 : 0;
  BankFormat::appendSysexEvent(out, firstEvent ? 0 : BankFormat::kTicksBetweenDumps,
                               bytes.data() + skip, (int)bytes.size() - skip);
}

void LibrarianPatch::parseCategory(int offset) {
  if (messages.empty() || offset < 0 || offset >= (int)messages[0].bytes.size()) return;
  const uint8_t value = messages[0].bytes[offset];
  if (value < kCategoryCount) category.append(kCategoryNames[value], 4);
}

void LibrarianPatch::parseName(int offset) {
  if (messages.empty()) return;
  const std::vector<uint8_t>& dump = messages[0].bytes;
  const int available = std::max(0, std::min(DumpLayout::kNameLength, (int)dump.size() - offset));
  name.assign(available ? (const char*)dump.data() + offset : "", (size_t)available);
}

FileContents FileContents::of(const ByteChunk& bytes) {
  const std::string_view view(reinterpret_cast<const char*>(bytes.Data()),
                              static_cast<size_t>(bytes.Size()));
  return {bytes.Size(), std::hash<std::string_view>{}(view)};
}

std::unique_ptr<PatchFile> PatchFile::clone() const {
  auto copy = std::make_unique<PatchFile>();
  if (type != 0) {
    copy->type = 1;
    copy->sourceModel = (sourceModel == 4 || sourceModel == 5) ? sourceModel : 3;
  } else {
    copy->type = 0;
    copy->sourceModel = (sourceModel == 1 || sourceModel == 2) ? sourceModel : 0;
  }
  copy->records = records;
  copy->fileName = fileName;
  return copy;
}

bool PatchFileList::contains(const PatchFile* file) const {
  return std::find(begin(), end(), file) != end();
}

PatchFile* PatchFileList::push_back(std::unique_ptr<PatchFile> file) {
  mFiles.push_back(std::move(file));
  return mFiles.back().get();
}

void PatchFileList::drop(const PatchFile* file) {
  const auto owner =
      std::find_if(mFiles.begin(), mFiles.end(),
                   [file](const std::unique_ptr<PatchFile>& f) { return f.get() == file; });
  if (owner != mFiles.end()) mFiles.erase(owner);
}

FolderFiles::FolderFiles(std::string& folderName, SubFolderFiles& sub)
    : name(folderName), subFolders{sub} {}

void removeCharsFromString(std::string& text, const char* characters) {
  for (const char* c = characters; *c; ++c)
    text.erase(std::remove(text.begin(), text.end(), *c), text.end());
}

std::string drawnName(const std::string& name) {
  std::string drawn = name.substr(0, name.find('\0'));
  for (char& c : drawn)
    if (c < 0x20 || c > 0x7E) c = ' ';
  return drawn;
}
