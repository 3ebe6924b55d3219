#include "cli/seconds_text.h"

namespace ctl {

std::string SecondsText(std::chrono::milliseconds time) {
  const long long ms = time.count();
  std::string text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text + " s";
}

}  // namespace ctl
