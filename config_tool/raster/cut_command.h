#pragma once
// Where a printer stands in the page encoder's command stream, so that a job stopped in the middle of a command
// (a cancel or a stall in the middle of a raster block) can be finished before the next job: otherwise the printer
// would take the next job's first bytes as the rest of the block's dots.
#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

class CommandStream {
 public:
  // The bytes the printer took, in order.
  void Took(std::span<const uint8_t> bytes);
  // What finishes the command the printer is in: white (zero) bytes for a block's missing raster, a zero feed or length for
  // a cut command; empty between commands.
  std::vector<uint8_t> Completion() const;

 private:
  std::vector<uint8_t> command_;  // the open command's bytes so far (its header, for a raster block)
  uint64_t rasterLeft_ = 0;       // raster bytes of an open block still to come
};

}  // namespace quorvel
