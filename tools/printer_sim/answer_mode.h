#pragma once
// How the simulated printer answers "RETURN VALUE".
#include <optional>
#include <string>
#include <string_view>

namespace printer_sim {

struct AnswerMode {
  enum Kind { Normal, Silent, Late, Short, Corrupt, Stray, Split, Stall, Slow } kind = Normal;
  int value = 0;  // milliseconds for Late, bytes for Short, Stray and Split, bytes a second for Slow
};

// Split: the frame in two writes, its first N bytes, then the rest after kSplitPauseMs, as a printer whose
// firmware hands the frame to USB in two transfers would. (Under Wine a 64-byte read of the pseudo-terminal
// still ends only with all 64; there the two pieces are seen as one read.)
inline constexpr int kSplitPauseMs = 200;

// Stall: a printer that takes no data, as one out of paper, with its cover open or busy holds the host off. The
// device link then points at a FIFO whose pipe buffer is full and which nobody reads, so that a write blocks
// until it is given up; leaving the mode points the link back at the printer, which takes data again.

// Slow: a printer that takes data at N bytes a second, as one printing a long job does. The device link points at
// a FIFO with a small pipe buffer, which the simulator drains at that rate, so that a write blocks until the bytes
// before it have gone; the bytes it takes are logged and its commands applied as in the other modes. It sends no
// answers (a read of the FIFO would take the host's own bytes). The FIFO holds this much:
inline constexpr int kSlowPipeBytes = 4096;

// Stray: N bytes that are not a frame (the tail of a late answer, status bytes) at once, then the frame after
// this pause, in a chunk of its own. Under Wine the device is a pseudo-terminal read like a serial port with zero
// timeouts: a 64-byte read ends only when 64 bytes have arrived, never short. So there a read ends without a
// frame only when the stray bytes fill it: 64 of them (or 128 for two such reads). Fewer would run into the
// frame's first bytes within one read, which no USB transfer does.
inline constexpr int kStrayPauseMs = 200;
inline constexpr int kMaxStrayBytes = 1024;

// "normal", "silent", "corrupt", "stall", "late MS" / "late:MS", "short N" / "short:N", "stray N" / "stray:N",
// "split N" / "split:N" (1 to 63), "slow N" / "slow:N" (bytes a second, at least 1).
std::optional<AnswerMode> ParseAnswerMode(std::string_view text);

}  // namespace printer_sim
