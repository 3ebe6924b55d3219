#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/dialog_keyboard.h"
#include "platform/win32/system_library.h"

namespace win32 {

// Common controls v6 classes and the rich edit class, registered once per process.
inline void InitControlLibraries() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&controls);
  LoadSystemLibrary(L"Msftedit.dll");
}

// Runs until WM_QUIT; returns its exit code.
inline int RunMessageLoop() {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND active = ::GetActiveWindow();
    if (HACCEL shortcuts = active ? ShortcutsOf(active) : nullptr) {
      if (::TranslateAcceleratorW(active, shortcuts, &message)) continue;
    }
    if (active && ::IsDialogMessageW(active, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace win32
