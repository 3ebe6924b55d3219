#pragma once
// The printers find the start of a label by their sensor (gap, black mark) and must be told which one the paper
// needs. Before a job whose media-type asks for another sensor than the printer is set to, the printer is set
// through the same read, batch and read-back as `quorvelctl set --sensor`.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "cli/settings_session.h"
#include "platform/interfaces/printer_device.h"

namespace print_app {

// The media-type keywords the drivers offer.
inline constexpr std::string_view kMediaContinuous = "continuous";
inline constexpr std::string_view kMediaGapLabels = "labels";
inline constexpr std::string_view kMediaMarkLabels = "labels-black-mark";

// The sensor type (0 gap, 1 black mark, 2 continuous) a media-type needs; none for a keyword we do not know.
std::optional<int> SensorForMediaType(std::string_view mediaType);

struct SensorStep {
  enum Kind {
    AlreadySet,  // the printer's sensor was right; nothing written
    Changed,     // written and read back
    Failed,      // could not write or confirm it: the job still prints, and says so
    NoAnswer,    // the printer sent no settings back (a print server's port may pass nothing back)
    NotNeeded,   // the media-type names no sensor
  } kind = NotNeeded;
  std::string text;  // for the log and the job's message
};

// Reads the printer's settings through `printer` (already open, held for the job) and sets its sensor when it
// differs from what `mediaType` needs.
SensorStep FollowMediaType(platform::PrinterConnection& printer, std::string_view printerName,
                           std::string_view mediaType, const ctl::Pause& pause,
                           std::chrono::milliseconds settle = ctl::SetRequest{}.settle);

}  // namespace print_app
