#include "print_app/pappl/hotplug.h"

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/attached_printer.h"
#include "print_app/pappl/app.h"
#include "print_app/usb_printer_uri.h"

namespace print_app {

namespace {

struct NewPrinter {
  std::string name, uri, deviceId;
};

// Timers run under the system's read lock and papplPrinterCreate takes its write lock: the queues are made on a
// thread of their own, one batch at a time.
std::thread creator;
std::atomic<bool> creating{false};

void CreatePrinters(pappl_system_t* system, std::vector<NewPrinter> printers) {
  for (const NewPrinter& printer : printers) {
    if (!papplSystemIsRunning(system)) break;
    if (papplPrinterCreate(system, 0, printer.name.c_str(), kAutoDriver, printer.deviceId.c_str(),
                           printer.uri.c_str())) {
      papplLog(system, PAPPL_LOGLEVEL_INFO, "Added the printer '%s' for %s, plugged in.", printer.name.c_str(),
               printer.uri.c_str());
    } else {
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Could not add a printer for %s.", printer.uri.c_str());
    }
  }
  creating = false;
}

}  // namespace

bool LookForNewPrinters(pappl_system_t* system, void* /*data*/) {
  if (creating) return true;  // the last batch is still being made: look again next time
  if (creator.joinable()) creator.join();
  // Only what appeared since the last look: a queue the admin deleted is not made again while its printer stays
  // plugged in.
  static std::set<std::string> seen;
  std::set<std::string> now;
  std::vector<NewPrinter> added;
  for (const ctl::AttachedPrinter& printer : TheApp().OurPrinters()) {
    const std::string uri = UsbPrinterUri(printer);
    now.insert(uri);
    if (seen.count(uri) || papplSystemFindPrinter(system, nullptr, 0, uri.c_str())) continue;
    added.push_back({AutoPrinterName(printer), uri, DeviceIdOf(printer.model)});
  }
  seen = std::move(now);
  if (!added.empty()) {
    creating = true;
    creator = std::thread(CreatePrinters, system, std::move(added));
  }
  return true;
}

void StopLookingForPrinters() {
  if (creator.joinable()) creator.join();
}

}  // namespace print_app
