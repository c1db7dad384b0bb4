#pragma once

#include <unistd.h>

#include "BankFixtures.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/plugin/base/ByteChunk.h"

// File images read through the librarian's readers.
namespace fixtures {

inline ByteChunk chunkOf(const Bytes& bytes) {
  ByteChunk chunk;
  chunk.AppendBytes(bytes.data(), (int)bytes.size());
  return chunk;
}

inline std::vector<std::string> fileNames(const PatchFileList& files) {
  std::vector<std::string> out;
  for (const PatchFile* f : files) out.push_back(f->fileName);
  return out;
}

// A name as stored, without the blanks that fill it.
inline std::string trimmed(const std::string& name) {
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

// A slot holding `dump`, its name and a sound's category parsed as the readers do.
inline LibrarianPatch slotOf(Bytes dump) {
  const bool multi = dump.size() > 4 && dump[4] == 0x11;
  LibrarianPatch slot;
  slot.messages.push_back(PatchSysexMessage{std::move(dump)});
  slot.parseName(multi ? 7 : 370);
  if (!multi) slot.parseCategory(386);
  return slot;
}

inline bool exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

inline Bytes bytesOf(const ByteChunk& chunk) {
  return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

// Reads a whole file image the way the folder scan does, padding included.
inline PatchFile load(const Bytes& bytes) {
  PatchLibrarian librarian;
  ByteChunk chunk = chunkOf(bytes);
  PatchFile file;
  librarian.loadFromChunk(&chunk, chunk.Size(), &file);
  return file;
}

// Reads dumps one call at a time, without padding.
inline PatchFile readAll(const Bytes& bytes, bool midi = false, int mode = 0) {
  PatchLibrarian librarian;
  ByteChunk chunk = chunkOf(bytes);
  PatchFile file;
  int position = midi ? 14 : 0;
  while ((midi ? librarian.readMIDIMessage(&chunk, position, &file, mode, 0)
               : librarian.readSysexMessage(&chunk, position, &file, mode, 0)) > 0) {
  }
  return file;
}

}  // namespace fixtures
