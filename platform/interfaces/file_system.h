#pragma once
// Files the programs read (the skin folder, firmware images, the program's own folder) and the few that the
// installer's helper writes beside itself. Paths are UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FileContents {
  bool ok = false;
  std::vector<uint8_t> bytes;
  std::string error;      // the system's description of the failure when !ok
  bool tooLarge = false;  // not read: the file holds more than the caller's limit
};

struct FileChange {
  bool ok = false;
  std::string error;  // the system's description of the failure when !ok
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Folder of the running executable, without a trailing backslash.
  virtual std::string ProgramFolder() = 0;

  // The system folder, where the programs that Windows provides live, without a trailing backslash.
  virtual std::string SystemFolder() = 0;

  // Full paths of the files in `folder`, in the order the file system lists them; empty when it cannot be read.
  virtual std::vector<std::string> ListFiles(std::string_view folder) = 0;

  // True when `path` names an existing file, read-only, hidden and system files included.
  virtual bool FileExists(std::string_view path) = 0;

  // Reads nothing when the file holds more than `maxBytes`, so a wrong file cannot exhaust memory.
  virtual FileContents ReadWholeFile(std::string_view path, uint64_t maxBytes) = 0;

  // Replaces the file's contents as one step: a reader sees the old bytes or the new ones, never a part.
  virtual FileChange WriteWholeFile(std::string_view path, const std::vector<uint8_t>& bytes) = 0;

  // Deletes the file; a file that is not there is no failure.
  virtual FileChange RemoveFile(std::string_view path) = 0;
};

}  // namespace platform
