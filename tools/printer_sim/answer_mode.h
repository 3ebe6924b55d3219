#pragma once
// How the simulated printer answers "RETURN VALUE".
#include <optional>
#include <string>
#include <string_view>

namespace printer_sim {

struct AnswerMode {
  enum Kind { Normal, Silent, Late, Short, Corrupt, Stray } kind = Normal;
  int value = 0;  // milliseconds for Late, bytes for Short and Stray
};

// Stray: N bytes that are not a frame (the tail of a late answer, status bytes) at once, then the frame after
// this pause, in a chunk of its own. Under Wine the device is a pseudo-terminal read like a serial port with zero
// timeouts: a 64-byte read ends only when 64 bytes have arrived, never short. So there a read ends without a
// frame only when the stray bytes fill it: 64 of them (or 128 for two such reads). Fewer would run into the
// frame's first bytes within one read, which no USB transfer does.
inline constexpr int kStrayPauseMs = 200;
inline constexpr int kMaxStrayBytes = 1024;

// "normal", "silent", "corrupt", "late MS" / "late:MS", "short N" / "short:N", "stray N" / "stray:N".
std::optional<AnswerMode> ParseAnswerMode(std::string_view text);

}  // namespace printer_sim
