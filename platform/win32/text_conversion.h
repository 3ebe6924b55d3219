#pragma once
// The core speaks UTF-8; Win32 UI calls take UTF-16; registry, device and spooler A calls take the ANSI code page.
#include <optional>
#include <string>
#include <string_view>

namespace win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
std::string AnsiToUtf8(std::string_view ansi);
// Nothing when a character has no form in the ANSI code page.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

}  // namespace win32
