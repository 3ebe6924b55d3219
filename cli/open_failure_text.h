#pragma once
// The message for a device that cannot be opened: it names the device and what the user can do about it.
#include <chrono>
#include <string>

#include "platform/interfaces/printer_device.h"

namespace ctl {

enum class HostSystem { Linux, Windows };

// The package's udev rule, which gives access to the printers.
inline constexpr const char* kUdevRule = "/usr/lib/udev/rules.d/70-quorvelctl.rules";

// `waited`: how long --wait waited for a busy printer before giving up.
std::string OpenFailureText(const std::string& device, const platform::OpenFailure& failure, HostSystem host,
                            std::chrono::milliseconds waited = {});

}  // namespace ctl
