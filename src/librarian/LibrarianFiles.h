#pragma once

#include <string>

#include "toolkit/plugin/base/ByteChunk.h"

// File-system steps of the librarian that must never lose a file: whole-file
// writes through a temporary file, moves and new names that never replace
// what is there.
namespace LibrarianFiles {

// Bank files larger than this are not read.
constexpr long long kMaxFileSize = 16ll * 1024 * 1024;

// Writes `bytes` to `path` through a temporary file in the same folder, so a
// failed write leaves any old file whole; a replaced file keeps its mode and
// a link to it stays a link. With `replace` false an existing file is never
// touched and the write fails. A file the user may not write is never
// replaced, though its folder would let the rename do it: one the system
// refuses them, or one marked read-only (its owner may not write it), which
// holds for root too, whom the system refuses nothing. True when the file is
// complete.
bool writeFile(const std::string& path, const ByteChunk& bytes, bool replace);

// Reads a whole regular file (or one a link names) of at most kMaxFileSize bytes; false when it
// cannot, or for anything else (a named pipe, a device).
bool readFile(const std::string& path, ByteChunk& out);

// The size of the regular file (or the one a link names) at `path` when this process may open it
// for reading; -1 when it may not, or for anything else. Opens nothing that would wait.
long long readableSize(const std::string& path);

// True when something (a file, a folder, even a dangling link) has this path.
bool exists(const std::string& path);

// `folder` + `stem` + "." + `extension`, or with " (2)", " (3)"... before the
// dot when that name is taken. `folder` ends in a separator or is empty.
std::string freeName(const std::string& folder, const std::string& stem,
                     const std::string& extension);

// Moves `from` into `folder` (ending in a separator) under its own name, or a
// free numbered one, also onto another file system; never replaces a file.
// The new path, or "" on failure.
std::string moveAside(const std::string& from, const std::string& folder);

// The one spelling of a path: absolute, with every link, ".", ".." and repeated separator
// resolved. Where the path leads past what exists, the rest is tidied as written. Two paths name
// the same file when their canonical paths are equal.
std::string canonicalPath(const std::string& path);

// Splits a path at its last "/" or "\": the folder part with that separator,
// and the rest.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// A file name without its last "." and what follows.
std::string stemOf(const std::string& fileName);

}  // namespace LibrarianFiles
