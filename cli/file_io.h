#pragma once
// Files the tool reads and writes, named by UTF-8 paths on every system.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
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

// Reads nothing when the file holds more than `maxBytes`, so a wrong file cannot exhaust memory. "-" is
// `standardInput`; a pipe, a FIFO or a device (process substitution, /dev/stdin) is read to its end, no further
// than `maxBytes`: only a regular file has a size to ask for.
FileBytes ReadFileBytes(std::string_view utf8Path, uint64_t maxBytes, std::istream& standardInput);

// Writes `text` to a new file beside the target, syncs it to the disk and renames it over the target, so that a
// failed write or a power cut never leaves half a file. The new file keeps the old one's mode and group. A
// symbolic link at the target is refused. "-" writes to `standardOutput`. Returns the problem, or "" when it worked.
std::string ReplaceFile(std::string_view utf8Path, std::string_view text, std::ostream& standardOutput);

}  // namespace ctl
