#pragma once
// A PNG picture's resolution, from its pHYs chunk: a label made at 203 dpi prints dot for dot.
#include <cstdint>
#include <span>

namespace print_app {

// Pixels per inch when the file says it (in metres, the same both ways); 0 otherwise.
int PngPixelsPerInch(std::span<const uint8_t> file);

}  // namespace print_app
