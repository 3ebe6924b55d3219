#pragma once
// Why the device file that just failed to open did so, from the thread's last error.
#include "platform/interfaces/printer_device.h"

namespace quorvelctl_win32 {

platform::OpenFailure LastOpenFailure();

}  // namespace quorvelctl_win32
