#pragma once
// The progress line of a long send on a terminal.
#include <cstddef>
#include <string>

namespace ctl {

// "[###############...............]  50%  1024/2048 bytes"
std::string ProgressLine(size_t done, size_t total, size_t width = 30);

}  // namespace ctl
