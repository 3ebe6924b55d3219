#pragma once
#include "platform/interfaces/spooler.h"

namespace win32 {

// A queued job's state from the status bits of the job (JOB_STATUS_*) and of its printer (PRINTER_STATUS_*).
platform::QueuedJob QueuedJobFromStatus(uint32_t jobStatus, uint32_t printerStatus);

// The spooler through its W functions; names cross the interface as UTF-8.
class Win32Spooler : public platform::Spooler {
 public:
  std::vector<std::string> ListPrinters() override;
  platform::RawJobResult SendRawJob(std::string_view printerName, std::string_view documentName,
                                    std::span<const uint8_t> bytes) override;
  std::optional<platform::QueuedJob> FindQueuedJob(std::string_view printerName, uint32_t jobId) override;
  std::optional<platform::PrinterSetup> FindPrinter(std::string_view printerName) override;
};

}  // namespace win32
