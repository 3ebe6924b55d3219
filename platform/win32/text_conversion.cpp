#include "platform/win32/text_conversion.h"

#include <windows.h>

namespace win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide, BOOL* lossy) {
  if (wide.empty()) return {};
  int length = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     lossy);
  std::string text(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        lossy);
  return text;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide, nullptr); }

std::string AnsiToUtf8(std::string_view ansi) { return WideToUtf8(ToWide(CP_ACP, ansi)); }

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  BOOL lossy = FALSE;
  std::string ansi = FromWide(CP_ACP, Utf8ToWide(utf8), &lossy);
  if (lossy) return std::nullopt;
  return ansi;
}

}  // namespace win32
