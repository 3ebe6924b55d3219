#pragma once
// Files the tool reads and writes, named by UTF-8 paths on every system.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ctl {

std::filesystem::path PathOfUtf8(std::string_view utf8);

struct FileBytes {
  bool ok = false;
  std::vector<uint8_t> bytes;
  std::string error;  // why not, in the system's words, when !ok
};

// Reads nothing when the file holds more than `maxBytes`, so a wrong file cannot exhaust memory.
FileBytes ReadFileBytes(std::string_view utf8Path, uint64_t maxBytes);

// Writes `text` to a new file beside the target, syncs it to the disk and renames it over the target, so that a
// failed write or a power cut never leaves half a file. A symbolic link at the target is refused. Returns the
// problem, or "" when it worked.
std::string ReplaceFile(std::string_view utf8Path, std::string_view text);

}  // namespace ctl
