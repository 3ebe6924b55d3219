#include "cli/file_io.h"

#include <fstream>

namespace ctl {

namespace fs = std::filesystem;

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
  fs::path temporary = path;
  temporary += ".part";
  {
    std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
    if (!stream) return "cannot be created";
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.close();
    if (!stream) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return "could not be written";
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return error.message();
  }
  return {};
}

}  // namespace ctl
