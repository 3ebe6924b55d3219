#pragma once
// The printer's own page in the web interface: its model and its settings as the printer reports them, read
// through the same frame decoding as the main window and `quorvelctl read`.
#include <optional>
#include <string>

#include "cli/frame_exchange.h"

namespace print_app {

struct PrinterReport {
  std::string model;                      // from the model table; empty when unknown
  std::optional<ctl::FrameBytes> frame;   // the last settings read
  std::string readAt;                     // when, for people: "2026-12-10 10:04:11"
  std::string problem;                    // why the last look found no settings, when it did not
};

// The page's body (HTML; every text from the printer is escaped).
std::string SettingsPageBody(const PrinterReport& report);

std::string HtmlEscaped(std::string_view text);

}  // namespace print_app
