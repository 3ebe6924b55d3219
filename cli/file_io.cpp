#include "cli/file_io.h"

#include <cstdio>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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

}  // namespace

fs::path PathOfUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

FileBytes ReadFileBytes(std::string_view utf8Path, uint64_t maxBytes) {
  FileBytes file;
  const fs::path path = PathOfUtf8(utf8Path);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    file.error = "is a folder, not a file";
    return file;
  }
  const uintmax_t size = fs::file_size(path, error);
  if (error) {
    file.error = error.message();
    return file;
  }
  if (size > maxBytes) {
    file.error = "holds " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) + " allowed";
    return file;
  }
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    file.error = "cannot be opened for reading";
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

std::string ReplaceFile(std::string_view utf8Path, std::string_view text) {
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
  if (!file) return "cannot be created: no new file could be made beside it";
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 &&
                       SyncToDisk(file);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    fs::remove(temporary, error);
    return "could not be written";
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
