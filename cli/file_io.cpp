#include "cli/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ctl {

namespace fs = std::filesystem;

namespace {

// Only a file that did not exist: never one that another program put there meanwhile.
std::FILE* OpenNew(const fs::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wbx");
#else
  return std::fopen(path.c_str(), "wbx");
#endif
}

// The bytes on the disk before the rename makes them the file, so that a power cut leaves the old file or the new
// one, never an empty one.
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return ::fsync(::fileno(file)) == 0;
#endif
}

void SyncFolderOf(const fs::path& path) {
#ifndef _WIN32
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#else
  (void)path;
#endif
}

// The old file's mode and group (and owner, where we may) on its replacement: a profile kept private, or shared
// with a group, stays so.
void KeepModeAndOwner(const fs::path& target, std::FILE* replacement) {
#ifndef _WIN32
  struct stat old {};
  if (::stat(target.c_str(), &old) != 0) return;
  const int fd = ::fileno(replacement);
  ::fchmod(fd, old.st_mode & 07777);
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
#else
  (void)target;
  (void)replacement;
#endif
}

// Reads to the end, but never keeps more than `maxBytes`.
FileBytes ReadStream(std::istream& stream, uint64_t maxBytes) {
  FileBytes file;
  char buffer[64 * 1024];
  while (stream.read(buffer, sizeof(buffer)) || stream.gcount() > 0) {
    file.bytes.insert(file.bytes.end(), buffer, buffer + stream.gcount());
    if (file.bytes.size() > maxBytes) {
      file.bytes.clear();
      file.error = "holds more than the " + std::to_string(maxBytes) + " bytes allowed";
      return file;
    }
  }
  if (stream.bad()) {
    file.bytes.clear();
    file.error = "could not be read whole";
    return file;
  }
  file.ok = true;
  return file;
}

std::string SystemReason(const char* what) {
  const int error = errno;
  return error != 0 ? std::string(what) + ": " + std::strerror(error) : std::string(what);
}

}  // namespace

fs::path PathOfUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

FileBytes ReadFileBytes(std::string_view utf8Path, uint64_t maxBytes, std::istream& standardInput) {
  if (utf8Path == "-") return ReadStream(standardInput, maxBytes);
  FileBytes file;
  const fs::path path = PathOfUtf8(utf8Path);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error) {
    file.error = error.message();
    return file;
  }
  if (fs::is_directory(status)) {
    file.error = "is a folder, not a file";
    return file;
  }
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    file.error = "cannot be opened for reading";
    return file;
  }
  if (!fs::is_regular_file(status)) return ReadStream(stream, maxBytes);
  const uintmax_t size = fs::file_size(path, error);
  if (error) {
    file.error = error.message();
    return file;
  }
  if (size > maxBytes) {
    file.error = "holds " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) + " allowed";
    return file;
  }
  file.bytes.resize(static_cast<size_t>(size));
  stream.read(reinterpret_cast<char*>(file.bytes.data()), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(stream.gcount()) != size) {
    file.error = "could not be read whole";
    file.bytes.clear();
    return file;
  }
  file.ok = true;
  return file;
}

std::string ReplaceFile(std::string_view utf8Path, std::string_view text, std::ostream& standardOutput) {
  if (utf8Path == "-") {
    standardOutput << text << std::flush;
    return standardOutput ? "" : "standard output could not be written";
  }
  const fs::path path = PathOfUtf8(utf8Path);
  std::error_code error;
  // Renaming over a symbolic link would replace the link, not the file it points to; neither is what was meant.
  if (fs::is_symlink(fs::symlink_status(path, error))) return "is a symbolic link; give the file it points to";
  if (fs::is_directory(path, error)) return "is a folder, not a file";

  // A new file beside the target, on the same file system, so that the rename replaces the target at once.
  fs::path temporary;
  std::FILE* file = nullptr;
  std::random_device random;
  for (int attempt = 0; attempt < 16 && !file; ++attempt) {
    temporary = path;
    temporary += "." + std::to_string(random()) + ".tmp";
    file = OpenNew(temporary);
  }
  if (!file) return SystemReason("cannot be created: no new file could be made beside it");
  KeepModeAndOwner(path, file);
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 &&
                       SyncToDisk(file);
  std::string problem = written ? "" : SystemReason("could not be written");
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) problem = SystemReason("could not be written");
  if (!problem.empty()) {
    fs::remove(temporary, error);
    return problem;
  }
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return error.message();
  }
  SyncFolderOf(path);
  return {};
}

}  // namespace ctl
