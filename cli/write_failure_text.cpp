#include "cli/write_failure_text.h"

#include "cli/seconds_text.h"

namespace ctl {

std::string WriteFailureText(const platform::WriteResult& result, size_t total, std::chrono::milliseconds limit) {
  const std::string taken =
      "the printer took " + std::to_string(result.taken) + " of " + std::to_string(total) + " bytes, then ";
  if (result.ending == platform::WriteResult::TimedOut) {
    return taken + "nothing for " + SecondsText(limit) +
           ": it may be out of paper, have its cover open, be busy or be switched off";
  }
  return taken + "the device refused the rest";
}

}  // namespace ctl
