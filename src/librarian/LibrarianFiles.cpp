#include "src/librarian/LibrarianFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace LibrarianFiles {
namespace {

bool writeAll(int fd, const uint8_t* data, int size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, (size_t)size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= (int)n;
  }
  return true;
}

// Across file systems a move is a copy under the new name, then the removal
// of the source; a source that cannot be removed takes its copy back.
bool copyThenRemove(const std::string& from, const std::string& to) {
  if (exists(to)) {
    errno = EEXIST;
    return false;
  }
  ByteChunk bytes;
  if (!readFile(from, bytes) || !writeFile(to, bytes, false)) {
    errno = EIO;
    return false;
  }
  if (::unlink(from.c_str()) == 0) return true;
  const int error = errno;
  ::unlink(to.c_str());
  errno = error;
  return false;
}

// Gives `from` the name `to` unless `to` exists; errno is EEXIST only when the
// name was taken. Hard links make the test and the move one step; file systems
// without them fall back to a checked rename.
bool renameNoReplace(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(to.c_str());
    errno = error;
    return false;
  }
  if (errno == EEXIST) return false;
  if (errno == EXDEV) return copyThenRemove(from, to);
  if (exists(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// A regular file (or the one a link names) opened for reading, `st` its status; -1 for anything
// else. Only regular files: opening a named pipe would wait for a writer.
int openRegular(const std::string& path, struct stat& st) {
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  ::close(fd);
  return -1;
}

// Whether the user may write the file at `path`, whose status is `st`: see writeFile.
bool writable(const std::string& path, const struct stat& st) {
  return (st.st_mode & S_IWUSR) && ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

bool writeFile(const std::string& path, const ByteChunk& bytes, bool replace) {
  // A file that is replaced keeps its mode, and a link to it stays a link:
  // the bytes go to the file it points to.
  std::string target = path;
  mode_t mode = 0644;
  struct stat st;
  if (replace && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    if (!writable(path, st)) {
      errno = EACCES;
      return false;
    }
    target = canonicalPath(path);
    mode = st.st_mode & 07777;
  }
  // A name of its own beside the target, short whatever the target's name.
  const std::string folder = folderOf(target);
  std::vector<char> temp(folder.begin(), folder.end());
  const char name[] = ".partial-XXXXXX";
  temp.insert(temp.end(), name, name + sizeof(name));
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode) == 0;
  ok = writeAll(fd, bytes.Data(), bytes.Size()) && ok;
  ok = (::close(fd) == 0) && ok;
  if (ok) {
    ok = replace ? ::rename(temp.data(), target.c_str()) == 0
                 : renameNoReplace(temp.data(), target.c_str());
  }
  if (!ok) ::unlink(temp.data());
  return ok;
}

bool readFile(const std::string& path, ByteChunk& out) {
  struct stat st;
  const int fd = openRegular(path, st);
  if (fd < 0) return false;
  bool ok = st.st_size <= kMaxFileSize;
  if (ok) ok = out.SetSize((int)st.st_size) >= 0;
  int done = 0;
  while (ok && done < out.Size()) {
    const ssize_t n = ::read(fd, out.Data() + done, (size_t)(out.Size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the file shrank: keep what was read
    done += (int)n;
  }
  ::close(fd);
  if (ok) out.SetSize(done);
  return ok;
}

long long readableSize(const std::string& path) {
  struct stat st;
  const int fd = openRegular(path, st);
  if (fd < 0) return -1;
  ::close(fd);
  return st.st_size;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string freeName(const std::string& folder, const std::string& stem,
                     const std::string& extension) {
  const std::string dotted = extension.empty() ? "" : "." + extension;
  std::string path = folder + stem + dotted;
  for (int n = 2; exists(path); ++n) path = folder + stem + " (" + std::to_string(n) + ")" + dotted;
  return path;
}

std::string moveAside(const std::string& from, const std::string& folder) {
  const std::string name = fileNameOf(from);
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  // Another process may take the chosen name first; then try the next one.
  for (int attempt = 0; attempt < 100 && exists(from); ++attempt) {
    const std::string to = freeName(folder, stemOf(name), extension);
    if (renameNoReplace(from, to)) return to;
    if (errno != EEXIST) break;
  }
  return "";
}

std::string canonicalPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
  if (error) return path;
  // A path written with a closing separator keeps no empty last part.
  if (!canonical.has_filename() && canonical.has_parent_path() &&
      canonical != canonical.root_path())
    canonical = canonical.parent_path();
  return canonical.string();
}

std::string folderOf(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string fileNameOf(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string stemOf(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace LibrarianFiles
