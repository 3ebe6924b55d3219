#include "tools/printer_sim/answer_mode.h"

#include <charconv>

namespace printer_sim {

std::optional<AnswerMode> ParseAnswerMode(std::string_view text) {
  if (text == "normal") return AnswerMode{AnswerMode::Normal, 0};
  if (text == "silent") return AnswerMode{AnswerMode::Silent, 0};
  if (text == "corrupt") return AnswerMode{AnswerMode::Corrupt, 0};
  if (text == "stall") return AnswerMode{AnswerMode::Stall, 0};
  size_t separator = text.find_first_of(" :");
  if (separator == std::string_view::npos) return std::nullopt;
  std::string_view word = text.substr(0, separator), number = text.substr(separator + 1);
  int value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size() || value < 0) return std::nullopt;
  if (word == "late") return AnswerMode{AnswerMode::Late, value};
  if (word == "short" && value <= 64) return AnswerMode{AnswerMode::Short, value};
  if (word == "split" && value >= 1 && value < 64) return AnswerMode{AnswerMode::Split, value};
  if (word == "slow" && value >= 1) return AnswerMode{AnswerMode::Slow, value};
  if (word == "stray" && value >= 1 && value <= kMaxStrayBytes) return AnswerMode{AnswerMode::Stray, value};
  return std::nullopt;
}

}  // namespace printer_sim
