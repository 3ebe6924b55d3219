// spooler_setup: Windows printers for the tests.
//   spooler_setup add-driver | add-printer NAME PORT | delete-printer NAME | list
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "tools/win32_common/tool_io.h"

namespace {

const wchar_t kDriver[] = L"Wine PostScript Driver";

bool AddDriver() {
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(kDriver);
  driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
  return ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), 0) ||
         ::GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

bool AddPrinter(const std::wstring& name, const std::wstring& port) {
  PRINTER_INFO_2W printer{};
  printer.pPrinterName = const_cast<wchar_t*>(name.c_str());
  printer.pDriverName = const_cast<wchar_t*>(kDriver);
  printer.pPortName = const_cast<wchar_t*>(port.c_str());
  printer.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  printer.pDatatype = const_cast<wchar_t*>(L"RAW");
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (handle) ::ClosePrinter(handle);
  return handle != nullptr || ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
}

bool DeletePrinter(const std::wstring& name) {
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle, &access)) return false;
  bool deleted = ::DeletePrinter(handle) != FALSE;
  ::ClosePrinter(handle);
  return deleted;
}

void List() {
  DWORD needed = 0, count = 0;
  ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  std::string json = "[";
  if (needed && ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    auto* printers = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      json += (i ? "," : "") + std::string("{\"name\":") + tool_io::JsonString(tool_io::Utf8(printers[i].pPrinterName)) +
              ",\"port\":" + tool_io::JsonString(tool_io::Utf8(printers[i].pPortName ? printers[i].pPortName : L"")) +
              "}";
    }
  }
  tool_io::Print(json + "]\n");
}

}  // namespace

int main() {
  std::vector<std::wstring> args = tool_io::Arguments();
  if (args.empty()) {
    tool_io::Fail("usage: spooler_setup add-driver|add-printer NAME PORT|delete-printer NAME|list|acp", 2);
  }
  if (args[0] == L"acp") {  // the ANSI code page programs in this prefix run with
    tool_io::Print(std::to_string(::GetACP()) + "\n");
    return 0;
  }
  if (args[0] == L"add-driver") return AddDriver() ? 0 : 1;
  if (args[0] == L"add-printer" && args.size() == 3) return AddDriver() && AddPrinter(args[1], args[2]) ? 0 : 1;
  if (args[0] == L"delete-printer" && args.size() == 2) return DeletePrinter(args[1]) ? 0 : 1;
  if (args[0] == L"list") {
    List();
    return 0;
  }
  tool_io::Fail("unknown command", 2);
}
