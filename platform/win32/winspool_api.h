#pragma once
// The spooler functions, taken from the system folder's winspool.drv at run time. winspool.drv is not one of
// Windows' KnownDLLs: imported statically, a file of that name beside the program would be loaded instead.
#include <windows.h>
#include <winspool.h>

namespace win32 {

struct WinspoolApi {
  decltype(&::EnumPrintersW) enumPrinters = nullptr;
  decltype(&::OpenPrinterW) openPrinter = nullptr;
  decltype(&::GetPrinterW) getPrinter = nullptr;
  decltype(&::StartDocPrinterW) startDocPrinter = nullptr;
  decltype(&::StartPagePrinter) startPagePrinter = nullptr;
  decltype(&::WritePrinter) writePrinter = nullptr;
  decltype(&::EndPagePrinter) endPagePrinter = nullptr;
  decltype(&::EndDocPrinter) endDocPrinter = nullptr;
  decltype(&::AbortPrinter) abortPrinter = nullptr;
  decltype(&::ClosePrinter) closePrinter = nullptr;
  decltype(&::GetJobW) getJob = nullptr;

  bool Loaded() const { return closePrinter != nullptr; }
};

// Loaded on first use and kept for the life of the process; every pointer is null when the DLL or one of the
// functions is missing.
const WinspoolApi& Winspool();

}  // namespace win32
