#include "print_app/pappl/hotplug.h"

#include <set>
#include <string>

#include "cli/attached_printer.h"
#include "cli/usb_printer_source.h"
#include "print_app/pappl/app.h"
#include "print_app/usb_printer_uri.h"

namespace print_app {

bool LookForNewPrinters(pappl_system_t* system, void* /*data*/) {
  // Only what appeared since the last look: a queue the admin deleted is not made again while its printer stays
  // plugged in.
  static std::set<std::string> seen;
  const auto devices = TheApp().WithBus([](auto& bus) { return bus.Devices(); });
  std::set<std::string> now;
  for (const platform::UsbDeviceRecord& device : devices) {
    if (!ctl::NotOurPrinter(device).empty()) continue;
    const std::string uri = UsbPrinterUri(device);
    now.insert(uri);
    if (seen.count(uri) || papplSystemFindPrinter(system, nullptr, 0, uri.c_str())) continue;
    char vid[5], pid[5];
    std::snprintf(vid, sizeof vid, "%04X", device.vendor);
    std::snprintf(pid, sizeof pid, "%04X", device.product);
    const std::string model = ctl::ModelNameOf(vid, pid);
    const std::string name = AutoPrinterName(model, device);
    if (papplPrinterCreate(system, 0, name.c_str(), kAutoDriver, DeviceIdOf(model).c_str(), uri.c_str())) {
      papplLog(system, PAPPL_LOGLEVEL_INFO, "Added the printer '%s' for %s, plugged in.", name.c_str(), uri.c_str());
    } else {
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Could not add a printer for %s.", uri.c_str());
    }
  }
  seen = std::move(now);
  return true;
}

}  // namespace print_app
