#include "platform/win32/dpi_change.h"

#include <map>

namespace win32 {

int MonitorDpiOf(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = ::GetDC(nullptr);
  int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

RECT WorkAreaForNewWindow(HWND owner) {
  HMONITOR monitor = nullptr;
  if (owner) {
    monitor = ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  } else if (HWND active = ::GetActiveWindow()) {
    monitor = ::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
  } else {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    monitor = ::MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
  }
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor && ::GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void ControlRescaler::Rescale(HWND window, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return;
  std::vector<UniqueGdiObject> fonts;
  std::map<HFONT, HFONT> scaledFonts;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT box{};
    ::GetWindowRect(child, &box);
    wchar_t cls[32] = {};
    ::GetClassNameW(child, cls, 32);
    if (::lstrcmpiW(cls, L"ComboBox") == 0) {
      // A combo box's window rectangle is its closed part; the height it is given is the closed part and the
      // dropped list together. (The message's answer is not a success flag on every system: the rectangle is.)
      RECT dropped{};
      ::SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
      if (dropped.bottom > dropped.top) box.bottom = box.top + (box.bottom - box.top) + (dropped.bottom - dropped.top);
    }
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    ::MoveWindow(child, ::MulDiv(box.left, toDpi, fromDpi), ::MulDiv(box.top, toDpi, fromDpi),
                 ::MulDiv(box.right - box.left, toDpi, fromDpi), ::MulDiv(box.bottom - box.top, toDpi, fromDpi),
                 FALSE);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
    if (!font) continue;
    auto known = scaledFonts.find(font);
    if (known == scaledFonts.end()) {
      LOGFONTW description{};
      if (!::GetObjectW(font, sizeof(description), &description)) continue;
      description.lfHeight = ::MulDiv(description.lfHeight, toDpi, fromDpi);
      description.lfWidth = ::MulDiv(description.lfWidth, toDpi, fromDpi);
      HFONT scaled = ::CreateFontIndirectW(&description);
      if (!scaled) continue;
      fonts.emplace_back(scaled);
      known = scaledFonts.emplace(font, scaled).first;
    }
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(known->second), FALSE);
  }
  fonts_ = std::move(fonts);  // the fonts of the previous scale are no longer in use
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace win32
