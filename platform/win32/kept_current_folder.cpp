#include "platform/win32/kept_current_folder.h"

#include <windows.h>

namespace win32 {

KeptCurrentFolder::KeptCurrentFolder() {
  DWORD size = ::GetCurrentDirectoryW(0, nullptr);  // with the terminating zero
  while (size > 0) {
    folder_.resize(size);
    const DWORD length = ::GetCurrentDirectoryW(size, folder_.data());
    if (length < size) {
      folder_.resize(length);
      return;
    }
    size = length;  // it changed in between and grew
  }
  folder_.clear();
}

KeptCurrentFolder::~KeptCurrentFolder() {
  if (Kept()) ::SetCurrentDirectoryW(folder_.c_str());
}

}  // namespace win32
