#pragma once

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
