// QRXStoreAction.dll: the installer package's driver store actions. Each runs the installed QRXStore.exe with the
// command line it is given (the action's CustomActionData) and hands every line the helper writes, its reasons for
// a failure among them, to Windows Installer's log: an EXE custom action's own output is never captured.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handles.h"

namespace {

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Invalid() { return 0; }
  static void Close(Handle handle) { ::MsiCloseHandle(handle); }
};
using UniqueMsiHandle = win32::UniqueResource<MsiHandleTraits>;

// The text goes in as a field, not as the template, so that brackets in it are not read as properties.
void Log(MSIHANDLE install, const std::wstring& text) {
  UniqueMsiHandle record(::MsiCreateRecord(1));
  if (!record) return;
  ::MsiRecordSetStringW(record.Get(), 0, L"QRXStore: [1]");
  ::MsiRecordSetStringW(record.Get(), 1, text.c_str());
  ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.Get());
}

std::wstring CommandLine(MSIHANDLE install) {
  DWORD size = 0;
  wchar_t empty[1] = L"";
  if (::MsiGetPropertyW(install, L"CustomActionData", empty, &size) != ERROR_MORE_DATA) return L"";
  std::vector<wchar_t> buffer(size + 1);
  size = static_cast<DWORD>(buffer.size());
  if (::MsiGetPropertyW(install, L"CustomActionData", buffer.data(), &size) != ERROR_SUCCESS) return L"";
  return std::wstring(buffer.data(), size);
}

// Logs each complete line of `pending` (UTF-8, as the helper writes it) and keeps the unfinished rest.
void LogLines(MSIHANDLE install, std::string& pending) {
  size_t end;
  while ((end = pending.find('\n')) != std::string::npos) {
    std::string line = pending.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) Log(install, win32::Utf8ToWide(line));
    pending.erase(0, end + 1);
  }
}

// The helper's exit code, or a negative number when it could not be run.
long RunLogged(MSIHANDLE install, std::wstring command) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, 0)) return -1;
  win32::UniqueKernelHandle reader(read), writer(write);
  ::SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writer.Get();
  startup.hStdError = writer.Get();
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started)) {
    Log(install, L"cannot start " + command + L" (error " + std::to_wstring(::GetLastError()) + L")");
    return -1;
  }
  win32::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
  writer.Reset();  // the pipe ends when the helper's copy closes
  std::string pending;
  char chunk[512];
  DWORD got = 0;
  while (::ReadFile(reader.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    pending.append(chunk, got);
    LogLines(install, pending);
  }
  pending += '\n';
  LogLines(install, pending);
  ::WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.Get(), &code)) return -1;
  Log(install, command + L" ended with " + std::to_wstring(code));
  return static_cast<long>(code);
}

}  // namespace

// Deferred, rollback and removal entries all come here; the package decides per entry whether a failure counts.
extern "C" __declspec(dllexport) UINT __stdcall RunDriverStoreHelper(MSIHANDLE install) {
  const std::wstring command = CommandLine(install);
  if (command.empty()) {
    Log(install, L"no command line in CustomActionData");
    return ERROR_INSTALL_FAILURE;
  }
  return RunLogged(install, command) == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}
