#pragma once
// The core speaks UTF-8; Win32 calls take UTF-16, and the few A calls that remain take the ANSI code page.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
std::string AnsiToUtf8(std::string_view ansi);
// Nothing when a character has no form in the ANSI code page.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// Nothing when a character has no form in `codePage`.
std::optional<std::string> Utf8ToCodePage(UINT codePage, std::string_view utf8);

// How WideCharToMultiByte is asked to refuse what a code page cannot hold. Windows fails the call outright
// (ERROR_INVALID_PARAMETER) for UTF-8, which is the ANSI code page when "Use Unicode UTF-8 for worldwide
// language support" is on, and for a few others, when it gets a used-default-character pointer or flags they
// do not take.
struct NarrowingRule {
  DWORD flags = 0;
  bool askUsedDefault = false;  // pass a used-default-character pointer
  bool checkRoundTrip = false;  // the code page reports nothing: compare the text converted back
};
NarrowingRule NarrowingRuleFor(UINT codePage);

}  // namespace win32
