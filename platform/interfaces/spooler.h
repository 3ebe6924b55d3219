#pragma once
// The Windows print spooler: installed printers and raw jobs. Names are UTF-8.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RawJobResult {
  bool opened = false;        // the printer name was recognised
  bool completed = false;     // document, page, write and both ends all succeeded, every byte accepted
  uint32_t bytesWritten = 0;  // what the spooler reported as accepted
  bool allWritten = false;    // every byte was accepted (the job may still have failed to end)
  uint32_t jobId = 0;         // the spooler's number of the job, 0 when none was started
};

// What the spooler says of a job that is still in its queue, and of its printer. All false: it is waiting or
// printing as far as the spooler knows.
struct QueuedJob {
  bool error = false;     // the job or the printer is in error, or needs the user (jammed, cover open)
  bool paused = false;    // the job or the whole printer is paused
  bool offline = false;   // the printer is offline
  bool paperOut = false;
  bool blocked = false;   // held behind a job that failed
  bool printed = false;   // printed, and kept because the printer's queue keeps printed documents
  bool operator==(const QueuedJob&) const = default;
};

// How an installed printer is set up.
struct PrinterSetup {
  std::string portName;    // the spooler's list of ports, such as "USB001" or "USB001,USB002"
  std::string driverName;
};

class Spooler {
 public:
  virtual ~Spooler() = default;

  // Device names of the installed printers, in the order the system lists them.
  virtual std::vector<std::string> ListPrinters() = 0;

  // One raw job of one page named `documentName` holding `bytes` unchanged. A job that fails after the open is
  // deleted from the queue rather than left to print a part of the bytes.
  virtual RawJobResult SendRawJob(std::string_view printerName, std::string_view documentName,
                                  std::span<const uint8_t> bytes) = 0;

  // Job `jobId` of that printer while it is still in its queue (waiting, held, or going to a printer that takes no
  // data); nothing once it has left it, or when the printer or the job is unknown.
  virtual std::optional<QueuedJob> FindQueuedJob(std::string_view printerName, uint32_t jobId) = 0;

  // The port and driver of the printer of that name; nothing when the spooler has no such printer.
  virtual std::optional<PrinterSetup> FindPrinter(std::string_view printerName) = 0;
};

}  // namespace platform
