#include "platform/win32/win32_spooler.h"

#include <windows.h>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/winspool_api.h"

namespace win32 {
namespace {

// Windows Vista and later mark a printed job that the queue keeps; MinGW's headers lack the name.
constexpr DWORD kJobStatusRetained = 0x2000;

struct PrinterTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { Winspool().closePrinter(handle); }
};
using UniquePrinter = UniqueResource<PrinterTraits>;

// Printer names go through the W functions: an A function turns every character outside the ANSI code page
// into "?", and such a printer could then be neither listed nor opened.
UniquePrinter OpenByName(std::string_view printerName) {
  const WinspoolApi& spooler = Winspool();
  std::wstring name = Utf8ToWide(printerName);
  if (!spooler.Loaded() || name.empty()) return UniquePrinter();
  HANDLE opened = nullptr;
  if (!spooler.openPrinter(name.data(), &opened, nullptr) || !opened) return UniquePrinter();
  return UniquePrinter(opened);
}

std::string TextOf(const wchar_t* text) { return text ? WideToUtf8(text) : std::string(); }

}  // namespace

std::vector<std::string> Win32Spooler::ListPrinters() {
  const WinspoolApi& spooler = Winspool();
  if (!spooler.Loaded()) return {};
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  spooler.enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !spooler.enumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) return {};
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  std::vector<std::string> names;
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pPrinterName) names.push_back(WideToUtf8(printers[i].pPrinterName));
  }
  return names;
}

platform::RawJobResult Win32Spooler::SendRawJob(std::string_view printerName, std::string_view documentName,
                                                std::span<const uint8_t> bytes) {
  UniquePrinter printer = OpenByName(printerName);
  if (!printer) return {};
  const WinspoolApi& spooler = Winspool();

  std::wstring document = Utf8ToWide(documentName);
  DOC_INFO_1W info{};
  info.pDocName = document.data();  // no output file, the printer's default data type
  platform::RawJobResult result{true, false, 0, false};
  result.jobId = spooler.startDocPrinter(printer.Get(), 1, reinterpret_cast<BYTE*>(&info));
  if (result.jobId == 0) return result;
  bool ok = spooler.startPagePrinter(printer.Get()) != FALSE;
  DWORD written = 0;
  if (ok) {
    ok = spooler.writePrinter(printer.Get(), const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                              &written) != FALSE &&
         written == bytes.size();
  }
  result.bytesWritten = written;
  if (!ok) {
    // Half a firmware image is worse than none: the job goes, nothing of it prints.
    spooler.abortPrinter(printer.Get());
    return result;
  }
  result.allWritten = true;
  ok = spooler.endPagePrinter(printer.Get()) != FALSE;
  ok = spooler.endDocPrinter(printer.Get()) != FALSE && ok;
  result.completed = ok;
  return result;
}

platform::QueuedJob QueuedJobFromStatus(uint32_t jobStatus, uint32_t printerStatus) {
  platform::QueuedJob state;
  state.error = (jobStatus & (JOB_STATUS_ERROR | JOB_STATUS_USER_INTERVENTION)) != 0 ||
                (printerStatus & (PRINTER_STATUS_ERROR | PRINTER_STATUS_PAPER_JAM | PRINTER_STATUS_DOOR_OPEN |
                                  PRINTER_STATUS_USER_INTERVENTION)) != 0;
  state.paused = (jobStatus & JOB_STATUS_PAUSED) != 0 || (printerStatus & PRINTER_STATUS_PAUSED) != 0;
  state.offline = (jobStatus & JOB_STATUS_OFFLINE) != 0 || (printerStatus & PRINTER_STATUS_OFFLINE) != 0;
  state.paperOut = (jobStatus & JOB_STATUS_PAPEROUT) != 0 || (printerStatus & PRINTER_STATUS_PAPER_OUT) != 0;
  state.blocked = (jobStatus & JOB_STATUS_BLOCKED_DEVQ) != 0;
  state.printed = (jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE | kJobStatusRetained)) != 0;
  return state;
}

std::optional<platform::QueuedJob> Win32Spooler::FindQueuedJob(std::string_view printerName, uint32_t jobId) {
  UniquePrinter printer = OpenByName(printerName);
  if (!printer || jobId == 0) return std::nullopt;
  const WinspoolApi& spooler = Winspool();
  DWORD needed = 0;
  // A job that has left the queue is unknown to the spooler: the size query then fails with another error.
  spooler.getJob(printer.Get(), jobId, 1, nullptr, 0, &needed);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return std::nullopt;
  std::vector<BYTE> job(needed);
  if (!spooler.getJob(printer.Get(), jobId, 1, job.data(), needed, &needed)) return std::nullopt;
  const DWORD jobStatus = reinterpret_cast<const JOB_INFO_1W*>(job.data())->Status;

  // A job of a paused or jammed printer often carries no status of its own: the printer's state tells why.
  DWORD printerStatus = 0;
  needed = 0;
  spooler.getPrinter(printer.Get(), 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed);
  if (needed > 0 && spooler.getPrinter(printer.Get(), 2, info.data(), needed, &needed)) {
    printerStatus = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->Status;
  }
  return QueuedJobFromStatus(jobStatus, printerStatus);
}

std::optional<platform::PrinterSetup> Win32Spooler::FindPrinter(std::string_view printerName) {
  UniquePrinter printer = OpenByName(printerName);
  if (!printer) return std::nullopt;
  const WinspoolApi& spooler = Winspool();
  DWORD needed = 0;
  spooler.getPrinter(printer.Get(), 2, nullptr, 0, &needed);
  if (needed == 0) return std::nullopt;
  std::vector<BYTE> buffer(needed);
  if (!spooler.getPrinter(printer.Get(), 2, buffer.data(), needed, &needed)) return std::nullopt;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  return platform::PrinterSetup{TextOf(info->pPortName), TextOf(info->pDriverName)};
}

}  // namespace win32
