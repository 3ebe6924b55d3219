#pragma once
// How a print job's bytes reach the printer: all of them, in order, however long the printer holds off (no paper,
// cover open, busy). While it takes nothing the job says so, and after the stall limit the job stops with the
// reason; a printer that goes away ends the job at once.
#include <chrono>
#include <functional>
#include <span>
#include <string>

#include "platform/interfaces/printer_device.h"

namespace print_app {

// How often the job looks at a printer that takes nothing: each look is one bounded write of the waiting bytes.
inline constexpr std::chrono::milliseconds kStallLook{5000};
// How long a printer may take nothing before the job stops; an admin may change it (stall-limit).
inline constexpr std::chrono::seconds kDefaultStallLimit{300};

// What the job and the printer's state show while the printer holds off; the platform layer puts it into the
// job's state message and the printer's reasons.
struct StallReport {
  std::function<void(std::chrono::seconds stalledFor)> stalled;  // each look that found it still taking nothing
  std::function<void()> resumed;                                 // it took data again
  std::function<bool()> canceled;                                // the job was cancelled meanwhile
};

struct JobWrite {
  bool complete = false;
  size_t taken = 0;
  std::string problem;  // for the job's state message when not complete
};

JobWrite WriteJobBytes(platform::PrinterConnection& printer, std::span<const uint8_t> bytes,
                       std::chrono::milliseconds stallLimit, const StallReport& report);

// "the printer took no data for 20 s", the message of a stalled job and of the printer's offline reason.
std::string StallText(std::chrono::seconds stalledFor);

}  // namespace print_app
