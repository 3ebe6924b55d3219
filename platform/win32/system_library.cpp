#include "platform/win32/system_library.h"

namespace win32 {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// The LOAD_LIBRARY_SEARCH_* flags exist from Windows 8 on, and on Windows 7 with update KB2533623; that update
// also brings SetDefaultDllDirectories, which is how their support is told apart.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesOrNull() {
  static const auto function = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  return function;
}

bool SearchFlagsSupported() { return SetDefaultDllDirectoriesOrNull() != nullptr; }

}  // namespace

void RestrictDllSearch() {
  SetDefaultDllDirectoriesFn setDefault = SetDefaultDllDirectoriesOrNull();
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without the update the current folder at least leaves the search; every DLL we load names its full path.
  ::SetDllDirectoryW(L"");
}

std::wstring SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length);
    length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (SearchFlagsSupported()) return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  std::wstring folder = SystemFolder();
  if (folder.empty()) return nullptr;
  return ::LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadLibraryByFullPath(const std::wstring& path) {
  if (SearchFlagsSupported()) {
    return ::LoadLibraryExW(path.c_str(), nullptr,
                            LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace win32
