#include "cli/progress_bar.h"

namespace ctl {

std::string ProgressLine(size_t done, size_t total, size_t width) {
  if (done > total) done = total;
  const size_t filled = total == 0 ? width : done * width / total;
  const size_t percent = total == 0 ? 100 : done * 100 / total;
  const std::string percentText = std::to_string(percent) + "%";
  std::string line;
  line.reserve(width + 48);
  line.append("[").append(filled, '#').append(width - filled, '.').append("] ");
  line.append(4 - percentText.size(), ' ').append(percentText).append("  ");
  line.append(std::to_string(done)).append("/").append(std::to_string(total)).append(" bytes");
  return line;
}

}  // namespace ctl
