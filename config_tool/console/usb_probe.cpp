#include "config_tool/console/usb_probe.h"

#include <vector>

namespace quorvel {

void ProbeUsbIdentity(platform::Wmi& wmi, platform::Window& window, platform::RichText& txtre,
                      platform::Label& label2) {
  txtre.SetText(txtre.Text() + "\r\n检测PID..");
  // An unreachable service or a failed query ends like a search that found nothing.
  const auto dependents = wmi.QueryProperty(kUsbDeviceQuery, "Dependent").value_or(std::vector<std::string>{});
  for (const std::string& dependent : dependents) {
    window.Repaint();
    auto found = ProductIdOf(dependent, [&] { txtre.SetText(txtre.Text() + "\r\n检测到PID:1A86"); });
    if (found) {
      label2.SetText(*found);
      txtre.SetText("找到PID：" + *found);
      return;
    }
  }
  txtre.SetText("没有找到PID");
}

}  // namespace quorvel
