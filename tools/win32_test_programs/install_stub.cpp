// install_stub: stands in for rundll32.exe in the system folder. Records its command line like record_stub (to
// %RECORD_STUB_LOG% or record_stub.log beside itself), then acts as printui would:
//   INSTALL_STUB_SECONDS=N         takes N seconds before it ends
//   INSTALL_STUB_ADDS_PRINTERS=1   adds the printer named by /b on the port named by /r, with a driver named by /m
// A stand-in started while another still runs records the line "overlap": printui installs must not run at once.
#include <windows.h>
#include <winspool.h>

#include <string>

#include "tools/win32_common/tool_io.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

void Record(const std::wstring& commandLine) {
  std::wstring log = Environment(L"RECORD_STUB_LOG");
  if (log.empty()) {
    log.resize(32768);
    log.resize(::GetModuleFileNameW(nullptr, log.data(), static_cast<DWORD>(log.size())));
    log = log.substr(0, log.find_last_of(L"\\/") + 1) + L"record_stub.log";
  }
  HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = tool_io::Utf8(commandLine) + "\n";
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

// The text after `/b "` up to the next quote, or after `/r ` up to the next blank.
std::wstring Switch(const std::wstring& line, const std::wstring& name, bool quoted) {
  size_t at = line.find(name + (quoted ? L" \"" : L" "));
  if (at == std::wstring::npos) return {};
  size_t start = at + name.size() + (quoted ? 2 : 1);
  size_t end = line.find(quoted ? L'"' : L' ', start);
  return line.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

bool AddPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& model) {
  std::wstring driverName = model;
  wchar_t ps[] = L"wineps.drv";
  wchar_t raw[] = L"RAW";
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = driverName.data();
  driver.pDriverPath = ps;
  driver.pDataFile = ps;
  driver.pConfigFile = ps;
  driver.pDefaultDataType = raw;
  ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), 0);
  std::wstring printerName = name, portName = port;
  wchar_t processor[] = L"winprint";
  PRINTER_INFO_2W printer{};
  printer.pPrinterName = printerName.data();
  printer.pDriverName = driverName.data();
  printer.pPortName = portName.data();
  printer.pPrintProcessor = processor;
  printer.pDatatype = raw;
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (handle) ::ClosePrinter(handle);
  return handle != nullptr;
}

}  // namespace

int main() {
  std::wstring commandLine = ::GetCommandLineW();
  HANDLE running = ::CreateMutexW(nullptr, FALSE, L"Local\\install_stub_running");
  if (running && ::GetLastError() == ERROR_ALREADY_EXISTS) Record(L"overlap");
  Record(commandLine);
  int seconds = _wtoi(Environment(L"INSTALL_STUB_SECONDS").c_str());
  if (seconds > 0) ::Sleep(static_cast<DWORD>(seconds) * 1000);
  if (Environment(L"INSTALL_STUB_ADDS_PRINTERS") == L"1") {
    std::wstring name = Switch(commandLine, L"/b", true);
    std::wstring port = Switch(commandLine, L"/r", false);
    std::wstring model = Switch(commandLine, L"/m", true);
    if (name.empty() || model.empty() || !AddPrinter(name, port, model)) return 1;
  }
  if (running) ::CloseHandle(running);
  return 0;
}
