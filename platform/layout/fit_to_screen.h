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

// The scale a window's layout is drawn at after it moves from a monitor of `fromMonitorDpi` to one of
// `toMonitorDpi`: it keeps the share of the monitor's scale it had, so a layout fitted to a small screen stays
// fitted in proportion, and never goes below the smallest readable scale.
inline int RescaledLayoutDpi(int layoutDpi, int fromMonitorDpi, int toMonitorDpi) {
  if (fromMonitorDpi <= 0 || toMonitorDpi <= 0 || layoutDpi <= 0) return layoutDpi;
  const long long scaled = (static_cast<long long>(layoutDpi) * toMonitorDpi + fromMonitorDpi / 2) / fromMonitorDpi;
  return std::max(static_cast<int>(scaled), std::min(toMonitorDpi, kSmallestLayoutDpi));
}

}  // namespace platform
