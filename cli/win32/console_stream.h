#pragma once
// Standard output and error of quorvelctl.exe: UTF-8 text, shown in a console window through the wide-character
// console call (so Chinese reads right whatever the console's code page), and written as UTF-8 bytes to a pipe
// or file.
#include <windows.h>

#include <streambuf>
#include <string>

namespace quorvelctl_win32 {

class ConsoleStreamBuffer : public std::streambuf {
 public:
  explicit ConsoleStreamBuffer(DWORD standardHandle);
  ~ConsoleStreamBuffer() override;
  ConsoleStreamBuffer(const ConsoleStreamBuffer&) = delete;
  ConsoleStreamBuffer& operator=(const ConsoleStreamBuffer&) = delete;

  bool IsConsole() const { return console_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void Flush(bool all);

  HANDLE handle_;
  bool console_;
  std::string pending_;
};

// True when the standard handle is a console (a person is looking), not a pipe or a file.
bool IsConsole(DWORD standardHandle);

}  // namespace quorvelctl_win32
