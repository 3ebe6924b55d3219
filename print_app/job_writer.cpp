#include "print_app/job_writer.h"

#include <algorithm>

namespace print_app {

std::string StallText(std::chrono::seconds stalledFor) {
  return "the printer took no data for " + std::to_string(stalledFor.count()) +
         " s (out of paper, cover open, or switched off?)";
}

JobWrite WriteJobBytes(platform::PrinterConnection& printer, std::span<const uint8_t> bytes,
                       std::chrono::milliseconds stallLimit, const StallReport& report) {
  JobWrite result;
  std::chrono::milliseconds stalled{0};
  bool reportedStall = false;
  while (result.taken < bytes.size()) {
    const std::chrono::milliseconds look = std::min(kStallLook, std::max(stallLimit - stalled,
                                                                         std::chrono::milliseconds{1}));
    printer.LimitWrites(look);
    const platform::WriteResult written = printer.Write(bytes.subspan(result.taken));
    result.taken += written.taken;
    if (written.taken > 0) {
      stalled = {};
      if (reportedStall && report.resumed) report.resumed();
      reportedStall = false;
    }
    if (written.ending == platform::WriteResult::Complete) continue;
    if (written.ending == platform::WriteResult::Failed || printer.Unplugged()) {
      result.problem = printer.Unplugged() ? "the printer was unplugged or switched off during the job"
                                           : "the printer refused the data";
      return result;
    }
    if (written.taken == 0) stalled += look;
    if (report.canceled && report.canceled()) {
      result.problem = "the job was cancelled";
      return result;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(stalled);
    if (stalled >= stallLimit) {
      result.problem = StallText(seconds) + "; the job was stopped";
      return result;
    }
    if (written.taken == 0 && report.stalled) {
      report.stalled(seconds);
      reportedStall = true;
    }
  }
  result.complete = true;
  return result;
}

}  // namespace print_app
