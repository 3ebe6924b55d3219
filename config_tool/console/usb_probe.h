#pragma once
// "检测PID": the product ID of an attached printer with the 1A86 interface chip, as WMI's USB devices list it.
#include <optional>
#include <string>
#include <string_view>

#include "config_tool/text_util.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/wmi.h"

namespace quorvel {

inline constexpr std::string_view kUsbDeviceQuery = "Select   *   From   Win32_USBControllerDevice";

// The four characters after "PID" and its separator in a device text whose "VID" is 1A86 (exact, upper-case tags),
// calling `onVendor` when the vendor is seen.
template <typename OnVendor>
std::optional<std::string> ProductIdOf(std::string_view text, OnVendor onVendor) {
  bool vendorSeen = false;
  // Mid, not substr: a text may end right after a tag, and the position then runs past its end.
  for (size_t p = 0; p < text.size(); ++p) {
    if (Mid(text, p, 3) == "VID") {
      p += 4;
      if (Mid(text, p, 4) == "1A86") {
        vendorSeen = true;
        onVendor();
      }
    }
    // A tag cut off by the end of the text names no product.
    if (vendorSeen && Mid(text, p, 3) == "PID" && Mid(text, p + 4, 4).size() == 4) {
      return std::string(Mid(text, p + 4, 4));
    }
  }
  return std::nullopt;
}

void ProbeUsbIdentity(platform::Wmi& wmi, platform::Window& window, platform::RichText& txtre,
                      platform::Label& label2);

}  // namespace quorvel
