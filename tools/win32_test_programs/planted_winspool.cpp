// planted_winspool: a DLL that tests put beside a program under the name winspool.drv, as an attacker would.
// Loading it leaves a mark: one line with the loading program's path, appended to planted_winspool.log beside
// the DLL. Its spooler functions all fail, so a program that loaded it still starts.
#include <windows.h>

#include <string>

namespace {

void LeaveMark(HMODULE self) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring log(path, length);
  log = log.substr(0, log.find_last_of(L"\\/") + 1) + L"planted_winspool.log";
  wchar_t program[MAX_PATH] = {};
  length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  char line[MAX_PATH * 3] = {};
  int bytes = ::WideCharToMultiByte(CP_UTF8, 0, program, static_cast<int>(length), line, sizeof(line) - 1, nullptr,
                                    nullptr);
  line[bytes++] = '\n';
  HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(bytes), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMark(self);
  return TRUE;
}

// The spooler functions a program may import; every one fails.
#define PLANTED_FAILING(name) \
  extern "C" __declspec(dllexport) BOOL WINAPI name(void*, void*, void*, void*, void*, void*, void*) { return FALSE; }
PLANTED_FAILING(EnumPrintersA)
PLANTED_FAILING(EnumPrintersW)
PLANTED_FAILING(OpenPrinterA)
PLANTED_FAILING(OpenPrinterW)
PLANTED_FAILING(GetPrinterW)
PLANTED_FAILING(StartDocPrinterA)
PLANTED_FAILING(StartDocPrinterW)
PLANTED_FAILING(StartPagePrinter)
PLANTED_FAILING(WritePrinter)
PLANTED_FAILING(EndPagePrinter)
PLANTED_FAILING(EndDocPrinter)
PLANTED_FAILING(AbortPrinter)
PLANTED_FAILING(ClosePrinter)
