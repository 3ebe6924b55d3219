#include "platform/win32/win32_shell_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handles.h"

namespace win32 {

platform::ShellStartResult Win32ShellLauncher::ShellStart(std::string_view program, std::string_view arguments, std::string_view folder,
                                    platform::ShowState show, bool elevate) {
  std::wstring file = Utf8ToWide(program);
  std::wstring parameters = Utf8ToWide(arguments);
  std::wstring directory = Utf8ToWide(folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = elevate ? L"runas" : L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = static_cast<int>(show);
  if (!::ShellExecuteExW(&info)) {
    return ::GetLastError() == ERROR_CANCELLED ? platform::ShellStartResult::Declined
                                               : platform::ShellStartResult::Failed;
  }
  UniqueKernelHandle started(info.hProcess);  // not waited for
  return platform::ShellStartResult::Started;
}

}  // namespace win32
