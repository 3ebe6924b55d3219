#include "cli/win32/open_failure.h"

#include <windows.h>

#include <string>

#include "platform/win32/text_conversion.h"

namespace quorvelctl_win32 {

platform::OpenFailure LastOpenFailure() {
  const DWORD error = ::GetLastError();
  platform::OpenFailure failure;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
      failure.kind = platform::OpenFailure::NotFound;
      break;
    case ERROR_ACCESS_DENIED:
      failure.kind = platform::OpenFailure::AccessDenied;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      failure.kind = platform::OpenFailure::Busy;
      break;
    default:
      failure.kind = platform::OpenFailure::Other;
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text ? std::wstring(text, length) : std::wstring();
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' ||
                              message.back() == L'.')) {
    message.pop_back();
  }
  failure.detail = "error " + std::to_string(error) + (message.empty() ? "" : ": " + win32::WideToUtf8(message));
  return failure;
}

}  // namespace quorvelctl_win32
