#pragma once
// How large the windows are drawn. Their layouts are in twips, drawn at the screen's pixels per inch; on a small
// screen with large text (120 DPI on 1366 x 768, 144 DPI on a 1920 x 1080 laptop) the largest window would then
// not fit, and its title bar or bottom row of buttons would lie off the screen. The whole layout, fonts included,
// is then drawn at a smaller scale, the largest at which that window fits.
#include <algorithm>

namespace platform {

struct PixelSize {
  int width = 0;
  int height = 0;
};

// The lowest scale we draw at: below it text can no longer be read.
inline constexpr int kSmallestLayoutDpi = 48;

// The pixels per inch to draw the layouts at: the system's, or less when the largest window (client area
// `largestClientTwips`, plus its `frame` in pixels) would not fit the monitor's `workArea` at the system's.
inline int FitLayoutDpi(int systemDpi, PixelSize workArea, PixelSize frame, PixelSize largestClientTwips) {
  if (systemDpi <= 0) systemDpi = 96;
  int dpi = systemDpi;
  if (largestClientTwips.width > 0) {
    dpi = std::min(dpi, (workArea.width - frame.width) * 1440 / largestClientTwips.width);
  }
  if (largestClientTwips.height > 0) {
    dpi = std::min(dpi, (workArea.height - frame.height) * 1440 / largestClientTwips.height);
  }
  return std::max(dpi, std::min(systemDpi, kSmallestLayoutDpi));
}

}  // namespace platform
