#include "driver_installer/win32/wmi_service.h"
#include "platform/win32/win32_wmi.h"

namespace omblet_win32 {

std::unique_ptr<platform::Wmi> MakeWmiService() { return std::make_unique<win32::Win32Wmi>(); }

}  // namespace omblet_win32
