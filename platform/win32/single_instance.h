#pragma once
// One running copy of a program: a second start hands over to the first and ends.
#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace win32 {

// Holds a named mutex for the life of the process; the first process to create it is the first instance.
class SingleInstance {
 public:
  explicit SingleInstance(const wchar_t* name)
      : mutex_(::CreateMutexW(nullptr, FALSE, name)), first_(mutex_ && ::GetLastError() != ERROR_ALREADY_EXISTS) {}
  bool IsFirst() const { return first_; }

 private:
  UniqueKernelHandle mutex_;
  bool first_;
};

// Brings the top-level window of class `className` to the front, restoring it when it is minimised.
inline void BringToFront(const wchar_t* className) {
  HWND window = ::FindWindowW(className, nullptr);
  if (!window) return;
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

}  // namespace win32
