#pragma once
// How the simulated printer answers "RETURN VALUE".
#include <optional>
#include <string>
#include <string_view>

namespace printer_sim {

struct AnswerMode {
  enum Kind { Normal, Silent, Late, Short, Corrupt } kind = Normal;
  int value = 0;  // milliseconds for Late, bytes for Short
};

// "normal", "silent", "corrupt", "late MS" / "late:MS", "short N" / "short:N".
std::optional<AnswerMode> ParseAnswerMode(std::string_view text);

}  // namespace printer_sim
