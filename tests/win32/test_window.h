#pragma once
// A hidden top-level window to host controls and timers in the platform tests.
#include <windows.h>

namespace test_support {

inline HWND CreateHostWindow() {
  static const wchar_t kClass[] = L"PlatformTestHost";
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClass;
  ::RegisterClassExW(&windowClass);
  return ::CreateWindowExW(0, kClass, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

// Dispatches messages for `milliseconds`, counting WM_TIMER of `timerId`.
inline int PumpCountingTicks(HWND hwnd, UINT_PTR timerId, DWORD milliseconds) {
  int ticks = 0;
  DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG message;
    while (::PeekMessageW(&message, hwnd, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.wParam == timerId) ++ticks;
      ::DispatchMessageW(&message);
    }
    ::Sleep(5);
  }
  return ticks;
}

}  // namespace test_support
