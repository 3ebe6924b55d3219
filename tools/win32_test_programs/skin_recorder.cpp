// A stand-in for the skin engine DLL: it dresses nothing and appends each call, with its ANSI texts converted to
// UTF-8, to skin_calls.log beside itself, so tests see what the program hands the engine. Whether the skin file
// it was given opens, as the engine would open it, goes to skin_opens.log.
#include <windows.h>

#include <string>

namespace {

HMODULE self = nullptr;

std::string AnsiToUtf8(const char* ansi) {
  if (!ansi) return "(null)";
  int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), wideLength);
  int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), length, nullptr, nullptr);
  utf8.resize(utf8.empty() ? 0 : utf8.size() - 1);
  return utf8;
}

void Record(const std::string& call, const wchar_t* log = L"skin_calls.log") {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = ::GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + log;
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = call + "\n";
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) int __stdcall SkinH_Attach() {
  Record("Attach");
  return 0;
}

__declspec(dllexport) int __stdcall SkinH_AttachEx(const char* skinFile, const char* password) {
  Record("AttachEx(" + AnsiToUtf8(skinFile) + "," + AnsiToUtf8(password) + ")");
  HANDLE file = skinFile ? ::CreateFileA(skinFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                         : INVALID_HANDLE_VALUE;
  Record((file != INVALID_HANDLE_VALUE ? "opened " : "cannot open ") + AnsiToUtf8(skinFile), L"skin_opens.log");
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return 0;
}

__declspec(dllexport) int __stdcall SkinH_SetAero(int on) {
  Record("SetAero(" + std::to_string(on) + ")");
  return 0;
}

}
