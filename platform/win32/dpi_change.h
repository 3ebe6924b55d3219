#pragma once
// A window drawn again at a monitor's scale: per-monitor DPI awareness (Windows 10 1703 and later) tells a window
// when it moves to a monitor of another scale, and the window redraws its own controls at that scale.
#include <windows.h>

#include <vector>

#include "platform/win32/unique_handles.h"

namespace win32 {

// The scale of the monitor a window is on: GetDpiForWindow where Windows has it (10, 1607 and later), the
// system's scale before that.
int MonitorDpiOf(HWND window);

// The work area of the monitor a new window opens on: its owner's, else the active window's, else the one under
// the pointer.
RECT WorkAreaForNewWindow(HWND owner);

// Places and sizes a window's controls and their fonts anew when its layout scale goes from `fromDpi` to `toDpi`.
class ControlRescaler {
 public:
  void Rescale(HWND window, int fromDpi, int toDpi);

 private:
  std::vector<UniqueGdiObject> fonts_;  // the fonts made for the current scale
};

}  // namespace win32
