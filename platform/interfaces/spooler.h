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
};

}  // namespace platform
