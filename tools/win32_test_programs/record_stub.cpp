// record_stub: stands in for rundll32.exe or cmd.exe beside a program under test and records how it was started.
// Appends its whole command line (UTF-8) to %RECORD_STUB_LOG%, or to record_stub.log beside itself.
#include <windows.h>

#include <string>

#include "tools/win32_common/tool_io.h"

int main() {
  std::wstring log(32768, L'\0');
  DWORD length = ::GetEnvironmentVariableW(L"RECORD_STUB_LOG", log.data(), static_cast<DWORD>(log.size()));
  if (length == 0 || length >= log.size()) {
    length = ::GetModuleFileNameW(nullptr, log.data(), static_cast<DWORD>(log.size()));
    log.resize(length);
    log = log.substr(0, log.find_last_of(L"\\/") + 1) + L"record_stub.log";
  } else {
    log.resize(length);
  }
  HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::string line = tool_io::Utf8(::GetCommandLineW()) + "\n";
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
