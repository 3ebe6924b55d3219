// raw_probe: the smallest user of a printer's device file. Writes a command line, then waits for a 64-byte reply.
//   raw_probe PATH [--send TEXT] [--timeout MS]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/win32_common/tool_io.h"

int main() {
  std::vector<std::wstring> args = tool_io::Arguments();
  if (args.empty()) tool_io::Fail("usage: raw_probe PATH [--send TEXT] [--timeout MS]", 2);
  std::string path = tool_io::Utf8(args[0]);
  std::string command = tool_io::Utf8(tool_io::Option(args, L"--send", L"RETURN VALUE")) + "\r\n";
  DWORD timeout = static_cast<DWORD>(std::wcstoul(tool_io::Option(args, L"--timeout", L"3000").c_str(), nullptr, 10));

  HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  if (writer == INVALID_HANDLE_VALUE) {
    tool_io::Print("{\"opened\":false,\"written\":0,\"state\":\"error\",\"bytes\":\"\"}\n");
    return 0;
  }
  DWORD written = 0;
  ::WriteFile(writer, command.data(), static_cast<DWORD>(command.size()), &written, nullptr);
  ::CloseHandle(writer);

  HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  std::string state = "error";
  unsigned char buffer[64] = {};
  DWORD received = 0;
  if (reader != INVALID_HANDLE_VALUE) {
    OVERLAPPED overlapped{};
    if (::ReadFile(reader, buffer, 64, &received, &overlapped)) {
      state = "complete";
    } else if (::GetLastError() == ERROR_IO_PENDING) {
      DWORD start = ::GetTickCount();
      for (;;) {
        if (::GetOverlappedResult(reader, &overlapped, &received, FALSE)) {
          state = "complete";
          break;
        }
        if (::GetLastError() != ERROR_IO_INCOMPLETE) break;
        if (::GetTickCount() - start > timeout) {
          ::CancelIoEx(reader, &overlapped);
          ::GetOverlappedResult(reader, &overlapped, &received, TRUE);
          state = "timeout";
          break;
        }
        ::Sleep(10);
      }
    }
    ::CloseHandle(reader);
  }
  std::string hex;
  for (DWORD i = 0; i < received; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof(byte), i ? " %02x" : "%02x", buffer[i]);
    hex += byte;
  }
  tool_io::Print("{\"opened\":true,\"written\":" + std::to_string(written) + ",\"state\":\"" + state +
                 "\",\"bytes\":\"" + hex + "\"}\n");
  return 0;
}
