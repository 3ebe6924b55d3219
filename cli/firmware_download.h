#pragma once
// A firmware download through the device file: "PROGRAME UPGRADE", then the image, as the console sends them.
#include <chrono>
#include <functional>
#include <span>

#include "platform/interfaces/printer_device.h"

namespace ctl {

// Images larger than the console's send buffer are refused there too.
inline constexpr size_t kLargestFirmwareImage = 3'000'001;

// The image goes out in pieces of this size, so the progress can be shown; the printer sees one byte stream.
inline constexpr size_t kFirmwareChunk = 4096;

// How long a firmware download's writes wait for the printer to take any data, unless --timeout says otherwise.
// Its bootloader holds the host off while it erases its flash for the image: a limit shorter than that erase would
// stop the download halfway and leave the printer without working firmware.
inline constexpr std::chrono::milliseconds kFlashEraseWriteLimit{30000};

struct FirmwareResult {
  bool commandSent = false;
  platform::WriteResult lastWrite;  // how the write that ended the download ended
  size_t imageBytesSent = 0;
  bool complete = false;
  bool stopped = false;  // asked to stop: the piece in flight was finished, the rest not sent
};

// `progress` is told the image bytes sent so far after each piece; `stopRequested` is asked before each piece.
FirmwareResult DownloadFirmware(platform::PrinterConnection& connection, std::span<const uint8_t> image,
                                const std::function<void(size_t sent, size_t total)>& progress,
                                const std::function<bool()>& stopRequested = {});

}  // namespace ctl
