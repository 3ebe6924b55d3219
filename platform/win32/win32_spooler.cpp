#include "platform/win32/win32_spooler.h"

#include <windows.h>
#include <winspool.h>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handles.h"

namespace win32 {

std::vector<std::string> Win32Spooler::ListPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  ::EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !::EnumPrintersA(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) return {};
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
  std::vector<std::string> names;
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pPrinterName) names.push_back(AnsiToUtf8(printers[i].pPrinterName));
  }
  return names;
}

platform::RawJobResult Win32Spooler::SendRawJob(std::string_view printerName, std::string_view documentName,
                                                std::span<const uint8_t> bytes) {
  std::optional<std::string> ansiName = Utf8ToAnsi(printerName);
  if (!ansiName || ansiName->empty()) return {};
  HANDLE opened = nullptr;
  if (!::OpenPrinterA(ansiName->data(), &opened, nullptr) || !opened) return {};
  UniquePrinter printer(opened);

  std::string document = Utf8ToAnsi(documentName).value_or("");
  DOC_INFO_1A info{};
  info.pDocName = document.data();  // no output file, the printer's default data type
  platform::RawJobResult result{true, false, 0};
  if (::StartDocPrinterA(printer.Get(), 1, reinterpret_cast<BYTE*>(&info)) == 0) return result;
  bool ok = ::StartPagePrinter(printer.Get()) != FALSE;
  DWORD written = 0;
  if (ok) {
    ok = ::WritePrinter(printer.Get(), const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                        &written) != FALSE &&
         written == bytes.size();
  }
  result.bytesWritten = written;
  if (!ok) {
    // Half a firmware image is worse than none: the job goes, nothing of it prints.
    ::AbortPrinter(printer.Get());
    return result;
  }
  ok = ::EndPagePrinter(printer.Get()) != FALSE;
  ok = ::EndDocPrinter(printer.Get()) != FALSE && ok;
  result.completed = ok;
  return result;
}

}  // namespace win32
