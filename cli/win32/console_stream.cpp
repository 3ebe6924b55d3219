#include "cli/win32/console_stream.h"

#include "platform/win32/text_conversion.h"

namespace quorvelctl_win32 {
namespace {

// How many bytes at the end of `text` begin a UTF-8 character that is not complete yet.
size_t IncompleteTail(const std::string& text) {
  size_t back = 0;
  while (back < text.size() && back < 3) {
    const auto byte = static_cast<unsigned char>(text[text.size() - 1 - back]);
    if ((byte & 0xC0) != 0x80) {
      const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      return length > back + 1 ? back + 1 : 0;
    }
    ++back;
  }
  return 0;
}

}  // namespace

bool IsConsole(DWORD standardHandle) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(standardHandle), &mode) != 0;
}

ConsoleStreamBuffer::ConsoleStreamBuffer(DWORD standardHandle)
    : handle_(::GetStdHandle(standardHandle)), console_(quorvelctl_win32::IsConsole(standardHandle)) {}

ConsoleStreamBuffer::~ConsoleStreamBuffer() { Flush(true); }

ConsoleStreamBuffer::int_type ConsoleStreamBuffer::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    pending_ += traits_type::to_char_type(c);
    if (c == '\n' || pending_.size() >= 4096) Flush(false);
  }
  return traits_type::not_eof(c);
}

std::streamsize ConsoleStreamBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<size_t>(count));
  if (pending_.size() >= 4096 || pending_.find('\n') != std::string::npos) Flush(false);
  return count;
}

int ConsoleStreamBuffer::sync() {
  Flush(false);
  return 0;
}

void ConsoleStreamBuffer::Flush(bool all) {
  if (pending_.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
    pending_.clear();
    return;
  }
  // A character split between two writes is kept back until its last byte has come.
  const size_t keep = all ? 0 : IncompleteTail(pending_);
  const std::string ready = pending_.substr(0, pending_.size() - keep);
  pending_.erase(0, pending_.size() - keep);
  if (ready.empty()) return;
  DWORD written = 0;
  if (console_) {
    const std::wstring wide = win32::Utf8ToWide(ready);
    ::WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    ::WriteFile(handle_, ready.data(), static_cast<DWORD>(ready.size()), &written, nullptr);
  }
}

}  // namespace quorvelctl_win32
