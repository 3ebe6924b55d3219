#include "platform/win32/text_conversion.h"

namespace win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// Nothing when the conversion fails or, under `rule`, loses a character.
std::optional<std::string> FromWide(UINT codePage, std::wstring_view wide, const NarrowingRule& rule) {
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPointer = rule.askUsedDefault ? &usedDefault : nullptr;
  const int wideLength = static_cast<int>(wide.size());
  int length = ::WideCharToMultiByte(codePage, rule.flags, wide.data(), wideLength, nullptr, 0, nullptr,
                                     usedDefaultPointer);
  if (length <= 0) return std::nullopt;
  std::string text(static_cast<size_t>(length), '\0');
  if (::WideCharToMultiByte(codePage, rule.flags, wide.data(), wideLength, text.data(), length, nullptr,
                            usedDefaultPointer) != length ||
      usedDefault) {
    return std::nullopt;
  }
  if (rule.checkRoundTrip && ToWide(codePage, text) != wide) return std::nullopt;
  return text;
}

}  // namespace

NarrowingRule NarrowingRuleFor(UINT codePage) {
  switch (codePage) {
    case CP_UTF8:
    case 54936:  // GB18030
      return {WC_ERR_INVALID_CHARS, false, false};
    case CP_UTF7:
    case 42:  // symbol
    case 50220: case 50221: case 50222: case 50225: case 50227: case 50229:
    case 57002: case 57003: case 57004: case 57005: case 57006: case 57007: case 57008: case 57009: case 57010:
    case 57011:
      return {0, false, true};
    default:
      // No best-fit either: "ā" sent as "a" would be a garbled text, not a converted one.
      return {WC_NO_BEST_FIT_CHARS, true, false};
  }
}

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) {
  return FromWide(CP_UTF8, wide, {0, false, false}).value_or(std::string());
}

std::string AnsiToUtf8(std::string_view ansi) { return WideToUtf8(ToWide(CP_ACP, ansi)); }

std::optional<std::string> Utf8ToCodePage(UINT codePage, std::string_view utf8) {
  return FromWide(codePage, Utf8ToWide(utf8), NarrowingRuleFor(codePage));
}

// CP_ACP itself would not do: the rule depends on which code page that is.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8) { return Utf8ToCodePage(::GetACP(), utf8); }

}  // namespace win32
