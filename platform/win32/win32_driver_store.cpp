#include "platform/win32/win32_driver_store.h"

#include <setupapi.h>

#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"

namespace win32 {
namespace {

using CopyOemInf = BOOL(WINAPI*)(PCWSTR, PCWSTR, DWORD, DWORD, PWSTR, DWORD, PDWORD, PWSTR*);
using UninstallOemInf = BOOL(WINAPI*)(PCWSTR, DWORD, PVOID);

platform::DriverStoreResult Failed(DWORD code) {
  platform::DriverStoreResult result;
  result.errorCode = code;
  wchar_t* message = nullptr;
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = length ? std::wstring(message, length) : std::wstring();
  if (message) ::LocalFree(message);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  result.error = WideToUtf8(text);
  return result;
}

}  // namespace

std::string Win32DriverStore::InfFolder() {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "C:\\Windows\\INF";
  return WideToUtf8(windows) + "\\INF";
}

FARPROC Win32DriverStore::Function(const char* name, platform::DriverStoreResult& failure) {
  if (!setupapi_) setupapi_.Reset(LoadSystemLibrary(L"setupapi.dll"));
  FARPROC function = setupapi_ ? ::GetProcAddress(setupapi_.Get(), name) : nullptr;
  if (!function) failure = Failed(::GetLastError());
  return function;
}

platform::DriverStoreResult Win32DriverStore::Add(std::string_view infPath) {
  platform::DriverStoreResult result;
  const auto copy = reinterpret_cast<CopyOemInf>(Function("SetupCopyOEMInfW", result));
  if (!copy) return result;
  wchar_t stored[MAX_PATH] = {};
  PWSTR name = nullptr;
  // SPOST_PATH: the package's files are found beside the INF. An identical INF already in the store is not
  // copied again: the call names the existing copy.
  const BOOL copied = copy(Utf8ToWide(infPath).c_str(), nullptr, SPOST_PATH, 0, stored, MAX_PATH, nullptr, &name);
  const DWORD error = copied ? ERROR_SUCCESS : ::GetLastError();
  if (!copied && !(error == ERROR_FILE_EXISTS && stored[0])) return Failed(error);
  result.ok = true;
  result.storedName = WideToUtf8(name ? name : stored);
  return result;
}

platform::DriverStoreResult Win32DriverStore::Remove(std::string_view storedName) {
  platform::DriverStoreResult result;
  const auto uninstall = reinterpret_cast<UninstallOemInf>(Function("SetupUninstallOEMInfW", result));
  if (!uninstall) return result;
  // The product is being removed, so its package leaves the store even when a device was installed from it
  // (SUOI_FORCEDELETE): printers already installed keep the spooler's copy of their driver.
  if (!uninstall(Utf8ToWide(storedName).c_str(), SUOI_FORCEDELETE, nullptr)) return Failed(::GetLastError());
  result.ok = true;
  return result;
}

}  // namespace win32
