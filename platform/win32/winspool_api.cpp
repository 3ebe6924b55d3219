#include "platform/win32/winspool_api.h"

#include "platform/win32/system_library.h"

namespace win32 {
namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return function != nullptr;
}

WinspoolApi Load() {
  WinspoolApi api;
  HMODULE module = LoadSystemLibrary(L"winspool.drv");  // kept loaded: the spooler is used until the end
  if (!module) return api;
  WinspoolApi found;
  if (Resolve(module, "EnumPrintersW", found.enumPrinters) && Resolve(module, "OpenPrinterW", found.openPrinter) &&
      Resolve(module, "GetPrinterW", found.getPrinter) &&
      Resolve(module, "StartDocPrinterW", found.startDocPrinter) &&
      Resolve(module, "StartPagePrinter", found.startPagePrinter) &&
      Resolve(module, "WritePrinter", found.writePrinter) &&
      Resolve(module, "EndPagePrinter", found.endPagePrinter) &&
      Resolve(module, "EndDocPrinter", found.endDocPrinter) && Resolve(module, "AbortPrinter", found.abortPrinter) &&
      Resolve(module, "ClosePrinter", found.closePrinter) && Resolve(module, "GetJobW", found.getJob)) {
    api = found;
  }
  return api;
}

}  // namespace

const WinspoolApi& Winspool() {
  static const WinspoolApi api = Load();
  return api;
}

}  // namespace win32
