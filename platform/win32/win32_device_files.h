#pragma once
#include "platform/interfaces/device_file.h"

namespace win32 {

// CreateFileA on the printer interface path; overlapped reads with a zeroed OVERLAPPED record and no event.
class Win32DeviceFiles : public platform::DeviceFiles {
 public:
  std::unique_ptr<platform::DeviceFile> Open(std::string_view path, platform::OpenMode mode) override;
};

}  // namespace win32
