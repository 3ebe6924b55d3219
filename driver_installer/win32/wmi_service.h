#pragma once
// The WMI service Omblet.exe uses: the real one, or in the test build a fixture file of device texts.
#include <memory>

#include "platform/interfaces/wmi.h"

namespace omblet_win32 {

std::unique_ptr<platform::Wmi> MakeWmiService();

}  // namespace omblet_win32
