#pragma once
// "检测PID": the product ID of an attached printer with the 1A86 interface chip, as WMI's USB devices list it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/interfaces/controls.h"
#include "platform/interfaces/wmi.h"

namespace quorvel {

inline constexpr std::string_view kUsbDeviceQuery = "Select   *   From   Win32_USBControllerDevice";

// The four characters after "PID" and its separator in a device text whose "VID" is 1A86 (exact, upper-case tags),
// calling `onVendor` when the vendor is seen.
template <typename OnVendor>
std::optional<std::string> ProductIdOf(std::string_view text, OnVendor onVendor) {
  bool vendorSeen = false;
  for (size_t p = 0; p < text.size(); ++p) {
    if (text.substr(p, 3) == "VID") {
      p += 4;
      if (text.substr(p, 4) == "1A86") {
        vendorSeen = true;
        onVendor();
      }
    }
    if (vendorSeen && text.substr(p, 3) == "PID") return std::string(text.substr(p + 4, 4));
  }
  return std::nullopt;
}

void ProbeUsbIdentity(platform::Wmi& wmi, platform::Window& window, platform::RichText& txtre,
                      platform::Label& label2);

}  // namespace quorvel
