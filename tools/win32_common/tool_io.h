#pragma once
// What the Win32 test programs share: UTF-16 arguments, UTF-8 output, a small JSON writer.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tool_io {

std::vector<std::wstring> Arguments();  // without the program name
std::string Utf8(std::wstring_view wide);
std::wstring Wide(std::string_view utf8);

// Bytes to stdout unchanged, so that UTF-8 text reaches the other side as it is.
void Print(std::string_view utf8);
void Fail(std::string_view message, int code);  // message to stderr, then exit

std::string JsonString(std::string_view utf8);

// The value after `--name`, or `fallback`.
std::wstring Option(const std::vector<std::wstring>& args, std::wstring_view name, std::wstring_view fallback = L"");
bool HasOption(const std::vector<std::wstring>& args, std::wstring_view name);

}  // namespace tool_io
