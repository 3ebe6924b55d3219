#include "cli/firmware_download.h"

#include <algorithm>

#include "config_tool/params/command_set.h"

namespace ctl {

FirmwareResult DownloadFirmware(platform::PrinterConnection& connection, std::span<const uint8_t> image,
                                const std::function<void(size_t sent, size_t total)>& progress,
                                const std::function<bool()>& stopRequested) {
  FirmwareResult result;
  const std::vector<uint8_t> command = quorvel::ToBytes(quorvel::CommandLine(quorvel::command::kFirmwareUpgrade));
  result.lastWrite = connection.Write(command);
  if (!result.lastWrite) return result;
  result.commandSent = true;
  progress(0, image.size());
  while (result.imageBytesSent < image.size()) {
    if (stopRequested && stopRequested()) {
      result.stopped = true;
      return result;
    }
    const size_t piece = std::min(kFirmwareChunk, image.size() - result.imageBytesSent);
    result.lastWrite = connection.Write(image.subspan(result.imageBytesSent, piece));
    result.imageBytesSent += result.lastWrite.taken;
    if (!result.lastWrite) return result;
    progress(result.imageBytesSent, image.size());
  }
  result.complete = true;
  return result;
}

}  // namespace ctl
